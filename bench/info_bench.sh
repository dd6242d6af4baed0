#!/usr/bin/env bash
# The archive information figures (one count query, then one statistics
# query per entry, as the information window asks for them) beside a full
# listing, on one archive of 100,000 entries; zipinfo's totals line and
# unzip -l for scale. The archive lives on tmpfs. Processor time (user +
# system) is printed beside the wall time: it shows the work done when
# other jobs share the cores.
#
#   bench/info_bench.sh [BIN_DIR]     BIN_DIR holds tarnwick-cli and libunzeng32.so
#   SCALE=0.1 bench/info_bench.sh     fewer entries (10,000 at 0.1)
#   RUNS=3 ...                        best of RUNS (default 3)
set -euo pipefail

BIN=$(cd "${1:-$(dirname "$0")/../build/bin}" && pwd)
CLI="$BIN/tarnwick-cli"
SCALE=${SCALE:-1}
RUNS=${RUNS:-3}
WORK=${WORK:-/dev/shm/tarnwick-bench-info}

[ -x "$CLI" ] || { echo "no tarnwick-cli in $BIN" >&2; exit 2; }
mkdir -p "$WORK"
cd "$WORK"

archive="list-$SCALE.zip"
if [ ! -f "$archive" ]; then
    python3 - "$SCALE" "$archive" <<'PY'
import sys, zipfile
n = int(100000 * float(sys.argv[1]))
when = (2024, 3, 1, 12, 0, 0)
with zipfile.ZipFile(sys.argv[2], "w", zipfile.ZIP_DEFLATED) as z:
    for i in range(n):
        info = zipfile.ZipInfo("dir%03d/sub%02d/file%06d.txt" % (i // 1000, i % 37, i), when)
        info.compress_type = zipfile.ZIP_DEFLATED
        z.writestr(info, b"line of text %d\n" % i * (1 + i % 7))
PY
fi
entries=$(python3 -c "import zipfile,sys; print(len(zipfile.ZipFile(sys.argv[1]).infolist()))" "$archive")

timeit() { # label command...
    local best="" cpu="" mem=""
    for _ in $(seq "$RUNS"); do
        /usr/bin/time -o time.txt -f "%e %U %S %M" "${@:2}" >/dev/null 2>&1 || true
        local e u s m
        read -r e u s m < <(tail -1 time.txt)
        if [ -z "$best" ] || awk "BEGIN{exit !($e < $best)}"; then
            best=$e; cpu=$(awk "BEGIN{printf \"%.2f\", $u + $s}"); mem=$m
        fi
    done
    printf "%-28s %8s %8s %10d\n" "$1" "$best" "$cpu" $((mem / 1024))
}

echo "archive: $archive, $entries entries, $(stat -c %s "$archive") bytes"
"$CLI" info "$archive" | sed -n '2,6p'
printf "\n%-28s %8s %8s %10s\n" "what" "seconds" "cpu s" "peak MB"
timeit "tarnwick-cli info" "$CLI" info "$archive"
timeit "tarnwick-cli list -q" "$CLI" list -q "$archive"
timeit "tarnwick-cli list" "$CLI" list "$archive"
command -v zipinfo >/dev/null && timeit "zipinfo -t" zipinfo -t "$archive"
command -v unzip >/dev/null && timeit "unzip -l" unzip -l "$archive"
rm -f time.txt
