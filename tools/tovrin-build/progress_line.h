#pragma once
// One line on a terminal that tells how far the package's data is and rewrites itself. It
// shows only once the run has taken about a second, at most ten times a second, and is
// wiped before anything else is written.

#include <chrono>
#include <cstddef>
#include <ostream>

#include "src/compiler/makesis.h"

namespace tovrin::build {

class ProgressLine {
public:
    using Clock = std::chrono::steady_clock;

    // Nothing is ever written when `enabled` is false. The run started at `start`.
    ProgressLine(std::ostream& terminal, bool enabled, Clock::time_point start);
    ~ProgressLine() { clear(); }

    void show(const makesis::Progress& progress, Clock::time_point now = Clock::now());
    void clear();

private:
    std::ostream& terminal_;
    bool enabled_;
    Clock::time_point start_;
    Clock::time_point shown_{};
    std::size_t width_ = 0;  // of the line on the terminal, 0 when none is
};

}  // namespace tovrin::build
