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

# shellcheck source=/dev/null # lib.sh is checked on its own
. "$(dirname "$0")/lib.sh"
bench_start "${1:-}" tarnwick-bench-listing tarnwick tarnwick-cli
: "${ENTRIES:=100000}" "${RUNS:=5}"
mkdir -p ini
archive="list$ENTRIES.zip"
names_zip "$ENTRIES" "$archive" ZIP_STORED 6 'b"x" * (i % 17)'

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
