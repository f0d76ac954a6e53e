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

# shellcheck source=../../support/game_window.sh
source "$(dirname "$0")/../../support/game_window.sh"
start_game

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

is_stage() {
  # Mission play: a picture that is neither a menu (no menu text on the slot titles'
  # rows, the title's labels or the briefing's statistics) nor a dark loading screen.
  [ "$(count_colour "$1" 80x16+215+267 "$menu_text")" -lt 5 ] &&
    [ "$(count_colour "$1" 260x70+498+466 "$menu_text")" -lt 20 ] &&
    [ "$(count_colour "$1" 300x100+80+388 "$menu_text")" -lt 20 ] &&
    [ "$(convert "$1" -colorspace gray -format '%[fx:round(100*mean)]' info:)" -gt 8 ]
}

is_route() {
  # The briefing without its menu: the route page.
  is_briefing "$1" && [ "$(count_colour "$1" 240x110+60+445 "$menu_text")" -lt 20 ]
}

is_route_chosen() {
  # The chosen stage's name on the plate at (110, 39).
  [ "$(count_colour "$1" 200x16+108+37 'rgb(251,170,182)')" -gt 20 ]
}

wait_for title is_title

# A second copy started meanwhile in the same game folder, with a runtime folder of its own
# (so only the lock beside the user files can stop it), stops and says why: on its standard
# error, and in a message box where the desktop can show one (the box is shot and closed).
mkdir -p "$work/run2"
chmod 700 "$work/run2"
(cd "$work/game" && XDG_RUNTIME_DIR="$work/run2" exec timeout 60 "$exe" "${options[@]}") >"$work/second.log" 2>&1 &
second_pid=$!
for _ in $(seq 100); do
  kill -0 "$second_pid" 2>/dev/null || break
  # The box carries the game's title but no window class of its own.
  box=$(xwininfo -root -tree 2>/dev/null | awk '/CODE:K/ && !/"stealth"/ {print $1; exit}' || true)
  if [ -n "$box" ]; then
    sleep 0.5
    import -window "$box" "$work/shots/second-copy-box.png" || true
    xdotool windowfocus --sync "$box" key Return 2>/dev/null || true
  fi
  sleep 0.2
done
second_status=0
wait "$second_pid" || second_status=$?
[ "$second_status" -ne 0 ] || fail "a second copy ran beside the first"
grep -q "another copy of this program is already running" "$work/second.log" ||
  fail "a second copy stopped without saying why: $(cat "$work/second.log")"
kill -0 "$game_pid" 2>/dev/null || fail "the first copy ended when the second started"
# The box took the focus; an unfocused game pauses.
xdotool mousemove --window "$window" 400 300 windowfocus --sync "$window" 2>/dev/null || true

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
