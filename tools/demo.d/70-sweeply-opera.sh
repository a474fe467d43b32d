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
"$wine_run" reg add 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe' /ve \
    /d "$(winpath "$bin/Sweeply.exe")" /f >/dev/null
say "  A stand-in Opera 10 lies in $(winpath "$opera"); Sweeply.exe is registered in App Paths."
"$wine_run" "$bin/SweeplyOpera.exe"
say "  SweeplyOpera.exe ended with exit code $?. The toolbar entry it wrote:"
grep -a 'Button3001' "$opera/toolbar/standard_toolbar.ini" | tr -d '\r' | sed 's/^/    /'
say "  The rebuilt skin archive (skin.ini now maps the image \"Sweeply\"):"
unzip -l "$opera/skin/standard_skin.zip" | sed -n '4,$p' | sed 's/^/    /'
unzip -p "$opera/skin/standard_skin.zip" skin.ini | tr -d '\r' | sed 's/^/    skin.ini: /'
"$wine_run" reg delete 'HKCU\Software\Opera Software' /v "Last CommandLine v2" /f >/dev/null 2>&1
"$wine_run" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\App Paths\Sweeply.exe' \
    /f >/dev/null 2>&1
