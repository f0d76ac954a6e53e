// Each agent has one colour throughout, in portraits, dot sprites and the staff roll, so
// that they are told apart at a glance: Oruha crimson with short black hair, Tevani green
// with long golden hair, Suvel violet with silver hair and goggles. The others are drawn
// in colours of their own: Meliko white and red robes, Vos a navy captain's coat with a
// beard, Ubana orange overalls, Dunami teal with glasses, Pirel a small girl in yellow.
#include "tools/dataset/story_art.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tools/dataset/art_common.h"
#include "tools/dataset/placeholder_art.h"
#include "tools/dataset/player_art.h"
#include "tools/dataset/story_scripts.h"
#include "tools/dataset/text_painter.h"

namespace dataset {
namespace {

using F = AssetFormat;

struct Look {
  Rgb coat, hair, skin, accent;
  int hairStyle;  // 0 short, 1 long, 2 with goggles, 3 bald with beard, 4 cap, 5 glasses, 6 pigtails, 7 veil
};

constexpr Look kOruha{{170, 30, 50}, {30, 28, 40}, {236, 200, 176}, {240, 220, 200}, 0};
constexpr Look kTevani{{40, 150, 70}, {240, 200, 80}, {244, 214, 188}, {250, 250, 230}, 1};
constexpr Look kSuvel{{120, 60, 170}, {200, 205, 220}, {230, 196, 170}, {255, 170, 40}, 2};
constexpr Look kMeliko{{235, 235, 240}, {60, 40, 50}, {240, 210, 190}, {200, 30, 40}, 7};
constexpr Look kVos{{30, 40, 90}, {120, 110, 100}, {210, 170, 140}, {220, 180, 60}, 3};
constexpr Look kUbana{{220, 120, 30}, {90, 60, 40}, {190, 140, 100}, {80, 80, 90}, 4};
constexpr Look kDunami{{30, 140, 140}, {50, 60, 50}, {226, 190, 160}, {200, 230, 230}, 5};
constexpr Look kPirel{{240, 200, 40}, {170, 90, 40}, {246, 220, 200}, {255, 120, 160}, 6};

// Faces: 0 plain, 1 smile, 2 surprise, 3 worry, 4 anger; eyes 0 open, 1 half, 2 closed.
void DrawHead(Canvas& c, int cx, int cy, int r, const Look& look, int face, int eyes = 0) {
  const Rgb ink = kInk;
  if (look.hairStyle == 1 || look.hairStyle == 7) c.FillRect({cx - r - r / 5, cy - r / 3, 2 * r + 2 * r / 5, r * 2}, look.hair);
  if (look.hairStyle == 7) c.FillRect({cx - r - r / 4, cy - r / 2, 2 * r + r / 2, r * 2}, look.coat);
  if (look.hairStyle == 6) {
    c.FillCircle(cx - r - r / 4, cy + r / 3, r / 3, look.hair);
    c.FillCircle(cx + r + r / 4, cy + r / 3, r / 3, look.hair);
  }
  c.FillCircle(cx, cy, r, look.skin);
  if (look.hairStyle == 3) {
    c.FillCircle(cx, cy + r / 2, r * 2 / 3, look.hair);  // beard
    c.FillRect({cx - r, cy - r, 2 * r, r / 3}, look.coat);  // captain's cap
    c.FillRect({cx - r - r / 5, cy - r * 2 / 3, 2 * r + 2 * r / 5, r / 8 + 1}, look.accent);
  } else if (look.hairStyle == 4) {
    c.FillRect({cx - r, cy - r, 2 * r, r / 2}, look.coat);
    c.FillRect({cx - r - r / 3, cy - r / 2 - r / 8, r, r / 8 + 1}, look.coat);
  } else {
    c.FillRect({cx - r, cy - r, 2 * r, r / 2}, look.hair);
    c.FillTriangle(cx - r, cy - r / 2, cx - r, cy + r / 6, cx - r / 2, cy - r / 2, look.hair);
    c.FillTriangle(cx + r, cy - r / 2, cx + r, cy + r / 6, cx + r / 2, cy - r / 2, look.hair);
  }
  if (look.hairStyle == 2) {
    c.FillRect({cx - r, cy - r / 2 - r / 6, 2 * r, r / 6 + 1}, Rgb{60, 60, 70});
    c.FillCircle(cx - r / 3, cy - r / 2 - r / 12, r / 6, look.accent);
    c.FillCircle(cx + r / 3, cy - r / 2 - r / 12, r / 6, look.accent);
  }
  const int ey = cy - r / 8, ex = r / 3, er = std::max(2, r / 8);
  for (int side = -1; side <= 1; side += 2) {
    const int x = cx + side * ex;
    if (eyes == 2 || face == 1) {
      c.Line(x - er, ey, x + er, ey, std::max(2, r / 20), ink);
    } else if (eyes == 1) {
      c.FillRect({x - er, ey - er / 3, 2 * er, er}, ink);
    } else {
      c.FillCircle(x, ey, face == 2 ? er + er / 2 : er, ink);
      c.FillCircle(x + er / 3, ey - er / 3, std::max(1, er / 3), kWhite);
    }
    if (look.hairStyle == 5) c.Ring(x, ey, er * 2, std::max(1, r / 30), Rgb{40, 40, 40});
    // Brows tell worry (raised inside) and anger (lowered inside).
    const int by = ey - er * 2;
    if (face == 3) c.Line(x - er, by, x + er, by - side * er / 2 * -1 - er / 2, std::max(2, r / 25), look.hair);
    if (face == 4) c.Line(x - er, by - side * er / 2, x + er, by + side * er / 2, std::max(2, r / 25), look.hair);
  }
  const int my = cy + r / 2, mw = r / 4;
  switch (face) {
    case 1: c.FillTriangle(cx - mw, my - 2, cx + mw, my - 2, cx, my + mw / 2, Rgb{150, 40, 50}); break;
    case 2: c.FillCircle(cx, my, mw / 2 + 1, Rgb{120, 30, 40}); break;
    case 3: c.Line(cx - mw, my + 2, cx + mw, my - 2, std::max(2, r / 25), ink); break;
    case 4: c.Line(cx - mw, my, cx + mw, my, std::max(2, r / 18), Rgb{120, 30, 40}); break;
    default: c.Line(cx - mw / 2, my, cx + mw / 2, my, std::max(2, r / 25), ink); break;
  }
}

// ---- Talk portraits: cel-shaded busts with inked outlines, lit from the upper left. ----

struct Pt {
  double x, y;
};

// Pure black is the game's colour key, so painted colours never fall on it.
void Put(Canvas& c, int x, int y, Rgb col) { c.Set(x, y, col == kTransparent ? kInk : col); }

template <class Colour>
void FillPoly(Canvas& c, const std::vector<Pt>& pts, Colour colour) {
  double top = 1e9, bottom = -1e9;
  for (const Pt& p : pts) {
    top = std::min(top, p.y);
    bottom = std::max(bottom, p.y);
  }
  std::vector<double> xs;
  for (int y = static_cast<int>(std::floor(top)); y <= static_cast<int>(std::ceil(bottom)); ++y) {
    const double sy = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < pts.size(); ++i) {
      const Pt a = pts[i], b = pts[(i + 1) % pts.size()];
      if ((a.y <= sy) != (b.y <= sy)) xs.push_back(a.x + (sy - a.y) / (b.y - a.y) * (b.x - a.x));
    }
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2) {
      for (int x = static_cast<int>(std::ceil(xs[k] - 0.5)); x + 0.5 < xs[k + 1]; ++x) Put(c, x, y, colour(x, y));
    }
  }
}

