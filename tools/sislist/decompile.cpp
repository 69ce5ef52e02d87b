#include "tools/sislist/decompile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>

#include "src/platform/local_text.h"
#include "src/sis/byte_source.h"
#include "src/sis/sis_reader.h"
#include "src/text/utf16.h"
#include "src/text/utf8.h"
#include "src/text/windows1252.h"
#include "src/compiler/pending_file.h"
#include "tools/sislist/file_layout.h"
#include "tools/sislist/rebuild_check.h"
#include "tools/sislist/rebuild_line.h"
#include "tools/sislist/script_writer.h"

namespace tovrin::sislist {
namespace fs = std::filesystem;
namespace {

using sis::FileType;
using sis::RecordType;

constexpr int kMaxComponentDepth = 8;
// FT texts are shown in a dialog; a larger one is written as it is stored, not converted.
constexpr uint64_t kMaxTextBytes = 16u << 20;

bool hasFiles(const sis::Record& r) {
    return (r.type == RecordType::SimpleFile || r.type == RecordType::MultiLanguageFile) &&
           r.fileType != static_cast<uint32_t>(FileType::Null);
}

// UTF-16LE text as UTF-8; false when it holds an odd byte or a lone surrogate.
bool utf16ToUtf8(const std::string& units, std::string* utf8) {
    return utf16leToUtf8Strict(reinterpret_cast<const uint8_t*>(units.data()), units.size(), utf8);
}

// Windows-1252 text as UTF-8; false when it holds a byte the code page leaves undefined.
bool cp1252ToUtf8(const std::string& bytes, std::string* utf8) {
    utf8->clear();
    for (unsigned char b : bytes) {
        const char32_t cp = windows1252CodePoint(b);
        if (cp == 0xFFFD) return false;
        appendUtf8(*utf8, cp);
    }
    return true;
}

// The package's name (the script's first language) as a file name any host takes.
std::string scriptBaseName(const sis::Package& p) {
    std::string name = p.componentNames.empty() ? "" : p.componentNames.back();
    for (char& c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::string("<>:\"|?*/\\").find(c) != std::string::npos) {
            c = '_';
        }
    }
    // The compiler's command line is local 8-bit text: a character it lacks would not name
    // the script.
    std::string named;
    for (size_t i = 0; i < name.size();) {
        size_t n = utf8CharacterLength(name, i);
        if (n == 0) n = 1;
        const std::string c = name.substr(i, n);
        named += c != "?" && localFromUtf8(c) == "?" ? "_" : c;
        i += n;
    }
    name = named;
    while (!name.empty() && (name.back() == '.' || name.back() == ' ')) name.pop_back();
    if (!name.empty() && (name[0] == '-' || name[0] == '/')) name[0] = '_';
    return name.empty() ? "package" : name;
}

class Decompiler {
public:
    Decompiler(const std::string& file, const fs::path& folder, bool components, int depth,
               std::ostream& out, std::ostream& err)
        : file_(file),
          folder_(folder),
          components_(components),
          depth_(depth),
          out_(out),
          err_(err) {}

    int run() {
        std::string message;
        if (!source_.open(file_, &message) || !sis::readPackage(source_, &package_, &message)) {
            err_ << file_ << ": " << message << "\n";
            return 1;
        }
        bool whole = true;
        for (const sis::Check& c : sis::verifyPackage(source_, package_)) {
            if (!c.ok) {
                err_ << file_ << ": " << c.what << ": " << c.detail << "\n";
                whole = false;
            }
        }
        if (!whole || !readFacts() || !prepareFolder()) return 1;

        const std::string base = scriptBaseName(package_);
        script_ = base + ".pkg";
        const Layout layout = planLayout(package_, facts_, {script_, base + ".sis"});
        if (!writeFiles(layout)) return 1;
        std::vector<std::string> reasons = layout.differences;
        const std::string body = writeScript(package_, layout.sources, &reasons);

        const Command command = rebuildCommand(layout, base);
        const std::vector<std::string>& shown = command.shown;
        if (!saveScript(rebuildLine(shown, reasons, hostShell()), body)) return 1;
        const RebuildCheck check =
            checkRebuild(source_, package_, command.args, folder_, !layout.differences.empty());
        bool truthful = check.identical;
        if (!check.identical) {
            for (const std::string& r : check.byteReasons) reasons.push_back(r);
            if (reasons.empty()) {
                char at[24];
                std::snprintf(at, sizeof at, "0x%llX",
                              static_cast<unsigned long long>(check.firstDifference));
                reasons.push_back(std::string("laid out in another order, from offset ") + at);
            }
            truthful = check.built && check.contentDifferences.empty();
            if (!truthful) {
                // What our compiler cannot make again is said as it is.
                reasons = check.built ? check.contentDifferences
                                      : std::vector<std::string>{"the script does not build"};
            }
            if (!saveScript(rebuildLine(shown, reasons, hostShell(), !truthful), body)) return 1;
        }
        report(check, truthful);
        int status = truthful ? 0 : 1;
        if (components_) status = decompileComponents() ? status : 1;
        return status;
    }

private:
    // The command line as the script's first line shows it, and as the in-memory build takes
    // it, with the folders named from the output folder.
    struct Command {
        std::vector<std::string> shown{"makesis"};
        std::vector<std::string> args;
    };

