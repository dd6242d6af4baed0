#!/usr/bin/env bash
# Checks an installed Tarnwick under ROOT (a DESTDIR or an unpacked package):
# the files a desktop looks for are there, nothing of the tests came along,
# and both programs run from there alone, with no build folder on any path.
#   smoke.sh ROOT [PREFIX]   (PREFIX defaults to /usr)
set -euo pipefail
root="$1"
prefix="$root${2:-/usr}"
fail() { echo "FAIL: $*" >&2; exit 1; }

for f in bin/tarnwick bin/tarnwick-cli \
    lib/tarnwick/libunzeng32.so lib/tarnwick/libzipeng32.so \
    share/tarnwick/Tarnwick.hlp share/tarnwick/README.TXT share/tarnwick/README.DOC \
    share/applications/org.tarnwick.Tarnwick.desktop \
    share/kio/servicemenus/org.tarnwick.Tarnwick.extract.desktop \
    share/kio/servicemenus/org.tarnwick.Tarnwick.add.desktop \
    share/file-manager/actions/org.tarnwick.Tarnwick.extract-here.desktop \
    share/file-manager/actions/org.tarnwick.Tarnwick.extract-to-folder.desktop \
    share/file-manager/actions/org.tarnwick.Tarnwick.add-to-zip.desktop \
    share/metainfo/org.tarnwick.Tarnwick.metainfo.xml \
    share/icons/hicolor/scalable/apps/tarnwick.svg \
    share/icons/hicolor/16x16/apps/tarnwick.png share/icons/hicolor/48x48/apps/tarnwick.png \
    share/icons/hicolor/256x256/apps/tarnwick.png \
    share/man/man1/tarnwick.1.gz share/man/man1/tarnwick-cli.1.gz \
    share/doc/tarnwick/copyright share/doc/tarnwick/changelog.gz; do
  [ -f "$prefix/$f" ] || fail "missing $f"
done
[ "$(ls "$prefix/bin")" = "$(printf 'tarnwick\ntarnwick-cli')" ] || fail "bin holds $(ls "$prefix/bin")"
strays="$(find "$root" -mindepth 1 -iname '*test*' -o -iname '*gtest*' -o -iname '*gmock*')"
[ -z "$strays" ] || fail "test files installed: $strays"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/home"
python3 - "$work/fixture.zip" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z:
    z.writestr("hello.txt", "hello\n", zipfile.ZIP_STORED)
    z.writestr("docs/words.txt", "tarnwick " * 200, zipfile.ZIP_DEFLATED)
PY
echo added > "$work/added.txt"

# A clean environment: only the system's folders on PATH, no library path, and
# a home of its own so the settings go nowhere else.
run() {
  (cd "$work" && env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/home" \
    TARNWICK_WINDIR="$work/home" QT_QPA_PLATFORM=offscreen \
    ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} \
    ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} "$@")
}

version="$(run "$prefix/bin/tarnwick" --version)"
[[ "$version" =~ ^tarnwick\ [0-9] ]] || fail "tarnwick --version printed '$version'"
version="$(run "$prefix/bin/tarnwick-cli" --version)"
[[ "$version" =~ ^tarnwick-cli\ [0-9] ]] || fail "tarnwick-cli --version printed '$version'"

run "$prefix/bin/tarnwick-cli" test fixture.zip -q || fail "tarnwick-cli test"
run "$prefix/bin/tarnwick-cli" add fixture.zip added.txt -q || fail "tarnwick-cli add"
run "$prefix/bin/tarnwick-cli" extract fixture.zip -d out -q || fail "tarnwick-cli extract"
cmp -s "$work/out/added.txt" "$work/added.txt" || fail "added.txt did not come back"
[ "$(cat "$work/out/docs/words.txt")" = "$(printf 'tarnwick %.0s' {1..200})" ] ||
  fail "docs/words.txt did not come back"

run env TARNWICK_QUIT_AFTER_MS=300 TARNWICK_QUIT_REPORT="$work/report" \
  "$prefix/bin/tarnwick" "$work/fixture.zip" || fail "tarnwick exited with $?"
[ "$(sed -n 1p "$work/report")" = "fixture.zip - Tarnwick for Windows 95" ] ||
  fail "window title: $(sed -n 1p "$work/report")"
[[ "$(sed -n 2p "$work/report")" == "3 Entries, "* ]] || fail "totals: $(sed -n 2p "$work/report")"
# The file manager's actions, run as PCManFM runs them: the installed Exec
# line with %F made the selection. The fixture has two top-level names, so
# Extract Here makes its folder; Add to ZIP archive makes added.zip.
action() {
  local exec
  exec="$(sed -n 's/^Exec=//p' "$prefix/share/file-manager/actions/org.tarnwick.Tarnwick.$1.desktop")"
  [[ "$exec" == "tarnwick "*" %F" ]] || fail "$1 runs '$exec'"
  read -ra words <<<"${exec% %F}"
  run "$prefix/bin/${words[0]}" "${words[@]:1}" "$2" || fail "$1 exited with $?"
}
action extract-here "$work/fixture.zip"
[ -f "$work/fixture/docs/words.txt" ] || fail "Extract Here made no fixture/ folder"
action add-to-zip "$work/added.txt"
# Read whole first: grep -q stops reading at the match, and the tool's write
# into the closed pipe would fail the pipeline.
listing="$(run "$prefix/bin/tarnwick-cli" list added.zip)"
grep -q ' added.txt$' <<<"$listing" || fail "added.zip holds: $listing"
echo "installed layout under $prefix: OK"