// A line with round ends, so joined strokes make smooth curves.
void Stroke(Canvas& c, Pt a, Pt b, double thick, Rgb col) {
  const int steps = std::max(1, static_cast<int>(std::hypot(b.x - a.x, b.y - a.y)));
  const int r = std::max(0, static_cast<int>(thick / 2));
  for (int i = 0; i <= steps; ++i) {
    const double t = static_cast<double>(i) / steps;
    const int x = static_cast<int>(std::lround(a.x + (b.x - a.x) * t)), y = static_cast<int>(std::lround(a.y + (b.y - a.y) * t));
    if (r == 0) Put(c, x, y, col);
    else c.FillCircle(x, y, r, col);
  }
}

void StrokePath(Canvas& c, const std::vector<Pt>& pts, double thick, Rgb col, bool closed = false) {
  for (size_t i = 0; i + 1 < pts.size(); ++i) Stroke(c, pts[i], pts[i + 1], thick, col);
  if (closed && pts.size() > 2) Stroke(c, pts.back(), pts.front(), thick, col);
}

// Light from the upper left: a shadow tone on the far side, a highlight near the light.
Rgb Shade(Rgb base, double nx, double ny) {
  const double d = nx * 0.75 + ny * 0.45;
  if (d > 0.42) return Scale(base, 74);
  if (d < -0.62) return Mix(base, kWhite, 60);
  return base;
}

