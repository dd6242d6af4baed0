#!/usr/bin/env bash
# A 1,000,000-entry archive in the program's window, offscreen and
# unattended (TARNWICK_RUN_COMMANDS): open it, scroll to the end and back,
# select all, extract everything, and remove a selection of rows; beside
# `tarnwick-cli list` and Info-ZIP's `unzip -l` of the same archive, in one
# run. Every figure is one run's wall-clock time and maximum resident size
# (/usr/bin/time); the window's steps are also timed inside the program,
# and its Remove is done again by `zip -d` on the same entries. Fails when
# a peak reaches its limit: the window with every entry listed and
# selected SELECTED_MIB (256), with any operation done LIMIT_MIB (400);
# `tarnwick-cli list` LIST_MIB (64), `test` and `extract` CLI_MIB (128).
# The archive (about 130 MB) and the extracted files live on tmpfs and are
# removed at the end, the archive unless KEEP=1.
#
#   bench/bench_million.sh [BIN_DIR]      BIN_DIR holds tarnwick, tarnwick-cli
#                                         and the engine libraries
#   ENTRIES=200000 ...                    another count (default 1000000)
set -euo pipefail

# shellcheck source=/dev/null # lib.sh is checked on its own
. "$(dirname "$0")/lib.sh"
command -v unzip >/dev/null || { echo "unzip is needed" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "/usr/bin/time is needed" >&2; exit 2; }
bench_start "${1:-}" tarnwick-bench-million tarnwick tarnwick-cli
: "${ENTRIES:=1000000}" "${LIMIT_MIB:=400}" "${SELECTED_MIB:=256}"
: "${LIST_MIB:=64}" "${CLI_MIB:=128}"
archive="million$ENTRIES.zip"
cleanup() {
    rm -rf "$WORK/out" "$WORK/remove.zip" "$WORK/removed"
    [ "${KEEP:-0}" = 1 ] || rm -f "$WORK/$archive"
}
trap cleanup EXIT

# Empty entries: a million files of a few bytes would each take a page of
# tmpfs when extracted.
names_zip "$ENTRIES" "$archive" ZIP_STORED 7 'b""'

export QT_QPA_PLATFORM=offscreen

# "SECONDS KIB" of one run of the command.
measured() {
    /usr/bin/time -f '%e %M' -o "$WORK/time" "$@" >/dev/null 2>&1
    cat "$WORK/time"
}

# Runs the program on `archive` with the steps; prints "SECONDS KIB" and
# keeps the report. The report must hold `expect`.
window() {
    local archive=$1 steps=$2 answer=$3 expect=$4
    rm -rf "$WORK/ini" && mkdir -p "$WORK/ini"
    TARNWICK_WINDIR="$WORK/ini" TARNWICK_QUIT_AFTER_MS=0 TARNWICK_QUIT_REPORT="$WORK/report" \
        TARNWICK_RUN_COMMANDS="$steps" TARNWICK_ANSWER_PATH="$answer" \
        measured "$BIN/tarnwick" "$archive"
    grep -q -- "$expect" "$WORK/report" || {
        echo "the window did not finish: no \"$expect\" in its report:" >&2
        head -c 2000 "$WORK/report" >&2
        exit 1
    }
}

step_seconds() { awk -v s="$1" '$1 == s && NF == 2 { print $2 }' "$WORK/report"; }

entries_text=$(printf "%d Entries" "$ENTRIES")
mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }
row() { printf '%-52s %9s %9s\n' "$1" "$2" "$(mib "$3")"; }
fresh_out() { rm -rf "$WORK/out" && mkdir -p "$WORK/out"; }
# Times the command and adds its row to the table; its peak goes to `peak`.
peak=0
timed_row() {
    local name=$1 s
    shift
    read -r s peak <<<"$(measured "$@")"
    row "$name" "$s" "$peak" >>"$report"
}
# "WHAT KIB LIMIT_MIB" lines, checked at the end.
checks=$WORK/checks
: >"$checks"
check() { echo "$1:$2:$3" >>"$checks"; }
report=$WORK/table
printf '%-52s %9s %9s\n' "$ENTRIES entries" "seconds" "peak MiB" >"$report"

