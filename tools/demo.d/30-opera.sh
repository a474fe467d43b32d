# Opera's own "Delete private data" dialog driven by Sweeply, against the Opera stand-in laid out
# as an installation (program folder with a blank in its name). The stand-in logs what Opera
# would do; it deletes nothing itself, so the demo shows the dialog confirmed, not files gone.
say "== Opera: cleaning private data through Opera's own dialog (\"opera\") =="
opera_dir="$work/Program Files/Opera 10"
mkdir -p "$opera_dir"
cp "$bin/opera_10_0.exe" "$opera_dir/opera.exe"
printf '[System]\r\nMulti User=0\r\n' >"$opera_dir/operadef6.ini"
printf '[User Prefs]\r\nShow Startup Dialog=1\r\nShow Default Browser Dialog=1\r\n' \
    >"$opera_dir/operaprefs.ini"
wine reg add 'HKCU\Software\Opera Software' /v 'Last CommandLine v2' /t REG_SZ \
    /d "\"$(winpath "$opera_dir/opera.exe")\" http://example.com/" /f >/dev/null 2>&1
say "  Opera 10 is installed in $(winpath "$opera_dir");"
say "  it is not running."

log=$work/opera.log
export SWEEPLY_STANDIN_LOG=$(winpath "$log")
export SWEEPLY_STANDIN_OPERA_PROFILE=$(winpath "$opera_dir")
demo_sweeply "opera"
if grep -q '^confirmed' "$log" 2>/dev/null; then
    say "  Sweeply started Opera with $(sed -n 's/^started \[\(.*\)\]$/\1/p' "$log"), its start-up questions switched off"
    say "  for the start ($(grep '^prefs' "$log" | head -n1)); it opened Tools (Alt+T), picked"
    say "  Delete private data (D), centred the dialog ($(sed -n 's/^confirmed //p' "$log")) and pressed Enter;"
    say "  then Opera $(tail -n1 "$log")."
    say "  Preferences afterwards: $(tr -d '\r' <"$opera_dir/operaprefs.ini" | grep Show | paste -sd ' ')."
else
    say "  Opera was not touched: \"opera\" is a shown run, and a shown run does its work only once"
    say "  the curtain is part of the build."
fi
wine reg delete 'HKCU\Software\Opera Software' /f >/dev/null 2>&1
unset SWEEPLY_STANDIN_LOG SWEEPLY_STANDIN_OPERA_PROFILE
