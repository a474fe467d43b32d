# SweeplyOpera installs the Sweeply button into a stand-in Opera 10: toolbar entry and skin image.
say "== SweeplyOpera: the Sweeply button for Opera =="
opera="$work/Opera 10"
mkdir -p "$opera/ui" "$opera/skin"
cp "$bin/opera_10_0.exe" "$opera/opera.exe"
printf '[System]\r\nMulti User=0\r\n' >"$opera/operadef6.ini"
printf '[User Prefs]\r\n' >"$opera/operaprefs.ini"
printf '[Document Toolbar.content]\r\nButton0="Back"\r\nButton1="Forward"\r\n' \
    >"$opera/ui/standard_toolbar.ini"
(cd "$work" && mkdir -p skinsrc/buttons && printf '[Images]\r\nBack=buttons/back.png\r\n' \
    >skinsrc/skin.ini && cp "$root/resources/sweeply_button.png" skinsrc/buttons/back.png &&
    cd skinsrc && zip -qr "$opera/skin/standard_skin.zip" skin.ini buttons)
"$wine_run" reg add 'HKCU\Software\Opera Software' /v "Last CommandLine v2" \
    /d "\"$(winpath "$opera/opera.exe")\"" /f >/dev/null
# Sweeply installed as C:\Tools\Sweeply.exe, so that the toolbar line written can be compared,
# byte for byte, with the line the button must have for that path.
mkdir -p "$WINEPREFIX/drive_c/Tools"
cp "$bin/Sweeply.exe" "$WINEPREFIX/drive_c/Tools/Sweeply.exe"
"$wine_run" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe' /ve \
    /d 'C:\Tools\Sweeply.exe' /f >/dev/null
say "  A stand-in Opera 10 lies in $(winpath "$opera"); C:\Tools\Sweeply.exe is registered in App Paths."
"$wine_run" "$bin/SweeplyOpera.exe"
say "  SweeplyOpera.exe ended with exit code $?. The toolbar entry it wrote:"
line=$(grep -a 'Button3001' "$opera/toolbar/standard_toolbar.ini" | tr -d '\r')
say "    $line"
expected='Button3001, "Sweeply"="Delete private data, , , "Delete private data and erase the internet history and other tracks on your computer", "Sweeply" & Click default button & Execute program, "C:\Tools\Sweeply.exe","opera/f cc""'
if [[ $line == "$expected" ]]; then
    say "  It is byte for byte the line the button must have for C:\Tools\Sweeply.exe."
else
    say "  It differs from the line the button must have for C:\Tools\Sweeply.exe:"
    say "    $expected"
fi
say "  The rebuilt skin archive (skin.ini now maps the image \"Sweeply\"):"
unzip -l "$opera/skin/standard_skin.zip" | sed -n '4,$p' | sed 's/^/    /'
unzip -p "$opera/skin/standard_skin.zip" skin.ini | tr -d '\r' | sed 's/^/    skin.ini: /'
"$wine_run" reg delete 'HKCU\Software\Opera Software' /v "Last CommandLine v2" /f >/dev/null 2>&1
"$wine_run" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe' \
    /f >/dev/null 2>&1
