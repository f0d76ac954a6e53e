// The picture the data-set painters draw on: 24-bit colour, pure black meaning
// "transparent" to the game (it draws its graphs with black as the colour key). Painters
// use kInk and the other near-black colours for dark parts that must stay visible.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace dataset {

struct Rgb {
  uint8_t r = 0;
  uint8_t g = 0;
  uint8_t b = 0;
  bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};

constexpr Rgb kTransparent{0, 0, 0};
constexpr Rgb kInk{6, 8, 14};  // the darkest colour that still shows
constexpr Rgb kWhite{255, 255, 255};

Rgb Mix(Rgb a, Rgb b, int amount);  // amount 0 (a) .. 255 (b)
Rgb Scale(Rgb c, int percent);

struct Rect {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  int Right() const { return x + w; }
  int Bottom() const { return y + h; }
};

// A repeatable stream of pseudo-random numbers, so every build paints the same pixels.
class Random {
 public:
  explicit Random(uint32_t seed) : state_(seed * 2654435761u + 0x9E3779B9u) {}
  explicit Random(const std::string& text);
  uint32_t Next();
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }

 private:
  uint32_t state_;
};

class Canvas {
 public:
  Canvas(int width, int height);

  int width() const { return width_; }
  int height() const { return height_; }
  Rgb At(int x, int y) const;
  const std::vector<uint32_t>& pixels() const { return pixels_; }

  void Set(int x, int y, Rgb c);
  // Puts c over the pixel with coverage 0..255.
  void Blend(int x, int y, Rgb c, int coverage);
  // Adds c to the pixel, channel by channel, saturating.
  void Add(int x, int y, Rgb c);

  void Fill(Rgb c);
  void FillRect(const Rect& r, Rgb c);
  void BlendRect(const Rect& r, Rgb c, int coverage);
  void FrameRect(const Rect& r, int thickness, Rgb c);
  // Top colour to bottom colour (vertical) or left to right.
  void Gradient(const Rect& r, Rgb from, Rgb to, bool vertical = true);
  void FillCircle(int cx, int cy, int radius, Rgb c);
  void Ring(int cx, int cy, int radius, int thickness, Rgb c);
  // A disc whose colour fades to nothing at its edge, added to what is there.
  void Glow(int cx, int cy, int radius, Rgb c);
  // A disc of one colour whose opacity fades to nothing at its edge. The picture gets an
  // alpha channel (transparent wherever nothing else sets it) and loses its colour key, so
  // the game can lay it over the map with alpha blending without darkening what is under it.
  void SoftLight(int cx, int cy, int radius, Rgb c);
  bool HasAlpha() const { return !alpha_.empty(); }
  uint8_t AlphaAt(int x, int y) const;
  void Line(int x0, int y0, int x1, int y1, int thickness, Rgb c);
  void FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb c);
  // A filled box with its corners cut at 45 degrees.
  void FillChamfered(const Rect& r, int cut, Rgb c);
  void FrameChamfered(const Rect& r, int cut, int thickness, Rgb c);
  // Copies another canvas in, black pixels included.
  void Paste(const Canvas& from, int x, int y);

 private:
  bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  int width_;
  int height_;
  std::vector<uint32_t> pixels_;  // 0x00RRGGBB
  std::vector<uint8_t> alpha_;    // empty: opaque, black is the colour key
};

}  // namespace dataset
