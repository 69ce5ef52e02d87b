#include "tools/sislist/temp_folder.h"

#include <algorithm>

namespace tovrin::sislist {
namespace {

size_t afterFolder(const std::string& source) {
    const size_t slash = source.find_last_of("\\/");
    return slash == std::string::npos ? 0 : slash + 1;
}

bool hasData(const sis::Record& r) {
    return (r.type == sis::RecordType::SimpleFile ||
            r.type == sis::RecordType::MultiLanguageFile) &&
           r.fileType != static_cast<uint32_t>(sis::FileType::Null);
}

}  // namespace

std::string folderPart(const std::string& source) { return source.substr(0, afterFolder(source)); }

std::string basePart(const std::string& source) { return source.substr(afterFolder(source)); }

std::vector<std::string> tempFolders(const sis::Package& package) {
    std::vector<std::string> folders;
    if (!package.compressed()) return folders;
    for (const sis::Record& r : package.records) {
        if (!hasData(r) || r.source.empty()) continue;
        const std::string folder = folderPart(r.source);
        if (std::find(folders.begin(), folders.end(), folder) == folders.end()) {
            folders.push_back(folder);
        }
    }
    return folders;
}

}  // namespace tovrin::sislist
