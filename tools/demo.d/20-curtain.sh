# A shown run: the curtain fades in over the desktop, shows the logo, the animation, the status
# line and the help link, and closes itself once the run is complete. Screenshots are kept.
say "== A shown run (task \"firefox\"): the curtain =="
shots=$root/build/win32/screenshots
mkdir -p "$shots"
rm -f "$shots"/curtain-*.png "$work"/shot-*.png
demo_sweeply "firefox" &
run=$!
count=0
while kill -0 "$run" 2>/dev/null; do
    import -display "$DISPLAY" -window root "$work/shot-$(printf '%03d' $count).png" 2>/dev/null &&
        count=$((count + 1))
    sleep 0.1
done
wait "$run"
# Keep the first and the last shot that show the curtain (the screen is black before and after).
kept=()
for shot in "$work"/shot-*.png; do
    [[ -e $shot ]] || continue
    [[ $(convert "$shot" -format '%[fx:mean>0.5]' info: 2>/dev/null) == 1 ]] && kept+=("$shot")
done
if [[ ${#kept[@]} -gt 0 ]]; then
    cp "${kept[0]}" "$shots/curtain-first.png"
    cp "${kept[-1]}" "$shots/curtain-last.png"
    say "  The curtain was on screen in ${#kept[@]} of $count screenshots; the first and the last"
    say "  are in $shots (curtain-first.png, curtain-last.png)."
else
    say "  No screenshot showed the curtain."
fi
