#include "tools/dataset/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace dataset {
namespace {

uint32_t Pack(Rgb c) { return uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b; }
Rgb Unpack(uint32_t v) {
  return Rgb{static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
}
uint8_t Lerp(uint8_t a, uint8_t b, int amount) {
  return static_cast<uint8_t>(a + ((static_cast<int>(b) - a) * amount + 127) / 255);
}

}  // namespace

Rgb Mix(Rgb a, Rgb b, int amount) {
  amount = std::clamp(amount, 0, 255);
  return Rgb{Lerp(a.r, b.r, amount), Lerp(a.g, b.g, amount), Lerp(a.b, b.b, amount)};
}

Rgb Scale(Rgb c, int percent) {
  auto s = [percent](uint8_t v) { return static_cast<uint8_t>(std::clamp(v * percent / 100, 0, 255)); };
  return Rgb{s(c.r), s(c.g), s(c.b)};
}

Random::Random(const std::string& text) : state_(2166136261u) {
  for (unsigned char ch : text) state_ = (state_ ^ ch) * 16777619u;
  if (state_ == 0) state_ = 1;
}

uint32_t Random::Next() {
  // xorshift32: small, fast and the same everywhere.
  if (state_ == 0) state_ = 0x6D2B79F5u;
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

Canvas::Canvas(int width, int height)
    : width_(width), height_(height), pixels_(static_cast<size_t>(width) * height, 0) {}

Rgb Canvas::At(int x, int y) const {
  return Inside(x, y) ? Unpack(pixels_[static_cast<size_t>(y) * width_ + x]) : kTransparent;
}

void Canvas::Set(int x, int y, Rgb c) {
  if (Inside(x, y)) pixels_[static_cast<size_t>(y) * width_ + x] = Pack(c);
}

void Canvas::Blend(int x, int y, Rgb c, int coverage) {
  if (!Inside(x, y) || coverage <= 0) return;
  Set(x, y, coverage >= 255 ? c : Mix(At(x, y), c, coverage));
}

void Canvas::Add(int x, int y, Rgb c) {
  if (!Inside(x, y)) return;
  const Rgb d = At(x, y);
  auto add = [](uint8_t a, uint8_t b) { return static_cast<uint8_t>(std::min(a + b, 255)); };
  Set(x, y, Rgb{add(d.r, c.r), add(d.g, c.g), add(d.b, c.b)});
}

void Canvas::Fill(Rgb c) { std::fill(pixels_.begin(), pixels_.end(), Pack(c)); }

void Canvas::FillRect(const Rect& r, Rgb c) {
  const int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
  const int x1 = std::min(r.Right(), width_), y1 = std::min(r.Bottom(), height_);
  if (x0 >= x1) return;
  for (int y = y0; y < y1; ++y) {
    std::fill(pixels_.begin() + static_cast<size_t>(y) * width_ + x0,
              pixels_.begin() + static_cast<size_t>(y) * width_ + x1, Pack(c));
  }
}

void Canvas::BlendRect(const Rect& r, Rgb c, int coverage) {
  for (int y = r.y; y < r.Bottom(); ++y) {
    for (int x = r.x; x < r.Right(); ++x) Blend(x, y, c, coverage);
  }
}

void Canvas::FrameRect(const Rect& r, int thickness, Rgb c) {
  FillRect({r.x, r.y, r.w, thickness}, c);
  FillRect({r.x, r.Bottom() - thickness, r.w, thickness}, c);
  FillRect({r.x, r.y, thickness, r.h}, c);
  FillRect({r.Right() - thickness, r.y, thickness, r.h}, c);
}

void Canvas::Gradient(const Rect& r, Rgb from, Rgb to, bool vertical) {
  const int steps = std::max((vertical ? r.h : r.w) - 1, 1);
  for (int i = 0; i < (vertical ? r.h : r.w); ++i) {
    const Rgb c = Mix(from, to, i * 255 / steps);
    if (vertical) {
      FillRect({r.x, r.y + i, r.w, 1}, c);
    } else {
      FillRect({r.x + i, r.y, 1, r.h}, c);
    }
  }
}

void Canvas::FillCircle(int cx, int cy, int radius, Rgb c) {
  for (int y = -radius; y <= radius; ++y) {
    for (int x = -radius; x <= radius; ++x) {
      if (x * x + y * y <= radius * radius + radius / 2) Set(cx + x, cy + y, c);
    }
  }
}

void Canvas::Ring(int cx, int cy, int radius, int thickness, Rgb c) {
  const int inner = std::max(radius - thickness, 0);
  for (int y = -radius; y <= radius; ++y) {
    for (int x = -radius; x <= radius; ++x) {
      const int d = x * x + y * y;
      if (d <= radius * radius + radius / 2 && d > inner * inner + inner / 2) Set(cx + x, cy + y, c);
    }
  }
}

void Canvas::Glow(int cx, int cy, int radius, Rgb c) {
  if (radius <= 0) return;
  for (int y = -radius; y <= radius; ++y) {
    for (int x = -radius; x <= radius; ++x) {
      const double d = std::sqrt(static_cast<double>(x * x + y * y)) / radius;
      if (d >= 1.0) continue;
      const double f = (1.0 - d) * (1.0 - d);
      Add(cx + x, cy + y, Rgb{static_cast<uint8_t>(c.r * f), static_cast<uint8_t>(c.g * f),
                              static_cast<uint8_t>(c.b * f)});
    }
  }
}

void Canvas::SoftLight(int cx, int cy, int radius, Rgb c) {
  if (radius <= 0) return;
  if (alpha_.empty()) alpha_.assign(pixels_.size(), 0);
  for (int y = -radius; y <= radius; ++y) {
    for (int x = -radius; x <= radius; ++x) {
      if (!Inside(cx + x, cy + y)) continue;
      const double d = std::sqrt(static_cast<double>(x * x + y * y)) / radius;
      if (d >= 1.0) continue;
      const size_t i = static_cast<size_t>(cy + y) * width_ + cx + x;
      pixels_[i] = Pack(c);
      alpha_[i] = static_cast<uint8_t>(255.0 * (1.0 - d) * (1.0 - d));
    }
  }
}

uint8_t Canvas::AlphaAt(int x, int y) const {
  if (!Inside(x, y)) return 0;
  return alpha_.empty() ? 255 : alpha_[static_cast<size_t>(y) * width_ + x];
}

void Canvas::Line(int x0, int y0, int x1, int y1, int thickness, Rgb c) {
  const int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0));
  const int half = thickness / 2;
  for (int i = 0; i <= steps; ++i) {
    const int x = steps == 0 ? x0 : x0 + (x1 - x0) * i / steps;
    const int y = steps == 0 ? y0 : y0 + (y1 - y0) * i / steps;
    FillRect({x - half, y - half, thickness, thickness}, c);
  }
}