std::vector<Pt> EllipsePath(double cx, double cy, double rx, double ry, double a0 = 0, double a1 = 360, int n = 40) {
  std::vector<Pt> pts;
  for (int i = 0; i <= n; ++i) {
    const double a = (a0 + (a1 - a0) * i / n) * 3.14159265358979 / 180;
    pts.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return pts;
}

// A shape filled with cel shading about (cx, cy) over the half sizes (sx, sy), inked round its edge.
void Shape(Canvas& c, const std::vector<Pt>& pts, Rgb base, double cx, double cy, double sx, double sy, double line) {
  if (line > 0) StrokePath(c, pts, line * 2, kInk, true);
  FillPoly(c, pts, [&](int x, int y) { return Shade(base, (x - cx) / sx, (y - cy) / sy); });
}

void Oval(Canvas& c, double cx, double cy, double rx, double ry, Rgb base, double line, bool shaded = true) {
  const std::vector<Pt> pts = EllipsePath(cx, cy, rx, ry);
  if (shaded) Shape(c, pts, base, cx, cy, rx, ry, line);
  else {
    if (line > 0) StrokePath(c, pts, line * 2, kInk, true);
    FillPoly(c, pts, [&](int, int) { return base; });
  }
}

struct PortraitLook {
  Look look;
  Rgb eye;
};

// Head painting in head units: (0, 0) the middle of the face, 1 unit = `s` pixels.
class HeadPainter {
 public:
  HeadPainter(Canvas& c, double hx, double hy, double s, const PortraitLook& p) : c_(c), hx_(hx), hy_(hy), s_(s), p_(p) {}

  Pt P(double x, double y) const { return {hx_ + x * s_, hy_ + y * s_}; }
  std::vector<Pt> Ps(std::initializer_list<Pt> units, bool mirror = false) const {
    std::vector<Pt> out;
    for (const Pt& u : units) out.push_back(P(mirror ? -u.x : u.x, u.y));
    return out;
  }
  double T(double t) const { return std::max(1.0, t * s_); }
  void Part(const std::vector<Pt>& pts, Rgb base, double line = 2.2) {
    Shape(c_, pts, base, hx_ - 10 * s_, hy_ - 20 * s_, 80 * s_, 90 * s_, T(line));
  }
  void Path(std::initializer_list<Pt> units, double thick, Rgb col, bool mirror = false) {
    StrokePath(c_, Ps(units, mirror), T(thick), col);
  }
  void Arc(double x, double y, double rx, double ry, double a0, double a1, double thick, Rgb col) {
    StrokePath(c_, EllipsePath(hx_ + x * s_, hy_ + y * s_, rx * s_, ry * s_, a0, a1, 16), T(thick), col);
  }
  void Blob(double x, double y, double rx, double ry, Rgb col, double line = 0, bool shaded = false) {
    Oval(c_, hx_ + x * s_, hy_ + y * s_, rx * s_, ry * s_, col, line > 0 ? T(line) : 0, shaded);
  }

  // Neck, shoulders and clothes down to `bottom`, `halfWidth` the half width of the shoulders.
  void Bust(double halfWidth, double bottom) {
    const Look& l = p_.look;
    const double st = 104, hw = halfWidth, b = bottom + 4;
    auto body = [&](const std::vector<Pt>& pts, Rgb base) {
      Shape(c_, pts, base, hx_ - 20 * s_, hy_ + (st + 150) * s_, 150 * s_, 600 * s_, T(2.2));
    };
    auto seam = [&](std::initializer_list<Pt> units, bool mirror = false) { Path(units, 2.5, kInk, mirror); };
    body(Ps({{-17, 40}, {17, 40}, {19, st + 14}, {-19, st + 14}}), l.skin);
    FillPoly(c_, Ps({{-15, 56}, {15, 56}, {16, 76}, {-16, 84}}), [&](int, int) { return Scale(l.skin, 76); });
    const int style = l.hairStyle;
    const Rgb base = style == 4 ? l.accent : l.coat;
    if (style == 7) {
      body(Ps({{-26, st}, {-100, st + 16}, {-132, st + 56}, {-hw, st + 320}, {-hw, b}, {hw, b}, {hw, st + 320}, {132, st + 56},
               {100, st + 16}, {26, st}}),
           base);
      body(Ps({{-150, st + 330}, {150, st + 330}, {190, b}, {-190, b}}), l.accent);  // the red skirt
      for (int k = -2; k <= 2; ++k) seam({{k * 50.0, st + 350}, {k * 62.0, b}});
      seam({{-120, st + 80}, {-hw + 20, st + 320}});
      seam({{120, st + 80}, {hw - 20, st + 320}});
      Path({{-26, st}, {20, st + 130}}, 10, l.accent);
      Path({{26, st}, {-6, st + 90}}, 10, l.accent);
      Path({{-34, st - 2}, {14, st + 136}}, 4, Scale(base, 80));
      Path({{34, st - 2}, {-2, st + 100}}, 4, Scale(base, 80));
      body(Ps({{-130, st + 300}, {130, st + 300}, {130, st + 336}, {-130, st + 336}}), l.accent);  // the sash
      return;
    }
    body(Ps({{-26, st}, {-hw * 0.62, st + 16}, {-hw * 0.92, st + 40}, {-hw, st + 90}, {-hw - 4, b}, {hw + 4, b}, {hw, st + 90},
             {hw * 0.92, st + 40}, {hw * 0.62, st + 16}, {26, st}}),
         base);
    seam({{-hw * 0.78, st + 60}, {-hw * 0.74, b}});
    seam({{hw * 0.78, st + 60}, {hw * 0.74, b}});
    if (style <= 2 && bottom > st + 360) body(Ps({{-hw - 2, st + 330}, {hw + 2, st + 330}, {hw + 2, st + 356}, {-hw - 2, st + 356}}), Rgb{50, 46, 56});
    switch (style) {
      case 0:  // a high collar over a light shirt, a harness strap with a buckle
        body(Ps({{-22, st - 2}, {22, st - 2}, {0, st + 64}}), l.accent);
        for (int m = 0; m < 2; ++m) body(Ps({{-34, st - 22}, {-18, st - 28}, {-12, st + 4}, {-36, st + 10}}, m == 1), Scale(base, 86));
        seam({{-22, st}, {-2, st + 66}, {-10, st + 200}});
        seam({{22, st}, {2, st + 66}});
        if (bottom < st + 330) break;
        body(Ps({{-hw * 0.72, st + 26}, {-hw * 0.5, st + 14}, {hw * 0.78, st + 300}, {hw * 0.58, st + 326}}), Rgb{46, 44, 56});
        Blob(hw * 0.1, st + 178, 16, 13, Rgb{225, 185, 70}, 2.2, true);
        Blob(-hw * 0.5, st + 110, 12, 12, l.accent, 2, true);
        break;
      case 1:  // a wide light collar and a ribbon
        for (int m = 0; m < 2; ++m) {
          body(Ps({{-26, st}, {-hw * 0.68, st + 18}, {-hw * 0.56, st + 72}, {-4, st + 98}}, m == 1), l.accent);
          Path({{-hw * 0.6, st + 60}, {-8, st + 88}}, 3, l.coat, m == 1);
        }
        if (bottom < st + 160) break;
        for (int m = 0; m < 2; ++m) body(Ps({{0, st + 96}, {-30, st + 80}, {-34, st + 114}}, m == 1), Rgb{220, 60, 80});
        body(Ps({{-6, st + 96}, {-16, st + 150}, {-4, st + 144}, {0, st + 104}}), Rgb{220, 60, 80});
        body(Ps({{6, st + 96}, {16, st + 150}, {4, st + 144}, {0, st + 104}}), Rgb{220, 60, 80});
        Blob(0, st + 96, 9, 8, Rgb{200, 40, 60}, 2);
        break;
      case 2:  // a work suit: zip, shoulder patches, pocket and a tool strap
        Arc(0, st - 4, 26, 18, 0, 180, 5, Scale(base, 70));
        Path({{0, st + 16}, {0, bottom}}, 4, Scale(base, 60));
        Blob(0, st + 30, 5, 8, Rgb{200, 200, 210}, 1.5);
        for (int m = -1; m <= 1; m += 2) Blob(m * hw * 0.78, st + 44, 22, 14, l.accent, 2.2, true);
        if (bottom < st + 330) break;
        body(Ps({{-hw * 0.62, st + 110}, {-hw * 0.24, st + 110}, {-hw * 0.24, st + 166}, {-hw * 0.62, st + 166}}), Scale(base, 88));
        body(Ps({{hw * 0.5, st + 20}, {hw * 0.7, st + 30}, {-hw * 0.6, st + 330}, {-hw * 0.8, st + 316}}), Rgb{120, 90, 60});
        break;
      case 3:  // a captain's coat: shirt, gold buttons and shoulder boards
        body(Ps({{-22, st - 2}, {22, st - 2}, {0, st + 80}}), Rgb{240, 240, 236});
        for (int m = 0; m < 2; ++m) body(Ps({{-22, st}, {-hw * 0.5, st + 30}, {-30, st + 160}, {-2, st + 84}}, m == 1), Scale(base, 120));
        for (int k = 0; k < 4; ++k)
          for (int m = -1; m <= 1; m += 2) if (st + 130 + k * 56 < bottom) Blob(m * 30, st + 120 + k * 56, 7, 7, l.accent, 1.5, true);
        for (int m = 0; m < 2; ++m) body(Ps({{-hw * 0.56, st + 16}, {-hw * 0.92, st + 36}, {-hw * 0.94, st + 52}, {-hw * 0.56, st + 34}}, m == 1), l.accent);
        break;
      case 4:  // overalls over a grey shirt
        body(Ps({{-hw * 0.5, st + 80}, {hw * 0.5, st + 80}, {hw * 0.62, b}, {-hw * 0.62, b}}), l.coat);
        for (int m = 0; m < 2; ++m) body(Ps({{-hw * 0.64, st + 14}, {-hw * 0.46, st + 12}, {-hw * 0.32, st + 84}, {-hw * 0.5, st + 84}}, m == 1), l.coat);
        for (int m = -1; m <= 1; m += 2) Blob(m * hw * 0.41, st + 86, 7, 7, Rgb{220, 220, 230}, 1.5);
        if (bottom > st + 190) body(Ps({{-26, st + 130}, {26, st + 130}, {22, st + 180}, {-22, st + 180}}), Scale(l.coat, 85));
        break;
      default:  // a coat with lapels over a light shirt
        body(Ps({{-22, st - 2}, {22, st - 2}, {0, st + 70}}), l.accent);
        for (int m = 0; m < 2; ++m) body(Ps({{-22, st}, {-hw * 0.5, st + 30}, {-20, st + 150}, {-2, st + 72}}, m == 1), Scale(base, 115));
        break;
    }
  }

  // Hair that falls behind the head and shoulders.
  void BackHair() {
    const Rgb h = p_.look.hair;
    switch (p_.look.hairStyle) {
      case 0: Part(Ps({{-72, -10}, {-74, 40}, {-66, 66}, {66, 66}, {74, 40}, {72, -10}, {40, -80}, {-40, -80}}), h); break;
      case 1:
        Part(Ps({{-70, -20}, {-84, 60}, {-96, 170}, {-92, 250}, {-40, 230}, {0, 240}, {40, 230}, {92, 250}, {96, 170},
                 {84, 60}, {70, -20}, {40, -82}, {-40, -82}}),
             h);
        break;
      case 2: {
        std::vector<Pt> spikes;
        for (int i = 0; i <= 14; ++i) {
          const double a = (160 + 220.0 * i / 14) * 3.14159265358979 / 180, r = i % 2 ? 88 : 70;
          spikes.push_back(P(std::cos(a) * r, std::sin(a) * r - 8));
        }
        spikes.push_back(P(70, 50));
        spikes.push_back(P(-70, 50));
        Part(spikes, h);
        break;
      }
      case 7:
        Part(Ps({{-70, -20}, {-80, 80}, {-84, 230}, {-40, 250}, {40, 250}, {84, 230}, {80, 80}, {70, -20}, {40, -82}, {-40, -82}}), h);
        break;
      case 6:
        for (int m = -1; m <= 1; m += 2) Blob(m * 74, 10, 24, 30, h, 2.2, true);
        Part(Ps({{-64, -10}, {-66, 20}, {66, 20}, {64, -10}, {36, -74}, {-36, -74}}), h);
        break;
      default: Part(Ps({{-64, -10}, {-66, 20}, {66, 20}, {64, -10}, {36, -74}, {-36, -74}}), h); break;
    }
  }

  // Locks of long hair that fall in front of the shoulders.
  void FrontLocks() {
    if (p_.look.hairStyle != 1 && p_.look.hairStyle != 7) return;
    const bool straight = p_.look.hairStyle == 7;
    for (int m = 0; m < 2; ++m) {
      if (straight) Part(Ps({{-56, -10}, {-70, 60}, {-74, 200}, {-56, 214}, {-48, 120}, {-46, 30}}, m == 1), p_.look.hair);
      else Part(Ps({{-56, -6}, {-72, 60}, {-82, 150}, {-70, 230}, {-52, 266}, {-50, 200}, {-58, 130}, {-44, 40}}, m == 1), p_.look.hair);
    }
  }

  void Face() {
    const Rgb skin = p_.look.skin;
    for (int m = 0; m < 2; ++m) {
      Blob(m ? 58 : -58, 10, 10, 16, skin, 2.2, true);
    }
    const std::vector<Pt> face = Ps({{-58, -30}, {-58, 10}, {-50, 42}, {-30, 68}, {0, 80}, {30, 68}, {50, 42}, {58, 10},
                                     {58, -30}, {40, -60}, {0, -70}, {-40, -60}});
    Shape(c_, face, skin, hx_ - 12 * s_, hy_, 100 * s_, 4000 * s_, T(2.2));
    // Shadow under the fringe and the nose.
    Path({{3, 26}, {-1, 34}, {4, 36}}, 2, Scale(skin, 72));
  }

  void FrontHair() {
    const Rgb h = p_.look.hair, shine = Mix(p_.look.hair, kWhite, 110);
    switch (p_.look.hairStyle) {
      case 0:
        Part(Ps({{-64, 22}, {-70, -28}, {-52, -64}, {-20, -80}, {20, -80}, {52, -64}, {70, -28}, {64, 22}, {56, -10},
                 {44, 0}, {36, -24}, {20, -6}, {8, -28}, {-8, -8}, {-22, -28}, {-36, -4}, {-46, -22}, {-56, -4}}),
             h);
        break;
      case 1:
        Part(Ps({{-62, 30}, {-70, -28}, {-50, -66}, {-16, -80}, {24, -78}, {56, -60}, {70, -24}, {62, 20}, {52, -14},
                 {40, -30}, {10, -12}, {-10, -4}, {-30, -10}, {-46, -24}, {-54, 0}}),
             h);
        Arc(0, -28, 66, 52, 200, 340, 7, p_.look.accent);  // the hairband
        break;
      case 2:
        Part(Ps({{-64, 16}, {-72, -30}, {-54, -66}, {-20, -82}, {22, -82}, {56, -66}, {72, -30}, {64, 16}, {54, -8},
                 {48, 4}, {34, -20}, {26, 0}, {12, -26}, {0, -4}, {-12, -26}, {-26, 0}, {-34, -20}, {-48, 4}, {-54, -8}}),
             h);
        // Goggles pushed up on the forehead.
        Arc(0, -10, 66, 46, 196, 344, 9, Rgb{60, 60, 72});
        for (int m = -1; m <= 1; m += 2) {
          Blob(m * 24, -50, 17, 14, Rgb{90, 90, 100}, 2.2);
          Blob(m * 24, -50, 12, 10, p_.look.accent, 0, true);
          Blob(m * 24 - 4, -54, 4, 3, Rgb{255, 245, 220});
        }
        break;
      case 3:  // a captain's cap over short grey hair
        Part(Ps({{-62, -20}, {-66, -56}, {-40, -88}, {40, -88}, {66, -56}, {62, -20}}), p_.look.coat);
        Part(Ps({{-64, -24}, {64, -24}, {56, -10}, {-56, -10}}), Rgb{30, 30, 40});
        Path({{-60, -34}, {60, -34}}, 5, p_.look.accent);
        Blob(0, -58, 9, 9, p_.look.accent, 2);
        break;
      case 4:  // a work cap with its peak forward
        Part(Ps({{-62, -10}, {-64, -50}, {-36, -82}, {36, -82}, {64, -50}, {62, -10}}), p_.look.coat);
        Part(Ps({{-66, -16}, {66, -16}, {74, -2}, {-74, -2}}), Scale(p_.look.coat, 70));
        Blob(0, -50, 12, 10, kWhite, 2);
        break;
      case 7:
        Part(Ps({{-62, 30}, {-68, -30}, {-48, -66}, {0, -80}, {48, -66}, {68, -30}, {62, 30}, {50, 30}, {50, -18},
                 {-50, -18}, {-50, 30}}),
             h);
        Blob(-50, -54, 12, 8, p_.look.accent, 2);  // a red and white hair tie
        Blob(-50, -54, 5, 4, kWhite);
        break;
      default:
        Part(Ps({{-62, 0}, {-66, -30}, {-46, -66}, {0, -78}, {46, -66}, {66, -30}, {62, 0}, {46, -20}, {20, -26},
                 {-10, -18}, {-40, -26}}),
             h);
        break;
    }
    if (p_.look.hairStyle < 3 || p_.look.hairStyle >= 5) Path({{-40, -56}, {-24, -66}, {-6, -70}}, 5, shine);
  }

  // The five moods of the talk faces, 0 plain, 1 smile, 2 surprise, 3 troubled, 4 anger, and
  // the dot sprites' sulk 5; eyes 0 open, 1 half shut, 2 shut (the blink frames).
  void Mood(int mood, bool talking = false, int eyes = 0) {
    const Rgb line = kInk, mouth = Rgb{140, 40, 50}, skin = p_.look.skin;
    // The grown men of the cast have narrower eyes without lashes.
    const bool grown = p_.look.hairStyle >= 3 && p_.look.hairStyle <= 5;
    const Rgb brow = Mix(p_.look.hair, kInk, p_.look.hairStyle == 1 || p_.look.hairStyle == 2 ? 110 : 60);
    for (int m = -1; m <= 1; m += 2) {
      const double ex = m * 26, ey = 14;
      if (mood == 1) {
        Arc(ex, ey + 6, 13, 11, 200, 340, 4.5, line);  // eyes shut with joy
      } else if (eyes == 2) {
        Arc(ex, ey + 2, 13, 7, 20, 160, 4.5, line);
      } else {
        const double ry = (mood == 2 ? 19 : mood == 4 ? 12 : 15) * (grown ? 0.8 : 1.0);
        Blob(ex, ey, 13, ry, Rgb{252, 250, 246});
        const double ir = (mood == 2 ? 6 : 9) * (grown ? 0.8 : 1.0), look = mood == 3 ? -3 * m - 2 : 0;
        Blob(ex + look, ey + (mood == 3 ? 4 : 2), ir, ir * 1.3, p_.eye);
        Blob(ex + look, ey + (mood == 3 ? 4 : 2), ir * 0.45, ir * 0.6, Scale(p_.eye, 30));
        Blob(ex + look - ir * 0.4, ey - 2, std::max(2.0, ir * 0.35), std::max(2.0, ir * 0.35), kWhite);
        if (mood == 3) {  // heavy lids
          FillPoly(c_, Ps({{ex - 16, ey - 22}, {ex + 16, ey - 22}, {ex + 16, ey - 4 + m * 3}, {ex - 16, ey - 4 - m * 3}}),
                   [&](int, int) { return skin; });
          Path({{ex - 14, ey - 4 - m * 3}, {ex + 14, ey - 4 + m * 3}}, 4, line);
        } else if (mood == 4) {  // lids cut down towards the nose
          FillPoly(c_, Ps({{ex - 16, ey - 18}, {ex + 16, ey - 18}, {ex + 16, ey - 2 - m * 8}, {ex - 16, ey - 2 + m * 8}}),
                   [&](int, int) { return skin; });
          Path({{ex - 15, ey - 2 + m * 8}, {ex + 15, ey - 2 - m * 8}}, 5, line);
        } else {
          Arc(ex, ey, 14, ry + 1, 195, 345, 4.5, line);
          if (!grown) Path({{ex + m * 13, ey - 6}, {ex + m * 18, ey - 10}}, 3, line);
        }
        if (eyes == 1 || mood == 5) {
          FillPoly(c_, Ps({{ex - 16, ey - 24}, {ex + 16, ey - 24}, {ex + 16, ey + 1}, {ex - 16, ey + 1}}), [&](int, int) { return skin; });
          Path({{ex - 14, ey + 1}, {ex + 14, ey + 1}}, 4.5, line);
        }
      }
      // Brows.
      switch (mood) {
        case 1: Arc(ex, ey - 18, 12, 6, 200, 340, 4, brow); break;
        case 2: Arc(ex, ey - 26, 13, 8, 200, 340, 4, brow); break;
        case 3: Path({{m * 36.0, ey - 16}, {m * 12.0, ey - 28}}, 4.5, brow); break;
        case 4: Path({{m * 38.0, ey - 24}, {m * 10.0, ey - 12}}, 6, brow); break;
        case 5: Path({{m * 36.0, ey - 12}, {m * 12.0, ey - 12}}, 5, brow); break;
        default: Path({{m * 36.0, ey - 16}, {m * 24.0, ey - 21}, {m * 12.0, ey - 19}}, 4, brow); break;
      }
      if (p_.look.hairStyle == 5) {  // glasses
        Arc(ex, ey + 2, 18, 16, 0, 360, 2.5, Rgb{40, 44, 50});
      }
    }
    if (p_.look.hairStyle == 5) Path({{-9, 14}, {9, 14}}, 2.5, Rgb{40, 44, 50});
    if (p_.look.hairStyle == 3) {  // the captain's beard and moustache
      Part(Ps({{-56, 30}, {-50, 60}, {-30, 84}, {0, 94}, {30, 84}, {50, 60}, {56, 30}, {40, 46}, {20, 42}, {0, 50},
               {-20, 42}, {-40, 46}}),
           p_.look.hair);
      Path({{-20, 44}, {-6, 40}, {6, 40}, {20, 44}}, 6, Scale(p_.look.hair, 80));
    }
    const double my = p_.look.hairStyle == 3 ? 54 : 48;
    if (talking && mood != 1) {
      Blob(0, my, 8, 6, mouth, 2);
      return;
    }
    switch (mood) {
      case 1:
        Shape(c_, Ps({{-17, my - 4}, {17, my - 4}, {12, my + 6}, {0, my + 12}, {-12, my + 6}}), mouth, hx_, hy_, 1e9, 1e9, T(2));
        Blob(0, my + 6, 7, 3.5, Rgb{230, 120, 120});
        for (int m = -1; m <= 1; m += 2) {
          for (int k = 0; k < 3; ++k) Path({{m * 34.0 - 8 + k * 6, 36}, {m * 34.0 - 11 + k * 6, 41}}, 2, Rgb{240, 120, 130});
        }
        break;
      case 2: Blob(0, my + 2, 7, 10, mouth, 2); break;
      case 5: Arc(0, my + 6, 9, 5, 200, 340, 3.5, line); break;
      case 3:
        Path({{-12, my + 2}, {-6, my - 1}, {0, my + 2}, {6, my - 1}, {12, my + 2}}, 3, line);
        // A drop of sweat at the temple.
        Shape(c_, Ps({{52, -20}, {46, -4}, {48, 2}, {56, 2}, {58, -4}}), Rgb{150, 210, 250}, hx_ + 52 * s_, hy_ - 4 * s_,
              8 * s_, 8 * s_, T(1.5));
        break;
      case 4:
        Shape(c_, Ps({{-15, my - 4}, {15, my - 4}, {11, my + 10}, {-11, my + 10}}), mouth, hx_, hy_, 1e9, 1e9, T(2));
        FillPoly(c_, Ps({{-13, my - 2}, {13, my - 2}, {12, my + 2}, {-12, my + 2}}), [](int, int) { return kWhite; });
        // The cross of a throbbing vein.
        for (int k = 0; k < 4; ++k) {
          const double a = k * 90 + 45;
          Arc(46 + std::cos(a * 3.14159265 / 180) * 9, -44 + std::sin(a * 3.14159265 / 180) * 9, 6, 6, a + 90, a + 270, 3.5,
              Rgb{220, 40, 50});
        }
        break;
      default: Arc(0, my - 6, 10, 6, 40, 140, 3, Scale(mouth, 80)); break;
    }
  }

 private:
  Canvas& c_;
  double hx_, hy_, s_;
  PortraitLook p_;
};

constexpr PortraitLook kOruhaPortrait{kOruha, {130, 50, 50}};
constexpr PortraitLook kTevaniPortrait{kTevani, {50, 140, 90}};
constexpr PortraitLook kSuvelPortrait{kSuvel, {200, 130, 40}};
constexpr PortraitLook kMelikoPortrait{kMeliko, {100, 50, 40}};
constexpr PortraitLook kVosPortrait{kVos, {70, 90, 130}};
constexpr PortraitLook kUbanaPortrait{kUbana, {100, 70, 40}};
constexpr PortraitLook kDunamiPortrait{kDunami, {40, 120, 120}};
constexpr PortraitLook kPirelPortrait{kPirel, {130, 80, 40}};

void PaintBust(Canvas& c, double hx, double hy, double s, const PortraitLook& p, int mood, double halfWidth,
               bool talking = false, int eyes = 0) {
  HeadPainter h(c, hx, hy, s, p);
  h.BackHair();
  h.Bust(halfWidth, (c.height() - hy) / s);
  h.FrontLocks();
  h.Face();
  h.FrontHair();
  h.Mood(mood, talking, eyes);
}

void CopyCell(Canvas& to, const Canvas& from, const Rect& src, int dx, int dy, bool keyed = false) {
  for (int y = 0; y < src.h; ++y) {
    for (int x = 0; x < src.w; ++x) {
      const Rgb c = from.At(src.x + x, src.y + y);
      if (!keyed || !(c == kTransparent)) to.Set(dx + x, dy + y, c);
    }
  }
}

// Portrait kinds 0 and 1: the game draws one of five face cells over the top 255 rows and the
// body below; every mood is painted as a whole figure and cut, so the joins match.
void PaintPortraitWide(Canvas& c, const PortraitLook& p) {
  static constexpr int kCells[5][3] = {{0, 0, 0}, {270, 0, 0}, {540, 0, 0}, {280, 270, 10}, {540, 270, 0}};
  for (int mood = 0; mood < 5; ++mood) {
    Canvas figure(288, 800);
    PaintBust(figure, 144, 132, 1.0, p, mood, 118);
    if (mood == 0) CopyCell(c, figure, {0, 255, 280, 545}, 0, 255);
    CopyCell(c, figure, {kCells[mood][2], 0, 270, 255}, kCells[mood][0], kCells[mood][1]);
  }
}

// Portrait kind 5: the body from row 185 is drawn over the face cell, and faces 3 and 4
// stand 20 rows lower, so the cells hold only the rows above the chin's end.
void PaintPortraitTall(Canvas& c, const PortraitLook& p) {
  static constexpr int kCells[5][4] = {{0, 0, 0, 0}, {390, 0, 90, 0}, {600, 0, 100, 0}, {390, 270, 90, 20}, {600, 270, 100, 20}};
  for (int mood = 0; mood < 5; ++mood) {
    Canvas figure(400, 730);
    PaintBust(figure, 195, 96, 0.9, p, mood, 130);
    if (mood == 0) CopyCell(c, figure, {0, 185, 390, 545}, 0, 185);
    const int* cell = kCells[mood];
    CopyCell(c, figure, {cell[2], cell[3], mood == 0 ? 300 : 200, 185 - cell[3]}, cell[0], cell[1]);
  }
}

// Portrait kind 2: a head cell at (783, 0) drawn 200 to the right of the robe's left edge.
void PaintPortraitRobe(Canvas& c, const PortraitLook& p) {
  Canvas figure(640, 1024);
  PaintBust(figure, 344, 96, 0.9, p, 0, 200);
  CopyCell(c, figure, {0, 183, 640, 841}, 0, 183);
  CopyCell(c, figure, {200, 0, 288, 183}, 783, 0);
}

// Portrait kinds 3 and 4: a whole figure in 316 x 600.
void PaintPortraitFull(Canvas& c, const PortraitLook& p, int mood) { PaintBust(c, 158, 112, 0.85, p, mood, 150); }

// Radio-call faces, 120 x 108 cells: mouth frames in rows 0 and 108 (216 and 324 troubled),
// the odd columns with the mouth open, and the smile at (360, 324).
void PaintCallFaces(Canvas& c) {
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      Canvas cell(120, 108);
      cell.Gradient({2, 2, 116, 104}, Rgb{30, 90, 90}, Rgb{14, 44, 48});
      const int mood = row == 3 && col == 3 ? 1 : row >= 2 ? 3 : 0;
      PaintBust(cell, 60, 48, 0.42, kDunamiPortrait, mood, 118, col % 2 == 1);
      CopyCell(c, cell, {0, 0, 120, 108}, col * 120, row * 108);
    }
  }
}

