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
# Every byte 1: no copy holds a time, so the file counts as damaged.
head -c 2048 /dev/zero | tr '\0' '\001' >"$work/game/time.dat"

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

export SDL_AUDIODRIVER=dummy
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
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
xdotool mousemove --window "$window" 400 300 windowfocus --sync "$window" 2>/dev/null || true

shot() {
  import -window "$window" "$work/shots/$1.png"
}

count_colour() {
  convert "$1" -crop "$2" +repage -fuzz 8% -fill black +opaque "$3" -fill white -opaque "$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

# Bright pixels (the clock's white digits) within the rectangle.
count_bright() {
  convert "$1" -crop "$2" +repage -colorspace Gray -threshold 70% -format '%[fx:round(mean*w*h)]' info:
}

is_title() {
  [ "$(count_colour "$1" 300x150+80+388 "$menu_text")" -gt 200 ]
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
