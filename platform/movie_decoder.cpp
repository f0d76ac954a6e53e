// The decoder thread, the one-frame mailbox and the movie clock shared by every backend.
#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "platform/clock.h"
#include "platform/movie.h"

namespace platform {
namespace {

// Read-ahead: a few pictures, and about a second of sound so that a short stall of the
// reader is not heard. Pictures wait in the decoder's own buffers: beyond the first few,
// more are decoded only while the sound they are interleaved with is short, so that a
// silent movie keeps the decoder's buffers few (and in the cache) and its pictures are
// converted soon after they were decoded. Bounded in bytes for large pictures.
constexpr size_t kPicturesAhead = 2;
constexpr size_t kMaxQueuedFrames = 8;
constexpr size_t kMaxQueuedFrameBytes = size_t{32} << 20;
// Enough spare buffers for a full read-ahead turned over once.
constexpr size_t kMaxSpareFrames = kMaxQueuedFrames + 2;
constexpr int kSoundAheadDivisor = 1;  // seconds of sound read ahead: rate / divisor frames
// How often an idle decoder looks at the clock again.
constexpr auto kIdlePoll = std::chrono::milliseconds(2);
// How long a waiting take gives the decoder to catch up before taking what there is.
constexpr auto kCatchUpLimit = std::chrono::seconds(5);

MovieOpener g_opener = nullptr;

size_t FrameBytes(const MovieFrame& frame) {
  return frame.picture ? frame.picture->Bytes() : frame.pixels.size();
}

int64_t Now() { return static_cast<int64_t>(GetClock().Microseconds()); }

}  // namespace

int MemoryByteSource::Read(uint8_t* buffer, int bytes) {
  if (bytes < 0) return -1;
  const size_t n = std::min(static_cast<size_t>(bytes), size_ - position_);
  if (n) std::memcpy(buffer, data_ + position_, n);
  position_ += n;
  return static_cast<int>(n);
}

int64_t MemoryByteSource::Seek(int64_t offset, int origin) {
  int64_t base = 0;
  if (origin == 1) base = static_cast<int64_t>(position_);
  if (origin == 2) base = static_cast<int64_t>(size_);
  if (origin < 0 || origin > 2) return -1;
  const int64_t target = base + offset;
  if (target < 0 || target > static_cast<int64_t>(size_)) return -1;
  position_ = static_cast<size_t>(target);
  return target;
}

int MovieLayoutBytes(MovieLayout layout) {
  switch (layout) {
    case MovieLayout::kRgb565: return 2;
    case MovieLayout::kRgb888: return 3;
    default: return 4;
  }
}

FramePixels::~FramePixels() { ::operator delete[](data_, std::align_val_t{kAlign}); }

bool FramePixels::Resize(size_t size) {
  if (size > capacity_) {
    auto* block = static_cast<uint8_t*>(::operator new[](size + kSlack, std::align_val_t{kAlign}, std::nothrow));
    if (!block) return false;
    ::operator delete[](data_, std::align_val_t{kAlign});
    data_ = block;
    capacity_ = size;
  }
  size_ = size;
  return true;
}

void FramePixels::Swap(FramePixels& other) noexcept {
  std::swap(data_, other.data_);
  std::swap(size_, other.size_);
  std::swap(capacity_, other.capacity_);
}

int MovieFramePitch(int width, MovieLayout layout) {
  const int blocks = (width + 31) / 32;
  const int row = blocks * 32 * MovieLayoutBytes(layout);
  return (row + static_cast<int>(FramePixels::kAlign) - 1) & ~(static_cast<int>(FramePixels::kAlign) - 1);
}

// The movie's sound as a voice of the mixer: it mixes what the decoder queued while the
// movie plays, and what it mixed is the movie clock.
class MovieDecoder::Sound final : public RenderSource {
 public:
  explicit Sound(MovieDecoder* movie) : movie_(movie) {}
  void Render(float* out, int frames, int) override {
    MovieDecoder& m = *movie_;
    std::lock_guard<std::mutex> lock(m.mutex_);
    if (!m.playing_) return;
    const size_t held = (m.soundQueue_.size() - m.soundRead_) / 2;
    const size_t n = std::min(held, static_cast<size_t>(frames));
    const float* in = m.soundQueue_.data() + m.soundRead_;
    for (size_t i = 0; i < 2 * n; ++i) out[i] += in[i];
    m.soundRead_ += 2 * n;
    if (m.soundClock_) m.soundMixed_ += n;
    if (m.soundRead_ == m.soundQueue_.size()) {
      m.soundQueue_.clear();
      m.soundRead_ = 0;
      // The sound is over but the pictures may go on: the platform clock takes over.
      if (m.endOfInput_ && m.soundClock_) {
        m.baseUs_ = m.ClockLocked();
        m.startedAtUs_ = static_cast<uint64_t>(Now());
        m.soundClock_ = false;
      }
    }
    if (n) m.wake_.notify_all();
  }

