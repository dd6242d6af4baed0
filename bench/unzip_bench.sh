#!/usr/bin/env bash
# Times the extracting engine, through tarnwick-cli, against unzip, 7-Zip
# and bsdtar on data built here: listing 100,000 entries, testing and
# extracting a tree of about 25,000 files (240 MB) and a few large files
# (1 GB). Everything lives on tmpfs: a disk folder measures the file
# system's mood after mass deletes, not the tools.
#
#   bench/unzip_bench.sh [BIN_DIR]     BIN_DIR holds tarnwick-cli and libunzeng32.so
#   SCALE=0.25 bench/unzip_bench.sh    smaller data (sizes and counts scale)
#   RUNS=3 ...                         best of RUNS (default 2)
set -euo pipefail

BIN=$(cd "${1:-$(dirname "$0")/../build/bin}" && pwd)
CLI="$BIN/tarnwick-cli"
SCALE=${SCALE:-1}
RUNS=${RUNS:-2}
WORK=${WORK:-/dev/shm/tarnwick-bench}
SEVEN=$(command -v 7z || command -v 7zz || true)

[ -x "$CLI" ] || { echo "no tarnwick-cli in $BIN" >&2; exit 2; }
mkdir -p "$WORK"
cd "$WORK"

# --- data, deterministic (fixed seeds and dates); built once per scale
make_data() {
    python3 - "$SCALE" <<'PY'
import os, random, sys, zipfile
scale = float(sys.argv[1])
when = (2024, 3, 1, 12, 0, 0)

def words(rng, n):
    vocab = [bytes(rng.choice(b"abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 9)))
             for _ in range(4000)]
    out = bytearray()
    while len(out) < n:
        line = b" ".join(rng.choice(vocab) for _ in range(rng.randint(4, 14)))
        out += line + b"\n"
    return bytes(out[:n])

if not os.path.exists("list.zip"):
    n = int(100000 * scale)
    with zipfile.ZipFile("list.zip", "w", zipfile.ZIP_STORED) as z:
        for i in range(n):
            info = zipfile.ZipInfo("dir%03d/sub%02d/file%06d.txt" % (i // 1000, i % 37, i), when)
            z.writestr(info, b"x" * (i % 17))

if not os.path.exists("tree"):
    rng = random.Random(1234)
    pool = words(rng, 64 << 20)
    noise = rng.randbytes(16 << 20)
    n = int(25000 * scale)
    for i in range(n):
        d = "tree/d%02d/e%03d" % (i % 50, i % 211)
        os.makedirs(d, exist_ok=True)
        size = min(int(rng.lognormvariate(8.6, 1.0)), 400000)
        src = noise if i % 10 == 0 else pool
        at = rng.randrange(0, len(src) - size)
        with open("%s/f%05d.dat" % (d, i), "wb") as f:
            f.write(src[at:at + size])

if not os.path.exists("large"):
    rng = random.Random(99)
    os.makedirs("large")
    pool = words(rng, 32 << 20)
    noise = rng.randbytes(8 << 20)
    per = int((256 << 20) * scale)
    for k in range(4):
        with open("large/big%d.bin" % k, "wb") as f:
            left = per
            while left > 0:
                chunk = (noise if rng.random() < 0.15 else pool)[: min(left, 4 << 20)]
                f.write(chunk)
                left -= len(chunk)
PY
    [ -f tree.zip ] || (find tree -exec touch -d '2024-03-01 12:00' {} + && zip -q -r tree.zip tree)
    [ -f large.zip ] || (touch -d '2024-03-01 12:00' large/* && zip -q -r large.zip large)
}

echo "building data under $WORK (scale $SCALE) ..." >&2
make_data

# --- timing: best wall time of RUNS, with the peak memory of that run
timeit() { # label command...
    local best="" mem=""
    for _ in $(seq "$RUNS"); do
        rm -rf out && mkdir out
        /usr/bin/time -o time.txt -f "%e %M" "${@:2}" >/dev/null 2>&1 || true
        local t
        t=$(tail -1 time.txt)
        local e=${t% *} m=${t#* }
        if [ -z "$best" ] || awk "BEGIN{exit !($e < $best)}"; then best=$e; mem=$m; fi
    done
    rm -rf out
    printf "%s %s %s\n" "$1" "$best" "$mem"
}

results=()
run() { results+=("$(timeit "$@")"); }

for job in "list list.zip" "test tree.zip" "extract tree.zip" "test large.zip" "extract large.zip"; do
    op=${job% *}; a=${job#* }
    case $op in
    list)
        run "$op $a tarnwick" "$CLI" list "$a"
        run "$op $a unzip" unzip -l "$a"
        [ -n "$SEVEN" ] && run "$op $a 7z" "$SEVEN" l "$a"
        run "$op $a bsdtar" bsdtar -tvf "$a" ;;
    test)
        run "$op $a tarnwick" "$CLI" test -q "$a"
        run "$op $a unzip" unzip -tq "$a"
        [ -n "$SEVEN" ] && run "$op $a 7z" "$SEVEN" t "$a"
        run "$op $a bsdtar" bsdtar -xOf "$a" ;;
    extract)
        run "$op $a tarnwick" "$CLI" extract -q -o "$a" -d out
        run "$op $a unzip" unzip -q -o "$a" -d out
        [ -n "$SEVEN" ] && run "$op $a 7z" "$SEVEN" x -y -oout "$a"
        run "$op $a bsdtar" bsdtar -xf "$a" -C out ;;
    esac
done

# Copying the tree is the floor for extracting it.
results+=("$(timeit "copy tree cp" cp -r tree out/)")

printf "\n%-20s %-9s %9s %9s %12s\n" "operation" "tool" "seconds" "vs unzip" "peak RSS MB"
for r in "${results[@]}"; do
    read -ra fields <<<"$r"
    set -- "${fields[@]}"
    label="$1 $2"; tool=$3; secs=$4; mem=$5
    ref=$(printf "%s\n" "${results[@]}" | awk -v l="$1 $2" '$1" "$2==l && $3=="unzip"{print $4}')
    ratio="-"
    [ -n "$ref" ] && ratio=$(awk -v a="$ref" -v b="$secs" 'BEGIN{ if (b > 0) printf "%.2fx", a/b; else print "-" }')
    printf "%-20s %-9s %9s %9s %12d\n" "$label" "$tool" "$secs" "$ratio" $((mem / 1024))
done
