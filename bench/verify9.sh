#!/bin/sh
# Times the verification of a Symbian 9 package holding 500 MB of file data against a plain
# loop that CRC-16-sums, inflates and SHA-1-hashes the same data with the same libraries, and
# prints the ratio (target: at most 1.2) and each one's peak memory (target: at most 64 MiB).
# The package (about 60 MB on disk) is written afresh in a temporary folder and removed after.
# Usage: bench/verify9.sh [build folder]    (default: build-bench, configured with the benchmarks on)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DTOVRIN_BENCH=ON -DTOVRIN_QT=OFF >/dev/null
cmake --build "$build" -j2 --target verify9_bench >/dev/null
folder=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-verify9-bench-XXXXXX")
trap 'rm -rf "$folder"' EXIT
trap 'exit 130' INT TERM
"$build/bench/verify9_bench" "$folder"
