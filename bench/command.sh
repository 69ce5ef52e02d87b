#!/bin/sh
# Times tovrin-build on a project of many small files against the compiler alone on the same
# package script, in turns, and holds the median of the runs to the goal: the command takes
# no more than 1.05 times the compiler alone. The project is generated in a temporary folder
# (removed afterwards); both read its files from the page cache. The machine may be shared:
# each run also shows the processor time it took, which others' load disturbs less.
# Usage: bench/command.sh [build folder] [runs] [file count]
#        (default: build-bench, configured with the benchmarks on; 9 runs of 60000 files)
set -eu
cd "$(dirname "$0")/.."
build=${1:-build-bench}
runs=${2:-9}
count=${3:-60000}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF -DTOVRIN_BENCH=ON >/dev/null
cmake --build "$build" -j2 --target tovrin-build makesis >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/tovrin-command-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
mkdir -p "$work/out" "$work/alone"
python3 bench/small_files.py "$work/proj" "$count"

command="$PWD/$build/app/tovrin-build"
compiler="$PWD/$build/app/bin/makesis.exe"
# The compiler alone gets the command's own script; its about line names AboutInstaller.txt in
# the folder the compiler runs in.
"$command" --pkg -d "$work/out" "$work/proj" >"$work/alone/bench.pkg"
printf 'This installer was created with Tovrin 0.9 by Quen. For info: tovrin-wizard@quen.example.org\r\n' \
  >"$work/alone/AboutInstaller.txt"

python3 - "$runs" "$count" "$command" "$compiler" "$work" <<'PY'
import os, statistics, subprocess, sys, time
runs, count, command, compiler, work = int(sys.argv[1]), int(sys.argv[2]), *sys.argv[3:]
load = " ".join(open("/proc/loadavg").read().split()[:3])
def timed(args, cwd):
    # Both read the project from the page cache.
    subprocess.run(["find", os.path.join(work, "proj"), "-type", "f", "-exec", "cat", "{}", "+"],
                   stdout=subprocess.DEVNULL, check=True)
    start = time.perf_counter()
    child = subprocess.Popen(args, cwd=cwd, stdout=subprocess.DEVNULL)
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        sys.exit(f"{args[0]} failed with status {child.returncode}")
    return wall, usage.ru_utime + usage.ru_stime
alone, whole = [], []
for i in range(runs):
    alone.append(timed([compiler, "bench.pkg", os.path.join(work, "alone", "bench.sis")],
                       os.path.join(work, "alone")))
    whole.append(timed([command, "-q", "-d", os.path.join(work, "out"), os.path.join(work, "proj")],
                       work))
    print(f"run {i + 1}: compiler alone {alone[-1][0]:.3f} s ({alone[-1][1]:.3f} s of processor), "
          f"tovrin-build {whole[-1][0]:.3f} s ({whole[-1][1]:.3f} s of processor)")
same = open(os.path.join(work, "alone", "bench.sis"), "rb").read() == \
    open(os.path.join(work, "out", "Name.sis"), "rb").read()
median = lambda rows, k: statistics.median(row[k] for row in rows)
a, w = median(alone, 0), median(whole, 0)
print(f"== {count} files, {runs} runs, medians (load average before: {load})")
print(f"  compiler alone {a:.3f} s ({median(alone, 1):.3f} s of processor)")
print(f"  tovrin-build   {w:.3f} s ({median(whole, 1):.3f} s of processor)")
print(f"  tovrin-build / compiler alone = {w / a:.3f} <= 1.05: {'met' if w <= 1.05 * a else 'NOT met'}")
print(f"  the same package from both: {'yes' if same else 'NO'}")
sys.exit(0 if same else 1)
PY
