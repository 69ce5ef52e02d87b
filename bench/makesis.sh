#!/usr/bin/env bash
# Benchmark of the package compiler: a generated project of 1 GB (mixed sizes and
# compressibility) compiled by bin/makesis.exe, against `cat files | gzip -6` over the same
# bytes in the same run. Prints both wall times, their ratio and the compiler's peak memory.
#
#   bench/makesis.sh [total bytes] [sis9]   (default 1000000000; sis9: a Symbian 9 package)
#   MAKESIS=path/to/makesis.exe bench/makesis.sh
set -euo pipefail
cd "$(dirname "$0")/.."
MAKESIS=$(realpath "${MAKESIS:-build/app/bin/makesis.exe}")
TOTAL=${1:-1000000000}
FORMAT=${2:-er6}
[ -x "$MAKESIS" ] || { echo "no compiler at $MAKESIS: build the makesis target first" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/makesis-bench.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
python3 bench/makesis_gen.py "$WORK" "$TOTAL" "$FORMAT"

now() { date +%s.%N; }
since() { awk -v end="$(now)" -v start="$1" 'BEGIN { printf "%.3f", end - start }'; }
# Both runs read the files from the page cache.
xargs -d '\n' cat < "$WORK/files.txt" > /dev/null

start=$(now)
xargs -d '\n' cat < "$WORK/files.txt" | gzip -6 > /dev/null
gzip_time=$(since "$start")

start=$(now)
if [ -x /usr/bin/time ]; then
  (cd "$WORK" && /usr/bin/time -v "$MAKESIS" bench.pkg > makesis.out 2> time.txt)
  peak_kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$WORK/time.txt")
else
  peak_kb=$(cd "$WORK" && python3 -c '
import resource, subprocess, sys
status = subprocess.call(sys.argv[1:], stdout=open("makesis.out", "w"))
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)
sys.exit(status)' "$MAKESIS" bench.pkg)
fi
makesis_time=$(since "$start")
tail -1 "$WORK/makesis.out"

printf 'format:         %s\n' "$FORMAT"
printf 'input:          %s bytes in %s files\n' "$TOTAL" "$(wc -l < "$WORK/files.txt")"
printf 'package:        %s bytes\n' "$(stat -c %s "$WORK/bench.sis")"
printf 'gzip -6:        %.2f s\n' "$gzip_time"
printf 'makesis:        %.2f s\n' "$makesis_time"
awk -v m="$makesis_time" -v g="$gzip_time" -v kb="$peak_kb" 'BEGIN {
  printf "ratio:          %.2f x gzip (target <= 0.60)\n", m / g
  printf "peak memory:    %.1f MiB (target < 32)\n", kb / 1024 }'
