# Sourced by the tests that need a real window: starts a virtual X server of their own.
#
# start_xvfb <work directory>: starts the server, sets DISPLAY and xvfb_pid, and returns 0
# once a client gets through; returns 1 when no server could be had. The caller kills
# xvfb_pid when it is done.

# The X server sometimes refuses its first connections here: start it again until a client
# gets through.
start_xvfb() {
  local work=$1 attempt
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
        xdotool getdisplaygeometry >/dev/null 2>&1 && return 0
        sleep 0.5
      done
    fi
    echo "X server attempt $attempt refused connections; retrying" >&2
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=
  done
  return 1
}