void PaintWindow(Canvas& c, bool light) {
  const Rgb fill = light ? Rgb{240, 234, 218} : Rgb{10, 22, 44};
  const Rgb edge = light ? Rgb{150, 120, 80} : Rgb{40, 130, 200};
  c.FillChamfered({20, 40, 760, 170}, 18, fill);
  c.FrameChamfered({20, 40, 760, 170}, 18, 3, edge);
  c.FrameChamfered({28, 48, 744, 154}, 14, 1, Scale(edge, 70));
}

// A dot sprite, 150 x 250: a big head on a small body, painted in its own cell so that
// nothing spills into the next one.
void DrawDotFigure(Canvas& c, int x, int y, const PortraitLook& p, int face, int eyes, int step = -1) {
  Canvas cell(150, 250);
  const double hx = 75, hy = 82, s = 0.7;
  const int swing = step < 0 ? 0 : static_cast<int>(std::lround(std::sin(step * 3.14159265 / 4) * 12));
  HeadPainter h(cell, hx, hy, s, p);
  h.BackHair();
  for (int m = -1; m <= 1; m += 2) {
    const double lx = hx + m * 13 + m * swing;
    Shape(cell, {{lx - 9, 196}, {lx + 9, 196}, {lx + 9, 238}, {lx - 9, 238}}, Scale(p.look.coat, 55), lx, 200, 40, 200, 2);
    Oval(cell, lx + 2, 240, 12, 6, Rgb{50, 44, 40}, 2);
  }
  h.Bust(60, (206 - hy) / s);
  h.Face();
  h.FrontHair();
  h.Mood(face, false, eyes);
  CopyCell(c, cell, {0, 0, 150, 250}, x, y, true);
}

