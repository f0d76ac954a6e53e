#include "tools/dataset/dataset_builder.h"

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <thread>
#include <vector>

#include "tools/archive/archive_writer.h"
#include "tools/dataset/image_encode.h"
#include "tools/dataset/sound_encode.h"

namespace dataset {
namespace {

constexpr int kJpegQuality = 88;

void MakeDirectories(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') ::mkdir(path.substr(0, i).c_str(), 0755);
  }
}

bool WriteFile(const std::string& path, const std::string& bytes, std::string* error) {
  const size_t slash = path.rfind('/');
  if (slash != std::string::npos) MakeDirectories(path.substr(0, slash));
  // Written beside and renamed, so a reader never sees half an archive.
  const std::string temporary = path + ".part";
  FILE* file = std::fopen(temporary.c_str(), "wb");
  if (file == nullptr) {
    *error = "cannot write " + temporary;
    return false;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

uint32_t SerialFor(const std::string& path) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : path) hash = (hash ^ c) * 16777619u;
  return hash & 0x7FFFFFFF;
}

// Directories whose files are all PNG, JPEG, MP3 or Ogg.
bool CompressedFormatsOnly(const std::string& top) {
  for (const AssetEntry& e : AssetList()) {
    if (TopDirectory(e.path) != top) continue;
    if (e.format == AssetFormat::kBmp || e.format == AssetFormat::kWav || e.format == AssetFormat::kTable) return false;
  }
  return true;
}

// The window icon: a plain file beside the archives, since the window loads it before the
// game sets the archive key. An eye in a dark frame, the game's mark.
constexpr const char* kWindowIconPath = "icon/101.bmp";
constexpr int kWindowIconSize = 32;

std::string WindowIcon() {
  Canvas canvas(kWindowIconSize, kWindowIconSize);
  canvas.Fill(Rgb{16, 24, 40});
  canvas.FrameRect(Rect{0, 0, kWindowIconSize, kWindowIconSize}, 2, Rgb{90, 200, 255});
  canvas.FillCircle(16, 16, 10, Rgb{230, 240, 250});
  canvas.FillCircle(16, 16, 5, Rgb{20, 120, 220});
  canvas.FillCircle(16, 16, 2, Rgb{0, 0, 0});
  return EncodeBmp(canvas);
}

}  // namespace

std::string BuildAsset(const AssetEntry& entry) {
  if (IsPicture(entry.format)) {
    Canvas canvas(entry.width, entry.height);
    if (entry.paint) entry.paint(canvas);
    switch (entry.format) {
      case AssetFormat::kPng: return EncodePng(canvas);
      case AssetFormat::kJpeg: return EncodeJpeg(canvas, kJpegQuality);
      default: return EncodeBmp(canvas);
    }
  }
  if (IsSound(entry.format)) {
    const Pcm pcm = entry.sound();
    if (pcm.samples.empty()) throw std::runtime_error(entry.path + ": no samples");
    switch (entry.format) {
      case AssetFormat::kWav: return EncodeWav(pcm);
      case AssetFormat::kMp3: return EncodeMp3(pcm);
      default: return EncodeOgg(pcm, SerialFor(entry.path));
    }
  }
  std::string bytes = entry.table();
  if (static_cast<int>(bytes.size()) != entry.bytes) {
    throw std::runtime_error(entry.path + ": " + std::to_string(bytes.size()) + " bytes instead of " +
                             std::to_string(entry.bytes));
  }
  return bytes;
}

bool PackArchives(const std::map<std::string, std::string>& files, std::map<std::string, std::string>* archives,
                  std::string* error) {
  std::map<std::string, archive_tool::WriterEntry> roots;
  for (const auto& [path, bytes] : files) {
    const std::string top = TopDirectory(path);
    archive_tool::AddWriterFile(&roots[top], path.substr(top.size() + 1), bytes);
  }
  archive_tool::WriteOptions options;
  options.keyString = kArchiveKeyString;
  for (const auto& [top, root] : roots) {
    // Pictures and compressed sounds do not shrink further: they are stored untried.
    options.compression = CompressedFormatsOnly(top) ? archive_tool::Compression::kNever : archive_tool::Compression::kAuto;
    std::string bytes;
    if (!archive_tool::BuildArchive(root, options, &bytes, error)) {
      *error = top + ": " + *error;
      return false;
    }
    (*archives)[top] = std::move(bytes);
  }
  return true;
}

bool BuildDataSet(const BuildOptions& options, std::string* error) {
  const std::vector<AssetEntry>& list = AssetList();
  std::vector<std::string> built(list.size());
  std::vector<std::string> failures(list.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i = next++; i < list.size(); i = next++) {
      try {
        built[i] = BuildAsset(list[i]);
      } catch (const std::exception& e) {
        failures[i] = list[i].path + ": " + e.what();
      }
    }
  };
  int threads = options.threads > 0 ? options.threads : static_cast<int>(std::thread::hardware_concurrency());
  threads = std::max(threads, 1);
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  for (const std::string& failure : failures) {
    if (!failure.empty()) {
      *error = failure;
      return false;
    }
  }

  std::map<std::string, std::string> files;
  for (size_t i = 0; i < list.size(); ++i) {
    if (!files.emplace(list[i].path, std::move(built[i])).second) {
      *error = "listed twice: " + list[i].path;
      return false;
    }
  }
  if (!options.looseDirectory.empty()) {
    for (const auto& [path, bytes] : files) {
      if (!WriteFile(options.looseDirectory + "/" + path, bytes, error)) return false;
    }
  }
  std::map<std::string, std::string> archives;
  if (!PackArchives(files, &archives, error)) return false;
  for (const auto& [top, bytes] : archives) {
    const std::string path = options.archiveDirectory + "/" + top + "." + kArchiveExtension;
    if (!WriteFile(path, bytes, error)) return false;
  }
  return WriteFile(options.archiveDirectory + "/" + kWindowIconPath, WindowIcon(), error);
}

}  // namespace dataset
