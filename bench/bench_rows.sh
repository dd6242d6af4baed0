#!/usr/bin/env bash
# Sorting, Find and Select Matching in the contents list of a 1,000,000-entry
# archive, in the program's window, offscreen and unattended
# (TARNWICK_RUN_COMMANDS, the text boxes answered with TARNWICK_ANSWER_PATH):
# clicks on the Size header (ascending, then descending), on Name, Date and
# Path (the last with every row selected), Find and Find Next of a name near
# the end, and Select Matching of every 37th entry. Each step is timed
# inside the program, its drawing included; the script fails when one takes
# a second or more (LIMIT_SECONDS). The peak memory of each run is shown
# beside that of opening the archive alone. The archive (about 130 MB) is
# the one bench_million.sh builds, on tmpfs, removed at the end unless KEEP=1.
#
#   bench/bench_rows.sh [BIN_DIR]      BIN_DIR holds tarnwick
#   ENTRIES=200000 ...                 another count (default 1000000)
set -euo pipefail

BIN=$(cd "${1:-$(dirname "$0")/../build/dev/bin}" && pwd)
ENTRIES=${ENTRIES:-1000000}
LIMIT_SECONDS=${LIMIT_SECONDS:-1}
WORK=${WORK:-/dev/shm/tarnwick-bench-rows}

[ -x "$BIN/tarnwick" ] || { echo "no tarnwick in $BIN" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed" >&2; exit 2; }
mkdir -p "$WORK"
cd "$WORK"
archive="million$ENTRIES.zip"
cleanup() { [ "${KEEP:-0}" = 1 ] || rm -f "$WORK/$archive"; }
trap cleanup EXIT

if [ ! -f "$archive" ]; then
    echo "building $archive ..." >&2
    python3 - "$ENTRIES" "$archive" <<'PY'
import sys, zipfile
n, name = int(sys.argv[1]), sys.argv[2]
with zipfile.ZipFile(name, "w", zipfile.ZIP_STORED) as z:
    for i in range(n):
        when = (2000 + i % 25, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 2 * (i % 30))
        z.writestr(zipfile.ZipInfo("dir%03d/sub%02d/file%07d.txt" % (i // 1000, i % 37, i), when), b"")
PY
fi

export QT_QPA_PLATFORM=offscreen
entries_text=$(printf "%d Entries" "$ENTRIES")
last=$(printf "file%07d" $((ENTRIES - 1)))
# Runs the program with the steps and the answer; prints its peak KiB and
# adds the steps' lines of its report to `steps`.
window() {
    rm -rf "$WORK/ini" && mkdir -p "$WORK/ini"
    TARNWICK_WINDIR="$WORK/ini" TARNWICK_QUIT_AFTER_MS=0 TARNWICK_QUIT_REPORT="$WORK/report" \
        TARNWICK_RUN_COMMANDS="$1" TARNWICK_ANSWER_PATH="$2" \
        /usr/bin/time -f '%M' -o "$WORK/time" "$BIN/tarnwick" "$archive" >/dev/null 2>&1
    grep -q "^$entries_text" "$WORK/report" || {
        echo "the window did not finish: no \"$entries_text\" in its report:" >&2
        head -c 2000 "$WORK/report" >&2
        exit 1
    }
    cat "$WORK/time"
}

mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
open_k=$(window "" "")
sort_k=$(window "header:3,header:3,header:0,header:1,EditSelectAllMn,header:6" "")
sort_steps=$(tail -n +3 "$WORK/report")
find_k=$(window "EditFindMn,EditFindNextMn" "$last")
find_steps=$(tail -n +3 "$WORK/report")
match_k=$(window "EditSelectMatchingMn" "*/sub01/*")
match_steps=$(tail -n +3 "$WORK/report")

printf '%-52s %9s\n' "$ENTRIES entries: window runs" "peak MiB"
printf '%-52s %9s\n' "open, list, quit" "$(mib "$open_k")"
printf '%-52s %9s\n' "... sort by Size twice, Name, Date, Path" "$(mib "$sort_k")"
printf '%-52s %9s\n' "... Find $last, Find Next" "$(mib "$find_k")"
printf '%-52s %9s\n' "... Select Matching */sub01/*" "$(mib "$match_k")"
echo "steps (seconds; header:3 is Size, 0 Name, 1 Date, 6 Path):"
steps=$(printf '%s\n%s\n%s\n' "$sort_steps" "$find_steps" "$match_steps" | grep -v '^box: ')
while read -r line; do echo "  $line"; done <<<"$steps"
echo "$steps" | awk -v limit="$LIMIT_SECONDS" '
    $1 ~ /^(header:|EditFind|EditSelectMatching)/ && $2 + 0 >= limit { slow = slow " " $1 }
    END { if (slow != "") { print "a second or more:" slow; exit 1 } }'