void PaintShrine(Canvas& c) {
  c.Gradient({0, 0, 800, 500}, Rgb{40, 50, 90}, Rgb{110, 80, 90});
  c.FillRect({0, 380, 800, 120}, Rgb{90, 80, 70});
  c.FillRect({150, 120, 40, 300}, Rgb{190, 40, 40});
  c.FillRect({610, 120, 40, 300}, Rgb{190, 40, 40});
  c.FillRect({110, 110, 580, 30}, Rgb{200, 50, 40});
  c.FillRect({140, 170, 520, 20}, Rgb{170, 40, 40});
  c.FillRect({300, 260, 200, 140}, Rgb{110, 70, 50});
  c.FillTriangle(270, 260, 530, 260, 400, 200, Rgb{60, 60, 70});
  // A raised stone path runs from the hall off to the left, with steps down to the yard
  // at its end. When the keeper gets up she stands and walks on it: her shoes' lowest row
  // (the dot cell's row 249 drawn at 140, the picture at 50) rests on its top rim.
  constexpr int kTop = 340, kGround = 380, kEnd = 400, kStep = 25;
  const Rgb rim{176, 170, 160}, face{122, 116, 110}, joint{84, 80, 78};
  for (int i = 0; i < 3; ++i) {
    const int left = i == 0 ? 0 : kEnd + (i - 1) * kStep, right = kEnd + i * kStep;
    const int top = kTop + i * (kGround - kTop) / 3, bottom = kGround + 12;
    c.FillRect({left, bottom, right - left, 3}, Rgb{60, 52, 46});  // the shadow on the yard
    c.FillRect({left, top, right - left, bottom - top}, face);
    c.FillRect({left, top, right - left, 4}, rim);
    c.FillRect({left, top + 4, right - left, 1}, joint);
  }
  // The path's face is laid in two courses of blocks, the joints staggered.
  const int course = kTop + 4 + (kGround + 12 - kTop - 4) / 2;
  c.FillRect({0, course, kEnd, 1}, joint);
  for (int x = 20; x < kEnd; x += 48) {
    c.FillRect({x, kTop + 5, 1, course - kTop - 5}, joint);
    if (x + 24 < kEnd) c.FillRect({x + 24, course + 1, 1, kGround + 12 - course - 1}, joint);
  }
}