 private:
  MovieDecoder* movie_;
};

MovieDecoder::MovieDecoder(MovieLayout layout, AudioMixer* mixer) : layout_(layout), mixer_(mixer) {}

MovieDecoder::~MovieDecoder() { Stop(); }

void MovieDecoder::Start() {
  if (started_) return;
  if (audioRate_ > 0 && mixer_) {
    sound_ = std::make_unique<Sound>(this);
    soundClock_ = true;
  }
  started_ = true;
  thread_ = std::thread([this] { Run(); });
  if (sound_) mixer_->AddSource(sound_.get());
}

void MovieDecoder::Stop() {
  if (!started_) return;
  // The mixer's lock comes before the movie's: never hold ours while removing the voice.
  if (sound_) mixer_->RemoveSource(sound_.get());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (source_) source_->Abort();
  if (thread_.joinable()) thread_.join();
  started_ = false;
}

void MovieDecoder::Play() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (playing_) return;
  startedAtUs_ = static_cast<uint64_t>(Now());
  playing_ = true;
  wake_.notify_all();
}

void MovieDecoder::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!playing_) return;
  baseUs_ = ClockLocked();
  playing_ = false;
}

bool MovieDecoder::Playing() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return playing_;
}

void MovieDecoder::Seek(int64_t timeUs) {
  std::lock_guard<std::mutex> lock(mutex_);
  timeUs = std::max<int64_t>(timeUs, 0);
  seekPending_ = true;
  seekUs_ = timeUs;
  ++seekGeneration_;
  baseUs_ = timeUs;
  startedAtUs_ = static_cast<uint64_t>(Now());
  soundBaseUs_ = timeUs;
  soundMixed_ = 0;
  soundClock_ = sound_ != nullptr;
  soundQueue_.clear();
  soundRead_ = 0;
  dropBeforeUs_ = timeUs;
  endOfInput_ = false;
  for (MovieFrame& frame : queued_) RecycleLocked(&frame.pixels);
  queued_.clear();
  queuedBytes_ = 0;
  mailboxFull_ = false;
  wake_.notify_all();
}

int64_t MovieDecoder::Position() {
  std::lock_guard<std::mutex> lock(mutex_);
  return ClockLocked();
}

int64_t MovieDecoder::ClockLocked() {
  if (soundClock_) return soundBaseUs_ + static_cast<int64_t>(soundMixed_ * 1000000 / static_cast<uint64_t>(audioRate_));
  if (!playing_) return baseUs_;
  return baseUs_ + (Now() - static_cast<int64_t>(startedAtUs_));
}

bool MovieDecoder::WantMoreLocked() const {
  if (endOfInput_) return false;
  if (queued_.size() >= kMaxQueuedFrames || queuedBytes_ >= kMaxQueuedFrameBytes) return false;
  bool soundShort = false;
  if (sound_) {
    const size_t heldFrames = (soundQueue_.size() - soundRead_) / 2;
    if (heldFrames >= static_cast<size_t>(audioRate_ / kSoundAheadDivisor)) return false;
    soundShort = true;
  }
  return queued_.size() < kPicturesAhead || soundShort;
}

bool MovieDecoder::CaughtUpLocked() {
  // On the sound's clock the decoder itself may still hand the clock over: it must look first.
  if (seekPending_ || soundClock_) return false;
  if (endOfInput_) return true;
  // A picture past the clock is queued: every picture due now is decoded already.
  return !queued_.empty() && queued_.back().timeUs > ClockLocked();
}

void MovieDecoder::RecycleLocked(FramePixels* pixels) {
  if (pixels->data() && spare_.size() < kMaxSpareFrames) spare_.push_back(std::move(*pixels));
}

FramePixels MovieDecoder::SpareFrame() {
  std::lock_guard<std::mutex> lock(mutex_);
  FramePixels pixels;
  if (!spare_.empty()) {
    pixels = std::move(spare_.back());
    spare_.pop_back();
  }
  return pixels;
}

void MovieDecoder::PublishDueLocked(int64_t now) {
  while (!queued_.empty() && queued_.front().timeUs <= now) {
    queuedBytes_ -= FrameBytes(queued_.front());
    RecycleLocked(&mailbox_.pixels);
    mailbox_ = std::move(queued_.front());
    queued_.pop_front();
    mailboxFull_ = true;
  }
}

