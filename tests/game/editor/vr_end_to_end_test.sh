#!/usr/bin/env bash
# VR training in a real window: the game starts with a damaged "time.dat", the title's
# "VR MISSION" shows the reset notice and writes a fresh record file, confirm opens the VR
# menu, a category opens its mission list, and the first mission starts with the VR clock
# running at the top right. Then Escape ends the game with exit code 0.
#
# usage: vr_end_to_end_test.sh <game executable> <data set directory> <work directory> [game options...]
set -euo pipefail

exe=$1
data=$2
work=$3
shift 3
options=("$@")

# shellcheck source=../../support/game_window.sh
source "$(dirname "$0")/../../support/game_window.sh"
# Every byte 1: no copy holds a time, so the file counts as damaged.
head -c 2048 /dev/zero | tr '\0' '\001' >"$work/game/time.dat"
start_game

# Bright pixels (the clock's white digits) within the rectangle.
count_bright() {
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 70% -format '%[fx:round(mean*w*h)]' info:
}

# The notice's line at (95, 560) and no category list.
is_notice() {
  [ "$(count_colour "$1" 600x20+90+556 "$menu_text")" -gt 50 ] &&
    [ "$(count_colour "$1" 200x230+105+96 "$menu_text")" -lt 20 ]
}

# The six category labels at (110, 100 + 40 i).
is_vr_menu() {
  [ "$(count_colour "$1" 200x230+105+96 "$menu_text")" -gt 200 ]
}

# Mission labels at (480, 100 + 40 i) beside the categories.
is_mission_list() {
  is_vr_menu "$1" && [ "$(count_colour "$1" 200x390+475+96 "$menu_text")" -gt 300 ]
}

# No menu labels, and the clock's digits at the top right.
is_vr_mission() {
  [ "$(count_colour "$1" 200x230+105+96 "$menu_text")" -lt 20 ] &&
    [ "$(count_bright "$1" 75x14+724+9)" -gt 20 ]
}

wait_for title is_title
# The title's third entry is "VR MISSION"; the cursor starts on the first.
press Down Down z
wait_for notice is_notice
size=$(stat -c %s "$work/game/time.dat")
[ "$size" -eq 2048 ] || fail "time.dat is $size bytes"
# The first minute of the fresh file is 59, stored as 2 x 59 + 5.
first=$(od -An -tu1 -N1 "$work/game/time.dat" | tr -d ' ')
[ "$first" -eq 123 ] || fail "time.dat was not written afresh (first byte $first)"

press z
wait_for vr-menu is_vr_menu
press z
wait_for mission-list is_mission_list
press z
wait_for vr-mission is_vr_mission

xdotool keydown Escape
status=0
for _ in $(seq 50); do
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
xdotool keyup Escape 2>/dev/null || true
wait "$game_pid" || status=$?
game_pid=
[ "$status" -eq 0 ] || fail "the game ended with exit code $status: $(cat "$work/game.log")"
echo "VR end-to-end run passed; screenshots in $work/shots"
