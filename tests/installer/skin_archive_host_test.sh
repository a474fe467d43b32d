#!/usr/bin/env bash
# SweeplyOpera.exe under Wine against an Opera installation laid out here, then its new skin
# archive checked on the host with `unzip -t` and Python's zipfile; a second run must give the
# same archive, and a run whose write hits a file-size limit must keep the old archive.
#   skin_archive_host_test.sh BIN_DIR WINE_RUN SOURCE_DIR
set -uo pipefail
bin=$1 wine_run=$2 source=$3
check="/usr/bin/python3 $source/tests/installer/skin_archive_check.py"
work=$(mktemp -d /tmp/sweeply-skin.XXXXXX)
opera="$work/Opera 10"
operakey='HKCU\Software\Opera Software'
appkey='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe'

winpath() { local p=$1; echo "Z:${p//\//\\}"; }
fail() { echo "FAIL: $*" >&2; exit 1; }

cleanup() {
    "$wine_run" reg delete "$operakey" /v "Last CommandLine v2" /f >/dev/null 2>&1
    "$wine_run" reg delete "$appkey" /f >/dev/null 2>&1
    [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

# A single-user installation: program folder and profile in one, as Opera lays it out.
mkdir -p "$opera/ui" "$opera/skin"
cp "$bin/opera_10_0.exe" "$opera/opera.exe"
printf '[System]\r\nMulti User=0\r\n' >"$opera/operadef6.ini"
printf '[User Prefs]\r\nShow Startup Dialog=1\r\n' >"$opera/operaprefs.ini"
printf '[Document Toolbar.content]\r\nButton0="Back"\r\n' >"$opera/ui/standard_toolbar.ini"
skin="$opera/skin/standard_skin.zip"
$check make "$skin" || fail "could not make the skin archive"
cp "$skin" "$work/original.zip"
"$wine_run" reg add "$operakey" /v "Last CommandLine v2" /d "\"$(winpath "$opera/opera.exe")\"" \
    /f >/dev/null || fail "reg add"
"$wine_run" reg add "$appkey" /ve /d 'C:\Program Files\Sweeply\Sweeply.exe' /f >/dev/null ||
    fail "reg add"

run_installer() {
    "$wine_run" "$bin/SweeplyOpera.exe"
    local code=$?
    [[ $code -eq 0 ]] || fail "SweeplyOpera.exe ended with exit code $code"
}

run_installer
unzip -tq "$skin" || fail "unzip -t rejects the new archive"
$check check "$work/original.zip" "$skin" "$source/resources/sweeply_button.png" || fail "first run"
grep -q 'Execute program, "C:\\Program Files\\Sweeply\\Sweeply.exe","opera/f cc"' \
    "$opera/toolbar/standard_toolbar.ini" || fail "no button in the toolbar file"
cp "$skin" "$work/first.zip"

run_installer
$check same "$work/first.zip" "$skin" || fail "a second run changed the archive"

# The original again: it holds an earlier button image mid-way, so any rewrite would show.
cp "$work/original.zip" "$skin"

# Disk full: the rebuilt archive is larger than the file-size limit. SIGXFSZ is ignored so that
# the write comes back short, as on a full disk, instead of killing the program.
limit=$(( $(stat -c %s "$skin") / 2048 ))
( trap '' XFSZ; ulimit -f "$limit"; "$wine_run" "$bin/SweeplyOpera.exe" )
code=$?
[[ $code -eq 0 ]] || fail "under the file-size limit SweeplyOpera.exe ended with $code"
cmp -s "$skin" "$work/original.zip" || fail "a failed write changed the old archive"
left=$(ls "$opera/skin")
[[ $left == standard_skin.zip ]] || fail "left in the skin folder: $left"
echo "skin archive checks passed"