    Command rebuildCommand(const Layout& layout, const std::string& base) const {
        Command c;
        auto option = [&c](const std::string& name, const std::string& printed,
                           const std::string& inMemory) {
            c.shown.insert(c.shown.end(), {name, printed});
            c.args.insert(c.args.end(), {name, inMemory});
        };
        // The compiler takes its command line in the host's local 8-bit text.
        if (!package_.er6) option("--format", "er5", "er5");
        if (layout.otherTempFolder) {
            option("--temp-folder", layout.tempFolder, localFromUtf8(layout.tempFolder));
        }
        if (layout.root) option("--root", "root", localText(folder_ / "root"));
        for (char d : layout.drives) {
            const std::string name = std::string("drive-") + d;
            option("--drive", std::string(1, d) + "=" + name,
                   std::string(1, d) + "=" + localText(folder_ / name));
        }
        for (const std::string& name : {script_, base + ".sis"}) {
            c.shown.push_back(name);
            c.args.push_back(localFromUtf8(name));
        }
        return c;
    }

    void report(const RebuildCheck& check, bool truthful) {
        out_ << "wrote " << localText(folder_ / fs::u8path(script_)) << "\n";
        for (const std::string& path : written_) {
            out_ << "wrote " << localText(folder_ / fs::u8path(path)) << "\n";
        }
        if (check.identical) {
            out_ << "rebuilt in memory: the same bytes\n";
        } else if (truthful) {
            out_ << "rebuilt in memory: the same contents, not the same bytes\n";
        } else if (!check.built) {
            err_ << file_ << ": the script does not build:\n" << check.compilerOutput;
        } else {
            err_ << file_ << ": the rebuilt package differs:";
            for (const std::string& d : check.contentDifferences) err_ << " " << d << ";";
            err_ << "\n";
        }
    }

    bool fail(const std::string& message) {
        err_ << file_ << ": " << message << "\n";
        return false;
    }

    // What the layout needs of each fork, and the text of each FT fork.
    bool readFacts() {
        facts_.resize(package_.records.size());
        texts_.resize(package_.records.size());
        for (size_t i = 0; i < package_.records.size(); ++i) {
            const sis::Record& r = package_.records[i];
            if (!hasFiles(r)) continue;
            const bool text = r.fileType == static_cast<uint32_t>(FileType::Text);
            for (const sis::Fork& fork : r.forks) {
                ForkFacts f;
                const Digest d = dataDigest(source_, package_, fork);
                f.length = d.length;
                f.crc = d.crc;
                std::string data;
                if (text && fork.originalLength <= kMaxTextBytes) {
                    std::string message;
                    if (!sis::readForkData(
                            source_, package_, fork,
                            [&](const uint8_t* p, size_t n, std::string*) {
                                data.append(reinterpret_cast<const char*>(p), n);
                                return true;
                            },
                            &message)) {
                        return fail(message);
                    }
                    std::string utf8;
                    f.utf16Bom = data.size() >= 2 && static_cast<uint8_t>(data[0]) == 0xFF &&
                                 static_cast<uint8_t>(data[1]) == 0xFE;
                    f.utf8Text =
                        package_.er6 ? utf16ToUtf8(data, &utf8) : cp1252ToUtf8(data, &utf8);
                }
                facts_[i].push_back(f);
                texts_[i].push_back(std::move(data));
            }
        }
        return true;
    }

    bool prepareFolder() {
        std::error_code ec;
        if (fs::exists(folder_, ec)) {
            if (!fs::is_directory(folder_, ec)) {
                return fail(localText(folder_) + ": is not a folder");
            }
            if (fs::directory_iterator(folder_, ec) != fs::directory_iterator() || ec) {
                return fail(localText(folder_) +
                            ": holds files already; give an empty or new folder");
            }
            return true;
        }
        fs::create_directories(folder_, ec);
        if (ec) return fail(localText(folder_) + ": cannot create folder: " + ec.message());
        return true;
    }

