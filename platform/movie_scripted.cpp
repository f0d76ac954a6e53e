// The scripted movie, the decoders' test double: frames of plain colours and level sound, as
// a script gives them. A file of its own, so the game links none of it.
#include <algorithm>
#include <cstring>

#include "platform/movie.h"

namespace platform {

ScriptedMovie::ScriptedMovie(const MovieScript& script, MovieLayout layout, AudioMixer* mixer)
    : MovieDecoder(layout, mixer), script_(script) {
  info_.width = script.width;
  info_.height = script.height;
  info_.frameTimeUs = script.frameTimeUs;
  info_.durationUs = script.frameTimeUs * static_cast<int64_t>(script.colours.size());
  info_.hasAudio = script.audioRate > 0;
  audioRate_ = mixer ? script.audioRate : 0;
  Start();
}

ScriptedMovie::~ScriptedMovie() { Stop(); }

MovieItem ScriptedMovie::DecodeNext() {
  MovieItem item;
  const int64_t frameTime = script_.frameTimeUs;
  const bool broken = script_.failAfterFrames >= 0 && next_ >= static_cast<size_t>(script_.failAfterFrames);
  if (broken) {
    item.kind = MovieItem::kError;
    return item;
  }
  // Sound for a frame's time goes before the frame, as a muxer interleaves it.
  if (audioRate_ > 0 && next_ < script_.colours.size() && soundDoneUs_ <= static_cast<int64_t>(next_) * frameTime) {
    item.kind = MovieItem::kAudio;
    item.timeUs = soundDoneUs_;
    const size_t frames = static_cast<size_t>(frameTime * audioRate_ / 1000000);
    item.samples.assign(frames * 2, script_.audioLevel);
    soundDoneUs_ += frameTime;
    return item;
  }
  if (next_ >= script_.colours.size()) {
    item.kind = MovieItem::kEnd;
    return item;
  }
  const uint32_t c = script_.colours[next_];
  MovieFrame& f = item.frame;
  f.pixels = SpareFrame();
  const int bytes = MovieLayoutBytes(layout_);
  f.width = script_.width;
  f.height = script_.height;
  f.pitch = MovieFramePitch(f.width, layout_);
  if (!f.pixels.Resize(static_cast<size_t>(f.pitch) * f.height)) {
    item.kind = MovieItem::kError;
    return item;
  }
  f.timeUs = static_cast<int64_t>(next_) * frameTime;
  const uint8_t r = c >> 16 & 0xFF, g = c >> 8 & 0xFF, b = c & 0xFF;
  const uint16_t w565 = static_cast<uint16_t>((r & 0xF8) << 8 | (g & 0xFC) << 3 | b >> 3);
  for (int y = 0; y < f.height; ++y) {
    uint8_t* p = f.pixels.data() + static_cast<ptrdiff_t>(f.pitch) * y;
    for (int x = 0; x < f.width; ++x, p += bytes) {
      if (bytes == 2) {
        std::memcpy(p, &w565, 2);
      } else {
        p[0] = b, p[1] = g, p[2] = r;
        if (bytes == 4) p[3] = 0xFF;
      }
    }
  }
  item.kind = MovieItem::kVideo;
  ++next_;
  return item;
}

bool ScriptedMovie::SeekTo(int64_t timeUs) {
  const size_t frame = script_.frameTimeUs > 0 ? static_cast<size_t>(timeUs / script_.frameTimeUs) : 0;
  next_ = std::min(frame, script_.colours.size());
  soundDoneUs_ = static_cast<int64_t>(next_) * script_.frameTimeUs;
  return true;
}

}  // namespace platform
