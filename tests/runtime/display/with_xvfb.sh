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

# shellcheck source=../../support/xvfb.sh
source "$(dirname "$0")/../../support/xvfb.sh"
if ! start_xvfb "$work"; then
  echo "FAIL: no X server" >&2
  exit 1
fi

mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
# The leaks the sanitizer reports at exit are in the X and GL libraries.
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
export SDL_AUDIODRIVER=dummy
status=0
"$@" || status=$?
exit $status
