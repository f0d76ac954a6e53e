// The data set: every file the game reads by path, with its format, its size and what it
// shows, and how it is made. asset_list.cpp holds the one list; a later feature adds its
// files there, each row naming its painter (pictures), recipe (sounds) or contents
// (tables), and the rectangles the game draws from it.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "tools/dataset/canvas.h"
#include "tools/dataset/sound_synth.h"

namespace dataset {

// kTable: raw bytes of a fixed size (start-up tables; also fits stage maps and scripts).
enum class AssetFormat { kPng, kJpeg, kBmp, kWav, kMp3, kOgg, kTable };

// A rectangle the game draws from a picture; the read-back test checks that it lies in the
// picture and is not left empty.
struct Piece {
  Rect rect;
  const char* what = "";
};

struct AssetEntry {
  std::string path;  // as the game names it: "gsx/enemy_01.png"
  AssetFormat format = AssetFormat::kPng;
  int width = 0;   // pictures
  int height = 0;
  int bytes = 0;   // tables: the exact size
  std::string shows;
  std::vector<Piece> pieces;
  std::function<void(Canvas&)> paint;  // pictures
  std::function<Pcm()> sound;           // sounds
  std::function<std::string()> table;   // tables
};

// Every asset, in a fixed order.
const std::vector<AssetEntry>& AssetList();

// The directories packed into archives, and the key string the game opens them with.
const std::vector<std::string>& ArchiveDirectories();
constexpr char kArchiveKeyString[] = "pela_vix";
constexpr char kArchiveExtension[] = "akn";

const char* FormatName(AssetFormat format);
bool IsPicture(AssetFormat format);
bool IsSound(AssetFormat format);
// The first directory of a path ("gsx" for "gsx/title/title_1.png").
std::string TopDirectory(const std::string& path);

}  // namespace dataset
