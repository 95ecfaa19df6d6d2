#!/usr/bin/env bash
# Installs the build into a temporary prefix, validates the desktop entry and the AppStream
# metainfo, then starts the installed program on a virtual display, closes it with Esc and
# checks the data file it left behind.
set -euo pipefail
build_dir=$1

skip() { echo "SKIPPED: $*"; exit 77; }
for tool in desktop-file-validate appstreamcli xvfb-run xdotool identify; do
    command -v "$tool" >/dev/null || skip "$tool is not installed"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail() { echo "FAILED: $*"; exit 1; }
expected=(
    bin/nimbrel
    share/applications/example.nimbrel.Nimbrel.desktop
    share/metainfo/example.nimbrel.Nimbrel.metainfo.xml
    share/icons/hicolor/scalable/apps/nimbrel.svg
    share/nimbrel/help/main_window.htm
    share/nimbrel/help/about_box.htm
)
for size in 16 32 48 128; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/nimbrel.png")
done
for file in "${expected[@]}"; do
    [[ -f "$prefix/$file" ]] || fail "not installed: $file"
done
for size in 16 32 48 128; do
    identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/nimbrel.png" \
        | grep -qx "${size}x${size}" || fail "icon of ${size}x${size} has another size"
done
desktop-file-validate "$prefix/share/applications/example.nimbrel.Nimbrel.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/example.nimbrel.Nimbrel.metainfo.xml"

# The program, started from an empty directory with a umask that would leave the file readable
# by others, creates its empty data file owner-only, and Esc closes it without saving.
home=$work/home
mkdir "$home"
cat >"$work/session" <<SESSION
set -eu
cd "$home"
umask 022
QT_QPA_PLATFORM=xcb "$prefix/bin/nimbrel" &
program=\$!
window=
for _ in \$(seq 100); do
    window=\$(xdotool search --sync --onlyvisible --name '^Nimbrel: nimbrel.nbd\$' 2>/dev/null | head -n 1) && [ -n "\$window" ] && break
    sleep 0.1
done
[ -n "\$window" ] || { kill \$program; echo "no window appeared"; exit 1; }
xdotool windowfocus --sync "\$window" key Escape
for _ in \$(seq 100); do
    kill -0 \$program 2>/dev/null || break
    sleep 0.1
done
if kill -0 \$program 2>/dev/null; then kill \$program; echo "Esc did not close the window"; exit 1; fi
wait \$program
SESSION
xvfb-run -a -s "-noreset -screen 0 1280x1024x24" bash "$work/session" || fail "the installed program did not start and close"

[[ -f "$home/nimbrel.nbd" ]] || fail "no nimbrel.nbd was created"
[[ ! -s "$home/nimbrel.nbd" ]] || fail "nimbrel.nbd is not empty"
mode=$(stat -c %a "$home/nimbrel.nbd")
[[ "$mode" == 600 ]] || fail "nimbrel.nbd has mode $mode, not 600"
echo "installed files, desktop entry, metainfo and first start: all as expected"
