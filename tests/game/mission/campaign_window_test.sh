#!/usr/bin/env bash
# The campaign's first stage played in a real window: a new game in the first save slot, the
# opening scenes confirmed through, the first stage crossed on its road (run right to the exit
# door, where the area's talk starts, confirm it, up through the door), the briefing with its
# autosave; then the game ended, started again, and the saved game continued from its slot
# into the briefing. Every wait is on something the screen shows: a talk window, the mission's
# life bar, a menu.
#
# usage: campaign_window_test.sh <game executable> <data set directory> <work directory> [game options...]
set -euo pipefail

exe=$1
data=$2
work=$3
shift 3
options=("$@")

# shellcheck source=../../support/game_window.sh
source "$(dirname "$0")/../../support/game_window.sh"

# A talk window at the bottom: the dark one (its fill, or its blue text while it fades) or
# the light one's paper.
talk_shown() {
  [ "$(count_colour "$1" 700x60+50+520 'rgb(10,22,44)' 2%)" -gt 30000 ] ||
    [ "$(count_colour "$1" 700x120+40+430 "$menu_text" 20%)" -gt 300 ] ||
    [ "$(count_colour "$1" 700x60+50+520 'rgb(240,234,218)' 5%)" -gt 5000 ]
}

# The mission's life bar at the top left, lit or under the pause's shade.
life_bar_shown() {
  [ "$(count_colour "$1" 20x100+14+100 'rgb(76,213,101)' 12%)" -gt 150 ] ||
    [ "$(count_colour "$1" 20x100+14+100 'rgb(38,106,50)' 12%)" -gt 150 ]
}

# The talk portraits slide in on the left: the first agent's red jacket, the shrine keeper's
# white robe.
agent_portrait() { [ "$(count_colour "$1" 250x200+0+200 'rgb(170,30,50)' 4%)" -gt 5000 ]; }
keeper_portrait() { [ "$(count_colour "$1" 250x200+0+200 'rgb(235,235,240)' 3%)" -gt 5000 ]; }

landing_talk() { talk_shown "$1" && life_bar_shown "$1" && agent_portrait "$1"; }
landing_talk_over() { ! talk_shown "$1" && ! agent_portrait "$1"; }
door_talk() { talk_shown "$1" && keeper_portrait "$1"; }
door_talk_over() { ! talk_shown "$1" && ! keeper_portrait "$1"; }

# Presses confirm until the check passes on a screenshot taken after the press.
confirm_until() {
  local name=$1 check=$2 tries=${3:-200}
  for _ in $(seq "$tries"); do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for the $name"
    shot "$name"
    "$check" "$work/shots/$name.png" && return 0
    xdotool keydown z
    sleep 0.05
    xdotool keyup z
    sleep 0.05
  done
  fail "the $name did not come (last screenshot $work/shots/$name.png)"
}

start_game
wait_for title is_title
press z
wait_for save-slots is_save_select
press z z

# The opening scenes and their talks; the last talk is the landing's, over the first stage.
confirm_until landing-talk landing_talk
confirm_until first-stage landing_talk_over
life_bar_shown "$work/shots/first-stage.png" || fail "the first stage is not in play after the landing"

# The road of the first stage: right along the upper deck to the exit door, where the area's
# talk stops the player in front of the door.
xdotool keydown Right
for _ in $(seq 120); do
  shot door-talk
  door_talk "$work/shots/door-talk.png" && break
  sleep 0.25
done
xdotool keyup Right
door_talk "$work/shots/door-talk.png" || fail "no talk at the exit door (last screenshot $work/shots/door-talk.png)"
confirm_until door-talk-over door_talk_over
# Up through the door once the talk has let go of the mission.
for _ in $(seq 40); do
  press Up
  shot briefing
  is_briefing "$work/shots/briefing.png" && break
done
wait_for briefing is_briefing
save="$work/game/data/save1.dat"
[ "$(stat -c %s "$save" 2>/dev/null || echo 0)" -eq 512 ] || fail "the briefing did not autosave a whole record"
byte() { od -An -tu1 -j "$1" -N1 "$save" | tr -d ' '; }
[ "$(byte 0)" -eq 1 ] || fail "the autosave is not marked in use"
[ "$(byte 230)" -eq 1 ] || fail "the autosave does not mark the first door as passed"
cp "$save" "$work/save-after-first-stage.dat"
quit_game

# Started again, the saved game goes on from its slot to the briefing at the same map node.
start_game
wait_for title-again is_title
press z
wait_for save-slots-again is_save_select
press z z
wait_for briefing-continued is_briefing
[ "$(byte 6)" -eq 0 ] && [ "$(byte 7)" -eq 0 ] || fail "the continued game is not at the first door's node"
quit_game
echo "campaign window run passed; screenshots in $work/shots"
