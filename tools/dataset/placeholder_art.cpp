#include "tools/dataset/placeholder_art.h"

#include <algorithm>
#include <cmath>

#include "tools/dataset/text_painter.h"

namespace dataset {
namespace {

constexpr int kCellWidth = 120;
constexpr int kCellHeight = 108;

TextStyle Small(Rgb colour) {
  TextStyle s;
  s.size = 10;
  s.color = colour;
  return s;
}

}  // namespace

void PaintEnemySheet(Canvas& c, const FigureLook& look, const std::string& caption) {
  const int rows = c.height() / kCellHeight, cols = c.width() / kCellWidth;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      DrawFigure(c, col * kCellWidth, row * kCellHeight, look, row * cols + col);
      DrawText(c, col * kCellWidth + 2, row * kCellHeight + 1, caption, Small(Scale(look.body, 80)));
    }
  }
}

void PaintBurstFrames(Canvas& c, int cellWidth, int cellHeight, int frames, int perRow, Burst burst) {
  Random random("burst" + std::to_string(cellWidth) + std::to_string(frames));
  for (int f = 0; f < frames; ++f) {
    const int x = (f % perRow) * cellWidth + cellWidth / 2;
    const int y = (f / perRow) * cellHeight + cellHeight / 2;
    const double t = frames > 1 ? static_cast<double>(f) / (frames - 1) : 0;
    const int maxRadius = std::min(cellWidth, cellHeight) / 2 - 2;
    const int radius = static_cast<int>(maxRadius * (0.35 + 0.65 * std::sqrt(t)));
    const int strength = static_cast<int>(255 * (1.0 - 0.75 * t));
    auto level = [&](int v) { return static_cast<uint8_t>(v * strength / 255); };
    switch (burst) {
      case Burst::kSpark:
        for (int i = 0; i < 6; ++i) {
          int px = x, py = y;
          for (int s = 0; s < 5; ++s) {
            const int nx = px + random.Below(radius / 2 + 1) - radius / 4 + (i % 3 - 1) * radius / 5;
            const int ny = py + random.Below(radius / 2 + 1) - radius / 4 + (i / 3 * 2 - 1) * radius / 5;
            c.Line(px, py, nx, ny, 2, Rgb{level(140), level(220), 255});
            px = nx;
            py = ny;
          }
        }
        c.Glow(x, y, radius, Rgb{level(60), level(120), level(255)});
        break;
      case Burst::kExplosion:
        c.Glow(x, y, radius, Rgb{255, level(150), level(40)});
        c.Glow(x, y, radius / 2, Rgb{level(255), level(230), level(120)});
        for (int i = 0; i < 5; ++i) {
          c.Glow(x + random.Below(radius) - radius / 2, y + random.Below(radius) - radius / 2, radius / 3,
                 Rgb{level(200), level(80), 10});
        }
        break;
      case Burst::kFire:
        for (int i = 0; i < 4; ++i) {
          c.Glow(x + random.Below(radius) - radius / 2, y + radius / 3 - i * radius / 4, radius / 2 + 2,
                 Rgb{255, level(120 + i * 30), 20});
        }
        break;
    }
  }
}

void PaintEnergyBall(Canvas& c, Rgb colour) {
  const int cx = c.width() / 2, cy = c.height() / 2, r = std::min(cx, cy) - 2;
  c.Glow(cx, cy, r, colour);
  c.Glow(cx, cy, r / 2, Mix(colour, kWhite, 160));
  c.FillCircle(cx, cy, std::max(r / 6, 2), kWhite);
}

void PaintGlow(Canvas& c, Rgb colour, Rect cell) {
  c.Glow(cell.x + cell.w / 2, cell.y + cell.h / 2, std::min(cell.w, cell.h) / 2 - 1, colour);
}

void PaintSmoke(Canvas& c) {
  Random random("gas");
  const int cx = c.width() / 2, cy = c.height() / 2, r = std::min(cx, cy);
  for (int i = 0; i < 14; ++i) {
    c.Glow(cx + random.Below(r) - r / 2, cy + random.Below(r) - r / 2, r / 2, Rgb{70, 90, 70});
  }
}

