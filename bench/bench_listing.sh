#!/usr/bin/env bash
# Times opening a 100,000-entry archive in the program against listing it
# with tarnwick-cli, in one run. The program opens the archive named on its
# command line and quits as soon as its event loop starts
# (TARNWICK_QUIT_AFTER_MS=0), offscreen; its start-up without an archive is
# timed too, so that the listing itself can be told apart. Each figure is the
# best of RUNS wall-clock times. The data lives on tmpfs.
#
#   bench/bench_listing.sh [BIN_DIR]      BIN_DIR holds tarnwick, tarnwick-cli
#                                         and the engine libraries
#   OTHER=DIR bench/bench_listing.sh ...  also time the tarnwick in DIR (an
#                                         older build, for before/after)
#   ENTRIES=20000 RUNS=9 ...              smaller archive, more runs (defaults
#                                         100000 and 5)
set -euo pipefail

BIN=$(cd "${1:-$(dirname "$0")/../build/dev/bin}" && pwd)
ENTRIES=${ENTRIES:-100000}
RUNS=${RUNS:-5}
WORK=${WORK:-/dev/shm/tarnwick-bench-listing}

for tool in tarnwick tarnwick-cli; do
    [ -x "$BIN/$tool" ] || { echo "no $tool in $BIN" >&2; exit 2; }
done
mkdir -p "$WORK/ini"
cd "$WORK"

archive="list$ENTRIES.zip"
if [ ! -f "$archive" ]; then
    echo "building $archive ..." >&2
    python3 - "$ENTRIES" "$archive" <<'PY'
import sys, zipfile
n, name = int(sys.argv[1]), sys.argv[2]
with zipfile.ZipFile(name, "w", zipfile.ZIP_STORED) as z:
    for i in range(n):
        # A spread of dates, so that no conversion can be reused blindly.
        when = (2000 + i % 25, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 2 * (i % 30))
        info = zipfile.ZipInfo("dir%03d/sub%02d/file%06d.txt" % (i // 1000, i % 37, i), when)
        z.writestr(info, b"x" * (i % 17))
PY
fi

export QT_QPA_PLATFORM=offscreen TARNWICK_WINDIR="$WORK/ini"

# Best wall-clock seconds of RUNS runs of the command.
best() {
    local best_ns="" start end
    for _ in $(seq "$RUNS"); do
        start=$(date +%s%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s%N)
        if [ -z "$best_ns" ] || [ $((end - start)) -lt "$best_ns" ]; then
            best_ns=$((end - start))
        fi
    done
    awk -v ns="$best_ns" 'BEGIN { printf "%.3f", ns / 1e9 }'
}

program() {
    TARNWICK_QUIT_AFTER_MS=0 TARNWICK_QUIT_REPORT="$WORK/report" "$@"
}

# The program must really have listed every entry.
program "$BIN/tarnwick" "$archive" >/dev/null 2>&1
grep -q "Bytes" "$WORK/report" || { echo "the program did not list $archive" >&2; exit 1; }

cli=$(best "$BIN/tarnwick-cli" list "$archive")
cli_quiet=$(best "$BIN/tarnwick-cli" list -q "$archive")
start_only=$(best program "$BIN/tarnwick")
opened=$(best program "$BIN/tarnwick" "$archive")

printf '%-40s %8s s\n' "tarnwick-cli list ($ENTRIES entries)" "$cli"
printf '%-40s %8s s\n' "tarnwick-cli list -q" "$cli_quiet"
printf '%-40s %8s s\n' "tarnwick: start and quit" "$start_only"
printf '%-40s %8s s\n' "tarnwick: start, open, list and quit" "$opened"
if [ -n "${OTHER:-}" ]; then
    other=$(cd "$OTHER" && pwd)
    other_opened=$(best program "$other/tarnwick" "$archive")
    printf '%-40s %8s s\n' "other tarnwick: start, open, list, quit" "$other_opened"
fi
awk -v cli="$cli" -v s="$start_only" -v o="$opened" 'BEGIN {
    listing = o - s
    printf "listing in the program: %.3f s = %.2f x tarnwick-cli list (limit 2.00)\n",
           listing, listing / cli
    exit (listing <= 2 * cli) ? 0 : 1
}'
