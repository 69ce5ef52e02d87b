#include "src/compiler/pending_file.h"

#include <cstdio>
#include <random>

namespace tovrin::makesis {

PendingFile::PendingFile(std::filesystem::path target) : target_(std::move(target)) {}

PendingFile::~PendingFile() {
    if (committed_) return;
    out_.close();
    if (!temp_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
    }
}

bool PendingFile::open(std::string* err) {
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        char tag[16];
        std::snprintf(tag, sizeof tag, ".%08x", static_cast<unsigned>(random()));
        stem_ = target_;
        stem_ += tag;
        temp_ = stem_;
        temp_ += ".tmp";
        std::error_code ec;
        if (!std::filesystem::exists(temp_, ec) && !ec) break;
    }
    out_.open(temp_, std::ios::binary | std::ios::trunc);
    if (!out_) {
        *err = "cannot create " + target_.u8string() + ": its folder is missing or not writable";
        temp_.clear();
        return false;
    }
    return true;
}

bool PendingFile::commit(std::string* err) {
    out_.flush();
    const bool written = static_cast<bool>(out_);
    out_.close();
    if (!written || out_.fail()) {
        *err = "cannot write " + temp_.u8string() + " (disk full?)";
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    if (ec) {
        *err =
            "cannot rename " + temp_.u8string() + " to " + target_.u8string() + ": " + ec.message();
        return false;
    }
    committed_ = true;
    return true;
}

}  // namespace tovrin::makesis
