#!/usr/bin/env bash
# The window as a user meets it: the real program on a private X server, driven by pointer and
# keyboard through xdotool. It loads the bundled sample through the open dialog, processes it,
# shows the About window and leaves by the Exit button. The folders it writes beside itself must
# match what veltrane-extract writes from the same sample, no partial file may be left, and the
# About window's position must be on disk afterwards.
#
# Usage: window_xvfb.sh <veltrane> <veltrane-extract> <source dir>
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 <veltrane> <veltrane-extract> <source dir>" >&2
    exit 2
fi
VELTRANE=$1
EXTRACT=$2
SOURCE=$3
SAMPLE=$SOURCE/resources/samples/sample.sig
SKIN=$SOURCE/resources/skin/BlueVeltrane.ini

# The product folders both programs write; ASCII is off in the window unless ticked.
KIND_FOLDERS=("TAR Files" "GRIB Files" "BUFR Files" "PNG Files" "FAX Files" "IMAG Files")
WINDOW_KINDS=grib,bufr,png,imag,fax

# Designed geometry: where the main window opens, its client size, its controls in client
# coordinates (left top width height), and the About window's position when nothing is saved.
MAIN_LEFT=192
MAIN_TOP=107
CLIENT_WIDTH=405
CLIENT_HEIGHT=177
LOAD_BUTTON=(12 13 45 26)
PROCESSING_BUTTON=(276 13 45 26)
ABOUT_BUTTON=(340 13 45 26)
EXIT_BUTTON=(340 50 45 26)
ABOUT_LEFT=382
ABOUT_TOP=317

MAIN_TITLE='^ Veltrane \(for NOAA\)$'
DIALOG_TITLE='^Open file$'
ABOUT_TITLE='^About Veltrane$'

WORK=$(mktemp -d "${TMPDIR:-/tmp}/veltrane-xvfb.XXXXXX")
PROG=$WORK/prog
ERRLOG=$WORK/veltrane.stderr
xvfb_pid=
app_pid=
failures=0

cleanup() {
    # Only the two processes this script started.
    if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill -KILL "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ] && kill -0 "$xvfb_pid" 2>/dev/null; then
        kill -TERM "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$WORK"
}
trap cleanup EXIT

show_program_stderr() {
    if [ -s "$ERRLOG" ]; then
        echo "--- standard error of veltrane ---" >&2
        head -c 20000 "$ERRLOG" >&2
        echo "--- end of standard error ---" >&2
    fi
}

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# A failure after which nothing more can be checked.
die() {
    echo "FAIL: $*" >&2
    show_program_stderr
    exit 1
}

now_ms() { date +%s%3N; }

program_running() {
    # A child that has ended stays a zombie until it is waited for; that is not running.
    [ -n "$app_pid" ] && [ -r "/proc/$app_pid/stat" ] &&
        [ "$(cut -d' ' -f3 "/proc/$app_pid/stat" 2>/dev/null)" != Z ]
}

# Prints the id of the first visible window whose name matches; polls, so that a program that
# dies on the way fails at once instead of at the deadline.
wait_for_window() {  # title-regex seconds what
    local deadline=$(($(now_ms) + $2 * 1000)) ids
    while :; do
        if ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null) && [ -n "$ids" ]; then
            head -n1 <<<"$ids"
            return 0
        fi
        program_running || die "veltrane ended while waiting for $3"
        [ "$(now_ms)" -lt "$deadline" ] || die "$3 did not appear within $2 s"
        sleep 0.2
    done
}

wait_for_window_gone() {  # title-regex seconds what
    local deadline=$(($(now_ms) + $2 * 1000))
    while xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; do
        program_running || die "veltrane ended while $3 was open"
        [ "$(now_ms)" -lt "$deadline" ] || die "$3 was still open after $2 s"
        sleep 0.2
    done
}

