# CCleaner (automatic, driven through its version 2 window from the Opera button's own task, and
# a version it cannot drive) and an open Norton 360 window, against their stand-ins.
app_paths='HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\ccleaner.exe'
cc_dir="$work/Program Files/CCleaner"
mkdir -p "$cc_dir"
cp "$bin/ccleaner21.exe" "$cc_dir/CCleaner.exe"
wine reg add "$app_paths" /ve /t REG_SZ /d "$(winpath "$cc_dir/CCleaner.exe")" /f >/dev/null 2>&1
log=$work/ccleaner.log
export SWEEPLY_STANDIN_LOG=$(winpath "$log")

say "== CCleaner's automatic mode in a silent run (\"cc/auto\") =="
echo junk >"$work/junk.tmp"
export SWEEPLY_STANDIN_CCLEANER_TARGET=$(winpath "$work/junk.tmp")
say "  CCleaner 2.1 is registered under App Paths as $(winpath "$cc_dir/CCleaner.exe")."
demo_sweeply "cc/auto"
if grep -q '^automatic run done' "$log" 2>/dev/null; then
    say "  Sweeply started CCleaner with $(sed -n 's/^started \(\[[^]]*\]\).*/\1/p' "$log") and waited until it had"
    say "  ended; junk.tmp $( [[ -e $work/junk.tmp ]] && echo 'is still there' || echo 'was cleaned away')."
else
    say "  CCleaner was not run."
fi

say ""
say "== The Opera button's task: CCleaner driven through its window, Opera's session kept (\"opera/f cc\") =="
opera_dir="$work/Program Files/Opera CC"
mkdir -p "$opera_dir/sessions"
cp "$bin/opera_10_0.exe" "$opera_dir/opera.exe"
printf '[System]\r\nMulti User=0\r\n' >"$opera_dir/operadef6.ini"
printf '[User Prefs]\r\nShow Startup Dialog=1\r\nShow Default Browser Dialog=1\r\n' \
    >"$opera_dir/operaprefs.ini"
echo "three open tabs" >"$opera_dir/sessions/autosave.win"
wine reg add 'HKCU\Software\Opera Software' /v 'Last CommandLine v2' /t REG_SZ \
    /d "\"$(winpath "$opera_dir/opera.exe")\"" /f >/dev/null 2>&1
export SWEEPLY_STANDIN_CCLEANER_TARGET=$(winpath "$opera_dir/sessions/autosave.win")
say "  Opera 10 has a saved session; this CCleaner deletes it when it cleans, as the real one can."
: >"$log"
demo_sweeply "opera/f cc"
if grep -q '^closed' "$log" 2>/dev/null; then
    say "  On the curtain, CCleaner was shown ($(sed -n 's/^window \(visible 1 .*\)/\1/p' "$log" | head -n1));"
    say "  Sweeply pressed \"Run Cleaner\" $(grep -c '^pressed Run Cleaner' "$log") times (on tabs $(sed -n 's/^pressed Run Cleaner on tab //p' "$log" | paste -sd ' '); the"
    say "  second tab took $(grep -c '^tab click' "$log") click(s) on the tab control) and closed CCleaner."
    if [[ -e $opera_dir/sessions/autosave.win ]]; then
        say "  Opera's saved session was put back: \"$(cat "$opera_dir/sessions/autosave.win")\"; Opera itself was not started."
    else
        say "  Opera's saved session was lost."
    fi
else
    say "  CCleaner was not driven: \"cc\" is a shown run, and needs the curtain in the build."
fi
wine reg delete 'HKCU\Software\Opera Software' /f >/dev/null 2>&1
unset SWEEPLY_STANDIN_CCLEANER_TARGET

say ""
say "== \"cc\" with CCleaner 3, whose window Sweeply does not know how to drive =="
cp "$bin/ccleaner30.exe" "$cc_dir/CCleaner.exe"
say "  CCleaner 3.0 is registered in its place; like the real one, it runs until told to end."
: >"$log"
demo_sweeply "cc"
if grep -q '^started' "$log" 2>/dev/null; then
    say "  Sweeply started CCleaner and left it running, $(sed -n 's/^window //p' "$log" | head -n1), having cleaned nothing."
else
    say "  Sweeply did not start it: nothing was cleaned, and no CCleaner is left running unseen."
    say "  \"cc/auto\" serves every version."
fi
wine reg delete "$app_paths" /f >/dev/null 2>&1

say ""
say "== An open Norton 360 window driven in a shown run (\"n360v3\") =="
log=$work/norton.log
export SWEEPLY_STANDIN_LOG=$(winpath "$log")
export SWEEPLY_STANDIN_NORTON_POPUP=1
wine "$bin/norton.exe" >/dev/null 2>&1 &
norton_pid=$!
for _ in $(seq 100); do [[ -s $log ]] && break; sleep 0.1; done
say "  Norton 360 is open, with its layout engine's pop-up."
demo_sweeply "n360v3"
if grep -q '^dialog WM_NCDESTROY' "$log" 2>/dev/null; then
    say "  Sweeply clicked Norton's window, pressed Tab $(grep -c '^key down Tab' "$log") times and Enter"
    say "  $(grep -c '^key down Enter' "$log") times, hid the pop-up, centred the dialog that opened"
    say "  ($(sed -n 's/^dialog at //p' "$log" | tail -n1)), waited for its content and dismissed it with"
    say "  WM_DESTROY and WM_NCDESTROY (Wine cannot read another program's pixels, so the wait ran its 10 s)."
else
    say "  Norton 360 was not driven."
fi
kill "$norton_pid" >/dev/null 2>&1
wait "$norton_pid" 2>/dev/null
unset SWEEPLY_STANDIN_LOG SWEEPLY_STANDIN_NORTON_POPUP
