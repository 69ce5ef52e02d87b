#!/bin/sh
# Times the project-folder walk against find on the same warm tree of 100,000 files, built
# afresh in a temporary folder and removed afterwards. The window's part is timed by
# bench/build.sh.
# Usage: bench/scan.sh [build folder]    (default: build-bench, configured with the benchmarks on)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DTOVRIN_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target scan_bench >/dev/null
tree=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-scan-bench-XXXXXX")
trap 'rm -rf "$tree"' EXIT
trap 'exit 130' INT TERM
"$build/bench/scan_bench" "$tree"
