#!/usr/bin/env bash
# Times listing and extracting archives of other formats than ZIP (tar.gz,
# tar.xz, tar.zst, 7z) through tarnwick-cli beside bsdtar and 7-Zip on the
# same files, one run each, on tmpfs. Listing a compressed tar decompresses
# all of it, for every tool; fails when tarnwick-cli takes more than 1.2
# times as long as bsdtar to list or extract the tar.gz.
#
#   bench/other_formats_bench.sh [BIN_DIR]   BIN_DIR holds tarnwick-cli and libunzeng32.so
#   SCALE=0.25 bench/other_formats_bench.sh  smaller data (file count scales)
set -euo pipefail

command -v bsdtar >/dev/null || { echo "bsdtar is needed" >&2; exit 2; }
# shellcheck source=/dev/null # lib.sh is checked on its own
. "$(dirname "$0")/lib.sh"
bench_start "${1:-}" tarnwick-bench-other tarnwick-cli
CLI="$BIN/tarnwick-cli" SCALE=${SCALE:-1} LIMIT=1.2
SEVEN=$(command -v 7zz || command -v 7z || true)

# --- data, deterministic: 10,000 files of text and some noise (about 120 MB)
if [ ! -d tree ]; then
    python3 - "$SCALE" <<'PY'
import os, random, sys
rng = random.Random(4321)
vocab = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
         for _ in range(4000)]
pool = bytearray()
while len(pool) < (32 << 20):
    pool += b" ".join(rng.choice(vocab) for _ in range(rng.randint(4, 14))) + b"\n"
noise = rng.randbytes(8 << 20)
for i in range(int(10000 * float(sys.argv[1]))):
    d = "tree/d%02d/e%03d" % (i % 40, i % 97)
    os.makedirs(d, exist_ok=True)
    size = min(int(rng.lognormvariate(8.8, 1.0)), 400000)
    src = noise if i % 10 == 0 else pool
    at = rng.randrange(0, len(src) - size)
    with open("%s/f%05d.dat" % (d, i), "wb") as f:
        f.write(src[at:at + size])
PY
fi
[ -f t.tar.gz ] || bsdtar -czf t.tar.gz tree
[ -f t.tar.xz ] || bsdtar -cJf t.tar.xz tree
[ -f t.tar.zst ] || bsdtar --zstd -cf t.tar.zst tree
if [ -n "$SEVEN" ] && [ ! -f t.7z ]; then "$SEVEN" a -bd t.7z tree >/dev/null; fi

# seconds COMMAND...: wall-clock time of one run, output thrown away.
seconds() {
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}
fresh() { rm -rf out && mkdir out; }

declare -A T
row() { # LABEL OURS THEIRS [7-ZIP]
    printf '%-16s %8.2f s %10.2f s %10s\n' "$1" "$2" "$3" "${4:--}"
}
printf '%-16s %10s %12s %12s\n' "" "tarnwick" "bsdtar" "7-Zip"
for f in t.tar.gz t.tar.xz t.tar.zst t.7z; do
    [ -f "$f" ] || continue
    seven_list=- seven_extract=-
    if [ -n "$SEVEN" ]; then
        seven_list=$(printf '%.2f s' "$(seconds "$SEVEN" l "$f")")
    fi
    T[list_$f]=$(seconds "$CLI" list "$f")
    T[bsd_list_$f]=$(seconds bsdtar -tf "$f")
    row "list $f" "${T[list_$f]}" "${T[bsd_list_$f]}" "$seven_list"
    fresh
    T[x_$f]=$(seconds "$CLI" extract "$f" -d out -q)
    fresh
    T[bsd_x_$f]=$(seconds bsdtar -xf "$f" -C out)
    if [ -n "$SEVEN" ]; then
        fresh
        seven_extract=$(printf '%.2f s' "$(seconds "$SEVEN" x -y -oout "$f")")
    fi
    row "extract $f" "${T[x_$f]}" "${T[bsd_x_$f]}" "$seven_extract"
done
rm -rf out

status=0
for op in list x; do
    ours=${T[${op}_t.tar.gz]} theirs=${T[bsd_${op}_t.tar.gz]}
    if [ "$(echo "$ours > $LIMIT * $theirs" | bc -l)" = 1 ]; then
        echo "FAIL: tar.gz $op takes $ours s, more than $LIMIT times bsdtar's $theirs s" >&2
        status=1
    fi
done
exit "$status"
