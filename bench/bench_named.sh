#!/usr/bin/env bash
# Times extract, test, delete, update and freshen naming every entry of a
# 100,000-entry archive one by one, against the same operation naming no
# entry (everything: no names for extract and test, "*" for delete, the
# folder with -r for update and freshen), for tarnwick-cli and for Info-ZIP
# unzip and zip with the same names, in one run. Named selection must be a
# lookup, not a scan of every name for every entry: the ratio named/all is
# the figure to watch (at most 1.5). Everything lives on tmpfs.
#
#   bench/bench_named.sh [BIN_DIR]    BIN_DIR holds tarnwick-cli and the engines
#   ENTRIES=20000 ...                 smaller archive (default 100000)
#   RUNS=3 ...                        best of RUNS (default 1)
#   LIMIT=120 ...                     give up on a run after LIMIT seconds
#                                     (default 300); shown as ">LIMIT"
set -euo pipefail

BIN=$(cd "${1:-$(dirname "$0")/../build/bin}" && pwd)
CLI="$BIN/tarnwick-cli"
ENTRIES=${ENTRIES:-100000}
RUNS=${RUNS:-1}
LIMIT=${LIMIT:-300}
WORK=${WORK:-/dev/shm/tarnwick-bench-named}

[ -x "$CLI" ] || { echo "no tarnwick-cli in $BIN" >&2; exit 2; }
if ! command -v zip >/dev/null || ! command -v unzip >/dev/null; then
    echo "needs Info-ZIP zip and unzip" >&2
    exit 2
fi
mkdir -p "$WORK"
cd "$WORK"

# 100,000 names are passed as arguments: room for them (the kernel allows
# arguments of up to a quarter of the stack limit, at most 6 MiB).
ulimit -s 65536

# --- data: a tree of small files, its archive and the list of its names
data="tree$ENTRIES"
if [ ! -f "$data.zip" ]; then
    echo "building $data.zip ..." >&2
    rm -rf "$data" "$data.names"
    python3 - "$ENTRIES" "$data" <<'PY'
import os, sys
n, top = int(sys.argv[1]), sys.argv[2]
with open(top + ".names", "w") as names:
    for i in range(n):
        d = "%s/d%03d" % (top, i // 1000)
        if i % 1000 == 0:
            os.makedirs(d)
        name = "%s/f%06d.txt" % (d, i)
        with open(name, "w") as f:
            f.write("line %d\n" % i * (1 + i % 7))
        names.write(name + "\n")
PY
    find "$data" -exec touch -d '2024-03-01 12:00' {} +
    zip -q -r -1 "$data.zip" "$data"
fi
mapfile -t NAMES <"$data.names"
[ "${#NAMES[@]}" -eq "$ENTRIES" ] || { echo "names list is short" >&2; exit 2; }

# --- timing: best wall time of RUNS; each run starts from a fresh copy of
# the archive, files newer than their entries (update and freshen rewrite
# everything) and an empty target folder.
fresh() {
    rm -rf out && mkdir out
    cp "$data.zip" work.zip
    find "$data" -exec touch -d '2025-03-01 12:00' {} +
}

timeit() { # command...  prints "wall cpu" seconds
    local best="" cpu=""
    for _ in $(seq "$RUNS"); do
        fresh
        local code=0
        /usr/bin/time -o time.txt -f "%e %U %S" timeout "$LIMIT" "$@" >/dev/null 2>&1 </dev/null ||
            code=$?
        if [ "$code" -eq 124 ]; then
            echo ">$LIMIT -"
            return
        fi
        local wall user sys
        read -r wall user sys < <(tail -1 time.txt)
        if [ -z "$best" ] || awk "BEGIN { exit !($wall < $best) }"; then
            best=$wall
            cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.2f", u + s }')
        fi
    done
    echo "$best $cpu"
}

# zip reads the names from its standard input with -@.
# shellcheck disable=SC2016 # "$@" and "$0" belong to the inner shell
zip_named=(bash -c 'exec zip "$@" -@ <"$0"' "$data.names")

rows=()
row() { # operation tool "all-wall all-cpu" "named-wall named-cpu"
    local all named ratio="-"
    read -ra all <<<"$3"
    read -ra named <<<"$4"
    case "${all[0]}${named[0]}" in
    *'>'*) ;;
    *) ratio=$(awk -v a="${all[0]}" -v b="${named[0]}" \
        'BEGIN { if (a > 0) printf "%.2f", b / a; else print "-" }') ;;
    esac
    local cpuRatio="-"
    [ "${named[1]}" != "-" ] && cpuRatio=$(awk -v a="${all[1]}" -v b="${named[1]}" \
        'BEGIN { if (a > 0) printf "%.2f", b / a; else print "-" }')
    rows+=("$(printf "%-8s %-9s %9s %9s %9s %9s %9s %9s" "$1" "$2" "${all[0]}" "${named[0]}" \
        "$ratio" "${all[1]}" "${named[1]}" "$cpuRatio")")
    echo "${rows[-1]}" >&2
}

echo "timing with $ENTRIES names ..." >&2
row extract tarnwick "$(timeit "$CLI" extract -q -o work.zip -d out)" \
    "$(timeit "$CLI" extract -q -o work.zip "${NAMES[@]}" -d out)"
row extract unzip "$(timeit unzip -q -o work.zip -d out)" \
    "$(timeit unzip -q -o work.zip "${NAMES[@]}" -d out)"
row test tarnwick "$(timeit "$CLI" test -q work.zip)" \
    "$(timeit "$CLI" test -q work.zip "${NAMES[@]}")"
row test unzip "$(timeit unzip -tq work.zip)" "$(timeit unzip -tq work.zip "${NAMES[@]}")"
row delete tarnwick "$(timeit "$CLI" delete -q work.zip '*')" \
    "$(timeit "$CLI" delete -q work.zip "${NAMES[@]}")"
row delete zip "$(timeit zip -q -d work.zip '*')" "$(timeit "${zip_named[@]}" -q -d work.zip)"
row update tarnwick "$(timeit "$CLI" update -q -1 -r work.zip "$data")" \
    "$(timeit "$CLI" update -q -1 work.zip "${NAMES[@]}")"
row update zip "$(timeit zip -q -u -1 -r work.zip "$data")" "$(timeit "${zip_named[@]}" -q -u -1 work.zip)"
row freshen tarnwick "$(timeit "$CLI" freshen -q -1 -r work.zip "$data")" \
    "$(timeit "$CLI" freshen -q -1 work.zip "${NAMES[@]}")"
row freshen zip "$(timeit zip -q -f -1 -r work.zip "$data")" "$(timeit "${zip_named[@]}" -q -f -1 work.zip)"
rm -rf out work.zip time.txt

# On a busy machine wall-clock time mostly measures the wait for a core;
# the CPU columns (user + system) tell the work apart.
printf "\n%s names, best of %s; wall-clock seconds, then CPU seconds (named/all: at most 1.5)\n" \
    "$ENTRIES" "$RUNS"
printf "%-8s %-9s %9s %9s %9s %9s %9s %9s\n" "op" "tool" "all" "named" "named/all" "all cpu" \
    "named cpu" "cpu ratio"
printf "%s\n" "${rows[@]}"
