#!/usr/bin/env bash
# A movie plays into a graph drawn in a real window: starts the movie demo in a virtual X
# server, takes screenshots a moment apart and expects the graph's place on screen to show
# movie colours that change, then expects the demo to end by itself with exit code 0.
#
# usage: movie_window_test.sh <movie_demo executable> <work directory>
set -euo pipefail

exe=$1
work=$2

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

rm -rf "$work"
mkdir -p "$work/run"
chmod 700 "$work/run"

xvfb_pid=
demo_pid=
cleanup() {
  [ -n "$demo_pid" ] && kill "$demo_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=../../support/xvfb.sh
source "$(dirname "$0")/../../support/xvfb.sh"
start_xvfb "$work" || fail "no X server"

# No sound device here: SDL's dummy output still pulls the sound, and with it the clock.
export SDL_AUDIODRIVER=dummy
export XDG_RUNTIME_DIR="$work/run"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
(cd "$work" && exec "$exe" 6) >"$work/demo.log" 2>&1 &
demo_pid=$!

window=
for _ in $(seq 100); do
  window=$(xdotool search --name 'movie demo' 2>/dev/null | head -n1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || fail "no window"

# The stretched graph covers (320, 120)-(720, 420) of the 800 x 600 client area.
colour_at_graph() {
  import -window "$window" "$1" 2>/dev/null || return 1
  convert "$1" -format '%[pixel:p{520,270}]' info:
}

colours=()
for i in $(seq 40); do
  c=$(colour_at_graph "$work/shot$i.png" || echo none)
  case "$c" in none | black | 'srgb(0,0,0)' | 'rgb(0,0,0)') ;; *) colours+=("$c") ;; esac
  distinct=$(printf '%s\n' "${colours[@]}" | sort -u | wc -l)
  [ "${#colours[@]}" -gt 0 ] && [ "$distinct" -ge 2 ] && break
  sleep 0.25
done
[ "${#colours[@]}" -gt 0 ] || fail "the movie graph never showed on screen"
[ "$(printf '%s\n' "${colours[@]}" | sort -u | wc -l)" -ge 2 ] || fail "the movie did not move: ${colours[*]}"

wait "$demo_pid" || fail "the demo ended with $? ($(tail -n 5 "$work/demo.log"))"
demo_pid=
echo "movie colours seen: ${colours[*]}"
