#!/usr/bin/env bash
# Makes a stage as a user would: starts the real executable on the built data set in a
# window of a virtual X server, takes the title's editor entry, paints a small stage with
# mouse moves, clicks and a drag, places the start and the goal from the block list, names
# the stage with typed text, saves it, test-plays it to the goal and back, quits, starts the game again and
# finds the stage in the slot list and opens it for editing.
#
# usage: editor_end_to_end_test.sh <game executable> <data set directory> <work directory>
set -euo pipefail

exe=$1
data=$2
work=$3

options=(--software-display)
# Frames of the sanitizer build are slow: screens take longer to come.
wait_tries=120
# shellcheck source=../../support/game_window.sh
source "$(dirname "$0")/../../support/game_window.sh"

# The slot list: labels in the menu colour on its upper rows, where the title (whose menu
# sits lower and shares the colour) has none.
is_slot_screen() { [ "$(count_colour "$1" 300x290+150+60 "$menu_text")" -gt 300 ]; }
# The editing screen: the red cursor box and no slot labels.
is_editor() {
  [ "$(count_colour "$1" 800x520+0+0 'rgb(255,0,0)')" -gt 60 ] &&
    [ "$(count_colour "$1" 300x440+150+60 "$menu_text")" -lt 100 ]
}
is_main_menu() { [ "$(count_colour "$1" 200x340+100+55 "$menu_text")" -gt 200 ]; }
is_save_dialog() { [ "$(count_colour "$1" 200x80+640+40 "$menu_text")" -gt 50 ]; }
# Mission play: neither the editor's grid cursor nor its help bar.
is_mission() {
  [ "$(count_colour "$1" 800x600+0+0 'rgb(255,0,0)')" -lt 20 ] &&
    [ "$(count_colour "$1" 740x30+30+565 "$menu_text")" -lt 50 ]
}
# The result panel of a cleared stage: its white lines of figures.
is_result() { [ "$(count_colour "$1" 150x70+355+215 'rgb(255,255,255)')" -gt 150 ]; }

# A click of a mouse button (1 left, 3 right) at a point of the game's screen. The press and
# the release come together, between two frames of the game: the game sees the click only
# because presses are kept for the next read of the buttons. The pause after it lets the
# screen take the click before the pointer moves on.
click() {
  xdotool mousemove --window "$window" "$1" "$2"
  sleep 0.3
  xdotool click "${3:-1}"
  sleep 0.6
}

to_slot_screen() {
  wait_for "title$1" is_title
  press Down z
  wait_for "slots$1" is_slot_screen
  # The window takes mouse buttons once the pointer has entered it: the pointer may have been
  # inside before the window was mapped.
  xdotool mousemove 1010 760
  sleep 0.3
  xdotool mousemove --window "$window" 400 300
  sleep 0.5
}

start_game
to_slot_screen ""

# Slot 1, then a new stage.
click 300 75
click 725 112
wait_for editor is_editor

# A floor: a drag along row 13, then single clicks.
xdotool mousemove --window "$window" 20 540
sleep 0.3
xdotool mousedown 1
sleep 0.3
for x in 60 100 140 180 220 260 300 340 380 420 460 500 540; do
  xdotool mousemove --window "$window" "$x" 540
  sleep 0.3
done
xdotool mouseup 1
sleep 0.3
for x in 580 620 660 700 740; do click "$x" 540; done

# The start and the goal from the block list (second column, rows 12 and 13).
click 400 300 3
wait_for main-menu is_main_menu
click 180 115
click 550 453
click 60 500
click 400 300 3
click 180 115
click 550 487
click 220 460
xdotool mousemove --window "$window" 400 200
sleep 1
shot painted
[ "$(differing_pixels "$work/shots/editor.png" "$work/shots/painted.png")" -gt 3000 ] ||
  fail "painting changed nothing on the screen"

# Name and save.
click 400 300 3
click 180 315
wait_for save-dialog is_save_dialog
xdotool type --delay 300 'Stage 倉庫'
sleep 0.5
shot named
click 725 52
sleep 1
stage="$work/game/stage/01.stg"
[ "$(stat -c %s "$stage" 2>/dev/null || echo 0)" -eq 3000 ] || fail "stage/01.stg was not written"
# The name is stored in Shift-JIS, ended by a zero byte.
name=$(dd if="$stage" bs=1 skip=2929 count=10 2>/dev/null | iconv -f CP932 -t UTF-8)
[ "$name" = "Stage 倉庫" ] || fail "the saved name is '$name'"
[ "$(od -An -tu1 -j 2939 -N 1 "$stage" | tr -d ' ')" -eq 0 ] || fail "the saved name is not ended"
floor=$(od -An -tu1 -v -j $((13 * 60)) -N 19 "$stage" | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')
[ "$floor" = "$(printf '25 %.0s' $(seq 19) | sed 's/ $//')" ] || fail "row 13 holds '$floor'"
[ "$(od -An -tu1 -j $((12 * 60 + 1)) -N 1 "$stage" | tr -d ' ')" -eq 95 ] || fail "no start at (1, 12)"
[ "$(od -An -tu1 -j $((11 * 60 + 5)) -N 1 "$stage" | tr -d ' ')" -eq 99 ] || fail "no goal at (5, 11)"

# Test play: walk right to the goal; confirming the result panel brings the editor back with
# the stage.
click 180 65
wait_for mission is_mission
xdotool keydown Right
wait_for result is_result
xdotool keyup Right
press z
wait_for editor-after-play is_editor
[ "$(differing_pixels "$work/shots/painted.png" "$work/shots/editor-after-play.png")" -lt 40000 ] ||
  fail "the editor after test play does not show the painted stage"

# Quit, start again: the stage is in the slot list and opens for editing.
quit_game
start_game
to_slot_screen "-again"
slot_one=$(count_colour "$work/shots/slots-again.png" 300x30+150+60 "$menu_text")
slot_two=$(count_colour "$work/shots/slots-again.png" 300x30+150+95 "$menu_text")
[ "$slot_one" -ne "$slot_two" ] || fail "slot 1 shows the same label as the empty slot 2"
click 300 75
click 725 82
wait_for editor-again is_editor
[ "$(differing_pixels "$work/shots/painted.png" "$work/shots/editor-again.png")" -lt 40000 ] ||
  fail "the stage opened again does not look like the painted one"
quit_game
echo "editor end-to-end run passed; screenshots in $work/shots"
