// Stream sounds: one looping buffer used as a six-second ring, kept filled from the message
// pump with PCM decoded from up to three sources played one after another.
#include "runtime/sound/stream_sound.h"

#include <algorithm>
#include <cstring>

#include "runtime/core/log.h"
#include "runtime/core/window.h"
#include "runtime/sound/sound.h"
#include "runtime/sound/sound_buffer.h"
#include "runtime/sound/sound_state.h"

namespace rt {

namespace {

// The write position of a ring that has not had its first fill.
constexpr int32_t kRingNotFilled = -800;
// The first fill, and how far behind the write position the valid data reaches.
constexpr int kFilledSeconds = 4;
// Refill arithmetic works in 1/128 s; a pass tops the ring up to three seconds ahead of
// the play cursor, and writes at least 1/8 s.
constexpr int64_t kUnitsPerSecond = 128;
constexpr int64_t kAheadUnits = 3 * kUnitsPerSecond;
constexpr int kMinimumWriteDivisor = 8;
// Reads in a row that deliver nothing before the sources count as empty: a list of empty
// sources that loops would otherwise never end.
constexpr int kMaxEmptyReads = 1024;

struct RingLock {
  int32_t start = 0;
  uint8_t* first = nullptr;
  uint8_t* second = nullptr;
  uint32_t firstLength = 0;
  uint32_t secondLength = 0;
  uint32_t firstWritten = 0;
  uint32_t secondWritten = 0;
  uint32_t firstLeft = 0;
  uint32_t secondLeft = 0;
};

int32_t AlignDown(int64_t bytes, uint16_t align) {
  return static_cast<int32_t>(bytes - bytes % std::max<uint16_t>(align, 1));
}

int32_t FilledBytes(const SoundRecord* rec) {
  return AlignDown(int64_t{kFilledSeconds} * rec->format.avgBytesPerSec, rec->format.blockAlign);
}

SoundRecord* RingOwner(SoundRecord* rec) {
  return rec->shareHandle == -1 ? rec : FindSound(rec->shareHandle);
}

SoundRecord* FindStreamSound(int handle) {
  SoundRecord* rec = FindSound(handle);
  return rec && rec->kind == kSoundStream ? rec : nullptr;
}

int ClaimStreamBuffer(int handle, SoundRecord* rec, SoundBuffer** buffer, int take) {
  SoundRecord* owner = RingOwner(rec);
  if (!owner) return -1;
  if (owner->ringUser != -1 && owner->ringUser != handle) {
    if (!take) return -1;
    StopStreamSound(owner->ringUser);
  }
  owner->ringUser = handle;
  *buffer = &owner->buffers[0];
  return 0;
}

uint32_t PlayCursor(SoundBuffer* buffer) {
  uint32_t play = 0;
  SoundBufferGetPosition(buffer, &play, nullptr);
  return play;
}

bool BufferPlaying(SoundBuffer* buffer) {
  uint32_t status = 0;
  return SoundBufferGetStatus(buffer, &status) == 0 && (status & platform::kStatusPlaying);
}

// The cursor must lie inside the written window from the valid start to the write
// position; outside it, the ring's old data is playing and nothing may be written.
bool CursorInWindow(const SoundRecord* rec, int32_t p) {
  const int32_t w = rec->writePosition, v = rec->validStart;
  if (v < w) return p >= v && p <= w;
  if (w < v) return !(p > w && p < v);
  return true;
}

void AdvanceWrite(SoundRecord* rec, int32_t amount) {
  rec->writePosition = (rec->writePosition + amount) % rec->ringSize;
  rec->validStart = rec->writePosition - FilledBytes(rec);
  if (rec->validStart < 0) rec->validStart += rec->ringSize;
}

// The ring offset where the next byte of the region goes.
int32_t NextWriteOffset(const RingLock& r) {
  if (r.firstLeft > 0) return r.start + static_cast<int32_t>(r.firstWritten);
  return static_cast<int32_t>(r.secondWritten);
}

void FillStreamSilence(const SoundRecord* rec, RingLock* r) {
  const int value = rec->format.bitsPerSample == 8 ? 0x80 : 0;
  std::memset(r->first + r->firstWritten, value, r->firstLeft);
  r->firstWritten += r->firstLeft;
  r->firstLeft = 0;
  if (r->second) std::memset(r->second + r->secondWritten, value, r->secondLeft);
  r->secondWritten += r->secondLeft;
  r->secondLeft = 0;
}

void WriteEnd(SoundRecord* rec, RingLock* r, int32_t cursor) {
  rec->finished = 1;
  rec->endWritten = 1;
  rec->endMark = NextWriteOffset(*r);
  rec->cursorAtEnd = cursor;
  // Silence to the end of the region: the refill stops the buffer soon after the cursor
  // passes the end mark, and until then nothing older than this play may sound.
  FillStreamSilence(rec, r);
}

// Moves on after a source ran dry: a repeat of it, the next source, or the end of the list
// (the start again for a looping play). -1 once the end is written.
int StreamNextSource(SoundRecord* rec, RingLock* r, int32_t cursor) {
  ++rec->repeatCounter;
  const StreamSource& current = rec->sources[rec->currentSource];
  if (current.repeatCount != -1 && current.repeatCount < rec->repeatCounter) {
    rec->repeatCounter = 0;
    if (rec->currentSource + 1 >= rec->sourceCount) {
      // The index stays on a real source, so a later play that does not rewind reads an
      // exhausted source rather than past the list.
      if (rec->lastPlayType != kPlayLoop) {
        WriteEnd(rec, r, cursor);
        return -1;
      }
      rec->finished = 1;
      rec->loopWrap = 1;
      rec->currentSource = 0;
      rec->loopMark = NextWriteOffset(*r);
    } else {
      ++rec->currentSource;
    }
  }
  StreamSource& next = rec->sources[rec->currentSource];
  rec->sourceBytesTaken = rec->repeatCounter == 0 ? 0 : next.repeatStart * rec->format.blockAlign;
  SoundConverterSeek(&next.converter, rec->sourceBytesTaken / std::max<uint16_t>(rec->format.blockAlign, 1));
  return 0;
}

// Fills the locked region from the sources until it is full or the end is written.
void StreamReadSources(SoundRecord* rec, RingLock* r, int32_t cursor) {
  int emptyReads = 0;
  while (r->firstLeft + r->secondLeft > 0 && !rec->endWritten) {
    const bool inFirst = r->firstLeft > 0;
    uint8_t* to = inFirst ? r->first + r->firstWritten : r->second + r->secondWritten;
    const uint32_t room = inFirst ? r->firstLeft : r->secondLeft;
    const int got = SoundConverterRead(&rec->sources[rec->currentSource].converter, to, int(room));
    if (got > 0) {
      (inFirst ? r->firstWritten : r->secondWritten) += uint32_t(got);
      (inFirst ? r->firstLeft : r->secondLeft) -= uint32_t(got);
      rec->sourceBytesTaken += got;
      emptyReads = 0;
      continue;
    }
    if (++emptyReads > kMaxEmptyReads) {
      WriteEnd(rec, r, cursor);
      break;
    }
    StreamNextSource(rec, r, cursor);
  }
}

// Writes amount bytes at offset: from the sources, or silence.
int WriteRing(SoundRecord* rec, SoundBuffer* ring, int32_t offset, int32_t amount, int32_t cursor,
              bool silence) {
  RingLock r;
  void *first = nullptr, *second = nullptr;
  if (SoundBufferLock(ring, uint32_t(offset), uint32_t(amount), &first, &r.firstLength, &second,
                      &r.secondLength) != 0)
    return -1;
  r.start = offset;
  r.first = static_cast<uint8_t*>(first);
  r.second = static_cast<uint8_t*>(second);
  r.firstLeft = r.firstLength;
  r.secondLeft = r.secondLength;
  if (silence) FillStreamSilence(rec, &r);
  else StreamReadSources(rec, &r, cursor);
  return SoundBufferUnlock(ring, first, r.firstLength, second, r.secondLength);
}

void Rewind(SoundRecord* rec) {
  rec->finished = 0;
  rec->sourceBytesTaken = 0;
  rec->playedBytes = 0;
  rec->loopWrap = 0;
  rec->repeatCounter = 0;
  rec->currentSource = 0;
  rec->prepared = 0;
}

void CloseSource(SoundRecord* rec, int index) {
  StreamSource& src = rec->sources[index];
  if (src.converter.open) SoundConverterClose(&src.converter);
  MemFree(src.data);
  src.data = nullptr;
  if (src.kind == kSourceCallerStream && rec->closeSourceAtDelete[index] && src.access.close)
    src.access.close(src.stream);
  if (src.memStream) MemStreamClose(src.memStream);
  src.memStream = nullptr;
}

}  // namespace

SoundBuffer* StreamRingBuffer(SoundRecord* rec) {
  SoundRecord* owner = RingOwner(rec);
  return owner && owner->buffers[0].inUse ? &owner->buffers[0] : nullptr;
}

int AddStreamSound(const StreamAccessSet& access, StreamHandle stream, int repeatCount, int handle,
                   int kind, int* callerMayClose, int shareHandle) {
  SoundRecord* rec = FindSound(handle);
  if (!rec) return -1;
  *callerMayClose = 0;
  if (rec->sourceCount > 0) {
    if (rec->kind != kSoundStream)
      return LogAdd("ストリーム風サウンドではないサウンドデータが渡されました in AddStreamSound\n");
    if (CheckStreamSoundPlaying(handle) == 1)
      return LogAdd("既に再生中のストリームサウンドデータにデータを追加しようとしました\n");
    if (rec->sourceCount >= kMaxStreamSources)
      return LogAdd("ストリーム風サウンドの制御データ領域がいっぱいです\n");
  }
  const int index = rec->sourceCount;
  StreamSource& src = rec->sources[index];
  src = StreamSource{};
  src.kind = kind;
  access.seek(stream, 0, kSeekSet);

  if (kind == kSourceConvertedImage || kind == kSourceCompressedImage) {
    uint8_t* file = nullptr;
    int32_t fileSize = 0;
    if (LoadStreamToMemory(access, stream, &file, &fileSize) != 0)
      return LogAdd("音声データの読み込みに失敗しました");
    if (kind == kSourceConvertedImage) {
      // Converted whole now and kept as a RIFF/WAVE image of the PCM.
      SoundConverter converter;
      MemStream* ms = MemStreamOpen(file, fileSize);
      WaveFormatEx format;
      uint8_t* pcm = nullptr;
      int32_t pcmSize = 0;
      const bool converted =
          ms && SoundConverterOpen(GetMemoryStreamAccess(), MemStreamHandle(ms), &converter) == 0 &&
          SoundConverterConvertAll(&converter, &format, &pcm, &pcmSize) == 0;
      if (converter.open) SoundConverterClose(&converter);
      if (ms) MemStreamClose(ms);
      MemFree(file);
      file = nullptr;
      if (!converted) return LogAdd("音声データの変換に失敗しました");
      const int built = BuildWaveImage(&file, &fileSize, format, kWaveFormatExSize, pcm, pcmSize);
      MemFree(pcm);
      if (built != 0) return LogAdd("音声データの変換に失敗しました");
    }
    src.data = file;
    src.size = fileSize;
    src.memStream = MemStreamOpen(src.data, src.size);
    src.access = GetMemoryStreamAccess();
    src.stream = MemStreamHandle(src.memStream);
    if (!src.memStream || SoundConverterOpen(src.access, src.stream, &src.converter) != 0) {
      CloseSource(rec, index);
      return LogAdd("音声データのオープンに失敗しました");
    }
    *callerMayClose = 1;
  } else if (kind == kSourceCallerStream) {
    src.access = access;
    src.stream = stream;
    if (SoundConverterOpen(access, stream, &src.converter) != 0)
      return LogAdd("音声データのオープンに失敗しました");
  } else {
    return -1;
  }

  WaveFormatEx format;
  SoundConverterGetFormat(&src.converter, &format);
  if (index == 0) {
    rec->format = format;
    SoundRecord* other = shareHandle != -1 ? FindSound(shareHandle) : nullptr;
    if (other && other->kind == kSoundStream && other->shareHandle == -1 && other->format == format) {
      rec->kind = kSoundStream;
      rec->bufferCount = 1;
      ListAddNode(&GetSoundState().streamHead, &rec->node, HandleSlot(handle), handle);
      rec->shareHandle = shareHandle;
      ++other->shareCount;
    } else {
      CreateSoundBuffers(format, 0, kSoundStream, 1, handle);
      rec->shareHandle = -1;
    }
    rec->ringSize = static_cast<int32_t>(rec->format.avgBytesPerSec) * 6;
    rec->shareCount = 0;
    rec->ringUser = -1;
    rec->deletePending = 0;
  } else if (!(format == rec->format)) {
    // The caller keeps its stream: it closes it on this failure.
    rec->closeSourceAtDelete[index] = 0;
    CloseSource(rec, index);
    *callerMayClose = 0;
    return LogAdd("フォーマットの違う音声データは同時に使うことは出来ません");
  }
  src.repeatCount = static_cast<int8_t>(repeatCount);
  ++rec->sourceCount;
  return 0;
}

int AddStreamSoundFile(const char* path, int repeatCount, int handle, int kind, int shareHandle) {
  const StreamHandle file = StreamOpen(path, 0, 1, 0);
  if (file == 0) return LogAddFormat("右記のＷＡＶファイルのロードに失敗しました：%s \n", path);
  int mayClose = 0;
  if (AddStreamSound(GetFileStreamAccess(), file, repeatCount, handle, kind, &mayClose, shareHandle) != 0) {
    StreamClose(file);
    return LogAddFormat("右記のＷＡＶファイルのセットアップに失敗しました：%s \n", path);
  }
  if (mayClose) StreamClose(file);
  SoundRecord* rec = FindSound(handle);
  rec->closeSourceAtDelete[rec->sourceCount - 1] = 1;
  return 0;
}

int AddStreamSoundMem(const void* image, int32_t size, int repeatCount, int handle, int kind,
                      int shareHandle) {
  if (kind == kSourceCallerStream) kind = kSourceCompressedImage;
  MemStream* stream = MemStreamOpen(image, size);
  if (!stream) return LogAdd("ＷＡＶファイルのストリームイメージハンドルの作成に失敗しました \n");
  int mayClose = 0;
  if (AddStreamSound(GetMemoryStreamAccess(), MemStreamHandle(stream), repeatCount, handle, kind,
                     &mayClose, shareHandle) != 0) {
    MemStreamClose(stream);
    return LogAdd("ＷＡＶファイルのストリームイメージのセットアップに失敗しました \n");
  }
  if (mayClose) MemStreamClose(stream);
  SoundRecord* rec = FindSound(handle);
  rec->closeSourceAtDelete[rec->sourceCount - 1] = 1;
  return 0;
}

int UpdateStreamPlayPosition(int handle, int cursor) {
  SoundRecord* rec = FindStreamSound(handle);
  SoundBuffer* ring = nullptr;
  if (!rec || !rec->prepared || ClaimStreamBuffer(handle, rec, &ring, 0) != 0) return -1;
  if (cursor == -1) cursor = static_cast<int>(PlayCursor(ring));
  if (cursor == rec->lastCursor) return 0;
  const int32_t last = rec->lastCursor, mark = rec->loopMark;
  const bool crossed = rec->loopWrap && (cursor >= last ? (last < mark && mark <= cursor)
                                                        : (mark > last || mark <= cursor));
  if (crossed) {
    rec->playedBytes = cursor >= mark ? cursor - mark : rec->ringSize - mark + cursor;
    rec->loopWrap = 0;
  } else {
    rec->playedBytes += cursor >= last ? cursor - last : rec->ringSize - last + cursor;
  }
  rec->lastCursor = cursor;
  return 0;
}

int RefillStreamSound(int handle) {
  if (!GetSoundState().device) return -1;
  SoundRecord* rec = FindStreamSound(handle);
  SoundBuffer* ring = nullptr;
  if (!rec || !rec->prepared || rec->sourceCount == 0 ||
      ClaimStreamBuffer(handle, rec, &ring, 0) != 0)
    return -1;
  UpdateStreamPlayPosition(handle, -1);
  const int64_t perSecond = rec->format.avgBytesPerSec;
  const uint16_t align = rec->format.blockAlign;
  const int32_t cursor = static_cast<int32_t>(PlayCursor(ring));
  const int32_t eighth = AlignDown(perSecond / kMinimumWriteDivisor, align);

  if (rec->endWritten) {
    // Data that ended right at the cursor (nothing was left to write) counts as ended
    // once the cursor moves on; otherwise such a sound would never stop.
    const bool passed =
        cursor > rec->endMark && (rec->cursorAtEnd <= rec->endMark || cursor < rec->cursorAtEnd);
    if (passed) {
      SoundBufferStop(ring);
      rec->endWritten = 0;
      return 0;
    }
    if (!CursorInWindow(rec, cursor)) return -1;
    if (WriteRing(rec, ring, rec->writePosition, eighth, cursor, true) != 0) return -1;
    AdvanceWrite(rec, eighth);
    return 0;
  }

  if (!BufferPlaying(ring)) {
    // Only the first fill happens before the ring plays.
    if (rec->writePosition != kRingNotFilled) return 0;
    const int32_t amount = FilledBytes(rec);
    if (WriteRing(rec, ring, 0, amount, cursor, false) != 0) return -1;
    rec->validStart = 0;
    rec->writePosition = amount % rec->ringSize;
    return 0;
  }

  if (!CursorInWindow(rec, cursor)) return -1;
  int64_t ahead = rec->writePosition - cursor;
  if (ahead < 0) ahead += rec->ringSize;
  const int64_t units = ahead * kUnitsPerSecond / perSecond;
  int32_t amount = eighth;
  if (units < kAheadUnits) amount = AlignDown((kAheadUnits - units) * perSecond / kUnitsPerSecond, align);
  if (amount <= 0) return 0;
  if (WriteRing(rec, ring, rec->writePosition, amount, cursor, false) != 0) return -1;
  AdvanceWrite(rec, amount);
  return 0;
}

int RefillAllStreamSounds() {
  SoundState& s = GetSoundState();
  if (!s.device) return -1;
  KeepSilentOutputTime();
  for (ListNode* node = s.streamHead.next; node && node != &s.streamTail;) {
    ListNode* next = node->next;
    RefillStreamSound(static_cast<int>(node->data));
    node = next;
  }
  return 0;
}

int PrepareStreamSound(int handle) {
  SoundRecord* rec = FindStreamSound(handle);
  if (!rec || rec->sourceCount == 0) return -1;
  if (rec->prepared || CheckStreamSoundPlaying(handle) == 1) return 0;
  SoundBuffer* ring = nullptr;
  if (ClaimStreamBuffer(handle, rec, &ring, 0) != 0) return -1;
  SoundBufferSetPosition(ring, 0);
  rec->writePosition = kRingNotFilled;
  rec->validStart = -1;
  rec->endWritten = 0;
  SoundConverterSeek(&rec->sources[rec->currentSource].converter,
                     rec->sourceBytesTaken / std::max<uint16_t>(rec->format.blockAlign, 1));
  rec->prepared = 1;
  RefillStreamSound(handle);
  return 0;
}

int PlayStreamSound(int handle, int playType, int fromStart) {
  SoundRecord* rec = FindStreamSound(handle);
  SoundBuffer* ring = nullptr;
  if (!rec || ClaimStreamBuffer(handle, rec, &ring, 1) != 0) return -1;
  if (fromStart == 0 && CheckStreamSoundPlaying(handle) == 1) return 0;
  StopStreamSound(handle);
  if (((playType ^ rec->lastPlayType) & kPlayTypeLoopBit) && rec->finished) Rewind(rec);
  if (fromStart == 1) {
    rec->finished = 0;
    if (rec->playedBytes != 0) Rewind(rec);
  }
  rec->lastPlayType = playType;
  PrepareStreamSound(handle);
  if (ClaimStreamBuffer(handle, rec, &ring, 1) != 0) return -1;
  SoundBufferPlay(ring, 1);
  if (playType == kPlayWait) {
    while (ProcessMessageImpl() == 0 && CheckSoundPlayingImpl(handle) == 1) {
    }
  }
  return 0;
}

int StopStreamSound(int handle) {
  if (!GetSoundState().device) return -1;
  SoundRecord* rec = FindStreamSound(handle);
  if (!rec) return -1;
  UpdateStreamPlayPosition(handle, -1);
  SoundBuffer* ring = nullptr;
  // A ring another sound plays on is left alone.
  if (ClaimStreamBuffer(handle, rec, &ring, 0) != 0) return 0;
  RingOwner(rec)->ringUser = -1;
  uint32_t status = 0;
  if (SoundBufferGetStatus(ring, &status) != 0) return -1;
  if (status & platform::kStatusPlaying) SoundBufferStop(ring);
  return 0;
}

int CheckStreamSoundPlaying(int handle) {
  SoundRecord* rec = FindStreamSound(handle);
  if (!rec) return 0;
  SoundRecord* owner = RingOwner(rec);
  if (!owner || (owner->ringUser != -1 && owner->ringUser != handle)) return 0;
  return BufferPlaying(&owner->buffers[0]) ? 1 : 0;
}

int ReleaseStreamSound(int handle, SoundRecord* rec) {
  StopStreamSound(handle);
  if (rec->shareHandle != -1) {
    if (SoundRecord* owner = FindSound(rec->shareHandle)) {
      --owner->shareCount;
      if (owner->deletePending) DeleteSoundImpl(rec->shareHandle);
    }
  }
  if (rec->shareCount != 0) {
    rec->deletePending = 1;
    return 1;
  }
  ListRemoveNode(&rec->node);
  for (int i = 0; i < rec->sourceCount; ++i) CloseSource(rec, i);
  for (SoundBuffer& b : rec->buffers)
    if (b.inUse) SoundBufferRelease(&b);
  return 0;
}

}  // namespace rt