void PaintShockRing(Canvas& c) {
  const int cx = c.width() / 2, cy = c.height() / 2, r = std::min(cx, cy) - 2;
  for (int i = 0; i < 6; ++i) c.Ring(cx, cy, r - i * 3, 2, Rgb{static_cast<uint8_t>(40 + i * 30), 200, 255});
  c.Glow(cx, cy, r / 2, Rgb{20, 60, 120});
}

void PaintBeam(Canvas& c, Rgb colour) {
  const int mid = c.height() / 2;
  for (int y = 0; y < c.height(); ++y) {
    const int d = std::abs(y - mid);
    const int level = std::max(255 - d * 255 / std::max(mid, 1), 0);
    for (int x = 0; x < c.width(); ++x) {
      const int fade = std::min({x, c.width() - 1 - x, 12}) * 255 / 12;
      c.Set(x, y, Scale(Mix(colour, kWhite, level / 2), level * fade / 255 * 100 / 255));
    }
  }
}

void PaintListBackdrop(Canvas& c) {
  c.Gradient({0, 0, c.width(), c.height()}, Rgb{10, 20, 44}, Rgb{20, 40, 80}, false);
  for (int y = 0; y < c.height(); y += 36) c.FillRect({0, y, c.width(), 1}, Rgb{30, 70, 120});
  c.FillRect({c.width() - 3, 0, 3, c.height()}, kPlateEdge);
}

void PaintHelicopter(Canvas& c) {
  const Rgb body{60, 70, 80}, glass{80, 140, 180};
  c.FillChamfered({40, 50, 300, 100}, 30, body);
  c.FillRect({320, 80, 120, 24}, body);
  // The scenes draw the pilot and the figure in the door before the hull: the cockpit and
  // the open side door are holes in it, framed, and the pilot and the figure show through.
  c.FillRect({44, 60, 47, 64}, kTransparent);
  c.FrameRect({44, 60, 47, 64}, 3, glass);
  c.FillTriangle(44, 60, 64, 60, 44, 80, body);  // the nose's slope
  c.Line(44, 79, 63, 60, 3, glass);
  c.FillRect({97, 56, 57, 90}, kTransparent);
  c.FrameRect({94, 53, 63, 96}, 3, Rgb{30, 34, 40});
  c.FillRect({80, 150, 220, 6}, Rgb{40, 44, 50});
  c.FillRect({180, 30, 20, 20}, body);
  DrawText(c, 240, 110, "QV-06", Small(Rgb{200, 200, 210}));
  // Rotor blur and blade strips, 512 x 31 from y 289.
  for (int x = 0; x < 512; ++x) {
    const int edge = std::min(x, 511 - x);
    c.BlendRect({x, 289 + 12, 1, 6}, Rgb{150, 160, 170}, std::min(edge * 4, 160));
  }
  c.FillRect({20, 289 + 13, 472, 4}, Rgb{90, 100, 110});
}

void PaintBackground(Canvas& c, Scene scene, Rgb tint, const std::string& name) {
  const int w = c.width(), h = c.height();
  Random random(name);
  switch (scene) {
    case Scene::kNightSky:
      c.Gradient({0, 0, w, h}, Rgb{6, 10, 34}, Mix(Rgb{20, 30, 70}, tint, 60));
      for (int i = 0; i < 60; ++i) c.Set(random.Below(w), random.Below(h / 2), Rgb{140, 150, 200});
      break;
    case Scene::kDaySky:
      c.Gradient({0, 0, w, h}, Rgb{70, 120, 200}, Mix(Rgb{200, 170, 120}, tint, 60));
      for (int i = 0; i < 8; ++i) {
        const int cx = random.Below(w), cy = 60 + random.Below(h / 3);
        for (int k = 0; k < 5; ++k) c.FillCircle(cx + k * 22, cy + (k % 2) * 6, 20, Rgb{225, 230, 240});
      }
      break;
    case Scene::kVrGrid:
      c.Fill(Scale(tint, 12));
      for (int x = 0; x < w; x += 40) c.FillRect({x, 0, 1, h}, Scale(tint, 60));
      for (int y = 0; y < h; y += 40) c.FillRect({0, y, w, 1}, Scale(tint, 60));
      break;
    default: {
      // Interiors: a wall gradient with panels and rivets.
      c.Gradient({0, 0, w, h}, Mix(Rgb{30, 32, 38}, tint, 70), Mix(Rgb{12, 12, 16}, tint, 30));
      const int panel = scene == Scene::kDuct ? 80 : 160;
      for (int x = 0; x < w; x += panel) {
        c.FillRect({x, 0, 2, h}, Mix(Rgb{50, 52, 60}, tint, 50));
        for (int y = 20; y < h; y += 60) c.FillCircle(x + 8, y, 2, Mix(Rgb{80, 82, 90}, tint, 40));
      }
      if (scene == Scene::kEngine || scene == Scene::kLab) {
        for (int i = 0; i < 5; ++i) {
          c.FillRect({60 + i * 150, h / 3, 90, h / 2}, Mix(Rgb{40, 40, 50}, tint, 90));
          c.FrameRect({60 + i * 150, h / 3, 90, h / 2}, 2, Mix(Rgb{90, 90, 100}, tint, 90));
          c.FillCircle(105 + i * 150, h / 3 + 30, 8, scene == Scene::kLab ? Rgb{90, 230, 255} : Rgb{255, 140, 60});
        }
      }
      break;
    }
  }
}