window_geometry() {  # window-id: prints "left top width height"
    local line x='' y='' w='' h=''
    while IFS= read -r line; do
        case $line in
            X=*) x=${line#X=} ;;
            Y=*) y=${line#Y=} ;;
            WIDTH=*) w=${line#WIDTH=} ;;
            HEIGHT=*) h=${line#HEIGHT=} ;;
        esac
    done < <(timeout 10 xdotool getwindowgeometry --shell "$1")
    echo "$x $y $w $h"
}

click_control() {  # what left top width height (client coordinates)
    local x=$((client_left + $2 + $4 / 2)) y=$((client_top + $3 + $5 / 2))
    program_running || die "veltrane ended before the $1 click"
    timeout 10 xdotool mousemove --sync "$x" "$y" click 1 || die "could not click $1 at $x,$y"
}

# A number from section [form] of the skin, or the program's fallback when the key is missing
# or not a plain integer.
skin_number() {  # key fallback
    local value
    value=$(awk -v key="$1" '
        /^[ \t]*\[/ { section = $0; gsub(/[ \t\r\[\]]/, "", section); next }
        section == "form" {
            line = $0; sub(/\r$/, "", line)
            at = index(line, "=")
            if (at == 0) next
            name = substr(line, 1, at - 1); gsub(/[ \t]/, "", name)
            if (name == key) { value = substr(line, at + 1); gsub(/[ \t]/, "", value); print value; exit }
        }' "$SKIN")
    if [[ $value =~ ^[+-]?[0-9]+$ ]]; then
        echo $((10#${value#+}))
    else
        echo "$2"
    fi
}

# "path bytes" of every file in the product folders under a root, hidden ones included.
tree_listing() {  # root
    local folder
    for folder in "$1"/*" Files"; do
        [ -d "$folder" ] || continue
        # A partial file renamed while find walks is no error: the next poll sees the result.
        (cd "$1" && find "${folder#"$1"/}" -type f -printf '%p %s\n' 2>/dev/null) || true
    done | LC_ALL=C sort
}

tree_sums() {  # root
    local folder
    for folder in "${KIND_FOLDERS[@]}"; do
        [ -d "$1/$folder" ] || continue
        (cd "$1" && find "$folder" -type f -print0 | LC_ALL=C sort -z | xargs -0 -r sha256sum)
    done
}

ini_value() {  # file section key
    awk -v want="$2" -v key="$3" '
        { sub(/\r$/, "") }
        /^[ \t]*\[/ { section = $0; gsub(/[ \t\[\]]/, "", section); next }
        section == want && index($0, "=") {
            name = substr($0, 1, index($0, "=") - 1); gsub(/[ \t]/, "", name)
            if (name == key) { value = substr($0, index($0, "=") + 1); gsub(/[ \t]/, "", value); print value; exit }
        }' "$1"
}

ini_keys() {  # file section: the section's key names, sorted, on one line
    awk -v want="$2" '
        { sub(/\r$/, "") }
        /^[ \t]*\[/ { section = $0; gsub(/[ \t\[\]]/, "", section); next }
        section == want && index($0, "=") && $0 !~ /^[ \t]*;/ {
            name = substr($0, 1, index($0, "=") - 1); gsub(/[ \t]/, "", name); print name
        }' "$1" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//'
}

# --- preparation ---

for tool in Xvfb xdotool sha256sum; do
    command -v "$tool" >/dev/null || die "$tool is not installed (scripts/deps.sh installs it)"
done
[ -x "$VELTRANE" ] || die "no program at $VELTRANE"
[ -x "$EXTRACT" ] || die "no program at $EXTRACT"
[ -f "$SAMPLE" ] || die "no sample at $SAMPLE"
[ -f "$SKIN" ] || die "no skin at $SKIN"

border=$(skin_number BorderWidth 4)
caption=$(skin_number CaptionHeight 20)
[ "$border" -ge 1 ] || border=1
[ "$caption" -ge 18 ] || caption=18  # the frame buttons must fit
client_left=$((MAIN_LEFT + border))
client_top=$((MAIN_TOP + border + caption))

# The program writes beside its own executable and opens the dialog in "ICAO SIG" there: it runs
# from a copy, started from an unrelated folder so that output relative to the current
# directory would show.
mkdir -p "$PROG/ICAO SIG" "$WORK/home" "$WORK/config" "$WORK/cache" "$WORK/runtime" "$WORK/cwd"
chmod 700 "$WORK/runtime"
cp "$VELTRANE" "$PROG/veltrane"
cp "$SAMPLE" "$PROG/ICAO SIG/sample.sig"

# The reference: the command line over the same sample with the window's default kinds.
"$EXTRACT" -q --kinds "$WINDOW_KINDS" -o "$WORK/reference" "$SAMPLE" \
    >"$WORK/extract.out" 2>"$WORK/extract.err" ||
    die "veltrane-extract failed on the sample: $(head -c 2000 "$WORK/extract.err")"
for folder in "${KIND_FOLDERS[@]}"; do
    [ -n "$(find "$WORK/reference/$folder" -type f 2>/dev/null)" ] ||
        die "the reference run wrote nothing into \"$folder\"; the comparison would prove nothing"
done
reference_listing=$(tree_listing "$WORK/reference")

# --- a private X server ---

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$WORK/display" >"$WORK/xvfb.log" 2>&1 &
xvfb_pid=$!
deadline=$(($(now_ms) + 15000))
until [ -s "$WORK/display" ] && grep -q '^[0-9][0-9]*$' "$WORK/display"; do
    kill -0 "$xvfb_pid" 2>/dev/null || die "Xvfb did not start: $(head -c 2000 "$WORK/xvfb.log")"
    [ "$(now_ms)" -lt "$deadline" ] || die "Xvfb named no display within 15 s"
    sleep 0.1
done
DISPLAY=":$(head -n1 "$WORK/display")"
export DISPLAY
screen=$(timeout 10 xdotool getdisplaygeometry) || die "cannot reach the X server at $DISPLAY"
[ "$screen" = "1280 1024" ] || die "the X server's screen is $screen, expected 1280 1024"

# --- the program ---

(
    cd "$WORK/cwd"
    exec env -u WAYLAND_DISPLAY -u SESSION_MANAGER \
        QT_QPA_PLATFORM=xcb HOME="$WORK/home" XDG_CONFIG_HOME="$WORK/config" \
        XDG_CACHE_HOME="$WORK/cache" XDG_RUNTIME_DIR="$WORK/runtime" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
        "$PROG/veltrane"
) >"$WORK/veltrane.stdout" 2>"$ERRLOG" &
app_pid=$!

main_window=$(wait_for_window "$MAIN_TITLE" 30 "the main window")
read -r left top width height < <(window_geometry "$main_window")
expected="$MAIN_LEFT $MAIN_TOP $((CLIENT_WIDTH + 2 * border)) $((CLIENT_HEIGHT + caption + 2 * border))"
# Every click below is aimed from these numbers.
[ "$left $top $width $height" = "$expected" ] ||
    die "main window at left top width height '$left $top $width $height', expected '$expected'"

click_control "the Load button" "${LOAD_BUTTON[@]}"
dialog=$(wait_for_window "$DIALOG_TITLE" 20 "the open dialog")
# Without a window manager nobody gives the new dialog the keyboard: do what one would.
timeout 10 xdotool windowfocus --sync "$dialog" || die "could not give the open dialog the focus"
timeout 10 xdotool type --delay 20 -- "sample.sig" || die "could not type into the open dialog"
timeout 10 xdotool key Return || die "could not press Return in the open dialog"
wait_for_window_gone "$DIALOG_TITLE" 10 "the open dialog"

click_control "the Processing button" "${PROCESSING_BUTTON[@]}"

# The run is over when the tree has stopped changing: done once it has held still for 2 s and
# matches the reference; given up when it holds still for 10 s without matching, or at 60 s.
start=$(now_ms)
last_change=$start
previous=
matched=false
while :; do
    program_running || die "veltrane ended during the run"
    listing=$(tree_listing "$PROG")
    now=$(now_ms)
    if [ "$listing" != "$previous" ]; then
        previous=$listing
        last_change=$now
    fi
    still=$((now - last_change))
    if [ "$listing" = "$reference_listing" ] && [ "$still" -ge 2000 ]; then
        matched=true
        break
    fi
    [ "$still" -ge 10000 ] && break
    [ $((now - start)) -ge 60000 ] && break
    sleep 0.25
done
elapsed=$((($(now_ms) - start) / 1000))
if ! $matched; then
    fail "after ${elapsed} s the output beside the program does not match veltrane-extract's" \
        "(names and sizes, < reference, > window):"
    diff <(echo "$reference_listing") <(echo "$listing") | head -n 40 >&2 || true
fi

# The About window opens where it was designed to, which is also what is written at the end.
click_control "the About button" "${ABOUT_BUTTON[@]}"
about_window=$(wait_for_window "$ABOUT_TITLE" 20 "the About window")
read -r left top _ _ < <(window_geometry "$about_window")
[ "$left $top" = "$ABOUT_LEFT $ABOUT_TOP" ] ||
    fail "About window at $left,$top, expected $ABOUT_LEFT,$ABOUT_TOP"

click_control "the Exit button" "${EXIT_BUTTON[@]}"
deadline=$(($(now_ms) + 20000))
while program_running; do
    if [ "$(now_ms)" -ge "$deadline" ]; then
        kill -KILL "$app_pid" 2>/dev/null || true
        wait "$app_pid" 2>/dev/null || true
        app_pid=
        die "veltrane was still running 20 s after the Exit click"
    fi
    sleep 0.1
done
status=0
wait "$app_pid" || status=$?
app_pid=
[ "$status" -eq 0 ] || fail "veltrane ended with status $status after the Exit click"

# --- what it left behind ---

if grep -Eq 'AddressSanitizer|UndefinedBehaviorSanitizer|LeakSanitizer|runtime error:' "$ERRLOG"; then
    fail "a sanitizer reported a fault (see standard error below)"
fi

if $matched; then
    if ! diff <(tree_sums "$WORK/reference") <(tree_sums "$PROG") >"$WORK/sums.diff"; then
        fail "file contents differ from veltrane-extract's (< reference, > window):"
        head -n 40 "$WORK/sums.diff" >&2
    fi
fi
[ -e "$PROG/ASCII Files" ] && fail "\"ASCII Files\" was made although ASCII extraction was off"
partials=$(find "$WORK" -name '*.part' -printf '%P\n' | head -n 10)
[ -z "$partials" ] || fail "partial files were left: $partials"
strays=$(find "$WORK/cwd" -mindepth 1 -printf '%P\n' | head -n 10)
[ -z "$strays" ] || fail "the program wrote into its current directory: $strays"

placement=$WORK/config/DllCrt
if [ ! -f "$placement" ]; then
    fail "no placement file at $placement after the program ended"
else
    about_left=$(ini_value "$placement" FrmAbout Left)
    about_top=$(ini_value "$placement" FrmAbout Top)
    [ "$about_left,$about_top" = "$ABOUT_LEFT,$ABOUT_TOP" ] ||
        fail "placement file holds Left=$about_left Top=$about_top, expected" \
            "Left=$ABOUT_LEFT Top=$ABOUT_TOP: $(head -c 400 "$placement")"
    keys=$(ini_keys "$placement" FrmAbout)
    [ "$keys" = "Left Top" ] || fail "section [FrmAbout] holds the keys '$keys', expected 'Left Top'"
fi
# The placement file is the only setting the program keeps (Qt's file dialog would keep its own).
kept=$(find "$WORK/config" "$WORK/home" -type f ! -path "$placement" -printf '%P\n' | head -n 10)
[ -z "$kept" ] || fail "the program kept settings besides the placement file: $kept"

if [ "$failures" -ne 0 ]; then
    show_program_stderr
    echo "$failures check(s) failed" >&2
    exit 1
fi
files=$(grep -c . <<<"$reference_listing")
echo "window e2e passed: sample loaded through the dialog, $files files in ${elapsed} s" \
    "matching veltrane-extract, clean exit, About placement $ABOUT_LEFT,$ABOUT_TOP saved"
