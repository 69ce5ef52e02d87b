#include "src/scan/folder_walk.h"

#include <algorithm>
#include <utility>

#include "src/platform/folder_listing.h"
#include "src/platform/local_text.h"
#include "src/platform/path.h"
#include "src/scan/path_text.h"

namespace tovrin {

namespace {

bool holdsMissingMark(const std::string& name) {
    return kNamesMarkMissingCharacters && holdsCharacter(name, kMissingCharacterMark);
}

// The host's order is not stable everywhere, and the 8-bit order of names differs between code
// pages: the order of their Unicode code points gives the same package every time and on every
// host (on Linux it is the byte order of UTF-8 names). Names that decode alike keep byte order.
void sortByCodePoints(std::vector<FolderEntry>* listing) {
    // ASCII names, the common case, are their own code points in every code page.
    if (std::all_of(listing->begin(), listing->end(),
                    [](const FolderEntry& e) { return isAscii(e.name); })) {
        std::sort(listing->begin(), listing->end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
        return;
    }
    std::vector<std::pair<std::u32string, FolderEntry>> keyed;
    keyed.reserve(listing->size());
    for (FolderEntry& entry : *listing)
        keyed.emplace_back(codePoints(entry.name), std::move(entry));
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first < b.first : a.second.name < b.second.name;
    });
    listing->clear();
    for (auto& [key, entry] : keyed) listing->push_back(std::move(entry));
}

class Walk {
public:
    Walk(std::size_t cut, std::vector<std::string>* entries) : cut_(cut), entries_(entries) {}

    void scan(const std::string& path) {
        const std::string folder = AddBackslash(path);
        std::vector<FolderEntry> listing;
        FolderId id;
        if (!listFolder(folder, &listing, &id)) return;
        // A link back to a folder we are already inside would never end.
        for (const FolderId& above : onWay_)
            if (sameFolder(above, id)) return;

        for (FolderEntry& entry : listing) entry.name = TrimAtNul(entry.name);
        listing.erase(
            std::remove_if(listing.begin(), listing.end(),
                           [](const FolderEntry& e) { return e.name.empty() || e.name[0] == '.'; }),
            listing.end());
        sortByCodePoints(&listing);

        // Every file here shares this front: the separator, then the folder below the cut.
        const std::string front = kSeparator + folder.substr(cut_);
        onWay_.push_back(id);
        for (const FolderEntry& entry : listing) {
            // A folder whose name the code page cannot hold cannot be listed by its 8-bit path:
            // it stands as an entry of its own, which the create command refuses.
            if (entry.isFolder && !holdsMissingMark(entry.name))
                scan(folder + entry.name);
            else
                entries_->push_back(front + entry.name);
        }
        onWay_.pop_back();
    }

private:
    std::size_t cut_;
    std::vector<std::string>* entries_;
    std::vector<FolderId> onWay_;  // the folders from the project folder down to this one
};

}  // namespace

void ScanFolder(const std::string& projectPath, std::vector<std::string>* entries) {
    if (projectPath.empty()) return;
    Walk(projectPath.size(), entries).scan(projectPath);
}

}  // namespace tovrin
