// Movie decoding: a container read through a byte source of the caller's, its video turned
// into frames of a chosen pixel layout and its audio played through the sound mixer.
//
// Each open movie has a decoder thread. It reads ahead a few frames and about a second of
// sound, and hands over the newest frame that is due through a one-frame mailbox: a frame
// not taken before the next one is due is dropped, so a slow reader always sees the newest
// picture. The movie clock runs from the sound actually mixed while the movie has sound
// going to a mixer, else from the platform clock (the virtual clock in tests).
//
// Shape as the presenter: the public calls (thread, mailbox, clock, pause, seek) are shared;
// a backend only opens the container and decodes the next item (DecodeNext, SeekTo). The
// program's backend is FFmpeg's; tests script movies with ScriptedMovie.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio.h"

namespace platform {

// Where the container's bytes come from. Called on the decoder thread only.
class MovieByteSource {
 public:
  virtual ~MovieByteSource() = default;
  // Bytes read (0 at the end), or -1 on an error.
  virtual int Read(uint8_t* buffer, int bytes) = 0;
  // origin 0 start, 1 current, 2 end; the new position, or -1.
  virtual int64_t Seek(int64_t offset, int origin) = 0;
  // The whole size, or -1 when unknown.
  virtual int64_t Size() = 0;
  // Called from another thread when the movie closes: a read waiting for something may
  // give up now and fail.
  virtual void Abort() {}
};

// A byte source over a block the caller keeps alive.
class MemoryByteSource final : public MovieByteSource {
 public:
  MemoryByteSource(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  int Read(uint8_t* buffer, int bytes) override;
  int64_t Seek(int64_t offset, int origin) override;
  int64_t Size() override { return static_cast<int64_t>(size_); }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t position_ = 0;
};

enum class MovieLayout {
  kXrgb8888,  // bytes blue, green, red, 255
  kRgb565,    // 16-bit words, red in the top 5 bits
  kRgb888,    // bytes blue, green, red
};
int MovieLayoutBytes(MovieLayout layout);

// A frame's pixels: 64-byte aligned, with slack past the end, because vector converters
// store whole blocks and may write beyond the last pixel of a row. Growing keeps no
// contents and nothing is zero-filled: every frame is written whole before it is read.
class FramePixels {
 public:
  static constexpr size_t kAlign = 64;
  static constexpr size_t kSlack = 64;

  FramePixels() = default;
  FramePixels(FramePixels&& other) noexcept { Swap(other); }
  FramePixels& operator=(FramePixels&& other) noexcept {
    Swap(other);
    return *this;
  }
  ~FramePixels();
  // size bytes to use; false when the memory is not there.
  bool Resize(size_t size);
  void Swap(FramePixels& other) noexcept;
  uint8_t* data() { return data_; }
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// The pitch of a frame of the movie's: the row padded to whole 32-pixel blocks and
// rounded up to the buffer's alignment.
int MovieFramePitch(int width, MovieLayout layout);

// A decoded picture still in the decoder's own format: it is converted only when it is
// taken, straight into the taker's buffer, so a dropped frame costs no conversion.
class PendingPicture {
 public:
  virtual ~PendingPicture() = default;
  // Writes the picture into dest: rows of width pixels in the movie's layout, pitch bytes
  // apart; nothing past a row's last pixel is touched.
  virtual void WriteTo(uint8_t* dest, int pitch) = 0;
  // About how much memory it holds, for the read-ahead bound.
  virtual size_t Bytes() const = 0;
};

// One decoded picture: rows top to bottom, pitch bytes apart (MovieFramePitch), or a
// picture still to be converted.
struct MovieFrame {
  std::unique_ptr<PendingPicture> picture;
  FramePixels pixels;
  int width = 0;
  int height = 0;
  int pitch = 0;
  int64_t timeUs = 0;  // when it is due on the movie clock
};

// What a backend's DecodeNext gives.
struct MovieItem {
  enum Kind { kVideo, kAudio, kEnd, kError } kind = kEnd;
  MovieFrame frame;            // kVideo
  std::vector<float> samples;  // kAudio: interleaved stereo at the mixer's rate
  int64_t timeUs = 0;          // kAudio: when the first sample is due
};

struct MovieInfo {
  int width = 0;
  int height = 0;
  int64_t frameTimeUs = 0;  // time per frame; 0 when the container does not say
  int64_t durationUs = 0;   // 0 when unknown
  bool hasAudio = false;
};

class MovieDecoder {
 public:
  enum class Take {
    kNone,   // no frame due since the last take
    kFrame,  // a new frame was copied
    kEnded,  // the movie played to its end (or stopped on damaged data) and all was shown
  };

  virtual ~MovieDecoder();
  MovieDecoder(const MovieDecoder&) = delete;
  MovieDecoder& operator=(const MovieDecoder&) = delete;

  const MovieInfo& info() const { return info_; }
  MovieLayout layout() const { return layout_; }

  // The clock starts or stops; the first Play starts the decoder thread.
  void Play();
  void Pause();
  bool Playing() const;
  // The clock jumps to timeUs (clamped at 0); the frame due then is handed over next.
  void Seek(int64_t timeUs);
  // The movie clock in microseconds.
  int64_t Position();
  // Copies the newest due frame into dest (pitch bytes a row, the movie's size and layout).
  // wait: first lets the decoder catch up with the clock (bounded by a few seconds of real
  // time), so that what is taken does not depend on the thread's speed.
  Take TakeFrame(uint8_t* dest, int pitch, bool wait);
  // The wait of a waiting take alone: returns when the decoder has caught up with the clock
  // (or after the same bound), so that the caller can find where the frame goes afterwards.
  void CatchUp();

