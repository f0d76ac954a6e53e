#!/usr/bin/env bash
# Plays the game as a user would: starts the real executable on the built data set in a
# window of a virtual X server, waits for the title, walks to the options and the key
# configuration and back with key presses, checks screenshots of each screen, checks that a
# second copy refuses to start and says why, starts a new game in the first save slot and
# sees its first stage, then ends the game with Escape and expects exit code 0. A second
# run continues a saved game from the slot: the briefing with its autosave, the next stage
# chosen on the map and started.
#
# usage: end_to_end_test.sh <game executable> <data set directory> <work directory> [game options...]
# (the game runs on its display device where the X server offers OpenGL; the option
# --software-display keeps it on the software display)
set -euo pipefail

exe=$1
data=$2
work=$3
shift 3
options=("$@")

# The menus draw their texts in this colour.
menu_text='rgb(9,176,254)'

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/game" "$work/shots"
shopt -s nullglob
archives=("$data"/*.akn)
[ ${#archives[@]} -gt 0 ] || fail "no archives in $data (build the dataset target)"
cp "${archives[@]}" "$work/game/"

xvfb_pid=
game_pid=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=../../support/xvfb.sh
source "$(dirname "$0")/../../support/xvfb.sh"
start_xvfb "$work" || fail "no X server"

# No sound device here. In a sanitizer build, leak checking is off for this run: the
# leaks it reports at exit are in the X and D-Bus libraries the window system loads (and
# unloads); the headless tests check the game's own code for leaks.
export SDL_AUDIODRIVER=dummy
# The single-instance lock lives in the runtime folder: the game under test gets its own,
# so a copy of the game running elsewhere on the machine does not stop it.
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
window=
start_game() {
  (cd "$work/game" && exec "$exe" "${options[@]}") >"$work/game.log" 2>&1 &
  game_pid=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --name 'CODE:K' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended at start: $(cat "$work/game.log")"
    sleep 0.2
  done
  [ -n "$window" ] || fail "no game window"
  # Keys go to the focused window, and an unfocused game pauses.
  xdotool mousemove --window "$window" 400 300 windowfocus --sync "$window" 2>/dev/null || true
}

# Escape held ends the game; it must end with exit code 0.
quit_game() {
  xdotool keydown Escape
  local status=0
  for _ in $(seq 50); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
  done
  xdotool keyup Escape 2>/dev/null || true
  wait "$game_pid" || status=$?
  game_pid=
  [ "$status" -eq 0 ] || fail "the game ended with exit code $status: $(cat "$work/game.log")"
}

start_game

shot() {
  import -window "$window" "$work/shots/$1.png"
}

# Pixels of the colour within the rectangle (width x height + left + top).
count_colour() {
  convert "$1" -crop "$2" +repage -fuzz 8% -fill black +opaque "$3" -fill white -opaque "$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

differing_pixels() {
  compare -metric AE "$1" "$2" null: 2>&1 || true
}

is_title() {
  # The first four menu labels, left-aligned from x 83 to 133, on rows 393 to 507 (the
  # fifth shares its rows with the options' help line).
  [ "$(count_colour "$1" 300x150+80+388 "$menu_text")" -gt 200 ]
}

is_options() {
  # The help line at (127, 552) and none of the title's labels.
  [ "$(count_colour "$1" 640x24+120+548 "$menu_text")" -gt 50 ] &&
    [ "$(count_colour "$1" 300x100+80+388 "$menu_text")" -lt 20 ]
}

is_key_config() {
  # No menu text at all, and a picture other than the options page.
  [ "$(count_colour "$1" 640x24+120+548 "$menu_text")" -lt 20 ] &&
    [ "$(differing_pixels "$work/shots/options.png" "$1")" -gt 5000 ]
}

is_save_select() {
  # The slot titles "Data - n" at (217, 109 + 160 n); the chosen one glows in another colour.
  [ "$(count_colour "$1" 80x16+215+267 "$menu_text")" -gt 20 ] &&
    [ "$(count_colour "$1" 80x16+215+427 "$menu_text")" -gt 20 ]
}

is_stage() {
  # Mission play: a picture that is neither a menu (no menu text on the slot titles'
  # rows, the title's labels or the briefing's statistics) nor a dark loading screen.
  [ "$(count_colour "$1" 80x16+215+267 "$menu_text")" -lt 5 ] &&
    [ "$(count_colour "$1" 260x70+498+466 "$menu_text")" -lt 20 ] &&
    [ "$(count_colour "$1" 300x100+80+388 "$menu_text")" -lt 20 ] &&
    [ "$(convert "$1" -colorspace gray -format '%[fx:round(100*mean)]' info:)" -gt 8 ]
}

is_briefing() {
  # The statistics panel's lines at (500, 470), (500, 495) and (500, 520), over the map
  # (the loading picture has text there too, on black).
  [ "$(count_colour "$1" 260x70+498+466 "$menu_text")" -gt 150 ] &&
    [ "$(convert "$1" -crop 300x300+100+100 +repage -colorspace gray -format '%[fx:round(100*mean)]' info:)" -gt 5 ]
}

is_route() {
  # The briefing without its menu: the route page.
  is_briefing "$1" && [ "$(count_colour "$1" 240x110+60+445 "$menu_text")" -lt 20 ]
}

is_route_chosen() {
  # The chosen stage's name on the plate at (110, 39).
  [ "$(count_colour "$1" 200x16+108+37 'rgb(251,170,182)')" -gt 20 ]
}

# Waits until the screenshot passes the check; the screen may still be fading in.
wait_for() {
  local name=$1 check=$2
  for _ in $(seq 60); do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for the $name"
    shot "$name"
    "$check" "$work/shots/$name.png" && return 0
    sleep 0.5
  done
  fail "the $name did not appear (last screenshot $work/shots/$name.png)"
}

press() {
  for key in "$@"; do
    xdotool keydown "$key"
    sleep 0.2
    xdotool keyup "$key"
    sleep 0.2
  done
}

wait_for title is_title

# A second copy started meanwhile stops at once and says why on its standard error.
second_status=0
(cd "$work/game" && exec timeout 60 "$exe" "${options[@]}") >"$work/second.log" 2>&1 || second_status=$?
[ "$second_status" -ne 0 ] || fail "a second copy ran beside the first"
grep -q "another copy of this program is already running" "$work/second.log" ||
  fail "a second copy stopped without saying why: $(cat "$work/second.log")"
kill -0 "$game_pid" 2>/dev/null || fail "the first copy ended when the second started"

# Without --software-display the game must draw through its display device: the device
# reports on the error output only when it cannot be had.
if [ ${#options[@]} -eq 0 ] && grep -q '^display device:' "$work/game.log"; then
  fail "the display device was not taken: $(cat "$work/game.log")"
fi

press Down Down Down z
wait_for options is_options

# Row 7 opens the key configuration (and writes the settings file on the way).
press Down Down Down Down Down Down Down z
wait_for key-config is_key_config
[ "$(stat -c %s "$work/game/pre.dat" 2>/dev/null || echo 0)" -eq 50 ] || fail "pre.dat was not written"

# Row 9 leaves the key configuration unchanged, back to the options.
press Up z
wait_for options-again is_options

# Row 8 goes back to the title.
press Up z
wait_for title-again is_title

# The first title entry: the save slots; the first slot is empty and starts a new game.
press Up Up Up z
wait_for save-slots is_save_select
press z z
wait_for first-stage is_stage
quit_game

# A second run continues a saved game: the first character after the first stage, at
# the map node of its exit door.
save="$work/game/data/save1.dat"
head -c 512 /dev/zero >"$save"
put_byte() { printf "\\x$(printf %02x "$2")" | dd of="$save" bs=1 seek="$1" conv=notrunc status=none; }
put_byte 0 1    # in use
put_byte 3 100  # life
put_byte 13 8   # eight shots of the first weapon
for w in $(seq 14 26); do put_byte "$w" 255; done
put_byte 71 1   # stages 1-1 and 1-2 open
put_byte 72 1
put_byte 230 1  # the first door passed
cp "$save" "$work/save-before.dat"
start_game
wait_for title-continue is_title
press z
wait_for save-slots-continue is_save_select
press z z
wait_for briefing is_briefing
cmp -s "$save" "$work/save-before.dat" && fail "the briefing did not autosave"
[ "$(stat -c %s "$save")" -eq 512 ] || fail "the autosave is not a whole record"
# The next stage: the route page, the branch to the right, confirm.
press z
wait_for route is_route
sleep 0.5
press Right
wait_for route-chosen is_route_chosen
press z
wait_for second-stage is_stage
quit_game
echo "end-to-end run passed; screenshots in $work/shots"
