#!/usr/bin/env bash
# Drives the real nimbrel.exe under Wine on a virtual display of its own, as a person would:
# keys and mouse presses through xdotool, then the data file's bytes. Each case runs in a new
# directory under WORK_DIR; the Wine prefix is WORK_DIR/wine, made at the first run.
# Usage: window_test.sh NIMBREL_EXE WORK_DIR DIALOG_TEMPLATES_CPP FAILING_ALLOCATION_EXE
set -uo pipefail
program=$1
work=$2
templates=$3
failing_program=$4

skip() { echo "skipped: $1"; exit 77; }
command -v Xvfb >/dev/null || skip "Xvfb is missing"
command -v xdotool >/dev/null || skip "xdotool is missing"
wine=$(command -v wine || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
[[ -x $wine && -x $wineserver ]] || skip "wine is missing"

export WINEPREFIX=$work/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
log=$work/wine.log
mkdir -p "$work"
: >"$log"

xvfb_pid=
program_pid=
cleanup() {
    [[ -n $program_pid ]] && kill "$program_pid" 2>/dev/null
    "$wineserver" -k 2>/dev/null
    [[ -n $xvfb_pid ]] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number.
rm -f "$work/display"
Xvfb -displayfd 3 -noreset -screen 0 1280x800x24 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
    [[ -s $work/display ]] && break
    sleep 0.1
done
[[ -s $work/display ]] || { echo "Xvfb did not start"; exit 1; }
export DISPLAY=":$(head -n1 "$work/display")"

if [[ ! -d $WINEPREFIX ]]; then
    "$wine" wineboot -i </dev/null >>"$log" 2>&1
    "$wineserver" -w
fi

# The scale of the prefix's screen, in dots per inch; the next Wine session takes it.
set_dpi() {
    "$wine" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
        </dev/null >>"$log" 2>&1
    "$wineserver" -k 2>/dev/null
    "$wineserver" -w
}
set_dpi 96

failures=0
fail() {
    echo "FAIL [$case_name]: $1"
    import -window root "$work/$case_name.png" 2>/dev/null && echo "  screen: $work/$case_name.png"
    failures=$((failures + 1))
}

main_title='^Nimbrel: nimbrel.nbd$'
window=
locale=  # the locale of the program's Wine, which gives its code page

# Starts the program (or the one given) in the case's directory and waits for its window; the
# pointer rests on the window's background, so that the keys go to the window.
start_program() {
    (cd "$case_dir" && exec env ${locale:+LC_ALL=$locale} "$wine" "${1:-$program}" </dev/null >>"$log" 2>&1) &
    program_pid=$!
    window=$(timeout 60 xdotool search --sync --onlyvisible --name "$main_title" | head -n1)
    [[ -n $window ]] || { fail "the main window did not appear"; return 1; }
    eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
    window_width=$WIDTH window_height=$HEIGHT
    point_at 300 110
    xdotool mousemove "$point_x" "$point_y"
    sleep 0.5
}

# The screen position of a point given in dialog units: the window is the dialog's client
# area, 320 x 210 units.
point_at() {
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$window")"
    point_x=$((X + $1 * WIDTH / 320))
    point_y=$((Y + $2 * HEIGHT / 210))
}

# Press, move and release of the left button in the middle of a control of the main window's
# template (the file's first control of that id; the About box's follow).
click() {
    local rect left top width height
    rect=$(grep -oE "\{$1, ControlKind::[A-Za-z]+, [0-9]+, [0-9]+, [0-9]+, [0-9]+" "$templates" |
           head -n1 | grep -oE '[0-9]+, [0-9]+, [0-9]+, [0-9]+$' | tr -d ,)
    read -r left top width height <<<"$rect"
    point_at $((left + width / 2)) $((top + height / 2))
    xdotool mousemove "$point_x" "$point_y" mousedown 1 \
            mousemove $((point_x + 1)) "$point_y" mouseup 1
    sleep 0.3
}

# Waits for the program to end, its status in end_status; a program that stays is ended and
# reported.
wait_for_end() {
    for _ in $(seq 300); do
        kill -0 "$program_pid" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$program_pid" 2>/dev/null; then
        fail "the program did not end after $1"
        kill "$program_pid" 2>/dev/null
    fi
    wait "$program_pid" 2>/dev/null
    end_status=$?
    program_pid=
}

expect_file() {
    if ! cmp -s "$1" "$case_dir/nimbrel.nbd"; then
        fail "$2"
        echo "  expected:"; od -c "$1" | sed 's/^/    /'
        echo "  found:"; od -c "$case_dir/nimbrel.nbd" 2>&1 | sed 's/^/    /'
    fi
}

# One record as the program writes it, six KEY=value lines, into the variable named first.
record() {
    printf -v "$1" 'NAME=%s\r\nUSERNAME=%s\r\nPASSWORD=%s\r\nURL=%s\r\nOTHER=%s\r\nNOTES=%s\r\n' \
        "${@:2}"
}

# A data file of the records given, each as one argument, in that order.
data_file() {
    printf 'CREATOR=Nimbrel 1.0\r\n'
    local separator=
    for one in "$@"; do
        printf '%s%s' "$separator" "$one"
        separator=$'\r\n'
    done
}

new_case() {
    case_name=$1
    case_dir=$work/$case_name
    rm -rf "$case_dir"
    mkdir -p "$case_dir"
}

record mail Mail alice s3cret mail.example.com work 'first`~second'
record bank Bank bob 'pa ss' https://bank.example '' ''
record club Club carol 'x=y' '' 'member 7' 'one`~two`~three'
record news News dave '' news.example '' ''

new_case typed_record_added_and_quit
if start_program; then
    xdotool type --delay 20 Mail; xdotool key Tab
    xdotool type --delay 20 alice; xdotool key Tab
    xdotool type --delay 20 s3cret; xdotool key Tab
    xdotool type --delay 20 mail.example.com; xdotool key Tab Tab  # past Go
    xdotool type --delay 20 work; xdotool key Tab
    xdotool type --delay 20 first; xdotool key ctrl+Return
    xdotool type --delay 20 second
    click IDC_ADD
    click IDOK
    wait_for_end Quit
    data_file "$mail" >"$work/expected"
    expect_file "$work/expected" "Add then Quit did not write the typed record"
fi

new_case return_saves_the_records_reversed
data_file "$bank" "$club" "$news" >"$case_dir/nimbrel.nbd"
if start_program; then
    xdotool key Return
    wait_for_end Return
    data_file "$news" "$club" "$bank" >"$work/expected"
    expect_file "$work/expected" "Return did not save the loaded records top first"
fi

new_case esc_writes_nothing
data_file "$bank" "$club" "$news" >"$case_dir/nimbrel.nbd"
cp "$case_dir/nimbrel.nbd" "$work/expected"
if start_program; then
    xdotool type --delay 20 Mail
    click IDC_ADD
    xdotool key Escape
    wait_for_end Esc
    expect_file "$work/expected" "Esc changed the file"
fi

new_case about_box_from_the_system_menu
if start_program; then
    # The system menu opens on its first item; Up goes round to its last, About Nimbrel...
    xdotool key alt+space
    sleep 0.5
    xdotool key Up Return
    if timeout 30 xdotool search --sync --onlyvisible --name '^About Nimbrel$' >/dev/null; then
        xdotool key Escape
        for _ in $(seq 100); do
            xdotool search --onlyvisible --name '^About Nimbrel$' >/dev/null || break
            sleep 0.1
        done
        xdotool search --onlyvisible --name '^About Nimbrel$' >/dev/null &&
            fail "Esc did not close the About box"
    else
        fail "About Nimbrel... on the system menu showed no About box"
    fi
    xdotool search --onlyvisible --name "$main_title" >/dev/null ||
        fail "the main window closed with the About box"
    xdotool key Escape
    wait_for_end "Esc in the main window"
    # The missing file was created empty at the start, and Esc wrote nothing into it.
    : >"$work/expected"
    expect_file "$work/expected" "the file is not the empty one made at the start"
fi

# On Russian Windows (code page 1251) a value that is not UTF-8 shows in Cyrillic, and an edit
# is saved in that code page: "Privet" in Cyrillic, then a typed zhe.
new_case cyrillic_value_in_the_system_code_page
record old $'\xCF\xF0\xE8\xE2\xE5\xF2' '' '' '' '' ''
record new $'\xCF\xF0\xE8\xE2\xE5\xF2\xE6' '' '' '' '' ''
data_file "$old" >"$case_dir/nimbrel.nbd"
locale=ru_RU.UTF-8
if start_program; then
    point_at 40 136  # the table's first row
    xdotool mousemove "$point_x" "$point_y" mousedown 1 mouseup 1
    sleep 0.3
    click IDC_NAME
    xdotool key End
    xdotool type --delay 20 ж
    import -window root "$work/$case_name.png" 2>/dev/null
    click IDC_UPDATE
    click IDOK
    wait_for_end Quit
    data_file "$new" >"$work/expected"
    expect_file "$work/expected" "the edited Cyrillic value was not saved in code page 1251"
fi
locale=

# F1 opens the help file's topic of the window that has the focus: a window titled from the
# help file. Wine's viewer opens none for a topic the file does not map, and draws no page.
# Presses F1 and closes the help window that it opens.
help_opens_on_f1() {
    xdotool key F1
    local help
    help=$(timeout 30 xdotool search --sync --onlyvisible --name '^Nimbrel Help$' | head -n1)
    [[ -n $help ]] || { fail "F1 in $1 opened no help window"; return; }
    xdotool key --window "$help" alt+F4
    sleep 1
}

new_case f1_opens_the_help_topics
if start_program; then
    help_opens_on_f1 "the main window"
    xdotool key alt+space
    sleep 0.5
    xdotool key Up Return
    if about=$(timeout 30 xdotool search --sync --onlyvisible --name '^About Nimbrel$' | head -n1); then
        help_opens_on_f1 "the About box"
        xdotool windowfocus "$about" key Escape
        sleep 0.5
    else
        fail "About Nimbrel... on the system menu showed no About box"
    fi
    xdotool windowfocus "$window" key Escape
    wait_for_end "Esc after the help"
fi

new_case failure_ends_without_saving
data_file "$bank" >"$case_dir/nimbrel.nbd"
cp "$case_dir/nimbrel.nbd" "$work/expected"
if start_program "$failing_program"; then
    xdotool type --delay 20 'A name long enough to need memory'
    xdotool key F12  # the next allocation fails
    click IDC_ADD
    if timeout 30 xdotool search --sync --onlyvisible --name '^nimbrel_failing_allocation$' >/dev/null; then
        import -window root "$work/$case_name.png"
        xdotool key Return
        wait_for_end "the failure's message"
        ((end_status == 1)) || fail "the program ended with status $end_status, not 1"
    else
        fail "no message when memory ran out in Add"
        kill "$program_pid" 2>/dev/null
        wait_for_end "memory ran out"
    fi
    expect_file "$work/expected" "the failure changed the file"
fi

new_case load_stopped_early_shown_over_the_window
data_file "$bank" >"$case_dir/nimbrel.nbd"
cp "$case_dir/nimbrel.nbd" "$work/expected"
# Too little memory for the load's read buffer: the load stops before the first record.
(cd "$case_dir" && NIMBREL_TEST_MEMORY=1000000 exec "$wine" "$failing_program" </dev/null >>"$log" 2>&1) &
program_pid=$!
if timeout 60 xdotool search --sync --onlyvisible --name '^Error Reading File$' >/dev/null; then
    sleep 0.5
    import -window root "$work/$case_name.png"
    xdotool search --onlyvisible --name "$main_title" >/dev/null ||
        fail "\"Load from File\" came while the main window was hidden"
    xdotool key Return
    window=$(timeout 30 xdotool search --sync --onlyvisible --name "$main_title" | head -n1)
    [[ -n $window ]] && xdotool windowfocus "$window" key Escape
else
    fail "a load that stopped early showed no message"
    kill "$program_pid" 2>/dev/null
fi
wait_for_end Esc
expect_file "$work/expected" "the file was changed"

# At 150 % the window is laid out at that scale, not drawn at 100 %: 1.5 times as large, its
# text and columns as a person sees them in the screenshot.
new_case scaled_to_150_percent
data_file "$bank" "$club" "$news" >"$case_dir/nimbrel.nbd"
width_at_96=$window_width height_at_96=$window_height
set_dpi 144
if start_program; then
    import -window root "$work/$case_name.png"
    echo "  at 96 dpi ${width_at_96}x$height_at_96, at 144 dpi ${window_width}x$window_height: $work/$case_name.png"
    for ratio in $((window_width * 1000 / width_at_96)) $((window_height * 1000 / height_at_96)); do
        ((ratio >= 1425 && ratio <= 1575)) || fail "the window is $ratio/1000 of its size at 96 dpi"
    done
    xdotool key Escape
    wait_for_end Esc
fi
set_dpi 96

((failures == 0)) && echo "all cases passed"
exit $((failures > 0))