 protected:
  // mixer: where the sound goes (null: the movie plays silent, timed by the clock).
  MovieDecoder(MovieLayout layout, AudioMixer* mixer);
  // Each backend's constructor fills info_ and audioRate_ (0 for no sound), then calls
  // Start; its destructor calls Stop before it frees what DecodeNext uses.
  void Start();
  void Stop();
  // The next item of the movie in decoding order; called on the decoder thread.
  virtual MovieItem DecodeNext() = 0;
  // Goes back to the key frame at or before timeUs; later DecodeNext calls go on from
  // there. false when the container cannot seek.
  virtual bool SeekTo(int64_t timeUs) = 0;
  // A frame buffer handed over or dropped earlier, for the next frame to be written into
  // (empty when there is none); called on the decoder thread.
  FramePixels SpareFrame();

  MovieInfo info_;
  MovieLayout layout_;
  int audioRate_ = 0;
  MovieByteSource* source_ = nullptr;  // aborted by Stop
  AudioMixer* mixer_;

 private:
  class Sound;
  void Run();
  int64_t ClockLocked();
  bool WantMoreLocked() const;
  // True when a waiting take has nothing to wait for: the decoder is past the clock.
  bool CaughtUpLocked();
  void CatchUpLocked(std::unique_lock<std::mutex>& lock);
  void PublishDueLocked(int64_t now);
  void RecycleLocked(FramePixels* pixels);

  std::unique_ptr<Sound> sound_;
  std::thread thread_;
  mutable std::mutex mutex_;
  // Held while a taken picture is converted, after mutex_ is let go (taken after it).
  std::mutex convertMutex_;
  std::condition_variable wake_;     // to the decoder: something changed
  std::condition_variable settled_;  // from the decoder: it can do nothing more for now
  bool stop_ = false;
  bool started_ = false;
  bool playing_ = false;
  // Platform-clock time: the position at the last start or stop, and when it started.
  int64_t baseUs_ = 0;
  uint64_t startedAtUs_ = 0;
  // Sound time: the position of the first sample still to be mixed.
  bool soundClock_ = false;
  int64_t soundBaseUs_ = 0;
  uint64_t soundMixed_ = 0;
  std::vector<float> soundQueue_;
  size_t soundRead_ = 0;
  // Seek request.
  bool seekPending_ = false;
  int64_t seekUs_ = 0;
  int64_t dropBeforeUs_ = 0;
  // Decoding state.
  uint64_t seekGeneration_ = 0;
  bool endOfInput_ = false;
  std::deque<MovieFrame> queued_;
  size_t queuedBytes_ = 0;
  MovieFrame mailbox_;
  bool mailboxFull_ = false;
  // Buffers of frames shown or dropped: frames are written into them again instead of
  // into new ones.
  std::vector<FramePixels> spare_;
  uint64_t wakeSeq_ = 0;
  uint64_t settledSeq_ = 0;
};

enum class MovieOpenError {
  kNone,
  kUnreadable,  // no container this opener takes, or damaged beyond reading
  kNoPicture,   // a container without a video stream of some size
  kDecoder,     // no decoder for the video, or it refused the stream
};

// Opens a movie container (AVI, MPEG program stream, Matroska or WebM, MP4 or QuickTime,
// Ogg) with a video stream; anything else, still images included, is refused. Null on
// failure, with the reason in error when given.
std::unique_ptr<MovieDecoder> OpenMovie(std::unique_ptr<MovieByteSource> source, MovieLayout layout,
                                        AudioMixer* mixer, MovieOpenError* error);

// The opener the runtime uses instead of OpenMovie (null: OpenMovie). Tests install one.
using MovieOpener = std::unique_ptr<MovieDecoder> (*)(std::unique_ptr<MovieByteSource> source, MovieLayout layout,
                                                      AudioMixer* mixer, MovieOpenError* error);
void SetMovieOpenerOverride(MovieOpener opener);
MovieOpener GetMovieOpener();

// The test double: frames of solid colours at fixed times, sound of a constant level.
struct MovieScript {
  int width = 4;
  int height = 4;
  int64_t frameTimeUs = 100000;
  std::vector<uint32_t> colours;  // one frame each, 0x00RRGGBB
  int audioRate = 0;              // 0: no sound
  float audioLevel = 0.25f;
  int failAfterFrames = -1;       // >= 0: the stream breaks after that many frames
};

class ScriptedMovie final : public MovieDecoder {
 public:
  ScriptedMovie(const MovieScript& script, MovieLayout layout, AudioMixer* mixer);
  ~ScriptedMovie() override;

 protected:
  MovieItem DecodeNext() override;
  bool SeekTo(int64_t timeUs) override;

 private:
  MovieScript script_;
  size_t next_ = 0;
  int64_t soundDoneUs_ = 0;
};

// Writes a small movie with FFmpeg's encoders, for tests and demos: frames of solid
// colours at the given rate, and with audioRate > 0 a stereo tone under them.
enum class MovieContainer { kAvi, kMatroska };
struct MovieRecipe {
  MovieContainer container = MovieContainer::kMatroska;
  int width = 32;
  int height = 24;
  int framesPerSecond = 10;
  std::vector<uint32_t> colours;  // one frame each, 0x00RRGGBB
  int audioRate = 0;
};
// The file's bytes; empty when the encoders are missing.
std::vector<uint8_t> EncodeTestMovie(const MovieRecipe& recipe);

}  // namespace platform
