#!/usr/bin/env bash
# The first character's campaign in a real window, in two processes over one game folder:
# campaign_window_run's FirstStage (new game, the first stage, the briefing and its autosave,
# back to the title, quit), then its Continue (started again, the saved game continued, the
# stage its briefing chose played to the briefing after it). Each run has its display: "gl" (the
# display device) or "software" (--software-display). The game's own diagnostics go to its
# error stream: a run that wrote any fails.
#
# usage: campaign_window_test.sh <campaign_window_run> <data set directory> <work directory>
#                                [first run's display] [second run's display]
set -euo pipefail

run=$1
data=$2
work=$3
first=${4:-software}
second=${5:-gl}

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/game" "$work/shots" "$work/run"
chmod 700 "$work/run"
shopt -s nullglob
archives=("$data"/*.akn)
[ ${#archives[@]} -gt 0 ] || fail "no archives in $data (build the dataset target)"
cp "${archives[@]}" "$work/game/"

xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=../../support/xvfb.sh
source "$(dirname "$0")/../../support/xvfb.sh"
if [ -z "${DISPLAY_FOR_CAMPAIGN_WINDOW:-}" ]; then
  start_xvfb "$work" || fail "no X server"
else
  # By hand: a server already running (to watch it or take screenshots alongside).
  export DISPLAY=$DISPLAY_FOR_CAMPAIGN_WINDOW
fi

# No sound device here; the single-instance lock in a runtime folder of the test's own.
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$work/run"

display_option() {
  case $1 in
    gl) ;;
    software) echo --software-display ;;
    *) fail "unknown display '$1' (gl or software)" ;;
  esac
}

play() {
  local test=$1 display=$2 status=0
  echo "== $test on the $display display"
  # shellcheck disable=SC2046
  "$run" --game-dir="$work/game" --shots="$work/shots" $(display_option "$display") --gtest_filter="CampaignWindow.$test" \
    2>"$work/$test.stderr" || status=$?
  if [ -s "$work/$test.stderr" ]; then
    cat "$work/$test.stderr" >&2
    fail "$test: the game wrote diagnostics"
  fi
  [ "$status" -eq 0 ] || fail "$test failed (exit code $status)"
}

play FirstStage "$first"
play Continue "$second"
echo "campaign window run passed; screenshots in $work/shots"