void PaintTea(Canvas& c) {
  c.FillRect({10, 60, 180, 14}, Rgb{120, 80, 50});
  c.FillCircle(60, 48, 18, Rgb{200, 210, 190});
  c.FillCircle(130, 50, 14, Rgb{240, 240, 230});
  c.FillCircle(130, 44, 6, Rgb{140, 180, 90});
}

// Glider sheet: 200 x 200 cells, rows for the approach (0), the glide (200), the empty
// glider (0, 400), the second costume (400, 400 and row 600).
// The pilot is the player sheet's first falling cell, placed where the scene starts the fall
// (65, 75 from the glider's corner) with the hands on the control bar: when the glider turns
// empty, the falling figure takes over at the same place.
void PaintGlider(Canvas& c) {
  constexpr int kFallX = 65, kFallY = 75, kFallRow = 3, kFallColumn = 4;
  const Rgb frame{90, 90, 90};
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) {
      const int x = col * 200, y = row * 200;
      const bool secondCostume = row == 3 || (row == 2 && col == 2);
      const Rgb wing = secondCostume ? Rgb{60, 60, 70} : Rgb{170, 30, 50};
      const int tilt = (col - 1) * 6;
      c.Line(x + 125, y + 80, x + 106, y + 104, 2, frame);
      c.Line(x + 125, y + 80, x + 146, y + 104, 2, frame);
      c.Line(x + 102, y + 104, x + 150, y + 104, 3, frame);
      c.FillTriangle(x + 10, y + 90 + tilt, x + 190, y + 90 - tilt, x + 100, y + 60, wing);
      if (row == 2 && col == 0) continue;
      PaintPlayerCell(c, x + kFallX, y + kFallY, 0, secondCostume ? 1 : 0, 1, kFallRow, kFallColumn);
    }
  }
}

void PaintShop(Canvas& c) {
  c.Gradient({0, 0, 800, 600}, Rgb{70, 60, 50}, Rgb{40, 34, 30});
  c.FillRect({0, 430, 800, 170}, Rgb{100, 80, 60});
  for (int i = 0; i < 6; ++i) c.FillRect({40 + i * 70, 150, 50, 60}, Rgb{160, 140, 110});  // clocks and radios on shelves
  c.FillRect({20, 210, 460, 10}, Rgb{80, 60, 40});
  c.FillRect({470, 180, 150, 120}, Rgb{60, 60, 70});  // the computer
  c.FillRect({440, 300, 220, 130}, Rgb{120, 90, 60});  // the counter
  c.FillRect({680, 140, 90, 290}, Rgb{90, 60, 40});    // the door
}

void PaintComputer(Canvas& c) {
  c.FillRect({2, 2, 43, 42}, Rgb{30, 120, 90});
  for (int y = 6; y < 40; y += 6) c.FillRect({6, y, 30, 2}, Rgb{120, 240, 180});
  c.Glow(82, 35, 30, Rgb{60, 160, 120});
}

void PaintStaffNames(Canvas& c) {
  static const char* kRows[12] = {"サイレントデッキ", "",          "企画・脚本", "プログラム", "グラフィック", "サウンド",
                                  "ステージ構成", "テスト",      "協力",       "音楽",       "翻訳",         "制作"};
  TextStyle style;
  style.size = 28;
  style.color = Rgb{230, 230, 240};
  for (int p = 0; p < 12; ++p) {
    if (p == 1) continue;
    const Rect box = p == 0 ? Rect{0, 0, 400, 200} : Rect{0, 100 * p, 400, 100};
    DrawTextIn(c, box, kRows[p], style);
  }
}

void PaintStaffPictures(Canvas& c, const PortraitLook& look) {
  for (int p = 0; p < 12; ++p) {
    const int x = 280 * (p % 3), y = 200 * (p / 3);
    c.Gradient({x + 4, y + 4, 272, 192}, Scale(look.look.coat, 40), Scale(look.look.coat, 80));
    DrawDotFigure(c, x + 65, y - 40 + 30, look, p % 3 == 0 ? 1 : 0, 0);
  }
}

