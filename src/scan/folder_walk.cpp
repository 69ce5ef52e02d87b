#include "src/scan/folder_walk.h"

#include <algorithm>

#include "src/platform/folder_listing.h"
#include "src/platform/path.h"
#include "src/scan/path_text.h"

namespace tovrin {

namespace {

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
        // The host's order is not stable everywhere; byte order makes a folder always give
        // the same package.
        std::sort(listing.begin(), listing.end(),
                  [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });

        // Every file here shares this front: the separator, then the folder below the cut.
        const std::string front = kSeparator + folder.substr(cut_);
        onWay_.push_back(id);
        for (const FolderEntry& entry : listing) {
            if (entry.isFolder)
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
