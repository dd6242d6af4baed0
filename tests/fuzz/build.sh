#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (ASan, UBSan) outside the
# normal CMake build, into /tmp/fuzz (or $FUZZ_OUT), and copies the shared
# corpus in as seeds. tests/fuzz/run.sh builds and runs them all briefly;
# to fuzz one for longer:
#   tests/fuzz/build.sh && /tmp/fuzz/format_fuzz /tmp/fuzz/corpus /tmp/fuzz/seeds \
#       -max_len=65536 -rss_limit_mb=2048 -timeout=10 -jobs=1 -workers=1
# and the same with /tmp/fuzz/unzeng_fuzz (the engine's "-v", "-t" and queries) and
# /tmp/fuzz/deflate64_fuzz (raw Deflate64 streams, fed in pieces) and
# /tmp/fuzz/repair_fuzz (the compressing side's "-F" and "-FF"; it writes and syncs an
# archive per run in $TMPDIR, best a tmpfs such as /dev/shm) and
# /tmp/fuzz/pattern_fuzz (requested names: look-up against matching) and
# /tmp/fuzz/other_fuzz (tar, 7-Zip, ISO 9660, cpio and the like, read through
# libarchive: listed, tested and extracted, nothing written outside).
# Needs clang-14 and libclang-rt-14-dev (Debian 12) plus the library's
# -dev packages (zlib, bzip2, liblzma, libdeflate, libzstd, libisal, nettle,
# libarchive);
# scripts/deps.sh installs them. CXX overrides the compiler ("ccache
# clang++-14" works), JOBS the number of compilers run at once.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=${FUZZ_OUT:-/tmp/fuzz}
read -ra CXX <<<"${CXX:-clang++-14}"
JOBS=${JOBS:-$(nproc)}
FLAGS=(-std=c++20 -g -O1 -fno-omit-frame-pointer
    "-fsanitize=address,undefined" -fno-sanitize-recover=undefined)
INC=(-I"$ROOT/enginelib/format/include" -I"$ROOT/enginelib/format/src" -I"$ROOT/enginelib/include")
read -ra LIBS <<<"$(pkg-config --libs libdeflate libzstd libisal nettle libarchive) -lz -lbz2 -llzma -lpthread"
mkdir -p "$OUT/obj" "$OUT/corpus" "$OUT/seeds"

# compile OBJECT SOURCE [FLAG...]: in the background, at most JOBS at once.
running=()
compile() {
    local obj=$1 src=$2
    shift 2
    if [ "${#running[@]}" -ge "$JOBS" ]; then
        wait "${running[0]}"
        running=("${running[@]:1}")
    fi
    "${CXX[@]}" "${FLAGS[@]}" -fsanitize=fuzzer-no-link "${INC[@]}" "$@" -c "$src" -o "$obj" &
    running+=("$!")
}
# Waits for every compiler started; fails when one did.
compiled() {
    local pid
    for pid in "${running[@]}"; do
        wait "$pid"
    done
    running=()
}
link() { # HARNESS OBJECT...
    local harness=$1
    shift
    "${CXX[@]}" "${FLAGS[@]}" -fsanitize=fuzzer "${INC[@]}" "$ROOT/tests/fuzz/$harness.cpp" "$@" \
        "${LIBS[@]}" -o "$OUT/$harness"
}

objs=() uobjs=() zobjs=()
for src in "$ROOT"/enginelib/format/src/*.cpp; do
    objs+=("$OUT/obj/$(basename "$src" .cpp).o")
    compile "${objs[-1]}" "$src"
done
# The extracting engine, linked statically into its harness (no dlopen).
for src in "$ROOT"/enginelib/unzeng/src/*.cpp; do
    uobjs+=("$OUT/obj/unzeng_$(basename "$src" .cpp).o")
    compile "${uobjs[-1]}" "$src"
done
# The repair of the compressing side, tested through the extracting side.
for src in "$ROOT"/enginelib/zipeng/src/*.cpp; do
    zobjs+=("$OUT/obj/zipeng_$(basename "$src" .cpp).o")
    compile "${zobjs[-1]}" "$src" -I"$ROOT/enginelib/zipeng/src"
done
compiled

link format_fuzz "${objs[@]}"
link deflate64_fuzz "${objs[@]}"
link pattern_fuzz "${objs[@]}"
link unzeng_fuzz "${uobjs[@]}" "${objs[@]}"
link repair_fuzz "${zobjs[@]}" "${uobjs[@]}" "${objs[@]}"
link other_fuzz "${uobjs[@]}" "${objs[@]}"

# The shared sample archives lie beside the repository, as the tests expect them.
SEEDS=${FUZZ_SEEDS:-$ROOT/../shared/corpus/zip}
if [ -d "$SEEDS" ]; then
    find "$SEEDS" -name '*.zip*' -type f -exec cp {} "$OUT/seeds/" \;
fi
# Inputs the harnesses once failed on, kept as the engines' test data: every
# harness starts from them too.
for found in "$ROOT"/tests/enginelib/*/data/fuzz; do
    cp "$found"/* "$OUT/seeds/"
done
# A small archive of each other format the extracting engine reads, made by
# the tools that are installed.
tree=$(mktemp -d)
mkdir -p "$tree/t/sub"
echo "some text, some text, some text" >"$tree/t/a.txt"
printf 'x' >"$tree/t/sub/b.bin"
ln -s ../a.txt "$tree/t/sub/link"
(
    cd "$tree"
    if command -v bsdtar >/dev/null; then
        bsdtar -cf "$OUT/seeds/other.tar" t
        bsdtar -czf "$OUT/seeds/other.tar.gz" t
        bsdtar -cJf "$OUT/seeds/other.tar.xz" t
        bsdtar -cjf "$OUT/seeds/other.tar.bz2" t
        bsdtar --zstd -cf "$OUT/seeds/other.tar.zst" t 2>/dev/null || true
        bsdtar --format cpio -cf "$OUT/seeds/other.cpio" t
        gzip -c t/a.txt >"$OUT/seeds/other.gz"
    fi
    if command -v 7zz >/dev/null; then
        rm -f "$OUT/seeds/other.7z"
        7zz a -snl "$OUT/seeds/other.7z" t >/dev/null
    fi
    if command -v xorriso >/dev/null; then
        xorriso -as mkisofs -quiet -R -J -o "$OUT/seeds/other.iso" t 2>/dev/null || true
    fi
)
rm -rf "$tree"
echo "built $OUT/format_fuzz $OUT/deflate64_fuzz $OUT/pattern_fuzz $OUT/unzeng_fuzz $OUT/repair_fuzz $OUT/other_fuzz"
