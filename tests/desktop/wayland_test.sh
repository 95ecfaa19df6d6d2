#!/usr/bin/env bash
# Runs the program on a headless Wayland compositor with no X display at all, in a fresh
# directory holding one record: its main window's surface must appear (seen in the Wayland
# protocol log), and SIGTERM must end it without touching the data file.
# Usage: wayland_test.sh path/to/nimbrel
set -euo pipefail
program=$(realpath "$1")
fail() { echo "FAILED: $*"; exit 1; }
command -v weston >/dev/null || fail "needs weston (scripts/install-deps test installs it)"
[[ $(dpkg-query -W -f='${Status}' qt6-wayland 2>/dev/null) == "install ok installed" ]] \
    || fail "needs qt6-wayland (scripts/install-deps test installs it)"

work=$(mktemp -d)
runtime=$(mktemp -d)  # mode 0700, as a Wayland runtime directory must be
pids=()
trap 'kill "${pids[@]}" 2>/dev/null || true; rm -rf "$work" "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=nimbrel-test
weston --no-config --backend=headless-backend.so --socket="$WAYLAND_DISPLAY" --idle-time=0 \
    >"$work/weston.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [[ -S $runtime/$WAYLAND_DISPLAY ]] && break; sleep 0.1; done
[[ -S $runtime/$WAYLAND_DISPLAY ]] || fail "weston did not start: $(cat "$work/weston.log")"

mkdir "$work/home"
printf 'CREATOR=Nimbrel 1.0\r\nNAME=Bank\r\nUSERNAME=anna\r\nPASSWORD=Owl-7\r\nURL=\r\nOTHER=\r\nNOTES=\r\n' \
    >"$work/home/nimbrel.nbd"
before=$(stat -c '%y %s' "$work/home/nimbrel.nbd")
# The headless compositor has no seat, and Qt 6.4's support for the text-input protocol it offers
# then dereferences a missing input device; a desktop always has a seat, so the test points Qt
# at a version of the protocol this compositor does not offer.
(cd "$work/home" && exec env -u DISPLAY QT_QPA_PLATFORM=wayland WAYLAND_DEBUG=client \
    QT_WAYLAND_TEXT_INPUT_PROTOCOL=zwp_text_input_v2 "$program" 2>"$work/protocol.log") &
program_pid=$!
pids+=($program_pid)

shown() {
    local surface
    surface=$(sed -n 's/.*get_xdg_surface(new id xdg_surface@[0-9]*, \(wl_surface@[0-9]*\)).*/\1/p' \
        "$work/protocol.log" | head -n 1)
    [[ -n $surface ]] || return 1
    grep -q 'set_title("Nimbrel: nimbrel.nbd")' "$work/protocol.log" \
        && grep -q "$surface\.attach(wl_buffer@" "$work/protocol.log"
}
for _ in $(seq 300); do shown && break; kill -0 $program_pid 2>/dev/null || break; sleep 0.1; done
shown || fail "the main window's surface did not appear: $(grep -v '^\[' "$work/protocol.log" | head)"

kill -TERM $program_pid || fail "the program had ended before SIGTERM"
status=0
wait $program_pid || status=$?
[[ $status -eq 143 ]] || fail "the program ended with status $status, not by SIGTERM"
[[ $(stat -c '%y %s' "$work/home/nimbrel.nbd") == "$before" ]] || fail "the data file was touched"
[[ $(ls -A "$work/home") == nimbrel.nbd ]] || fail "files left behind: $(ls -A "$work/home")"
echo "on Wayland: the main window showed, SIGTERM ended the program, the data file is untouched"