void MovieDecoder::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stop_) {
    const uint64_t seq = wakeSeq_;
    if (seekPending_) {
      seekPending_ = false;
      const int64_t target = seekUs_;
      const uint64_t generation = seekGeneration_;
      lock.unlock();
      const bool sought = SeekTo(target);
      lock.lock();
      if (!sought && generation == seekGeneration_) endOfInput_ = true;
      continue;
    }
    PublishDueLocked(ClockLocked());
    if (soundClock_ && !endOfInput_ && soundRead_ == soundQueue_.size() && !queued_.empty() && !WantMoreLocked()) {
      // Pictures are read ahead as far as they may be and still no sound came: a movie
      // whose sound starts late or stops early is timed by the platform clock instead of
      // standing still.
      baseUs_ = ClockLocked();
      startedAtUs_ = static_cast<uint64_t>(Now());
      soundClock_ = false;
    }
    if (!WantMoreLocked()) {
      settledSeq_ = seq;
      settled_.notify_all();
      wake_.wait_for(lock, kIdlePoll);
      continue;
    }
    const uint64_t generation = seekGeneration_;
    lock.unlock();
    MovieItem item = DecodeNext();
    lock.lock();
    if (generation != seekGeneration_) continue;  // decoded before a seek: stale
    switch (item.kind) {
      case MovieItem::kVideo:
        queuedBytes_ += FrameBytes(item.frame);
        queued_.push_back(std::move(item.frame));
        break;
      case MovieItem::kAudio: {
        if (!sound_ || item.samples.empty()) break;
        // Sound before a seek target is cut off, so the clock and the picture agree.
        size_t skip = 0;
        if (item.timeUs < dropBeforeUs_) {
          skip = static_cast<size_t>((dropBeforeUs_ - item.timeUs) * audioRate_ / 1000000) * 2;
        }
        if (skip < item.samples.size()) {
          if (soundRead_ > 0 && soundRead_ * 2 > soundQueue_.size()) {
            soundQueue_.erase(soundQueue_.begin(), soundQueue_.begin() + static_cast<ptrdiff_t>(soundRead_));
            soundRead_ = 0;
          }
          soundQueue_.insert(soundQueue_.end(), item.samples.begin() + static_cast<ptrdiff_t>(skip),
                             item.samples.end());
        }
        break;
      }
      case MovieItem::kEnd:
      case MovieItem::kError:
        // A damaged stream stops where it breaks, like one that ends there.
        endOfInput_ = true;
        if (soundClock_ && soundRead_ == soundQueue_.size()) {
          baseUs_ = ClockLocked();
          startedAtUs_ = static_cast<uint64_t>(Now());
          soundClock_ = false;
        }
        break;
    }
  }
  settledSeq_ = UINT64_MAX;
  settled_.notify_all();
}

void MovieDecoder::CatchUpLocked(std::unique_lock<std::mutex>& lock) {
  if (!started_ || CaughtUpLocked()) return;
  const uint64_t seq = ++wakeSeq_;
  wake_.notify_all();
  settled_.wait_for(lock, kCatchUpLimit, [&] { return settledSeq_ >= seq; });
}

void MovieDecoder::CatchUp() {
  std::unique_lock<std::mutex> lock(mutex_);
  CatchUpLocked(lock);
}

MovieDecoder::Take MovieDecoder::TakeFrame(uint8_t* dest, int pitch, bool wait) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (wait) CatchUpLocked(lock);
  PublishDueLocked(ClockLocked());
  if (mailboxFull_) {
    mailboxFull_ = false;
    wake_.notify_all();
    if (mailbox_.picture) {
      // Converted with the movie's lock let go, so that the decoder handing over its next
      // picture meanwhile does not have to sleep until the conversion is done. Takes on two
      // threads at once convert one after the other.
      std::unique_ptr<PendingPicture> picture = std::move(mailbox_.picture);
      std::lock_guard<std::mutex> converting(convertMutex_);
      lock.unlock();
      picture->WriteTo(dest, pitch);
      return Take::kFrame;
    }
    if (mailbox_.width == info_.width && mailbox_.height == info_.height) {
      const size_t row = static_cast<size_t>(info_.width) * static_cast<size_t>(MovieLayoutBytes(layout_));
      for (int y = 0; y < info_.height; ++y) {
        std::memcpy(dest + static_cast<ptrdiff_t>(pitch) * y,
                    mailbox_.pixels.data() + static_cast<ptrdiff_t>(mailbox_.pitch) * y, row);
      }
    }
    return Take::kFrame;
  }
  const bool soundLeft = soundRead_ < soundQueue_.size();
  if (endOfInput_ && !seekPending_ && queued_.empty() && !soundLeft) return Take::kEnded;
  return Take::kNone;
}

void SetMovieOpenerOverride(MovieOpener opener) { g_opener = opener; }
MovieOpener GetMovieOpener() { return g_opener ? g_opener : &OpenMovie; }

}  // namespace platform
