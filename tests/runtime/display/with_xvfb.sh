#!/usr/bin/env bash
# Runs a command with a virtual X server of its own as its display (and a runtime folder of
# its own for the single-instance lock).
#
# usage: with_xvfb.sh <command> [arguments...]
set -euo pipefail

work=$(mktemp -d)
xvfb_pid=
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# The X server sometimes refuses its first connections here: start it again until a
# client gets through.
for attempt in 1 2 3 4 5; do
  rm -f "$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
  xvfb_pid=$!
  for _ in $(seq 50); do
    [ -s "$work/display" ] && break
    sleep 0.1
  done
  if [ -s "$work/display" ]; then
    export DISPLAY=":$(head -n1 "$work/display")"
    for _ in 1 2 3 4 5; do
      if xdotool getdisplaygeometry >/dev/null 2>&1; then
        mkdir -p "$work/run"
        chmod 700 "$work/run"
        export XDG_RUNTIME_DIR="$work/run"
        # The leaks the sanitizer reports at exit are in the X and GL libraries.
        export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
        export SDL_AUDIODRIVER=dummy
        status=0
        "$@" || status=$?
        exit $status
      fi
      sleep 0.5
    done
  fi
  echo "X server attempt $attempt refused connections; retrying" >&2
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=
done
echo "FAIL: no X server" >&2
exit 1
