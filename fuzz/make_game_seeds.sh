#!/usr/bin/env bash
# Makes the seed corpora of the game's fuzz targets: files of a built data set (its loose
# folder, from `dataset_builder --loose DIR`), each behind the byte that picks its reader,
# and the user files (settings, saves, VR records) and a MIDI song that the data set does
# not hold, written here byte by byte. Usage: fuzz/make_game_seeds.sh LOOSE_DIR
set -euo pipefail
loose=$1
corpus=$(cd "$(dirname "$0")" && pwd)/corpus

# seed TARGET NAME PICK_BYTE [FILE]: the pick byte (octal, or "" for none) then the file.
seed() {
  mkdir -p "$corpus/$1"
  { [ -n "$3" ] && printf "\\$3"; [ $# -ge 4 ] && cat "$4"; true; } > "$corpus/$1/$2"
}
zeros() { head -c "$1" /dev/zero; }

seed fuzz_stage_record loader_1-1 000 "$loose/bin/1-1"
seed fuzz_stage_record loader_vr 000 "$loose/bin/vr_1-1"
seed fuzz_stage_record editor_2-3 001 "$loose/bin/2-3"

seed fuzz_startup_tables door 000 "$loose/bin/Door.tbl"
seed fuzz_startup_tables event 001 "$loose/bin/Event.tbl"
seed fuzz_startup_tables cinema 002 "$loose/bin/Cinema.tbl"

seed fuzz_event_script script_1 000 "$loose/evx/1.txt"
seed fuzz_event_script script_101 005 "$loose/evx/101.txt"
seed fuzz_event_script script_k_panel 002 "$(ls -S "$loose"/evx/*.txt | tail -1)"

# Settings: the default key assignment, volumes 100 and 80, the rest zero.
settings=$(mktemp)
{ printf '\000\001\002\003\004\005\006\007\010\144\120'; zeros 39; } > "$settings"
seed fuzz_user_records settings 000 "$settings"
# Saves: an empty one, and one whose counts all say "not owned".
save=$(mktemp)
zeros 512 > "$save"
seed fuzz_user_records save_empty 001 "$save"
seed fuzz_user_records slots_empty 002 "$save"
head -c 512 /dev/zero | tr '\000' '\377' > "$save"
seed fuzz_user_records save_unowned 001 "$save"

# VR records: an empty table with the file marker "abc".
vr=$(mktemp)
{ zeros 1018; printf 'abc'; zeros 1027; } > "$vr"
seed fuzz_vr_records marked "" "$vr"

# MIDI: one note on a piano, and the same with a tempo change and two tracks.
midi=$(mktemp)
printf 'MThd\000\000\000\006\000\000\000\001\000\140MTrk\000\000\000\017\000\300\000\000\220\074\144\140\200\074\100\000\377\057\000' > "$midi"
seed fuzz_midi_file one_note "" "$midi"
printf 'MThd\000\000\000\006\000\001\000\002\000\140MTrk\000\000\000\013\000\377\121\003\007\241\040\000\377\057\000MTrk\000\000\000\017\000\301\030\000\221\100\144\201\000\201\100\100\000\377\057\000' > "$midi"
seed fuzz_midi_file two_tracks "" "$midi"
rm -f "$settings" "$save" "$vr" "$midi"
