// The edited stage to and from a 3000-byte stage record: what the user stage file holds and
// what test play hands to the stage loader through stageBuffer.
#pragma once
#include <cstdint>

#include "runtime/api.h"

class StageEditor;

// Writes the fields the editor owns into the record; every other byte stays as it is.
void StoreEditedStage(const StageEditor& editor, uint8_t* record);
// Takes the editor's fields back from a record. An enemy type beyond the type table is
// refused: its slot is read as empty.
void LoadEditedStage(StageEditor& editor, const uint8_t* record);
// A stored stage name the screens can show: Shift-JIS up to its first zero byte, no control
// bytes, no lead byte without its trail byte.
bool IsReadableStageName(const uint8_t* name, int size);
// The grid holds a player start (test play has nowhere to put the player without one).
bool StageHasStart();
// Reads the open stage file into a zeroed record, as far as the file goes.
void ReadUpToARecord(const char* path, FileHandle file, uint8_t* record);
