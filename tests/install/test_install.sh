#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks what a desktop needs:
# the program, the menu entry (valid, naming the installed launcher and the
# installed icons), the icons and the software centre's listing; then starts
# the installed launcher as the menu entry does, with a fresh HOME, and checks
# that a first start begins with a fresh empty year that loads without a
# message and says where it was written.
#
#   test_install.sh BUILD_DIR APP_ID STARTUP_PROBE SOURCE_DIR
#
# The program itself would wait for its user, so the start-up probe (the
# program's own start-up, ending once idle with the load's code) is put in
# its place behind the launcher.
set -euo pipefail

build=$1
id=$2
probe=$3
source=$4

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

prefix="$work/prefix with space"
cmake --install "$build" --prefix "$prefix" >/dev/null

# --- What is installed, where a desktop looks for it.
for f in bin/tamrel bin/tamrel-start bin/tamrel-report libexec/tamrel/tamrel_demo_data; do
  [ -x "$prefix/$f" ] || fail "$f is not installed as a program"
done
entry="$prefix/share/applications/$id.desktop"
svg="$prefix/share/icons/hicolor/scalable/apps/$id.svg"
png="$prefix/share/icons/hicolor/48x48/apps/$id.png"
for f in "$entry" "$svg" "$png"; do
  [ -s "$f" ] || fail "${f#"$prefix/"} is missing"
