# For trying the game by hand in a window, from a script: the game's folder with the built
# data set, a virtual X server, the game started in a window of it, keys, screenshots and
# colour counts. (The campaign's window test drives the game from inside instead:
# tests/game/mission/campaign_window_run.cpp.)
# The sourcing script sets exe, data, work and the array options before sourcing this file;
# it calls start_game itself (after putting any extra files into "$work/game").

# The menus draw their texts in this colour.
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

xvfb_pid=
game_pid=
window=
cleanup() {
  [ -n "$game_pid" ] && kill "$game_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT

# shellcheck source=xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/xvfb.sh"
start_xvfb "$work" || fail "no X server"

# No sound device here. In a sanitizer build, leak checking is off for these runs: the
# leaks it reports at exit are in the X and D-Bus libraries the window system loads (and
# unloads); the headless tests check the game's own code for leaks.
export SDL_AUDIODRIVER=dummy
# The single-instance lock lives in the runtime folder: the game under test gets its own,
# so a copy of the game running elsewhere on the machine does not stop it.
mkdir -p "$work/run"
chmod 700 "$work/run"
export XDG_RUNTIME_DIR="$work/run"
export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"

start_game() {
  (cd "$work/game" && exec "$exe" "${options[@]}") >>"$work/game.log" 2>&1 &
  game_pid=$!
  window=
  for _ in $(seq 100); do
    window=$(xdotool search --name 'CODE:K' 2>/dev/null | head -n1 || true)
    [ -n "$window" ] && break
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended at start: $(cat "$work/game.log")"
    sleep 0.2
  done
  [ -n "$window" ] || fail "no game window"
  # Keys go to the focused window, and an unfocused game pauses.
  xdotool mousemove --window "$window" 400 300 windowfocus --sync "$window" 2>/dev/null || true
}

# Escape held ends the game; it must end with exit code 0.
quit_game() {
  xdotool keydown Escape
  local status=0
  for _ in $(seq 50); do
    kill -0 "$game_pid" 2>/dev/null || break
    sleep 0.1
  done
  xdotool keyup Escape 2>/dev/null || true
  wait "$game_pid" || status=$?
  game_pid=
  [ "$status" -eq 0 ] || fail "the game ended with exit code $status: $(cat "$work/game.log")"
}

shot() {
  import -window "$window" "$work/shots/$1.png"
}

# Pixels of the colour within the rectangle (width x height + left + top), within the
# given closeness (8% unless a fourth argument says otherwise).
count_colour() {
  convert "$1" -crop "$2" +repage -fuzz "${4:-8%}" -fill black +opaque "$3" -fill white -opaque "$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

differing_pixels() {
  compare -metric AE "$1" "$2" null: 2>&1 || true
}

is_title() {
  # The first four menu labels, left-aligned from x 83 to 133, on rows 393 to 507 (the
  # fifth shares its rows with the options' help line).
  [ "$(count_colour "$1" 300x150+80+388 "$menu_text")" -gt 200 ]
}

is_save_select() {
  # The slot titles "Data - n" at (217, 109 + 160 n); the chosen one glows in another colour.
  [ "$(count_colour "$1" 80x16+215+267 "$menu_text")" -gt 20 ] &&
    [ "$(count_colour "$1" 80x16+215+427 "$menu_text")" -gt 20 ]
}

is_briefing() {
  # The statistics panel's lines at (500, 470), (500, 495) and (500, 520), over the map
  # (the loading picture has text there too, on black).
  [ "$(count_colour "$1" 260x70+498+466 "$menu_text")" -gt 150 ] &&
    [ "$(convert "$1" -crop 300x300+100+100 +repage -colorspace gray -format '%[fx:round(100*mean)]' info:)" -gt 5 ]
}

# Waits until the screenshot passes the check (the screen may still be fading in), trying
# the given number of times (wait_tries, else 60, unless given) half a second apart.
wait_for() {
  local name=$1 check=$2 tries=${3:-${wait_tries:-60}}
  for _ in $(seq "$tries"); do
    kill -0 "$game_pid" 2>/dev/null || fail "the game ended while waiting for the $name"
    shot "$name"
    "$check" "$work/shots/$name.png" && return 0
    sleep 0.5
  done
  fail "the $name did not appear (last screenshot $work/shots/$name.png)"
}

# Short presses, one key after another.
press() {
  for key in "$@"; do
    xdotool keydown "$key"
    sleep 0.2
    xdotool keyup "$key"
    sleep 0.2
  done
}
