# Flash Player and Silverlight storage emptied first ("--lso --sl"), then Internet Explorer
# cleared through its Delete Browsing History dialog ("ie8") and without a dialog ("ie8/all").
# Wine's own Internet Options module only has stubs for both, so a stand-in module takes its place
# in the prefix's system folder; at the end Wine's own module shows what happens with the stubs.

# shell_folder NAME: the Unix path of one of the user's shell folders in the demo prefix.
shell_folder() {
    local windows
    windows=$(wine reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders' \
        /v "$1" 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
    [[ -n $windows ]] && winepath -u "$windows" 2>/dev/null
}

# plant FILE: writes a small file, making its folders.
plant() { mkdir -p "$(dirname "$1")" && echo "stored trace" >"$1"; }

count_files() { find "$1" -type f 2>/dev/null | wc -l; }

say "== Flash Player and Silverlight storage (--lso --sl) =="
roaming=$(shell_folder AppData)
local_data=$(shell_folder "Local AppData")
if [[ -z $roaming || -z $local_data ]]; then
    say "  The demo prefix has no user folders; skipping."
else
    flash="$roaming/Macromedia/Flash Player"
    silverlight="${local_data}Low/Microsoft/Silverlight"
    plant "$flash/#SharedObjects/K7T2X9QA/example.com/game.swf/save.sol"
    plant "$flash/#SharedObjects/K7T2X9QA/news.example.org/prefs.sol"
    plant "$flash/macromedia.com/support/flashplayer/sys/settings.sol"
    plant "$silverlight/is/a1b2/store.bin"
    say "  Before: $(count_files "$flash/#SharedObjects") Flash objects," \
        "$(count_files "$silverlight") Silverlight files, 1 Flash Player settings file beside them."
    demo_sweeply "--lso --sl"
    say "  After: $(count_files "$flash/#SharedObjects") Flash objects," \
        "$(count_files "$silverlight") Silverlight files; both folders are still there" \
        "($( [[ -d $flash/#SharedObjects && -d $silverlight ]] && echo yes || echo no))," \
        "and the settings file $( [[ -f $flash/macromedia.com/support/flashplayer/sys/settings.sol ]] \
        && echo stayed || echo 'is gone')."
fi

system32=$WINEPREFIX/drive_c/windows/system32
cp "$system32/inetcpl.cpl" "$work/inetcpl.cpl.wine"
cp "$bin/inetcpl.cpl" "$system32/inetcpl.cpl"
log=$work/inetcpl.log
export SWEEPLY_STANDIN_LOG=$(winpath "$log")

plant_ie_traces() {
    local name folder
    for name in Cache Cookies History; do
        folder=$(shell_folder "$name") && plant "$folder/demo-$name.dat"
    done
}

say "== Internet Explorer through its dialog (ie8), with the stand-in module =="
plant_ie_traces
: >"$log"
demo_sweeply "ie8"
say "  The module reported: $(grep -v '^dialog entry' "$log" | paste -sd ';' | sed 's/;/; /g')"

say "== Internet Explorer without a dialog (ie8/all), with the stand-in module =="
plant_ie_traces
: >"$log"
demo_sweeply "ie8/all"
for _ in $(seq 50); do grep -q 'cleared history' "$log" && break; sleep 0.1; done
say "  rundll32 ran the module's clearing entry: $(paste -sd ';' "$log" | sed 's/;/; /g')"

say "== Both tokens (ie8 ie8/all): only the full clear runs =="
: >"$log"
demo_sweeply "ie8 ie8/all"
for _ in $(seq 50); do grep -q 'cleared history' "$log" && break; sleep 0.1; done
say "  The module saw: $(paste -sd ';' "$log" | sed 's/;/; /g') (no dialog)."

cp "$work/inetcpl.cpl.wine" "$system32/inetcpl.cpl"
unset SWEEPLY_STANDIN_LOG
say "== Internet Explorer with Wine's own module, whose entries are stubs =="
demo_sweeply "ie8/all"
say "  rundll32 stopped at the stub and ended without a window; Sweeply finished normally."
demo_sweeply "ie8"
say "  Here the stub ends Sweeply itself (Wine's unimplemented-function exception on the dialog"
say "  thread); no window is left behind."