done
grep -q '<svg' "$svg" || fail "the scalable icon is not an SVG"
# The PNG header: signature, then the IHDR chunk with width and height.
[ "$(od -An -tx1 -N8 "$png" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "the 48x48 icon is not a PNG"
[ "$(od -An -tu4 --endian=big -j16 -N8 "$png" | xargs)" = "48 48" ] || fail "the PNG icon is not 48x48"

# The report command needs no display: nothing of Qt is linked in.
ldd "$prefix/bin/tamrel-report" | grep -q 'libQt' && fail "tamrel-report links Qt: $(ldd "$prefix/bin/tamrel-report" | grep libQt)"

# --- The menu entry: valid, and pointing at what was installed.
report=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $report"
[ -z "$report" ] || fail "desktop-file-validate has remarks: $report"
value() { sed -n "s/^$1=//p" "$entry"; }
[ "$(value Name)" != "" ] || fail "no Name"
[ "$(value 'Name\[ja\]')" != "" ] || fail "no Name[ja]"
[ "$(value Categories)" = "Office;Finance;" ] || fail "Categories: $(value Categories)"
[ "$(value Icon)" = "$id" ] || fail "Icon is $(value Icon), not $id"
exec_line=$(value Exec)
launcher="$prefix/bin/tamrel-start"
[ "$exec_line" = "\"$launcher\"" ] || fail "Exec is $exec_line, not the installed launcher"
[ "$(value TryExec)" = "$launcher" ] || fail "TryExec is $(value TryExec)"
# The X11 window class Qt gives the program is its file name.
[ "$(value StartupWMClass)" = "$(basename "$(readlink -f "$prefix/bin/tamrel")")" ] ||
  fail "StartupWMClass is $(value StartupWMClass)"

# --- The listing: valid with the menu entry and icon beside it (the id's
# capitals are the menu entry's own name, kept), for the installed entry,
# at the version the programs report, with pictures the repository has.
metainfo="$prefix/share/metainfo/$id.metainfo.xml"
[ -s "$metainfo" ] || fail "share/metainfo/$id.metainfo.xml is missing"
remarks() { grep -E '^ *[EWIP]: ' | grep -v 'cid-contains-uppercase-letter' || true; }
report=$(appstreamcli validate-tree --pedantic --no-net "$prefix" 2>&1) ||
  fail "appstreamcli validate-tree: $report"
[ -z "$(printf '%s\n' "$report" | remarks)" ] || fail "appstreamcli has remarks: $report"
tag() { sed -n "s|.*<$1[^>]*>\(.*\)</$1>.*|\1|p" "$metainfo"; }
[ "$(tag launchable)" = "$id.desktop" ] || fail "the listing launches $(tag launchable)"
release=$(sed -n 's|.*<release version="\([^"]*\)".*|\1|p' "$metainfo")
[ "$("$prefix/bin/tamrel-report" --version)" = "tamrel-report (Tamrel Ver$release)" ] ||
  fail "the listing's release $release is not the version tamrel-report gives"
shots=$(tag image)
[ "$(printf '%s\n' "$shots" | grep -c .)" -ge 3 ] || fail "the listing shows fewer than 3 pictures"
for url in $shots; do
  [ -s "$source/docs/${url##*/}" ] || fail "the listing's picture $url is not in docs/"
done

# --- A first start from the menu, as the entry's Exec says.
cp "$probe" "$prefix/bin/tamrel"
start() {
  # Like a session: a HOME, no working directory of note, no XDG_DATA_HOME
  # unless given.
  (cd / && env -u XDG_DATA_HOME HOME="$home" QT_QPA_PLATFORM=offscreen "$@" "$launcher" \
    >"$work/out" 2>"$work/err")
}
fresh_ledger_lines() { grep -cE '^[SMD][0-9]{2}(,0{10}){24}'$'\r''$' "$1" || true; }

home="$work/home"
mkdir -p "$home"
code=0
start || code=$?
data="$home/.local/share/tamrel"
[ "$code" -eq 0 ] || fail "first start: load code $code: $(cat "$work/err")"
grep -q '^\[' "$work/err" && fail "first start showed a message: $(grep '^\[' "$work/err")"
[ -d "$data" ] || fail "no data directory $data"
[ "$(cat "$work/out")" = "a fresh empty year written to $data" ] ||
  fail "the first start said: $(cat "$work/out")"
[ "$(stat -c %a "$data")" = 700 ] || fail "the data directory is open to others: $(stat -c %a "$data")"
[ "$(ls -A "$data" | sort | xargs)" = "info.dat tosidata.dat" ] ||
  fail "the data directory holds: $(ls -A "$data" | xargs)"
[ "$(wc -l <"$data/tosidata.dat")" -eq 385 ] || fail "tosidata.dat is not 385 lines"
[ "$(fresh_ledger_lines "$data/tosidata.dat")" -eq 385 ] || fail "tosidata.dat is not all zeros"
[ "$(head -c 4 "$data/tosidata.dat")" = "S00," ] || fail "tosidata.dat does not begin with the year line"
[ "$(wc -l <"$data/info.dat")" -eq 1 ] || fail "info.dat is not the header line only"
[ "$(head -c 5 "$data/info.dat")" = "00,00" ] || fail "info.dat does not begin with the header"
[ "$(wc -c <"$data/info.dat")" -eq 52 ] || fail "info.dat is not one 52-byte line"

# The installed report command reads the fresh year, and writes nothing.
report=$("$prefix/bin/tamrel-report" --dir "$data" bettypes) || fail "tamrel-report on the fresh year failed"
[ "$(printf '%s' "$report" | tail -n 1)" = $'合計,0,0,0,0.00\r' ] || fail "tamrel-report on the fresh year: $report"
[ "$(ls -A "$data" | sort | xargs)" = "info.dat tosidata.dat" ] || fail "tamrel-report left files: $(ls -A "$data" | xargs)"

# A second start uses the ledger as it stands.
printf 'kept' >>"$data/info.dat"
before=$(md5sum "$data/tosidata.dat" "$data/info.dat")
start || true
[ "$(md5sum "$data/tosidata.dat" "$data/info.dat")" = "$before" ] || fail "a second start rewrote the data"

# XDG_DATA_HOME, when set to an absolute path, is where the data lives.
home="$work/home2"
mkdir -p "$home"
code=0
start XDG_DATA_HOME="$work/xdg" || code=$?
[ "$code" -eq 0 ] || fail "start with XDG_DATA_HOME: load code $code"
[ -s "$work/xdg/tamrel/tosidata.dat" ] || fail "XDG_DATA_HOME was not used"
grep -qxF "a fresh empty year written to $work/xdg/tamrel" "$work/out" ||
  fail "the start with XDG_DATA_HOME said: $(cat "$work/out")"
[ ! -e "$home/.local/share/tamrel" ] || fail "the default data directory was made despite XDG_DATA_HOME"

# A directory holding one data file only is left for the program to report.
home="$work/home3"
mkdir -p "$home/.local/share/tamrel"
printf '00,00\r\n' >"$home/.local/share/tamrel/info.dat"
code=0
start || code=$?
[ "$code" -eq 7 ] || fail "a lone info.dat: load code $code, not 7"
[ ! -e "$home/.local/share/tamrel/tosidata.dat" ] || fail "a fresh ledger was put beside a lone info.dat"
grep -q 'データファイルが存在しません' "$work/err" || fail "a lone info.dat was not reported"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)" >&2
  exit 1
fi
echo "install, menu entry and first start: all checks passed"