void Canvas::FillTriangle(int x0, int y0, int x1, int y1, int x2, int y2, Rgb c) {
  const int minX = std::min({x0, x1, x2}), maxX = std::max({x0, x1, x2});
  const int minY = std::min({y0, y1, y2}), maxY = std::max({y0, y1, y2});
  auto edge = [](int ax, int ay, int bx, int by, int px, int py) {
    return static_cast<long>(bx - ax) * (py - ay) - static_cast<long>(by - ay) * (px - ax);
  };
  const long area = edge(x0, y0, x1, y1, x2, y2);
  if (area == 0) return;
  for (int y = minY; y <= maxY; ++y) {
    for (int x = minX; x <= maxX; ++x) {
      long w0 = edge(x1, y1, x2, y2, x, y), w1 = edge(x2, y2, x0, y0, x, y), w2 = edge(x0, y0, x1, y1, x, y);
      if (area < 0) {
        w0 = -w0;
        w1 = -w1;
        w2 = -w2;
      }
      if (w0 >= 0 && w1 >= 0 && w2 >= 0) Set(x, y, c);
    }
  }
}

void Canvas::FillChamfered(const Rect& r, int cut, Rgb c) {
  for (int y = 0; y < r.h; ++y) {
    const int fromTop = y, fromBottom = r.h - 1 - y;
    const int inset = std::max({cut - fromTop, cut - fromBottom, 0});
    FillRect({r.x + inset, r.y + y, r.w - 2 * inset, 1}, c);
  }
}

void Canvas::FrameChamfered(const Rect& r, int cut, int thickness, Rgb c) {
  Canvas mask(r.w, r.h);
  mask.FillChamfered({0, 0, r.w, r.h}, cut, kWhite);
  Canvas inner(r.w, r.h);
  inner.FillChamfered({thickness, thickness, r.w - 2 * thickness, r.h - 2 * thickness},
                      std::max(cut - thickness / 2, 0), kWhite);
  for (int y = 0; y < r.h; ++y) {
    for (int x = 0; x < r.w; ++x) {
      if (mask.At(x, y) == kWhite && !(inner.At(x, y) == kWhite)) Set(r.x + x, r.y + y, c);
    }
  }
}

void Canvas::Paste(const Canvas& from, int x, int y) {
  for (int sy = 0; sy < from.height(); ++sy) {
    for (int sx = 0; sx < from.width(); ++sx) Set(x + sx, y + sy, from.At(sx, sy));
  }
}

}  // namespace dataset
