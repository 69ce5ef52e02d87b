#include "tools/sislist/file_layout.h"

#include <map>
#include <set>

#include "tools/sislist/extract.h"
#include "tools/sislist/listing.h"
#include "tools/sislist/temp_folder.h"

namespace tovrin::sislist {
namespace {

using sis::FileType;
using sis::RecordType;

constexpr const char* kDefaultTempFolder = "X:\\MKS0\\";

// Names compared as Windows compares them, ASCII letters without case.
std::string folded(std::string s) {
    for (char& c : s) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return s;
}

std::vector<std::string> splitParts(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path + "/") {
        if (c == '\\' || c == '/') {
            parts.push_back(part);
            part.clear();
        } else {
            part.push_back(c);
        }
    }
    return parts;
}

// A name the host's file system keeps as it is.
bool fileNameAllowed(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || u == 0) return false;
#ifdef _WIN32
        if (u < 0x20 || std::string("<>:\"|?*").find(c) != std::string::npos) return false;
#endif
    }
#ifdef _WIN32
    if (name.back() == '.' || name.back() == ' ') return false;
#endif
    return true;
}

bool hasFiles(const sis::Record& r) {
    return (r.type == RecordType::SimpleFile || r.type == RecordType::MultiLanguageFile) &&
           r.fileType != static_cast<uint32_t>(FileType::Null);
}

bool isText(const sis::Record& r) { return r.fileType == static_cast<uint32_t>(FileType::Text); }

// The files and folders laid out so far; a file may be shared only by forks of equal data.
class Paths {
public:
    bool claim(const std::string& path, const ForkFacts* facts) {
        const std::vector<std::string> parts = splitParts(path);
        std::string prefix;
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            prefix += (i ? "/" : "") + parts[i];
            const auto it = entries_.find(folded(prefix));
            if (it != entries_.end() && it->second.file) return false;
        }
        const auto it = entries_.find(folded(path));
        if (it != entries_.end()) {
            return it->second.file && facts && it->second.length == facts->length &&
                   it->second.crc == facts->crc;
        }
        prefix.clear();
        for (size_t i = 0; i + 1 < parts.size(); ++i) {
            prefix += (i ? "/" : "") + parts[i];
            entries_.insert({folded(prefix), Entry{false, 0, 0}});
        }
        entries_[folded(path)] = Entry{true, facts ? facts->length : 0, facts ? facts->crc : 0};
        return true;
    }

private:
    struct Entry {
        bool file;
        uint64_t length;
        uint32_t crc;
    };
    std::map<std::string, Entry> entries_;
};

// The compiler's temporary names: the first free of base, base0, base1, ...
class TempNames {
public:
    std::string take(const std::string& base) {
        if (taken_.insert(folded(base)).second) return base;
        for (unsigned long n = 0;; ++n) {
            const std::string candidate = base + std::to_string(n);
            if (taken_.insert(folded(candidate)).second) return candidate;
        }
    }

private:
    std::set<std::string> taken_;
};

