# shellcheck shell=bash
# Shared by the benchmark scripts (sourced): the folder of the programs
# under test, the work folder on tmpfs, and the many-entry archives built
# with Python's zipfile.

# Sets BIN to the folder given (default build/dev/bin) and fails unless it
# holds every program named after NAME; then makes the work folder, WORK
# (default NAME on tmpfs), and goes there.
bench_start() {
    local given=$1 name=$2
    shift 2
    BIN=$(cd "${given:-$(dirname "${BASH_SOURCE[0]}")/../build/dev/bin}" && pwd)
    local tool
    for tool in "$@"; do
        [ -x "$BIN/$tool" ] || { echo "no $tool in $BIN" >&2; exit 2; }
    done
    WORK=${WORK:-/dev/shm/$name}
    mkdir -p "$WORK"
    cd "$WORK" || exit 2
}

# Writes FILE with COUNT entries named dirNNN/subNN/fileN.txt (DIGITS
# digits), dated in a spread so that no date conversion can be reused
# blindly; METHOD is zipfile's name for it (ZIP_STORED, ZIP_DEFLATED) and
# DATA a Python expression of the entry's bytes over its number i.
names_zip() {
    local count=$1 file=$2 method=$3 digits=$4 data=$5
    [ -f "$file" ] && return 0
    echo "building $file ..." >&2
    python3 - "$count" "$file" "$method" "$digits" "$data" <<'PY'
import sys, zipfile
n, name, method, digits, data = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4], sys.argv[5]
method = getattr(zipfile, method)
pattern = "dir%%03d/sub%%02d/file%%0%sd.txt" % digits
content = eval("lambda i: " + data)
with zipfile.ZipFile(name, "w", method) as z:
    for i in range(n):
        when = (2000 + i % 25, 1 + i % 12, 1 + i % 28, i % 24, i % 60, 2 * (i % 30))
        info = zipfile.ZipInfo(pattern % (i // 1000, i % 37, i), when)
        info.compress_type = method
        z.writestr(info, content(i))
PY
}
