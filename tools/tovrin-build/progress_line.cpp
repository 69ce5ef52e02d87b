#include "tools/tovrin-build/progress_line.h"

#include <cstdio>
#include <string>

namespace tovrin::build {
namespace {

constexpr auto kQuiet = std::chrono::seconds(1);
constexpr auto kEvery = std::chrono::milliseconds(100);

std::string megabytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / 1e6);
    return text;
}

}  // namespace

ProgressLine::ProgressLine(std::ostream& terminal, bool enabled, Clock::time_point start)
    : terminal_(terminal), enabled_(enabled), start_(start) {}

void ProgressLine::show(const makesis::Progress& p, Clock::time_point now) {
    if (!enabled_ || now - start_ < kQuiet) return;
    if (width_ > 0 && now - shown_ < kEvery && p.files < p.totalFiles) return;
    shown_ = now;
    const std::string line = "tovrin-build: " + std::to_string(p.files) + "/" +
                             std::to_string(p.totalFiles) + " files, " + megabytes(p.bytes) + "/" +
                             megabytes(p.totalBytes) + " MB";
    // Blanks wipe what is left of a longer line before.
    const std::size_t pad = width_ > line.size() ? width_ - line.size() : 0;
    terminal_ << '\r' << line << std::string(pad, ' ') << std::flush;
    width_ = line.size();
}

void ProgressLine::clear() {
    if (width_ == 0) return;
    terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
    width_ = 0;
}

}  // namespace tovrin::build