std::string backslashed(std::string path) {
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

class Planner {
public:
    Planner(const sis::Package& p, const std::vector<std::vector<ForkFacts>>& facts)
        : p_(p), facts_(facts) {}

    Layout run(const std::vector<std::string>& reserved) {
        for (const std::string& r : reserved) paths_.claim(r, nullptr);
        const size_t n = p_.records.size();
        layout_.files.resize(n);
        layout_.sources.resize(n);
        convert_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            const sis::Record& r = p_.records[i];
            if (!hasFiles(r)) continue;
            for (size_t k = 0; k < r.forks.size(); ++k) {
                convert_[i].push_back(p_.er6 && isText(r) && !facts_[i][k].utf16Bom);
            }
        }
        findTempFolder();
        reserveShownNames();
        for (size_t i = 0; i < n; ++i) placeRecord(i);
        checkTempNames();
        return layout_;
    }

private:
    void differ(const std::string& why) {
        for (const std::string& d : layout_.differences) {
            if (d == why) return;
        }
        layout_.differences.push_back(why);
    }

    // Whether fork k of record i shows a temporary copy's name.
    bool tempNamed(size_t i, size_t k) const { return p_.compressed() || convert_[i][k]; }

    void findTempFolder() {
        bool found = false;
        for (size_t i = 0; i < p_.records.size(); ++i) {
            if (!hasFiles(p_.records[i]) || p_.records[i].forks.empty() || !tempNamed(i, 0)) {
                continue;
            }
            const std::string folder = folderPart(p_.records[i].source);
            if (!found) {
                tempFolder_ = folder;
                found = true;
            } else if (folder != tempFolder_) {
                differ("the records show more than one temporary folder");
            }
        }
        if (!found) tempFolder_ = kDefaultTempFolder;
        layout_.otherTempFolder = tempFolder_ != kDefaultTempFolder;
        layout_.tempFolder = tempFolder_;
    }

    // The names records show are kept free for them: a free name for another fork never
    // takes one of them.
    void reserveShownNames() {
        for (size_t i = 0; i < p_.records.size(); ++i) {
            if (!hasFiles(p_.records[i])) continue;
            const std::string base = basePart(p_.records[i].source);
            shown_.insert(folded(base));
            shown_.insert(folded(convertedName(base)));
        }
    }

    // The name a converted copy had when its compressed copy got `shown`: the compiler took
    // it first and then the first free suffix, so `shown` is it with "0" (or a later number).
    static std::string convertedName(const std::string& shown) {
        if (!shown.empty() && shown.back() == '0') return shown.substr(0, shown.size() - 1);
        size_t digits = shown.size();
        while (digits > 0 && shown[digits - 1] >= '0' && shown[digits - 1] <= '9') --digits;
        return shown.substr(0, digits);
    }

    std::string freeName(const std::string& wanted) {
        std::string name = fileNameAllowed(wanted) ? wanted : "file";
        for (int n = 1; shown_.count(folded(name)) || !chosen_.insert(folded(name)).second; ++n) {
            name = (fileNameAllowed(wanted) ? wanted : "file") + "_" + std::to_string(n);
        }
        return name;
    }

    // Places a file of fixed name in the folder after the record's target, or below files/.
    std::string placeNamed(size_t i, size_t k, const std::string& name) {
        const std::string extracted = extractionName(p_, i, 0);
        const size_t slash = extracted.rfind('/');
        const std::string folder = slash == std::string::npos ? "" : extracted.substr(0, slash);
        std::string path = folder.empty() ? name : folder + "/" + name;
        for (int n = 1; !paths_.claim(path, &facts_[i][k]); ++n) {
            path = "files/" + std::to_string(n) + "/" + name;
        }
        return path;
    }

    // The path an uncompressed record shows, below the folder; empty when it cannot be.
    std::string pathAsWritten(const std::string& source) {
        std::string rest = source;
        std::string top;
        const char c = source.empty() ? '\0' : source[0];
        if (source.size() >= 3 && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) &&
            source[1] == ':' && source[2] == '\\') {
            const char letter = static_cast<char>(c >= 'a' ? c - 'a' + 'A' : c);
            top = std::string("drive-") + letter;
            rest = source.substr(3);
        } else if (c == '\\') {
            top = "root";
            rest = source.substr(1);
        }
        std::string path = top;
        const std::vector<std::string> parts = splitParts(rest);
        for (size_t j = 0; j < parts.size(); ++j) {
            const std::string& part = parts[j];
            if ((part.empty() || part == ".") && j + 1 < parts.size()) continue;
            if (!fileNameAllowed(part)) return "";
            path += (path.empty() ? "" : "/") + part;
        }
        return path;
    }

    void placeRecord(size_t i) {
        const sis::Record& r = p_.records[i];
        if (r.fileType == static_cast<uint32_t>(FileType::Null) &&
            (r.type == RecordType::SimpleFile || r.type == RecordType::MultiLanguageFile)) {
            layout_.sources[i].assign(r.forks.size(), "");
            if (!r.source.empty()) differ("an FN record shows a source name");
            return;
        }
        if (!hasFiles(r)) return;
        for (size_t k = 0; k < r.forks.size(); ++k) {
            ForkFile file;
            // ER5 texts are 8-bit and go through UTF-8 too, so that no host reads them in a
            // code page of its own.
            file.asUtf8 = convert_[i][k] || (!p_.er6 && isText(r));
            if (file.asUtf8 && !facts_[i][k].utf8Text) {
                differ("an FT text that no text file converts to");
                file.asUtf8 = false;
            }
            std::string written;
            if (k == 0 && !tempNamed(i, k)) {
                file.path = pathAsWritten(r.source);
                if (!file.path.empty() && paths_.claim(file.path, &facts_[i][k])) {
                    written = r.source;
                    noteTop(file.path);
                } else {
                    differ((file.path.empty() ? "a source path that cannot be made below the "
                                                "folder: "
                                              : "sources of different data with one name: ") +
                           quote(r.source));
                    renamed_.insert(i);
                    file.path = placeNamed(i, k, freeName(basePart(r.source)));
                }
            } else if (k == 0) {
                const std::string shown = basePart(r.source);
                std::string name = p_.compressed() && convert_[i][k] ? convertedName(shown) : shown;
                if (!fileNameAllowed(name)) {
                    differ("a temporary copy's name that is no file name here: " + quote(shown));
                    renamed_.insert(i);
                    name = freeName("record" + std::to_string(i));
                }
                chosen_.insert(folded(name));
                file.path = placeNamed(i, k, name);
            } else {
                const std::string base =
                    basePart(r.destination).empty() ? basePart(r.source) : basePart(r.destination);
                const uint16_t language = k < p_.languages.size() ? p_.languages[k] : 0;
                file.path = placeNamed(i, k, freeName(base + "." + languageToken(language)));
            }
            if (written.empty()) written = backslashed(file.path);
            layout_.files[i].push_back(file);
            layout_.sources[i].push_back(written);
        }
    }

    void noteTop(const std::string& path) {
        if (path.rfind("root/", 0) == 0) layout_.root = true;
        if (path.rfind("drive-", 0) == 0 && path.size() > 7 && path[7] == '/') {
            const char letter = path[6];
            for (char d : layout_.drives) {
                if (d == letter) return;
            }
            layout_.drives.push_back(letter);
        }
    }

    static std::string languageToken(uint16_t number) {
        const sis::LanguageCode* l = sis::languageByNumber(number);
        return l && l->code ? l->code : std::to_string(number);
    }

    // Runs the compiler's naming over the chosen sources and compares with what is shown.
    void checkTempNames() {
        TempNames names;
        std::vector<std::vector<std::string>> converted(p_.records.size());
        for (size_t i = 0; i < p_.records.size(); ++i) {
            if (!hasFiles(p_.records[i]) || !isText(p_.records[i])) continue;
            for (size_t k = 0; k < layout_.files[i].size(); ++k) {
                converted[i].push_back(convert_[i][k] ? names.take(basePart(layout_.sources[i][k]))
                                                      : "");
            }
        }
        for (size_t i = 0; i < p_.records.size(); ++i) {
            const sis::Record& r = p_.records[i];
            if (!hasFiles(r)) continue;
            for (size_t k = 0; k < layout_.files[i].size(); ++k) {
                const std::string conv = converted[i].empty() ? "" : converted[i][k];
                std::string shown;
                if (p_.compressed()) {
                    shown = tempFolder_ +
                            names.take(conv.empty() ? basePart(layout_.sources[i][k]) : conv);
                } else {
                    shown = conv.empty() ? layout_.sources[i][k] : tempFolder_ + conv;
                }
                if (k == 0 && shown != r.source && !renamed_.count(i)) {
                    differ("record " + std::to_string(i) + " will show " + quote(shown) +
                           " as its source");
                }
            }
        }
    }

    const sis::Package& p_;
    const std::vector<std::vector<ForkFacts>>& facts_;
    Layout layout_;
    Paths paths_;
    std::vector<std::vector<bool>> convert_;
    std::string tempFolder_;
    std::set<std::string> shown_;   // folded names records show, kept for them
    std::set<std::string> chosen_;  // folded names given out
    std::set<size_t> renamed_;      // records whose source name is known to change
};

}  // namespace

Layout planLayout(const sis::Package& package, const std::vector<std::vector<ForkFacts>>& facts,
                  const std::vector<std::string>& reserved) {
    return Planner(package, facts).run(reserved);
}

}  // namespace tovrin::sislist