    bool writeFiles(const Layout& layout) {
        std::set<std::string> done;
        for (size_t i = 0; i < layout.files.size(); ++i) {
            for (size_t k = 0; k < layout.files[i].size(); ++k) {
                const ForkFile& f = layout.files[i][k];
                if (!done.insert(f.path).second) continue;
                if (!writeFork(i, k, f)) return false;
                written_.push_back(f.path);
                if (package_.records[i].fileType == static_cast<uint32_t>(FileType::Component)) {
                    componentFiles_.push_back(f.path);
                }
            }
        }
        return true;
    }

    bool writeFork(size_t i, size_t k, const ForkFile& f) {
        const fs::path target = folder_ / fs::u8path(f.path);
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec)
            return fail(localText(target.parent_path()) +
                        ": cannot create folder: " + ec.message());
        std::ofstream out(target, std::ios::binary | std::ios::trunc);
        if (!out) return fail(localText(target) + ": cannot create");
        const sis::Record& r = package_.records[i];
        if (r.fileType == static_cast<uint32_t>(FileType::Text) && k < texts_[i].size() &&
            r.forks[k].originalLength <= kMaxTextBytes) {
            std::string bytes = texts_[i][k];
            if (f.asUtf8 && package_.er6) utf16ToUtf8(texts_[i][k], &bytes);
            if (f.asUtf8 && !package_.er6) cp1252ToUtf8(texts_[i][k], &bytes);
            out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        } else {
            std::string message;
            if (!sis::readForkData(
                    source_, package_, r.forks[k],
                    [&out](const uint8_t* p, size_t n, std::string*) {
                        out.write(reinterpret_cast<const char*>(p),
                                  static_cast<std::streamsize>(n));
                        return static_cast<bool>(out);
                    },
                    &message)) {
                return fail(localText(target) + ": " + message);
            }
        }
        out.close();
        if (!out) return fail(localText(target) + ": cannot write (disk full?)");
        return true;
    }

    // The script as UTF-8, with a BOM when it holds more than ASCII so that no host reads it
    // in another code page. Written whole under a name of its own and renamed: the second
    // writing, which corrects the first line, never leaves half a script.
    bool saveScript(const std::string& firstLine, const std::string& body) {
        std::string text = firstLine + "\r\n" + body;
        if (!isAscii(text)) text = "\xEF\xBB\xBF" + text;
        const fs::path target = folder_ / fs::u8path(script_);
        makesis::PendingFile out(target);
        std::string error;
        if (out.open(&error)) {
            out.stream().write(text.data(), static_cast<std::streamsize>(text.size()));
            if (out.commit(&error)) return true;
        }
        return fail(localText(target) + ": cannot write");
    }

    bool decompileComponents() {
        if (depth_ >= kMaxComponentDepth) {
            return componentFiles_.empty() || fail("components nested too deeply, not decompiled");
        }
        bool ok = true;
        for (const std::string& path : componentFiles_) {
            fs::path into = folder_ / fs::u8path(path + "-pkg");
            std::error_code ec;
            for (int n = 1; fs::exists(into, ec); ++n) {
                into = folder_ / fs::u8path(path + "-pkg." + std::to_string(n));
            }
            const std::string file = localText(folder_ / fs::u8path(path));
            out_ << "component " << file << ":\n";
            ok = Decompiler(file, into, true, depth_ + 1, out_, err_).run() == 0 && ok;
        }
        return ok;
    }

    std::string file_;
    fs::path folder_;
    bool components_;
    int depth_;
    std::ostream& out_;
    std::ostream& err_;
    sis::FileSource source_;
    sis::Package package_;
    std::vector<std::vector<ForkFacts>> facts_;
    std::vector<std::vector<std::string>> texts_;
    std::string script_;
    std::vector<std::string> written_;
    std::vector<std::string> componentFiles_;
};

}  // namespace

int decompile(const std::string& file, const std::string& folder, bool components,
              std::ostream& out, std::ostream& err) {
    std::error_code ec;
    const fs::path given = pathFromLocal(folder);
    const fs::path absolute = fs::absolute(given, ec);
    return Decompiler(file, ec ? given : absolute, components, 0, out, err).run();
}

}  // namespace tovrin::sislist