# The command-line tools, each peer right beside ours so that a busy
# machine weighs on both alike.
timed_row "unzip -l" unzip -l "$archive"
timed_row "bsdtar -tf" bsdtar -tf "$archive"
timed_row "tarnwick-cli list" "$BIN/tarnwick-cli" list "$archive"
check "tarnwick-cli list" "$peak" "$LIST_MIB"
timed_row "unzip -tq" unzip -tq "$archive"
timed_row "bsdtar -xOf (to nothing)" bsdtar -xOf "$archive"
timed_row "tarnwick-cli test -q" "$BIN/tarnwick-cli" test "$archive" -q
check "tarnwick-cli test" "$peak" "$CLI_MIB"
fresh_out
timed_row "unzip -q -d out" unzip -q "$archive" -d out
fresh_out
timed_row "bsdtar -xf -C out" bsdtar -xf "$archive" -C out
fresh_out
timed_row "tarnwick-cli extract -q -d out" "$BIN/tarnwick-cli" extract "$archive" -q -d out
check "tarnwick-cli extract" "$peak" "$CLI_MIB"
rm -rf "$WORK/out"
cp "$archive" remove.zip
timed_row "zip -d (one folder of 1,000)" zip -q -d remove.zip 'dir001/*'
cp "$archive" remove.zip
timed_row "tarnwick-cli delete (one folder of 1,000)" "$BIN/tarnwick-cli" delete remove.zip 'dir001/*'
cat "$report"

read -r open_s open_k <<<"$(window "$archive" "" "" "^$entries_text")"
read -r browse_s browse_k <<<"$(window "$archive" key:End,key:Home,EditSelectAllMn "" "^$entries_text")"
scroll_s=$(step_seconds key:End)
select_s=$(step_seconds EditSelectAllMn)

read -r test_s test_k <<<"$(window "$archive" FileTestMn "$WORK/$archive" FileTestMn)"
test_step=$(step_seconds FileTestMn)

fresh_out
read -r extract_s extract_k <<<"$(window "$archive" EditSelectAllMn,EditExtractMn "$WORK/out" EditExtractMn)"
extract_step=$(step_seconds EditExtractMn)
extracted=$(find "$WORK/out" -type f | wc -l)
rm -rf "$WORK/out"

# Remove the rows of the first two pages (Home, then Shift+PgDown twice).
cp "$archive" remove.zip
read -r remove_s remove_k <<<"$(window remove.zip key:Home,key:Shift+PgDown,key:Shift+PgDown,EditDeleteMn \
    "$WORK" "Entries")"
remove_step=$(step_seconds EditDeleteMn)
left=$(sed -n 2p "$WORK/report")
# The peer removes the same entries.
comm -23 <(unzip -Z1 "$archive" | sort) <(unzip -Z1 remove.zip | sort) >removed
mapfile -t removed <removed
cp "$archive" remove.zip
read -r zip_remove_s zip_remove_k <<<"$(measured zip -q -d remove.zip "${removed[@]}")"

row "window: start, open, list, quit" "$open_s" "$open_k"
row "window: ... scroll to the end and back, select all" "$browse_s" "$browse_k"
printf '%-52s %9s\n' "  of which End key (scroll to the last row, drawn)" "$scroll_s"
printf '%-52s %9s\n' "  of which Select All" "$select_s"
row "window: ... test the archive" "$test_s" "$test_k"
printf '%-52s %9s\n' "  of which Test" "$test_step"
row "window: ... select all, extract ($extracted files)" "$extract_s" "$extract_k"
printf '%-52s %9s\n' "  of which Extract" "$extract_step"
row "window: ... select two pages, remove" "$remove_s" "$remove_k"
printf '%-52s %9s\n' "  of which Remove (with the re-listing)" "$remove_step"
row "zip -d (the same ${#removed[@]} entries)" "$zip_remove_s" "$zip_remove_k"
echo "after the removal: $left"
[ "$extracted" -eq "$ENTRIES" ] || { echo "extracted $extracted of $ENTRIES files" >&2; exit 1; }
check "window, listed and selected" "$browse_k" "$SELECTED_MIB"
check "window, Test" "$test_k" "$LIMIT_MIB"
check "window, Select All + Extract" "$extract_k" "$LIMIT_MIB"
check "window, Remove" "$remove_k" "$LIMIT_MIB"
awk -F: '{
    over = $2 / 1024 >= $3
    printf "%-34s %5.0f MiB (limit %d)%s\n", $1, $2 / 1024, $3, over ? "  OVER" : ""
    failed += over
} END { exit failed > 0 }' "$checks"
