#include "src/compiler/package_plan.h"

#include <fstream>
#include <set>

#include "src/sis/sis_format.h"

namespace tovrin::makesis {
namespace {

std::u16string baseName(const std::u16string& written) {
    const size_t slash = written.find_last_of(u"\\/");
    return slash == std::u16string::npos ? written : written.substr(slash + 1);
}

// Those temporary copies lived in a Windows folder, where two names differ only when they
// differ other than in case.
class TempNames {
public:
    std::u16string take(const std::u16string& base) {
        if (taken_.insert(folded(base)).second) return base;
        for (unsigned long n = 0;; ++n) {
            std::u16string candidate = base;
            for (char c : std::to_string(n)) candidate.push_back(static_cast<char16_t>(c));
            if (taken_.insert(folded(candidate)).second) return candidate;
        }
    }

private:
    static std::u16string folded(std::u16string name) {
        for (char16_t& c : name) {
            if (c >= 'a' && c <= 'z') c = static_cast<char16_t>(c - 'a' + 'A');
        }
        return name;
    }
    std::set<std::u16string> taken_;
};

bool isFileRecord(const Record& r) {
    return r.type == sis::RecordType::SimpleFile || r.type == sis::RecordType::MultiLanguageFile;
}

}  // namespace

SourceFacts probeSourceFile(const std::filesystem::path& path) {
    SourceFacts facts;
    std::error_code ec;
    facts.size = std::filesystem::file_size(path, ec);
    if (ec) facts.size = 0;
    std::ifstream in(path, std::ios::binary);
    uint8_t head[sis::header::kSizeEr6] = {};
    in.read(reinterpret_cast<char*>(head), sizeof head);
    const auto got = static_cast<size_t>(in.gcount());
    facts.utf16LeBom = got >= 2 && head[0] == 0xFF && head[1] == 0xFE;
    facts.er6Package = got >= sis::header::kUid4 &&
                       sis::readU32(head + sis::header::kUid2) == sis::kUid2Er6 &&
                       sis::readU32(head + sis::header::kUid3) == sis::kUid3Install;
    if (got >= sis::header::kMaxInstalledSpace + 4 &&
        sis::readU32(head + sis::header::kUid2) == sis::kUid2Er6) {
        facts.embeddedMaxSpace = sis::readU32(head + sis::header::kMaxInstalledSpace);
    }
    return facts;
}

std::u16string storedDestination(const std::u16string& written) {
    const bool drive = written.size() >= 3 &&
                       ((written[0] >= 'a' && written[0] <= 'z') ||
                        (written[0] >= 'A' && written[0] <= 'Z') || written[0] == '!') &&
                       written[1] == ':' && written[2] == '\\';
    return drive ? written : u"c:\\" + written;
}

Plan makePlan(const Package& package, const SourceProbe& probe, bool er6,
              const std::u16string& tempFolder) {
    Plan plan;
    plan.er6 = er6;
    plan.compress = er6 && !(package.options & sis::kOptionNoCompress);
    plan.languages.assign(package.languages.rbegin(), package.languages.rend());

    // Per stored record, its sources in fork order (language blocks follow the reversed
    // languages), with what is known of each.
    struct PendingFork {
        const Source* source;
        SourceFacts facts;
        std::u16string convertedName;  // empty unless the text is converted
    };
    std::vector<std::vector<PendingFork>> pending;
    for (auto it = package.records.rbegin(); it != package.records.rend(); ++it) {
        const Record& r = *it;
        StoredRecord stored;
        stored.record = &r;
        std::vector<PendingFork> forks;
        if (isFileRecord(r)) {
            if (r.fileType == sis::FileType::Text && r.textOption) {
                stored.destination.clear();
            } else if (r.fileType != sis::FileType::Component) {
                stored.destination = storedDestination(r.destination);
            }
            if (r.fileType != sis::FileType::Null) {
                for (auto s = r.sources.rbegin(); s != r.sources.rend(); ++s) {
                    forks.push_back({&*s, probe(s->path), {}});
                    stored.embeddedMaxSpace += forks.back().facts.embeddedMaxSpace;
                    stored.embedsEr6 =
                        stored.embedsEr6 ||
                        (r.fileType == sis::FileType::Component && forks.back().facts.er6Package);
                }
            }
        }
        plan.records.push_back(std::move(stored));
        pending.push_back(std::move(forks));
    }

    TempNames names;
    for (size_t i = 0; i < plan.records.size() && er6; ++i) {
        if (plan.records[i].record->fileType != sis::FileType::Text) continue;
        for (PendingFork& f : pending[i]) {
            if (!f.facts.utf16LeBom) f.convertedName = names.take(baseName(f.source->written));
        }
    }
    for (size_t i = 0; i < plan.records.size(); ++i) {
        StoredRecord& stored = plan.records[i];
        for (size_t k = 0; k < pending[i].size(); ++k) {
            const PendingFork& f = pending[i][k];
            bool converted = !f.convertedName.empty();
            std::u16string shown;
            if (!er6) {
                converted = stored.record->fileType == sis::FileType::Text;
                shown = f.source->written;
            } else if (plan.compress) {
                shown = tempFolder +
                        names.take(converted ? f.convertedName : baseName(f.source->written));
            } else {
                shown = converted ? tempFolder + f.convertedName : f.source->shownPath;
            }
            if (k == 0) stored.sourceName = shown;
            stored.forks.push_back(plan.forks.size());
            plan.forks.push_back({f.source->path, converted, stored.record->line, f.facts.size});
        }
    }
    return plan;
}

}  // namespace tovrin::makesis
