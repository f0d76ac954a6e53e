// Internals of stream sounds shared with the sound handles.
#pragma once
#include "runtime/sound/sound_record.h"

namespace rt {

// The buffer of the ring a stream sound plays on (its own or the sharing sound's), or null.
SoundBuffer* StreamRingBuffer(SoundRecord* rec);
// The stream branch of deleting a sound: 1 when the sound stays, marked for a later
// delete, because others still play on its ring; 0 when its stream parts are freed and
// the record may go.
int ReleaseStreamSound(int handle, SoundRecord* rec);

}  // namespace rt