void PaintStaffTimes(Canvas& c) {
  TextStyle style;
  style.size = 22;
  style.color = Rgb{200, 180, 255};
  for (int i = 0; i < 5; ++i) DrawTextIn(c, {0, 135 * i, 400, 135}, "スヴェルの記録 " + std::to_string(i + 1), style);
  for (int i = 0; i < 5; ++i) DrawTextIn(c, {400, 135 * i, 400, 135}, "ドゥナミの記録 " + std::to_string(i + 1), style);
}

void PaintGap(Canvas& c, int i) {
  c.Gradient({0, 0, 800, 600}, Rgb{static_cast<uint8_t>(20 + 30 * i), 40, 90}, Rgb{230, 140, 80});
  c.FillCircle(400, 620 - 40 * i, 90, Rgb{255, 220, 150});
}

void PaintSkyOverlay(Canvas& c) {
  Random random(77);
  for (int i = 0; i < 30; ++i) c.FillCircle(random.Below(800), random.Below(200), 20 + random.Below(30), Rgb{230, 230, 240});
}

void PaintFlowerGirlExtras(Canvas& c) {
  // Dot faces 0 and 1 of the girl blink along rows 0 and 250; face 2 is the still cell
  // (0, 500) holding out her flower.
  for (int row = 0; row < 2; ++row) {
    for (int eyes = 0; eyes < 3; ++eyes) DrawDotFigure(c, eyes * 150, row * 250, kPirelPortrait, row == 0 ? 0 : 1, eyes);
  }
  DrawDotFigure(c, 0, 500, kPirelPortrait, 1, 2);
}

Pcm Effect(EffectRecipe r) { return RenderEffect(r); }

using W = Wave;

}  // namespace

void PaintStoryHelicopter(Canvas& c) {
  PaintHelicopter(c);
  // Rotor blade frames at y 184, 219 and 254, tail rotor disc and blades at y 424.
  for (int i = 0; i < 3; ++i) c.FillRect({40 + i * 60, 184 + 35 * i + 13, 432 - i * 120, 4}, Rgb{70, 80, 90});
  c.FillCircle(45, 469, 40, Rgb{120, 130, 140});
  for (int i = 1; i <= 4; ++i) c.Line(i * 100 + 45 - 35 + i * 3, 469 - 35, i * 100 + 45 + 35 - i * 3, 469 + 35, 4, Rgb{60, 60, 70});
  // The pilot (130, 336), seated inside the cockpit's frame, and the waving figure (207,
  // 277, 347 at 336).
  c.FillRect({150, 384, 28, 16}, Rgb{60, 70, 60});
  DrawHead(c, 166, 368, 16, kUbana, 0);
  for (int i = 0; i < 3; ++i) {
    const int x = 207 + 70 * i;
    c.FillRect({x + 19, 376, 30, 36}, kTevani.coat);
    DrawHead(c, x + 34, 358, 16, kTevani, 1);
    c.Line(x + 47, 380, x + 59, 350 + i * 8, 4, kTevani.skin);
  }
}

