#!/bin/sh
# Adding files: the compressing-side engine against Info-ZIP zip -6 and
# 7-Zip (-tzip -mx5 and -mx1), on a tree of about 25,000 files (240 MB) and
# on four large files (1 GiB), in one run. Prints wall time, throughput,
# processor time (user + system, which shows the work done when other jobs
# share the cores), archive size and peak memory (maximum resident set).
#
#   bench/bench_add.sh [BUILD_DIR]      (default: build)
#
# Data and archives live on tmpfs (/dev/shm): a disk folder slows down for
# minutes after mass deletes and then measures the file system, not the
# compressor. The data is kept between runs; delete $SCRATCH to rebuild it.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
lib=$build/bin/libzipeng32.so
# TOOLS limits the run, e.g. TOOLS="zipeng zip".
TOOLS=${TOOLS:-zipeng zip 7z}
# ENCRYPT=aes256 (or zipcrypto) encrypts with the password "bench": the
# engine with "-e -Y aes256" (or "-e"), 7-Zip with -mem=AES256 (or
# ZipCrypto), zip with -P.
ENCRYPT=${ENCRYPT:-}
pass="" engine_crypt="" seven_crypt="" zip_crypt=""
if [ -n "$ENCRYPT" ]; then
    pass=bench engine_crypt="-e" zip_crypt="-P bench"
    # ZipCrypto is the engine's default: no "-Y", so older builds compare too.
    case $ENCRYPT in
    aes256) engine_crypt="-e -Y aes256" seven_crypt="-pbench -mem=AES256" ;;
    *) seven_crypt="-pbench -mem=ZipCrypto" ;;
    esac
fi
SCRATCH=${SCRATCH:-/dev/shm/tarnwick-bench-add}
[ -f "$lib" ] || { echo "no $lib: build the zipeng32 target first" >&2; exit 2; }

seven=$(command -v 7zz || command -v 7z || true)
mkdir -p "$SCRATCH/out"
python3 "$here/make_add_data.py" "$SCRATCH"
cc -O2 -o "$SCRATCH/zipeng_drive" "$here/zipeng_drive.c" -ldl

# run LABEL DATASET COMMAND...: time COMMAND in $SCRATCH writing out/LABEL.zip
run() {
    label=$1 set=$2
    shift 2
    out=$SCRATCH/out/$label.zip
    rm -f "$out"
    (cd "$SCRATCH" && /usr/bin/time -v "$@" >/dev/null 2>"$SCRATCH/out/time.txt") ||
        { echo "$label failed:"; tail -5 "$SCRATCH/out/time.txt"; return 0; }
    wall=$(sed -n 's/.*Elapsed (wall clock) time (h:mm:ss or m:ss): //p' "$SCRATCH/out/time.txt")
    rss=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$SCRATCH/out/time.txt")
    user=$(sed -n 's/.*User time (seconds): //p' "$SCRATCH/out/time.txt")
    sys=$(sed -n 's/.*System time (seconds): //p' "$SCRATCH/out/time.txt")
    secs=$(echo "$wall" | awk -F: '{ if (NF == 3) print $1*3600+$2*60+$3; else print $1*60+$2 }')
    input=$(du -sb "$SCRATCH/$set" | cut -f1)
    size=$(stat -c %s "$out")
    awk -v l="$label" -v s="$secs" -v i="$input" -v z="$size" -v r="$rss" -v c="$user" -v k="$sys" 'BEGIN {
        printf "%-18s %7.2f s wall %7.2f s cpu %7.1f MB/s %11d bytes (%4.1f%%) %5.0f MB peak\n",
               l, s, c + k, i / 1e6 / (s > 0 ? s : 0.01), z, 100 * z / i, r / 1024 }'
}

for set in tree large; do
    echo "== $set: $(du -sh "$SCRATCH/$set" | cut -f1), $(find "$SCRATCH/$set" -type f | wc -l) files"
    case " $TOOLS " in *" zipeng "*)
        # shellcheck disable=SC2086 # the encryption options are words
        run "$set-zipeng-6" "$set" "$SCRATCH/zipeng_drive" "$lib" "$pass" $engine_crypt -6 -r \
            "out/$set-zipeng-6.zip" "$set"
        if [ "$ENCRYPT" = aes256 ]; then
            [ -n "$seven" ] && "$seven" t -pbench "$SCRATCH/out/$set-zipeng-6.zip" >/dev/null &&
                echo "   (engine's archive: 7z t OK)"
        else
            unzip -tq -P "$pass" "$SCRATCH/out/$set-zipeng-6.zip" >/dev/null &&
                echo "   (engine's archive: unzip -t OK)"
        fi
    esac
    # shellcheck disable=SC2086
    case " $TOOLS " in *" zip "*) run "$set-zip-6" "$set" zip -6 -q $zip_crypt -r "out/$set-zip-6.zip" "$set" ;; esac
    if [ -n "$seven" ] && case " $TOOLS " in *" 7z "*) true ;; *) false ;; esac; then
        # shellcheck disable=SC2086
        run "$set-7z-mx5" "$set" "$seven" a -tzip -mx5 $seven_crypt "out/$set-7z-mx5.zip" "$set"
        # shellcheck disable=SC2086
        run "$set-7z-mx1" "$set" "$seven" a -tzip -mx1 $seven_crypt "out/$set-7z-mx1.zip" "$set"
    fi
    rm -f "$SCRATCH"/out/*.zip
done
