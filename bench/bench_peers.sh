#!/usr/bin/env bash
# The engines against their peers on the same data, in one run: compressing,
# listing, testing and extracting a tree of 25,000 files (223 MB) and four
# large files (1 GiB) with tarnwick-cli, Info-ZIP zip and unzip, 7-Zip and
# bsdtar. The runs of one step take turns, tool after tool, so that other
# load on the machine falls on all of them alike; each figure is the best of
# RUNS wall-clock times, with that run's processor time (user + system) and
# peak memory. "of limit" is the wall time over the processor time shared
# by the cores: 1.00 is a run that kept every core busy. The archives read
# are zip's. Data and archives live on tmpfs.
#
#   bench/bench_peers.sh [BIN_DIR]    BIN_DIR holds tarnwick-cli and both engines
#   OTHER=DIR ...                     also the tarnwick-cli in DIR (an older
#                                     build, for before/after), beside ours
#   RUNS=3 SETS=tree ...              best of RUNS (default 2); the sets to run
#   ENCRYPT=aes256 ...                (or zipcrypto) compress with the password
#                                     "bench"; the archives read stay plain
set -euo pipefail

# shellcheck source=/dev/null # lib.sh is checked on its own
. "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
bench_start "${1:-}" tarnwick-bench-add tarnwick-cli
RUNS=${RUNS:-2} SETS=${SETS:-tree large} ENCRYPT=${ENCRYPT:-}
SEVEN=$(command -v 7zz || command -v 7z || true)
CORES=$(nproc)
for tool in zip unzip bsdtar; do
    command -v "$tool" >/dev/null || { echo "$tool is needed" >&2; exit 2; }
done
declare -A build=([tarnwick]="$BIN/tarnwick-cli")
[ -n "${OTHER:-}" ] && build[before]="$(cd "$OTHER" && pwd)/tarnwick-cli"
ours=$(printf '%s\n' "${!build[@]}" | sort -r)
python3 "$here/make_add_data.py" .
mkdir -p out
pass=() zip_pass=() seven_pass=()
case $ENCRYPT in
"") ;;
aes256) pass=(-P bench --encryption aes256) zip_pass=(-P bench) seven_pass=(-pbench -mem=AES256) ;;
*) pass=(-P bench) zip_pass=(-P bench) seven_pass=(-pbench -mem=ZipCrypto) ;;
esac

# The command of TOOL for STEP on SET; compressing writes out/TOOL.zip.
command_for() {
    local step=$1 set=$2 tool=$3
    case $step:$tool in
    compress:zip) echo zip -6 -q -r "${zip_pass[@]}" out/zip.zip "$set" ;;
    compress:7z) echo "$SEVEN" a -tzip -mx5 "${seven_pass[@]}" out/7z.zip "$set" ;;
    compress:*) echo "${build[$tool]}" add "out/$tool.zip" "$set" -r -q -6 "${pass[@]}" ;;
    list:unzip) echo unzip -l "$set.zip" ;;
    list:7z) echo "$SEVEN" l "$set.zip" ;;
    list:bsdtar) echo bsdtar -tvf "$set.zip" ;;
    list:*) echo "${build[$tool]}" list "$set.zip" ;;
    test:unzip) echo unzip -tq "$set.zip" ;;
    test:7z) echo "$SEVEN" t "$set.zip" ;;
    test:bsdtar) echo bsdtar -xOf "$set.zip" ;;
    test:*) echo "${build[$tool]}" test -q "$set.zip" ;;
    extract:unzip) echo unzip -q -o "$set.zip" -d out/x ;;
    extract:7z) echo "$SEVEN" x -y -oout/x "$set.zip" ;;
    extract:bsdtar) echo bsdtar -xf "$set.zip" -C out/x ;;
    extract:cp) echo cp -r "$set" out/x/ ;;
    extract:*) echo "${build[$tool]}" extract -q -o "$set.zip" -d out/x ;;
    esac
}

rows=()
for set in $SETS; do
    [ -f "$set.zip" ] || zip -q -r -6 "$set.zip" "$set"
    input=$(du -sb "$set" | cut -f1)
    echo "== $set: $((input / 1000000)) MB in $(find "$set" -type f | wc -l) files" >&2
    for step in compress list test extract; do
        tools="$ours unzip"
        case $step in
        compress) tools="$ours zip" ;;
        extract) tools="$tools bsdtar cp" ;;
        *) tools="$tools bsdtar" ;;
        esac
        [ -n "$SEVEN" ] && [ "$step" != compress ] && tools="${tools/unzip/unzip 7z}"
        [ -n "$SEVEN" ] && [ "$step" = compress ] && tools="$tools 7z"
        declare -A best=()
        for _ in $(seq "$RUNS"); do
            for tool in $tools; do
                rm -rf out/x "out/$tool.zip" && mkdir out/x
                read -ra cmd <<<"$(command_for "$step" "$set" "$tool")"
                /usr/bin/time -o out/time.txt -f "%e %U %S %M" "${cmd[@]}" >/dev/null 2>&1 ||
                    echo "$step $set $tool: exit status $?" >&2
                read -r wall user sys rss <out/time.txt
                size=-
                [ "$step" = compress ] && size=$(stat -c %s "out/$tool.zip")
                if [ -z "${best[$tool]:-}" ] || awk -v a="$wall" -v b="${best[$tool]%% *}" 'BEGIN { exit !(a < b) }'; then
                    best[$tool]="$wall $(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }') $rss $size"
                fi
            done
        done
        # Every archive written is read back by the peers.
        if [ "$step" = compress ]; then
            for tool in $ours; do
                # unzip cannot read AES.
                [ "$ENCRYPT" = aes256 ] || unzip -tq "${zip_pass[@]}" "out/$tool.zip" >/dev/null ||
                    echo "unzip -t fails on $tool's archive" >&2
                [ -z "$SEVEN" ] || "$SEVEN" t "${seven_pass[@]}" "out/$tool.zip" >/dev/null ||
                    echo "7z t fails on $tool's archive" >&2
            done
        fi
        for tool in $tools; do
            rows+=("$step $set $tool ${best[$tool]}")
        done
        unset best
    done
    rm -rf out/x out/*.zip
done

# The raw rows first: a table that fails to print loses no run.
printf "%s\n" "${rows[@]}" >out/rows.txt
printf "\n%-9s %-6s %-9s %8s %8s %9s %9s %8s %12s\n" step set tool "wall s" "cpu s" "of limit" \
    "vs peer" "peak MB" "bytes"
awk -v n="$CORES" '
    { step[NR] = $1; set[NR] = $2; tool[NR] = $3; w[NR] = $4; c[NR] = $5; r[NR] = $6; z[NR] = $7
      if ($3 == ($1 == "compress" ? "zip" : "unzip")) ref[$1 " " $2] = $4 }
    END { for (i = 1; i <= NR; i++) {
        limit = (c[i] > 0) ? sprintf("%.2f", w[i] / (c[i] / n)) : "-"
        base = ref[step[i] " " set[i]]
        vs = (base > 0) ? sprintf("%.2f", w[i] / base) : "-"
        printf("%-9s %-6s %-9s %8.2f %8.2f %9s %9s %8d %12s\n", step[i], set[i], tool[i], w[i], c[i],
               limit, vs, r[i] / 1024, z[i])
    } }' out/rows.txt
