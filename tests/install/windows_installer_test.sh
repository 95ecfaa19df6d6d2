#!/usr/bin/env bash
# Builds the Windows installer and the portable archive, installs the program silently under
# Wine in a fresh prefix, checks what landed where, and uninstalls it again.
set -euo pipefail
build_dir=$1

wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
for tool in "$wine" "$wineserver" makensis; do
    command -v "$tool" >/dev/null || { echo "SKIPPED: $tool is not installed"; exit 77; }
done
work=$(mktemp -d)
export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap '"$wineserver" -k 2>/dev/null || true; rm -rf "$work"' EXIT

(cd "$build_dir" && cpack -G "NSIS;ZIP" -B "$work/out" >/dev/null)
installer=$work/out/nimbrel-1.0.0-win64.exe
[[ -f $installer && -f $work/out/nimbrel-1.0.0-win64.zip ]] || { echo "FAILED: no installer or archive"; exit 1; }

fail() { echo "FAILED: $*"; exit 1; }
"$wine" wineboot -i </dev/null >/dev/null 2>&1
"$wine" "$installer" /S </dev/null >/dev/null 2>&1
"$wineserver" -w
program="$WINEPREFIX/drive_c/Program Files/Nimbrel"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Nimbrel/Nimbrel.lnk"
for file in "$program/bin/nimbrel.exe" "$program/bin/nimbrel.chm" "$program/LICENSE.txt" "$program/Uninstall.exe" "$shortcut"; do
    [[ -f $file ]] || fail "not installed: $file"
done
unexpected=$(cd "$program" && find . -type f | grep -v -x -E '\./(bin/nimbrel\.(exe|chm)|LICENSE\.txt|Uninstall\.exe)' || true)
[[ -z $unexpected ]] || fail "unexpected files installed: $unexpected"
# The shortcut, in the Start menu of all accounts, starts the program in the profile folder of
# whoever starts it: its start folder is stored unexpanded, and no account's folder is in it.
strings -el "$shortcut" | grep -q -x '%USERPROFILE%' || fail "the shortcut's start folder is not %USERPROFILE%"
! strings -el "$shortcut" | grep -q -i 'C:\\users' || fail "the shortcut names an account's folder"

"$wine" "C:\\Program Files\\Nimbrel\\Uninstall.exe" /S </dev/null >/dev/null 2>&1
"$wineserver" -w
for _ in $(seq 50); do
    [[ -e "$program/bin/nimbrel.exe" || -e $shortcut ]] || break
    sleep 0.1
done
[[ ! -e "$program/bin/nimbrel.exe" ]] || fail "the uninstaller left the program"
[[ ! -e $shortcut ]] || fail "the uninstaller left the shortcut"
echo "installed, started from the profile folder, and uninstalled"
