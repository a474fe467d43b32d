#!/usr/bin/env bash
# Both programs, read on the host: their import tables name only known DLLs, which Windows loads
# from the system folder whatever lies beside the program; every other DLL they use is a delay
# import, bound on first use once the entry has limited the DLL search to the system folder.
#   program_imports_check.sh OBJDUMP NM PROGRAM.exe=DELAYED,... ...   (DLL names without .dll)
set -uo pipefail
objdump=$1 nm=$2
shift 2
# Known DLLs of Windows Vista and 7; later versions keep them.
known=" advapi32 comdlg32 gdi32 imagehlp imm32 kernel32 msvcrt ole32 oleaut32 rpcrt4 setupapi
        shell32 shlwapi user32 ws2_32 "
status=0
for argument in "$@"; do
    program=${argument%%=*} expected=${argument#*=}
    imports=$("$objdump" -p "$program" |
        awk '/^The Import Tables/ {on = 1; next} /^The / {on = 0} on && /DLL Name:/ {print tolower($3)}')
    # GNU ld leaves the image's delay-import directory empty: the descriptors are found by their
    # symbols, which dlltool names after the delay-import library (lib<dll>.a).
    delayed=$("$nm" "$program" | sed -n 's/.* __DELAY_IMPORT_DESCRIPTOR_lib\(.*\)_a$/\1/p' |
        sort | paste -sd,)
    echo "$program: imports" $imports "; delay-imports $delayed"
    if [[ $imports != *kernel32.dll* ]]; then
        echo "FAIL: no import table read from $program"
        status=1
    fi
    for dll in $imports; do
        if [[ $known != *[[:space:]]${dll%.dll}[[:space:]]* ]]; then
            echo "FAIL: $program imports $dll at start, which is no known DLL"
            status=1
        fi
    done
    if [[ $delayed != "$expected" ]]; then
        echo "FAIL: $program delay-imports [$delayed], not [$expected]"
        status=1
    fi
done
exit $status