void PaintLayer(Canvas& c, Layer2 layer, Rgb tint) {
  const int w = c.width(), h = c.height();
  Random random("layer" + std::to_string(static_cast<int>(layer)));
  switch (layer) {
    case Layer2::kMoon:
      // A pale halo ring: a soft glow would fade towards black, which the game draws as an
      // opaque dark disc over the sky (only pure black is transparent).
      c.Ring(620, 120, 52, 3, Rgb{70, 72, 100});
      c.FillCircle(620, 120, 46, Rgb{235, 235, 210});
      c.FillCircle(606, 110, 8, Rgb{210, 210, 190});
      c.FillCircle(634, 134, 6, Rgb{210, 210, 190});
      break;
    case Layer2::kStars:
      for (int i = 0; i < 220; ++i) c.Set(random.Below(w), random.Below(h * 2 / 3), Mix(Rgb{90, 90, 140}, kWhite, random.Below(255)));
      break;
    case Layer2::kSun:
      c.FillCircle(w / 2, h / 3, 60, Rgb{255, 230, 150});
      break;
    case Layer2::kSunGlow:
      c.Glow(w / 2, h / 3, 200, Rgb{120, 80, 30});
      break;
    case Layer2::kPipes:
      for (int i = 0; i < 4; ++i) {
        const int y = 80 + i * 130;
        c.FillRect({0, y, w, 18}, Mix(Rgb{70, 74, 80}, tint, 60));
        c.FillRect({0, y + 2, w, 3}, Mix(Rgb{120, 124, 130}, tint, 60));
      }
      break;
    case Layer2::kGirders:
      for (int x = 0; x < w; x += 100) {
        c.Line(x, h, x + 50, h / 2, 6, Mix(Rgb{60, 50, 40}, tint, 60));
        c.Line(x + 100, h, x + 50, h / 2, 6, Mix(Rgb{60, 50, 40}, tint, 60));
      }
      c.FillRect({0, h / 2 - 6, w, 12}, Mix(Rgb{70, 60, 50}, tint, 60));
      break;
    case Layer2::kGrille:
      for (int x = 0; x < w; x += 24) c.FillRect({x, 0, 4, h}, Mix(Rgb{50, 54, 60}, tint, 60));
      break;
    case Layer2::kCrates:
      for (int i = 0; i < 8; ++i) {
        const Rect r{i * 100 + 10, h - 160 + (i % 2) * 40, 90, 160};
        c.FillRect(r, Mix(Rgb{110, 80, 40}, tint, 40));
        c.FrameRect(r, 3, Mix(Rgb{70, 50, 25}, tint, 40));
        c.Line(r.x, r.y, r.Right(), r.Bottom(), 3, Mix(Rgb{70, 50, 25}, tint, 40));
      }
      break;
    case Layer2::kMachines:
      for (int i = 0; i < 6; ++i) {
        const Rect r{i * 140, h - 220 - random.Below(100), 110, 400};
        c.FillRect(r, Mix(Rgb{50, 54, 64}, tint, 50));
        c.FrameRect(r, 2, Mix(Rgb{100, 104, 120}, tint, 50));
        c.FillRect({r.x + 20, r.y + 20, 20, 8}, Rgb{255, 90, 60});
      }
      break;
  }
}

}  // namespace dataset
