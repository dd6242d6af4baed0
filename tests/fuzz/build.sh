#!/bin/sh
# Builds the libFuzzer harnesses with clang (ASan, UBSan) outside the
# normal CMake build, into /tmp/fuzz (or $FUZZ_OUT), and copies the shared
# corpus in as seeds. Run:
#   tests/fuzz/build.sh && /tmp/fuzz/format_fuzz /tmp/fuzz/corpus /tmp/fuzz/seeds \
#       -max_len=65536 -rss_limit_mb=2048 -timeout=10 -jobs=1 -workers=1
# and the same with /tmp/fuzz/unzeng_fuzz (the engine's "-v", "-t" and queries) and
# /tmp/fuzz/deflate64_fuzz (raw Deflate64 streams, fed in pieces) and
# /tmp/fuzz/repair_fuzz (the compressing side's "-F" and "-FF"; it writes and syncs an
# archive per run in $TMPDIR, best a tmpfs such as /dev/shm) and
# /tmp/fuzz/pattern_fuzz (requested names: look-up against matching).
# Needs clang and libclang-rt-14-dev (Debian 12) plus the library's
# -dev packages (zlib, bzip2, liblzma, libdeflate, libzstd, libisal, nettle).
set -eu
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
OUT=${FUZZ_OUT:-/tmp/fuzz}
CXX=${CXX:-clang++}
SAN="-fsanitize=address,undefined -fno-sanitize-recover=undefined"
FLAGS="-std=c++20 -g -O1 -fno-omit-frame-pointer $SAN"
mkdir -p "$OUT/obj" "$OUT/corpus" "$OUT/seeds"

INC="-I$ROOT/enginelib/format/include -I$ROOT/enginelib/format/src -I$ROOT/enginelib/include"
LIBS="$(pkg-config --libs libdeflate libzstd libisal nettle) -lz -lbz2 -llzma -lpthread"

objs=""
for src in "$ROOT"/enginelib/format/src/*.cpp; do
    obj="$OUT/obj/$(basename "$src" .cpp).o"
    $CXX $FLAGS -fsanitize=fuzzer-no-link $INC -c "$src" -o "$obj"
    objs="$objs $obj"
done

$CXX $FLAGS -fsanitize=fuzzer $INC "$ROOT/tests/fuzz/format_fuzz.cpp" $objs $LIBS \
    -o "$OUT/format_fuzz"

$CXX $FLAGS -fsanitize=fuzzer $INC "$ROOT/tests/fuzz/deflate64_fuzz.cpp" $objs $LIBS \
    -o "$OUT/deflate64_fuzz"

$CXX $FLAGS -fsanitize=fuzzer $INC "$ROOT/tests/fuzz/pattern_fuzz.cpp" $objs $LIBS \
    -o "$OUT/pattern_fuzz"

# The extracting engine, linked statically into its harness (no dlopen).
uobjs=""
for src in "$ROOT"/enginelib/unzeng/src/*.cpp; do
    obj="$OUT/obj/unzeng_$(basename "$src" .cpp).o"
    $CXX $FLAGS -fsanitize=fuzzer-no-link $INC -c "$src" -o "$obj"
    uobjs="$uobjs $obj"
done
$CXX $FLAGS -fsanitize=fuzzer $INC "$ROOT/tests/fuzz/unzeng_fuzz.cpp" $uobjs $objs $LIBS \
    -o "$OUT/unzeng_fuzz"

# The repair of the compressing side, tested through the extracting side.
zobjs=""
for src in "$ROOT"/enginelib/zipeng/src/*.cpp; do
    obj="$OUT/obj/zipeng_$(basename "$src" .cpp).o"
    $CXX $FLAGS -fsanitize=fuzzer-no-link $INC -I"$ROOT/enginelib/zipeng/src" -c "$src" -o "$obj"
    zobjs="$zobjs $obj"
done
$CXX $FLAGS -fsanitize=fuzzer $INC "$ROOT/tests/fuzz/repair_fuzz.cpp" $zobjs $uobjs $objs $LIBS \
    -o "$OUT/repair_fuzz"

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
echo "built $OUT/format_fuzz $OUT/deflate64_fuzz $OUT/pattern_fuzz $OUT/unzeng_fuzz $OUT/repair_fuzz"
