#!/bin/sh
# Repair: the compressing-side engine's "-F" and "-FF" against Info-ZIP's
# zip -F and zip -FF on an archive of about 25,000 files (240 MB, the tree
# of bench_peers.sh) made by zip -6, in two damaged forms: one flipped byte in
# an entry's data (normal repair) and the central directory cut off
# (aggressive repair). Prints wall time, processor time (user + system) and
# peak memory, in one run.
#
#   bench/bench_fix.sh [BUILD_DIR]      (default: build)
#
# OTHER_LIB=path/libzipeng32.so times a second build of the engine in the
# same run (for example the one before a change). Data lives on tmpfs
# (/dev/shm) and is kept between runs; delete $SCRATCH to rebuild it.
# (A 240 MB archive is what the normal repair decodes in full: every entry's
# data is checked before it is kept.)
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
lib=$build/bin/libzipeng32.so
SCRATCH=${SCRATCH:-/dev/shm/tarnwick-bench-fix}
[ -f "$lib" ] || { echo "no $lib: build the zipeng32 target first" >&2; exit 2; }

# Only the tree is needed: an existing "large" folder makes the generator
# skip its 1 GiB of large files.
mkdir -p "$SCRATCH/fix" "$SCRATCH/large"
python3 "$here/make_add_data.py" "$SCRATCH"
cc -O2 -o "$SCRATCH/zipeng_drive" "$here/zipeng_drive.c" -ldl
cd "$SCRATCH"
if [ ! -f fix/good.zip ]; then
    zip -6 -q -r fix/good.zip tree
fi
size=$(stat -c %s fix/good.zip)
# The end record's directory offset, then the two damaged forms.
cd_offset=$(python3 -c "
import struct,sys
d=open('fix/good.zip','rb').read()
print(struct.unpack('<I', d[d.rfind(b'PK\x05\x06')+16:][:4])[0])")
cp fix/good.zip fix/flipped.zip
printf '\377' | dd of=fix/flipped.zip bs=1 seek=$((cd_offset / 2)) conv=notrunc 2>/dev/null
head -c "$((cd_offset + 1000))" fix/good.zip > fix/cut.zip

# run LABEL DAMAGED COMMAND...: times COMMAND on a fresh copy work.zip of DAMAGED.
run() {
    label=$1 damaged=$2
    shift 2
    cp "fix/$damaged.zip" fix/work.zip
    rm -f fix/out.zip
    /usr/bin/time -v "$@" >/dev/null 2>fix/time.txt || true
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' fix/time.txt)
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' fix/time.txt)
    user=$(sed -n 's/.*User time (seconds): //p' fix/time.txt)
    sys=$(sed -n 's/.*System time (seconds): //p' fix/time.txt)
    result=fix/work.zip
    [ -f fix/out.zip ] && result=fix/out.zip
    entries=$(unzip -Z1 "$result" 2>/dev/null | wc -l)
    secs=$(echo "$wall" | awk -F: '{ if (NF == 3) print $1*3600+$2*60+$3; else print $1*60+$2 }')
    awk -v l="$label" -v s="$secs" -v r="$rss" -v c="$user" -v k="$sys" -v n="$entries" 'BEGIN {
        printf "%-22s %7.2f s wall %7.2f s cpu %5.0f MB peak %6d entries kept\n",
               l, s, c + k, r / 1024, n }'
}

echo "== $(unzip -Z1 fix/good.zip | wc -l) entries, $size bytes"
for engine in "$lib" ${OTHER_LIB:-}; do
    tag=zipeng
    [ "$engine" = "$lib" ] || tag=other
    run "flipped-$tag-F" flipped "$SCRATCH/zipeng_drive" "$engine" "" -F fix/work.zip
    run "cut-$tag-F" cut "$SCRATCH/zipeng_drive" "$engine" "" -F fix/work.zip
    run "cut-$tag-FF" cut "$SCRATCH/zipeng_drive" "$engine" "" -FF fix/work.zip
done
run "flipped-zip-F" flipped zip -q -F fix/work.zip --out fix/out.zip
run "cut-zip-F" cut zip -q -F fix/work.zip --out fix/out.zip
run "cut-zip-FF" cut sh -c 'yes | zip -FF fix/work.zip --out fix/out.zip'
rm -f fix/work.zip fix/out.zip fix/time.txt