std::vector<AssetEntry> StoryAssets() {
  std::vector<AssetEntry> out;
  auto picture = [&out](std::string path, int w, int h, std::string shows, std::function<void(Canvas&)> paint,
                        std::vector<Piece> pieces = {}) {
    AssetEntry e;
    e.path = std::move(path);
    e.format = e.path.ends_with(".jpg") ? F::kJpeg : F::kPng;
    e.width = w;
    e.height = h;
    e.shows = std::move(shows);
    e.paint = std::move(paint);
    e.pieces = std::move(pieces);
    out.push_back(std::move(e));
  };
  auto sound = [&out](std::string path, std::string shows, std::function<Pcm()> make) {
    AssetEntry e;
    e.path = std::move(path);
    e.format = e.path.ends_with(".mp3") ? F::kMp3 : e.path.ends_with(".ogg") ? F::kOgg : F::kWav;
    e.shows = std::move(shows);
    e.sound = std::move(make);
    out.push_back(std::move(e));
  };

  for (const StoryScript& s : StoryScripts()) {
    AssetEntry e;
    e.path = "evx/" + std::to_string(s.number) + ".txt";
    e.format = F::kTable;
    e.bytes = static_cast<int>(s.text.size());
    e.shows = "talk scene script " + std::to_string(s.number);
    const std::string text = s.text;
    e.table = [text] { return text; };
    out.push_back(std::move(e));
  }

  // Portraits.
  picture("evx/oruha.png", 810, 800, "portrait: Oruha, crimson, five faces", [](Canvas& c) { PaintPortraitWide(c, kOruhaPortrait); },
          {{{0, 0, 288, 255}, "face 0"}, {{280, 270, 270, 255}, "face 3"}, {{0, 255, 288, 545}, "body"}});
  picture("evx/tevani.png", 810, 800, "portrait: Tevani, green, five faces",
          [](Canvas& c) { PaintPortraitWide(c, kTevaniPortrait); }, {{{540, 270, 270, 255}, "face 4"}, {{0, 255, 288, 545}, "body"}});
  picture("evx/suvel.png", 800, 730, "portrait: Suvel, violet with goggles, five faces",
          [](Canvas& c) { PaintPortraitTall(c, kSuvelPortrait); }, {{{0, 0, 300, 255}, "face 0"}, {{0, 185, 400, 545}, "body"}});
  picture("evx/meliko.png", 1071, 1024, "portrait: Meliko, shrine robes", [](Canvas& c) { PaintPortraitRobe(c, kMelikoPortrait); },
          {{{783, 0, 288, 183}, "head"}, {{0, 183, 640, 841}, "robe"}});
  picture("evx/vos.png", 316, 600, "portrait: Captain Vos", [](Canvas& c) { PaintPortraitFull(c, kVosPortrait, 0); },
          {{{0, 0, 316, 600}, "figure"}});
  picture("evx/ubana.png", 316, 600, "portrait: Ubana the engineer", [](Canvas& c) { PaintPortraitFull(c, kUbanaPortrait, 0); },
          {{{0, 0, 316, 600}, "figure"}});
  picture("evx/dunami_mini.png", 480, 432, "radio call: Dunami's talking faces", PaintCallFaces,
          {{{360, 324, 120, 108}, "smile"}});
  picture("evx/etc1.png", 800, 220, "talk window, dark", [](Canvas& c) { PaintWindow(c, false); });
  picture("evx/etc2.png", 800, 220, "talk window, light", [](Canvas& c) { PaintWindow(c, true); });

  // Dot sprites, 150 x 250 cells: open, half, closed per face.
  picture("evx/oruha_o.png", 750, 500, "dot sprite: Oruha, faces plain, smile, sulk", [](Canvas& c) {
    const int cells[3][3][2] = {{{0, 0}, {150, 0}, {300, 0}}, {{450, 0}, {600, 0}, {0, 250}}, {{150, 250}, {300, 250}, {450, 250}}};
    for (int f = 0; f < 3; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, cells[f][e][0], cells[f][e][1], kOruhaPortrait, f == 2 ? 5 : f, e);
  }, {{{450, 250, 150, 250}, "sulk closed"}});
  picture("evx/oruha_o2.png", 750, 750, "dot sprite: Oruha standing and walking", [](Canvas& c) {
    DrawDotFigure(c, 0, 0, kOruhaPortrait, 0, 0);
    const int cells[8][2] = {{0, 250}, {150, 250}, {300, 250}, {450, 250}, {600, 250}, {0, 500}, {150, 500}, {300, 500}};
    for (int i = 0; i < 8; ++i) DrawDotFigure(c, cells[i][0], cells[i][1], kOruhaPortrait, 0, 0, i);
  }, {{{300, 500, 150, 250}, "last walk cell"}});
  picture("evx/tevani_o.png", 900, 750, "dot sprite: Tevani, six faces", [](Canvas& c) {
    const int rows[6][2] = {{450, 0}, {0, 0}, {0, 250}, {450, 250}, {0, 500}, {450, 500}};
    const int faces[6] = {0, 1, 2, 3, 1, 5};
    for (int f = 0; f < 6; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, rows[f][0] + 150 * e, rows[f][1], kTevaniPortrait, faces[f], e);
  }, {{{750, 500, 150, 250}, "sulk closed"}});
  picture("evx/suvel_o.png", 450, 750, "dot sprite: Suvel, faces plain, surprise, sulk", [](Canvas& c) {
    const int faces[3] = {0, 2, 5};
    for (int f = 0; f < 3; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, 150 * e, 250 * f, kSuvelPortrait, faces[f], e);
  });
  picture("evx/dunami_o.png", 450, 750, "dot sprite: Dunami, faces plain, sulk, smile", [](Canvas& c) {
    const int faces[3] = {0, 5, 1};
    for (int f = 0; f < 3; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, 150 * e, 250 * f, kDunamiPortrait, faces[f], e);
  });
  picture("evx/pirel_o.png", 450, 750, "dot sprite: Pirel, plain, smile, holding a flower", PaintFlowerGirlExtras);
  picture("evx/meliko_o.png", 500, 500, "Meliko appearing, 250 x 250 cells", [](Canvas& c) {
    const int cells[3][2] = {{0, 0}, {250, 0}, {0, 250}};
    for (int i = 0; i < 3; ++i) {
      Canvas cell(250, 250);
      PaintBust(cell, 125, 78, 0.55, kMelikoPortrait, i == 1 ? 1 : 0, 200, false, i == 2 ? 2 : 0);
      CopyCell(c, cell, {0, 0, 250, 250}, cells[i][0], cells[i][1]);
    }
  });

  // Scene pictures.
  picture("evx/zinzya.png", 800, 500, "the shrine at dusk", PaintShrine);
  picture("evx/cha.png", 200, 100, "tea and sweets on a tray", PaintTea);
  picture("evx/graider.png", 600, 800, "Oruha's glider, 200 x 200 cells", PaintGlider, {{{400, 600, 200, 200}, "last cell"}});
  picture("evx/brastel2.png", 800, 600, "Suvel's repair shop", PaintShop);
  picture("evx/pc.png", 115, 70, "the shop's computer screen and its glow", PaintComputer);
  picture("evx/staff.png", 400, 1200, "staff roll names", PaintStaffNames);
  picture("evx/staff_oruha.png", 840, 800, "staff roll pictures: Oruha", [](Canvas& c) { PaintStaffPictures(c, kOruhaPortrait); });
  picture("evx/staff_tevani.png", 840, 800, "staff roll pictures: Tevani", [](Canvas& c) { PaintStaffPictures(c, kTevaniPortrait); });
  picture("evx/staff_suvel.png", 840, 800, "staff roll pictures: Suvel", [](Canvas& c) { PaintStaffPictures(c, kSuvelPortrait); });
  picture("evx/staff_time.png", 800, 675, "staff roll: the third story's records", PaintStaffTimes);
  for (int i = 1; i <= 4; ++i) {
    picture("evx/skima" + std::to_string(i) + ".png", 800, 600, "dawn through the clouds " + std::to_string(i),
            [i](Canvas& c) { PaintGap(c, i); });
  }
  picture("evx/skima_sola.png", 800, 600, "clouds over the dawn", PaintSkyOverlay);

  // Scene sounds and music.
  sound("evx/coin.wav", "a coin dropped into the shrine's box",
        [] { return Effect({{{W::kSine, 2400, 2400, 0, 400, 1, 8, 0.6}, {W::kSine, 3600, 3600, 60, 300, 1, 10, 0.4}}}); });
  sound("evx/wind.wav", "a gust of wind",
        [] { return Effect({{{W::kNoise, 1, 1, 0, 1500, 300, 1.2, 0.8, 0.92}}}); });
  sound("evx/heli.ogg", "helicopter rotor, looped",
        [] {
          EffectRecipe r;
          for (int i = 0; i < 20; ++i) r.layers.push_back({W::kNoise, 1, 1, i * 100, 90, 2, 30, 0.8, 0.9});
          return Effect(r);
        });
  sound("evx/step.mp3", "landing on a steel deck",
        [] { return Effect({{{W::kNoise, 1, 1, 0, 160, 1, 25, 0.9, 0.6}, {W::kSine, 90, 50, 0, 200, 1, 18, 0.8}}}); });
  sound("evx/door.wav", "a shop door with a bell",
        [] { return Effect({{{W::kNoise, 1, 1, 0, 200, 5, 15, 0.5, 0.85}, {W::kSine, 1800, 1800, 120, 700, 1, 6, 0.4}}}); });
  sound("evx/pc_in.wav", "the transfer device starting",
        [] { return Effect({{{W::kSaw, 200, 1600, 0, 1800, 300, 0.5, 0.5, 0.5}, {W::kSine, 400, 3200, 200, 1600, 200, 0.6, 0.3}}}); });
  sound("evx/phone.wav", "radio call ringing",
        [] { return Effect({{{W::kSquare, 1200, 1200, 0, 250, 2, 0, 0.4}, {W::kSquare, 1200, 1200, 450, 250, 2, 0, 0.4}}}); });
  sound("evx/noise.wav", "radio static as the call connects",
        [] { return Effect({{{W::kNoise, 1, 1, 0, 700, 2, 4, 0.7, 0.3}}}); });
  sound("evx/off.wav", "radio call ending click",
        [] { return Effect({{{W::kSquare, 800, 400, 0, 120, 1, 20, 0.4}, {W::kNoise, 1, 1, 0, 60, 1, 40, 0.4, 0.5}}}); });
  auto song = [&sound](std::string path, std::string shows, int bpm, std::vector<std::vector<int>> chords,
                       std::string melody, bool loop = true, bool drums = true) {
    sound(std::move(path), std::move(shows), [=] {
      Song s;
      s.bpm = bpm;
      s.bars = static_cast<int>(chords.size());
      s.chords = chords;
      s.melody = melody;
      s.loop = loop;
      s.drums = drums;
      return RenderSong(s);
    });
  };
  song("evx/openning.ogg", "opening music: gentle loop at the shrine and the shop, 84 bpm", 84,
       {{48, 52, 55}, {45, 48, 52}, {41, 45, 48}, {43, 47, 50}}, "72:2 74:1 76:1 74:2 72:2 69:2 71:1 72:1 74:4", true,
       false);
  song("bzx/wind.ogg", "night flight music: airy loop, 100 bpm", 100, {{50, 53, 57}, {48, 52, 55}, {46, 50, 53}, {45, 49, 52}},
       "74:3 72:1 69:4 70:3 72:1 73:4", true, false);
  song("bzx/event.ogg", "confrontation music: tense loop, 128 bpm", 128, {{45, 48, 52}, {46, 50, 53}, {45, 48, 52}, {44, 47, 50}},
       "69:1 72:1 71:1 69:1 68:2 r:2 69:1 72:1 74:1 72:1 71:4");
  song("bzx/end.ogg", "ending music: bright loop at dawn, 96 bpm", 96, {{48, 52, 55}, {43, 47, 50}, {45, 48, 52}, {41, 45, 48}},
       "76:2 79:2 77:1 76:1 74:2 72:2 74:2 76:4");
  song("bzx/staff.ogg", "staff roll music: slow loop, 76 bpm", 76,
       {{48, 52, 55, 59}, {45, 48, 52, 55}, {41, 45, 48, 52}, {43, 47, 50, 53}}, "67:2 72:2 71:2 69:2 67:4 r:4", true, false);
  return out;
}

}  // namespace dataset
