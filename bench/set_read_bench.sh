#!/usr/bin/env bash
# Reading a multi-disk set whose pieces all sit in one folder: listing,
# testing and extracting through tarnwick-cli (-!) against 7-Zip, on a set
# of about 200 MB in 10 MB pieces written by our own engine. Everything
# lives on tmpfs.
#
#   bench/set_read_bench.sh [BIN_DIR]   BIN_DIR holds tarnwick-cli and both engines
#   RUNS=3 ...                          best of RUNS (default 2)
set -euo pipefail

# shellcheck source=/dev/null # lib.sh is checked on its own
. "$(dirname "$0")/lib.sh"
bench_start "${1:-}" tarnwick-set-bench tarnwick-cli
CLI="$BIN/tarnwick-cli" RUNS=${RUNS:-2} SEVEN=$(command -v 7zz || command -v 7z || true)

if [ ! -d data ]; then
    python3 - <<'PY'
import os, random
rng = random.Random(99)
vocab = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
         for _ in range(3000)]
def line():
    return b" ".join(rng.choice(vocab) for _ in range(rng.randint(4, 14))) + b"\n"
text = b"".join(line() for _ in range(1000000))[: 48 << 20]
noise = rng.randbytes(24 << 20)
for i in range(2000):
    os.makedirs("data/d%02d" % (i % 40), exist_ok=True)
    src = noise if i % 4 == 0 else text
    size = min(int(rng.lognormvariate(10.5, 1.0)), 2 << 20)
    at = rng.randrange(0, len(src) - size)
    with open("data/d%02d/f%04d.dat" % (i % 40, i), "wb") as f:
        f.write(src[at:at + size])
PY
fi
# The set is written by the build under test's engine, once per run.
rm -f set.z* set.zip
"$CLI" add set.zip data -r -q -6 --multidisk --piece-size 10m
pieces=(set.z*)
echo "== set: ${#pieces[@]} pieces, $(du -cb set.z* | tail -1 | cut -f1) bytes, $(du -sh data | cut -f1) of files"

# best LABEL COMMAND...: the best wall time of RUNS runs, and its processor time
best() {
    local label=$1
    shift
    local bestWall="" bestCpu=""
    for _ in $(seq "$RUNS"); do
        rm -rf out
        /usr/bin/time -f "%e %U %S" -o time.txt "$@" >/dev/null 2>&1 || { echo "$label failed"; return 0; }
        read -r wall user sys <time.txt
        cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
        if [ -z "$bestWall" ] || awk -v a="$wall" -v b="$bestWall" 'BEGIN { exit !(a < b) }'; then
            bestWall=$wall bestCpu=$cpu
        fi
    done
    printf "%-22s %7.2f s wall %7.2f s cpu\n" "$label" "$bestWall" "$bestCpu"
}

best "list tarnwick" "$CLI" list set.zip -!
best "test tarnwick" "$CLI" test set.zip -! -q
best "extract tarnwick" "$CLI" extract set.zip -! -q -d out
if [ -n "$SEVEN" ]; then
    best "list 7-Zip" "$SEVEN" l set.zip
    best "test 7-Zip" "$SEVEN" t set.zip
    best "extract 7-Zip" "$SEVEN" x -oout set.zip
fi
rm -rf out
