# A silent run with nothing to clean, then one that starts a follow-up program when it ends.
say "== A silent run with an empty task =="
demo_sweeply ""
say "  Nothing was selected, so no window was shown and nothing was cleaned."

say "== A silent run with a follow-up program (--ext= and --args=) =="
log=$work/recorder.log
export SWEEPLY_STANDIN_LOG=$(winpath "$log")
demo_sweeply "ie8/all --ext=$(winpath "$bin/recorder.exe") --args=/report \"after cleaning\""
for _ in $(seq 50); do [[ -s $log ]] && break; sleep 0.1; done
if [[ -s $log ]]; then
    say "  After the run, Sweeply started the follow-up program; it received: $(head -n1 "$log" | sed 's/^started //')"
else
    say "  The follow-up program did not report back."
fi
unset SWEEPLY_STANDIN_LOG
