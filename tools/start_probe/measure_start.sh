#!/bin/bash
# Measures the game's start: exec to the first picture its frame loop presents, in processor
# time (all threads, user and system) and in wall time, over several starts.
#
#   measure_start.sh GAME PROBE DATA RUNS [game options...]
#
# GAME: the optimized build's executable; PROBE: the start_probe module built beside it;
# DATA: a folder holding the data set's archives (the game starts in it); RUNS: how many
# starts. DISPLAY must name an X server (a virtual one will do). Sound goes to SDL's dummy
# driver unless SDL_AUDIODRIVER says otherwise. Prints every start, then the least and the
# median of each figure: on a busy machine the least is the one disturbed least.
set -euo pipefail
game=$(realpath "$1") probe=$(realpath "$2") data=$3 runs=$4
shift 4
range=$(nm -S "$game" | awk '$4 == "_Z8RunFramev" {print $1 ":" $2}')
[ -n "$range" ] || { echo "no frame-loop symbol in $game" >&2; exit 1; }
run_dir=$(mktemp -d)
trap 'rm -rf "$run_dir"' EXIT
results=()
for _ in $(seq "$runs"); do
  line=$(cd "$data" && XDG_RUNTIME_DIR="$run_dir" SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy} START_PROBE_EXIT=1 \
         START_PROBE_RANGE=$range START_PROBE_T0=$(date +%s%N) LD_PRELOAD="$probe" "$game" "$@" 2>&1 |
         grep '^first frame' || true)
  [ -n "$line" ] || { echo "the game presented no frame" >&2; exit 1; }
  echo "$line"
  results+=("$line")
done
for key in cpu wall; do
  printf '%s\n' "${results[@]}" | grep -o "$key=[0-9.]*" | cut -d= -f2 | sort -n | awk -v key="$key" '
    { v[NR] = $1 }
    END { printf "%s: least %.3f s, median %.3f s over %d starts\n", key, v[1], NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, NR }'
done
