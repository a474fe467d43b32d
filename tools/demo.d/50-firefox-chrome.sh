# Chrome and Firefox cleaned in one silent run, by stand-ins that behave toward Sweeply as the
# browsers do: Chrome from a "--port=" program on a "--profile=" folder, with a 3-second
# countdown on its clear button; Firefox found through its registration in the registry.
say "== Chrome and Firefox in one silent run (chrome/f/3 firefox/f --port= --profile=) =="
log=$work/browsers.log
export SWEEPLY_STANDIN_LOG=$(winpath "$log")
firefox_dir="$work/Mozilla Firefox"
chrome_dir="$work/Chrome Portable"
chrome_profile="$work/Chrome Profile"
mkdir -p "$firefox_dir/Profile" "$chrome_dir" "$chrome_profile/Default"
cp "$bin/firefox.exe" "$firefox_dir/"
cp "$bin/chrome.exe" "$chrome_dir/"
echo visits >"$firefox_dir/Profile/places.sqlite"
echo cookies >"$firefox_dir/Profile/cookies.sqlite"
echo visits >"$chrome_profile/Default/History"
echo cookies >"$chrome_profile/Default/Cookies"
"$wine_run" "$firefox_dir/firefox.exe" -standin-register >/dev/null 2>&1
say "  Firefox is registered under HKLM\\Software\\Mozilla\\Mozilla Firefox; Chrome is not running."

demo_sweeply "firefox/f chrome/f/3 --port=$(winpath "$chrome_dir/chrome.exe") --profile=$(winpath "$chrome_profile")"
for _ in $(seq 50); do grep -q '^firefox cleared' "$log" 2>/dev/null && break; sleep 0.1; done
if [[ -s $log ]]; then
    say "  What the browsers saw, in order:"
    sed -n -e 's/^chrome started \[\(.*\)\]$/    Chrome started with: \1/p' \
        -e 's/^chrome main hidden$/    Chrome'"'"'s window was hidden (a Chrome that Sweeply started, "\/f")./p' \
        -e 's/^chrome command 40013$/    Chrome was told to open its clear-browsing-data dialog./p' \
        -e 's/^chrome caption \[\(.*\)\]$/    The clear button read "\1"./p' \
        -e 's/^chrome enter on \[\(.*\)\] dialog.*$/    Enter was pressed on "\1"./p' \
        -e 's/^chrome cleared \([0-9]*\) files in \[\(.*\)\]$/    Chrome cleared \1 profile files in \2./p' \
        -e 's/^chrome main closed$/    Chrome, started by Sweeply, was closed again./p' \
        -e 's/^firefox command line \[\(.*\)\]$/    Then Firefox was started as: \1/p' \
        -e 's/^firefox enter at .*$/    Enter was pressed in Firefox'"'"'s sanitize dialog./p' \
        -e 's/^firefox cleared \([0-9]*\) files$/    Firefox cleared \1 profile files./p' "$log"
else
    say "  The browsers did not report back."
fi
left=$(find "$chrome_profile/Default" "$firefox_dir/Profile" -type f | wc -l)
say "  Profile files left afterwards: $left."
wine reg delete 'HKLM\Software\Mozilla' /f >/dev/null 2>&1
unset SWEEPLY_STANDIN_LOG
