#!/usr/bin/env bash
# SweeplyOpera.exe under Wine whose rebuilt skin archive cannot be written whole (a file-size
# limit stands in for a full disk) must keep the old archive and leave nothing beside it; run
# again without the limit, it rebuilds the archive, which Info-ZIP's unzip then accepts.
#   skin_archive_host_test.sh BIN_DIR WINE_RUN
set -uo pipefail
bin=$1 wine_run=$2
work=$(mktemp -d /tmp/sweeply-skin.XXXXXX)
opera="$work/Opera 10"
operakey='HKCU\Software\Opera Software'
appkey='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe'
fail() { echo "FAIL: $*" >&2; exit 1; }
cleanup() {
    "$wine_run" reg delete "$operakey" /v "Last CommandLine v2" /f >/dev/null 2>&1
    "$wine_run" reg delete "$appkey" /f >/dev/null 2>&1
    [[ -n ${KEEP:-} ]] || rm -rf "$work"
}
trap cleanup EXIT

# A single-user installation: program folder and profile in one, as Opera lays it out.
mkdir -p "$opera/ui" "$opera/skin" "$work/skin/buttons"
cp "$bin/opera_10_0.exe" "$opera/opera.exe"
printf '[System]\r\nMulti User=0\r\n' >"$opera/operadef6.ini"
printf '[User Prefs]\r\n' >"$opera/operaprefs.ini"
printf '[Document Toolbar.content]\r\nButton0="Back"\r\n' >"$opera/ui/standard_toolbar.ini"
printf '[Images]\r\nBack=buttons/back.png\r\n' >"$work/skin/skin.ini"
head -c 200000 /dev/urandom >"$work/skin/buttons/back.png"
(cd "$work/skin" && zip -qr ../standard_skin.zip skin.ini buttons) || fail "zip"
cp "$work/standard_skin.zip" "$opera/skin/" || fail "cp"
"$wine_run" reg add "$operakey" /v "Last CommandLine v2" /d "\"Z:${opera//\//\\}\\opera.exe\"" \
    /f >/dev/null || fail "reg add"
"$wine_run" reg add "$appkey" /ve /d 'C:\Sweeply\Sweeply.exe' /f >/dev/null || fail "reg add"
skin="$opera/skin/standard_skin.zip"
# SIGXFSZ is ignored so that the write comes back short, as on a full disk.
( trap '' XFSZ; ulimit -f $(( $(stat -c %s "$skin") / 2048 )); "$wine_run" "$bin/SweeplyOpera.exe" ) ||
    fail "under the file-size limit SweeplyOpera.exe ended with $?"
cmp -s "$skin" "$work/standard_skin.zip" || fail "a failed write changed the old archive"
[[ $(ls "$opera/skin") == standard_skin.zip ]] ||
    fail "left in the skin folder: $(ls "$opera/skin")"
"$wine_run" "$bin/SweeplyOpera.exe" || fail "SweeplyOpera.exe ended with exit code $?"
unzip -tq "$skin" && [[ $(unzip -Z1 "$skin" | tail -n 1) == buttons/sweeply.png ]] ||
    fail "the button image is not the last entry of a sound archive"
echo "skin archive checks passed"
