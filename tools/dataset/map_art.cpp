#include "tools/dataset/map_art.h"

#include <algorithm>
#include <cmath>

#include "tools/dataset/text_painter.h"

namespace dataset {
namespace {

constexpr ChipSheet kSheets[] = {
    {"10", 40, 80, 40, 40},    {"11", 40, 80, 40, 40},    {"20", 120, 120, 40, 80},  {"21", 160, 40, 40, 40},
    {"25", 200, 40, 40, 40},   {"30", 200, 40, 40, 20},   {"35", 240, 40, 80, 40},   {"38", 360, 56, 120, 40},
    {"41", 120, 80, 40, 80},   {"44", 120, 120, 40, 120}, {"47", 720, 80, 80, 80},   {"56", 160, 80, 80, 80},
    {"58", 40, 80, 40, 80},    {"59", 40, 360, 40, 40},   {"60", 40, 360, 40, 40},   {"61", 160, 100, 80, 20},
    {"64", 40, 80, 40, 80},    {"65", 40, 40, 40, 40},    {"66", 360, 80, 40, 80},   {"75", 160, 200, 80, 40},
    {"77", 120, 80, 40, 80},   {"79", 120, 40, 40, 40},   {"82", 200, 160, 40, 80},  {"83", 240, 320, 80, 40},
    {"86", 120, 40, 40, 40},   {"89", 120, 120, 40, 40},  {"90", 120, 120, 40, 80},  {"91", 40, 80, 40, 40},
    {"99", 160, 80, 80, 40},   {"130", 400, 320, 40, 80}, {"190", 440, 120, 40, 40}, {"1", 360, 80, 40, 80},
    {"92", 40, 40, 40, 40},    {"100", 400, 40, 40, 40},  {"110", 440, 40, 40, 40},
};

constexpr const char* kAreaCodes[kAreaChipCount] = {"10", "11", "20", "21", "25", "30", "35", "38",
                                                    "41", "44", "47", "56", "58", "59", "60", "61",
                                                    "64", "65", "66", "75", "77", "79", "82", "83",
                                                    "86", "89", "90", "91", "99", "130", "190", "1"};

// The wall colour of each area and VR category.
Rgb AreaTone(int area) {
  static const Rgb kTones[] = {{92, 104, 124}, {124, 104, 84}, {96, 126, 104}, {104, 108, 120},
                               {134, 110, 74}, {84, 118, 146}, {146, 92, 80},  {118, 116, 92},
                               {60, 150, 170}, {70, 160, 120}, {170, 120, 60}, {150, 80, 170}};
  return kTones[std::clamp(area, 0, 11)];
}

Rgb Darker(Rgb c, int percent = 60) { return Scale(c, percent); }
Rgb Lighter(Rgb c, int amount = 90) { return Mix(c, kWhite, amount); }

// A solid wall plate: bevelled edges, a seam and rivets; `style` varies the face.
void Plate(Canvas& c, const Rect& r, Rgb tone, int style) {
  c.FillRect(r, tone);
  c.FillRect({r.x, r.y, r.w, 2}, Lighter(tone, 110));
  c.FillRect({r.x, r.y, 2, r.h}, Lighter(tone, 70));
  c.FillRect({r.x, r.Bottom() - 2, r.w, 2}, Darker(tone, 45));
  c.FillRect({r.Right() - 2, r.y, 2, r.h}, Darker(tone, 55));
  switch (style % 5) {
    case 0:  // riveted plate
      for (int y = r.y + 6; y < r.Bottom() - 3; y += 28) {
        for (int x = r.x + 6; x < r.Right() - 3; x += 28) c.FillCircle(x, y, 2, Lighter(tone, 130));
      }
      break;
    case 1:  // plate with a horizontal seam
      for (int y = r.y + 19; y < r.Bottom() - 2; y += 20) c.FillRect({r.x + 2, y, r.w - 4, 2}, Darker(tone, 55));
      break;
    case 2:  // grating
      for (int x = r.x + 6; x < r.Right() - 3; x += 7) c.FillRect({x, r.y + 5, 2, r.h - 10}, Darker(tone, 50));
      break;
    case 3:  // hazard stripes along the top
      for (int x = r.x; x < r.Right(); x += 12) {
        c.FillTriangle(x, r.y + 2, x + 6, r.y + 2, x, r.y + 10, Rgb{230, 190, 40});
        c.FillTriangle(x + 6, r.y + 2, x, r.y + 10, x + 6, r.y + 10, Rgb{230, 190, 40});
      }
      break;
    default:  // bricks
      for (int y = r.y + 2, row = 0; y < r.Bottom() - 2; y += 10, ++row) {
        c.FillRect({r.x + 2, y + 8, r.w - 4, 2}, Darker(tone, 50));
        for (int x = r.x + (row % 2 ? 10 : 0); x < r.Right(); x += 20) c.FillRect({x, y, 2, 8}, Darker(tone, 50));
      }
      break;
  }
}

void Crate(Canvas& c, const Rect& r, Rgb wood) {
  c.FillRect(r, wood);
  c.FrameRect(r, 3, Darker(wood, 55));
  c.Line(r.x + 3, r.y + 3, r.Right() - 4, r.Bottom() - 4, 3, Darker(wood, 65));
  c.Line(r.x + 3, r.Bottom() - 4, r.Right() - 4, r.y + 3, 3, Darker(wood, 65));
}

void Caption(Canvas& c, int x, int y, const std::string& text, int size, Rgb colour) {
  TextStyle s;
  s.size = size;
  s.weight = 700;
  s.color = colour;
  s.shadow = kInk;
  DrawText(c, x, y, text, s);
}

void Spikes(Canvas& c, const Rect& r, Rgb tone, int direction) {
  Plate(c, r, tone, 1);
  const Rgb steel{210, 215, 225};
  for (int i = 0; i < 4; ++i) {
    const int a = i * 10;
    switch (direction) {
      case 0: c.FillTriangle(r.x + a, r.y + 12, r.x + a + 10, r.y + 12, r.x + a + 5, r.y, steel); break;
      case 1: c.FillTriangle(r.x + a, r.Bottom() - 12, r.x + a + 10, r.Bottom() - 12, r.x + a + 5, r.Bottom() - 1, steel); break;
      case 2: c.FillTriangle(r.Right() - 12, r.y + a, r.Right() - 12, r.y + a + 10, r.Right() - 1, r.y + a + 5, steel); break;
      default: c.FillTriangle(r.x + 12, r.y + a, r.x + 12, r.y + a + 10, r.x, r.y + a + 5, steel); break;
    }
  }
}

// A ladder: two bright rails and rungs with nothing behind them.
void Ladder(Canvas& c, const Rect& r) {
  const Rgb rail{236, 196, 52}, shade{150, 112, 20};
  for (int y = r.y + 4; y < r.Bottom(); y += 10) {
    c.FillRect({r.x + 8, y, 24, 3}, rail);
    c.FillRect({r.x + 8, y + 3, 24, 1}, shade);
  }
  c.FillRect({r.x + 6, r.y, 4, r.h}, rail);
  c.FillRect({r.x + 30, r.y, 4, r.h}, rail);
  c.FillRect({r.x + 9, r.y, 1, r.h}, shade);
  c.FillRect({r.x + 33, r.y, 1, r.h}, shade);
}

// A sliding door in its frame: two halves meeting in the middle, the door number above and
// a green lamp, so that it reads as a way out from afar.
void Door(Canvas& c, const Rect& r, int number, Rgb tone) {
  // The panel takes the colour opposite the area's walls, so it never blends into them.
  const Rgb opposite{static_cast<uint8_t>(255 - tone.r), static_cast<uint8_t>(255 - tone.g),
                     static_cast<uint8_t>(255 - tone.b)};
  const Rgb panel = Mix(opposite, kWhite, 40);
  c.FillRect(r, Darker(panel, 40));
  c.FillRect({r.x + 2, r.y + 14, r.w - 4, r.h - 16}, panel);
  for (int half = 0; half < 2; ++half) {
    const int x = r.x + 2 + half * 18;
    c.FrameRect({x, r.y + 14, 18, r.h - 16}, 1, Lighter(panel, 90));
    c.FillRect({x + 4, r.y + 26, 10, 20}, Lighter(panel, 60));  // window
    c.FillRect({x + 5, r.y + 27, 8, 18}, Rgb{30, 60, 80});
  }
  c.FillRect({r.x + 19, r.y + 14, 2, r.h - 16}, kInk);  // the seam where it opens
  c.FillRect({r.x + 2, r.y + 56, r.w - 4, 4}, Rgb{230, 190, 40});
  c.FillRect({r.x, r.y, r.w, 14}, Rgb{36, 40, 48});
  c.FillCircle(r.x + 33, r.y + 7, 3, Rgb{80, 255, 120});
  Caption(c, r.x + 4, r.y, std::to_string(number), 13, Rgb{255, 255, 255});
  c.FrameRect(r, 2, Rgb{180, 186, 196});
}

// A hiding place: a slatted locker, ajar, dark inside.
void Locker(Canvas& c, const Rect& r) {
  const Rgb body{96, 176, 56};
  c.FillRect(r, Darker(body, 35));
  c.FillRect({r.x + 2, r.y + 2, r.w - 12, r.h - 4}, body);
  for (int y = r.y + 8; y < r.y + 30; y += 5) c.FillRect({r.x + 6, y, r.w - 20, 2}, Darker(body, 45));
  c.FillRect({r.Right() - 10, r.y + 2, 8, r.h - 4}, kInk);  // the gap of the open door
  c.FillRect({r.x + r.w - 16, r.y + 40, 3, 10}, Rgb{220, 220, 200});  // handle
  c.FrameRect(r, 1, Lighter(body, 80));
  // Eyes peering out of the gap: somewhere to hide.
  c.FillRect({r.Right() - 8, r.y + 30, 2, 2}, Rgb{240, 240, 240});
  c.FillRect({r.Right() - 5, r.y + 30, 2, 2}, Rgb{240, 240, 240});
}

void Glow(Canvas& c, const Rect& r, Rgb colour) {
  for (int y = r.y; y < r.Bottom(); ++y) {
    for (int x = r.x; x < r.Right(); ++x) {
      const double dx = (x - r.x - r.w / 2.0) / (r.w / 2.0), dy = (y - r.y - r.h / 2.0) / (r.h / 2.0);
      const double k = std::max(0.0, 1.0 - std::sqrt(dx * dx + dy * dy));
      const int v = static_cast<int>(k * 255);
      if (v > 8) c.Set(x, y, Scale(colour, v * 100 / 255));
    }
  }
}

void Fragments(Canvas& c, const Rect& r, Rgb tone) {
  c.FillTriangle(r.x + 2, r.y + 4, r.Right() - 3, r.y + 8, r.x + r.w / 2, r.Bottom() - 3, tone);
  c.Line(r.x + 4, r.y + 6, r.Right() - 6, r.y + 9, 1, Lighter(tone, 100));
}

void Figure(Canvas& c, const Rect& r, Rgb body, int frame, bool machine) {
  const int bob = frame % 2;
  if (machine) {
    c.FillRect({r.x + 6, r.y + 30 + bob, 28, 40}, body);
    c.FillRect({r.x + 10, r.y + 36 + bob, 20, 12}, Rgb{40, 200, 220});
    c.FillRect({r.x + 10 + frame * 4, r.y + 52, 4, 4}, Rgb{255, 80, 60});
    c.FrameRect({r.x + 6, r.y + 30 + bob, 28, 40}, 1, Lighter(body));
    return;
  }
  c.FillCircle(r.x + 20, r.y + 22 + bob, 8, Rgb{230, 200, 170});
  c.FillRect({r.x + 12, r.y + 31 + bob, 16, 28}, body);
  c.Line(r.x + 16, r.y + 58, r.x + 14 - frame, r.y + 79, 4, Darker(body));
  c.Line(r.x + 24, r.y + 58, r.x + 26 + frame, r.y + 79, 4, Darker(body));
  c.Line(r.x + 14, r.y + 34 + bob, r.x + 6, r.y + 50 - frame * 3, 3, body);
}

void Lamp(Canvas& c, const Rect& r, int skin) {
  const Rgb metal{150, 156, 168};
  c.FillRect({r.x + 18, r.y, 4, 10}, metal);
  c.FillTriangle(r.x + 6, r.y + 22, r.x + 34, r.y + 22, r.x + 20, r.y + 8, metal);
  c.FillRect({r.x + 6, r.y + 20, 28, 4}, Darker(metal));
  const Rgb bulb = skin % 2 ? Rgb{200, 240, 255} : Rgb{255, 240, 170};
  c.FillCircle(r.x + 20, r.y + 26, 6, bulb);
  c.FillCircle(r.x + 20, r.y + 26, 3, kWhite);
}

void Decoration(Canvas& c, const Rect& r, int skin, Rgb tone) {
  switch (skin % 5) {
    case 0: Crate(c, {r.x + 2, r.y + 8, 36, 32}, Rgb{150, 110, 60}); break;
    case 1:  // barrel
      c.FillRect({r.x + 8, r.y + 4, 24, 36}, Rgb{170, 60, 50});
      c.FillRect({r.x + 8, r.y + 12, 24, 3}, Darker(Rgb{170, 60, 50}));
      c.FillRect({r.x + 8, r.y + 30, 24, 3}, Darker(Rgb{170, 60, 50}));
      break;
    case 2:  // a sign
      c.FillRect({r.x + 4, r.y + 6, 32, 20}, Rgb{230, 230, 220});
      c.FrameRect({r.x + 4, r.y + 6, 32, 20}, 2, Rgb{200, 60, 40});
      c.FillRect({r.x + 18, r.y + 26, 4, 14}, Rgb{120, 120, 130});
      break;
    case 3:  // pipes on the wall
      c.FillRect({r.x, r.y + 10, r.w, 6}, Lighter(tone, 40));
      c.FillRect({r.x, r.y + 24, r.w, 6}, Darker(tone, 70));
      break;
    default:  // a coil of cable
      c.Ring(r.x + 20, r.y + 26, 12, 4, Rgb{60, 60, 70});
      c.Ring(r.x + 20, r.y + 26, 6, 3, Rgb{90, 90, 100});
      break;
  }
}

}  // namespace

const ChipSheet* FindChipSheet(const std::string& code) {
  for (const ChipSheet& s : kSheets) {
    if (code == s.code) return &s;
  }
  return nullptr;
}

const char* const* AreaChipCodes() { return kAreaCodes; }

void PaintChipSheet(Canvas& c, const std::string& code, int area) {
  const ChipSheet* sheet = FindChipSheet(code);
  if (sheet == nullptr) return;
  const Rgb tone = AreaTone(area);
  const int w = sheet->tileWidth, h = sheet->tileHeight;
  const int skins = c.width() / w;
  auto cell = [&](int skin, int frame) { return Rect{skin * w, frame * h, w, h}; };

  if (code == "10" || code == "11") {
    const Rect r = cell(0, 0);
    Plate(c, r, Darker(tone, 80), 1);
    c.FillRect({6, 6, 28, 18}, kInk);
    c.FillRect({8, 8, 24, 14}, code == "10" ? Rgb{40, 90, 60} : Rgb{30, 60, 110});
    for (int i = 0; i < 3; ++i) c.FillRect({8 + i * 9, 28, 6, 5}, Rgb{200, 60, 60});
    if (code == "11") Caption(c, 9, 8, ">_", 11, Rgb{120, 220, 255});
    // The overlay that flickers over it.
    c.FillRect({8, 48, 24, 14}, code == "10" ? Rgb{60, 200, 110} : Rgb{80, 170, 255});
    for (int i = 0; i < 3; ++i) c.FillRect({8 + i * 9, 68, 6, 5}, Rgb{255, 120, 90});
  } else if (code == "20") {
    // A standing target, and the pieces it breaks into.
    c.FillRect({18, 40, 4, 40}, Rgb{120, 100, 70});
    c.FillCircle(20, 22, 16, Rgb{240, 240, 240});
    c.FillCircle(20, 22, 12, Rgb{220, 40, 40});
    c.FillCircle(20, 22, 8, Rgb{240, 240, 240});
    c.FillCircle(20, 22, 4, Rgb{220, 40, 40});
    static const Rect kPieces[] = {{93, 0, 19, 25}, {92, 23, 25, 30}, {88, 52, 21, 29},
                                   {61, 0, 17, 28}, {48, 27, 17, 27}, {58, 52, 21, 29}};
    int i = 0;
    for (const Rect& p : kPieces) Fragments(c, p, i++ % 2 ? Rgb{220, 40, 40} : Rgb{240, 240, 240});
  } else if (code == "21") {
    for (int skin = 0; skin < 4; ++skin) Spikes(c, cell(skin, 0), tone, skin);
  } else if (code == "25" || code == "35" || code == "38" || code == "41" || code == "44") {
    for (int skin = 0; skin < skins; ++skin) Plate(c, cell(skin, 0), Mix(tone, kWhite, skin * 12), skin);
    if (code == "38") {
      c.FillRect({0, 40, 22, 16}, Rgb{255, 220, 90});
      c.FillRect({22, 40, 22, 16}, Rgb{140, 110, 40});
      c.FillRect({49, 12, 22, 16}, Rgb{60, 50, 30});
    }
  } else if (code == "30") {
    for (int skin = 0; skin < 5; ++skin) {
      const Rect r = cell(skin, 0);
      const Rgb girder = Mix(tone, Rgb{200, 200, 210}, 80 + skin * 20);
      c.FillRect(r, girder);
      c.FillRect({r.x, r.y, r.w, 3}, Lighter(girder));
      for (int x = r.x + 2; x < r.Right() - 4; x += 10) c.Line(x, r.y + 4, x + 8, r.Bottom() - 3, 2, Darker(girder));
      Glow(c, cell(skin, 1), Rgb{120, 200, 255});
    }
  } else if (code == "47") {
    static const Rgb kPaint[] = {{180, 60, 50}, {50, 110, 180}, {60, 150, 70},  {200, 150, 40}, {130, 70, 150},
                                 {80, 80, 90},  {200, 100, 40}, {40, 140, 140}, {150, 150, 160}};
    for (int skin = 0; skin < 9; ++skin) {
      const Rect r = cell(skin, 0);
      c.FillRect(r, kPaint[skin]);
      for (int x = r.x + 4; x < r.Right() - 2; x += 8) c.FillRect({x, r.y + 4, 3, r.h - 8}, Darker(kPaint[skin], 70));
      c.FrameRect(r, 3, Darker(kPaint[skin], 45));
    }
  } else if (code == "56") {
    for (int skin = 0; skin < 2; ++skin) {
      const Rect r = cell(skin, 0);
      Plate(c, {r.x, r.y + 40, 80, 40}, tone, skin);
      const Rgb rail{200, 205, 215};
      c.FillRect({r.x, r.y + 8, 80, 3}, rail);
      for (int x = r.x + 2; x < r.Right(); x += 13) c.FillRect({x, r.y + 8, 3, 32}, rail);
    }
  } else if (code == "58" || code == "66") {
    static const Rgb kLocks[] = {{230, 60, 60}, {60, 160, 230}, {80, 200, 90},  {230, 200, 60}, {190, 90, 220},
                                 {240, 140, 40}, {60, 210, 200}, {220, 220, 220}, {240, 110, 170}};
    for (int skin = 0; skin < skins; ++skin) {
      const Rect r = cell(skin, 0);
      const Rgb slat{150, 150, 160};
      c.FillRect(r, Darker(slat, 50));
      for (int y = r.y + 2; y < r.Bottom() - 2; y += 8) c.FillRect({r.x + 2, y, r.w - 4, 6}, slat);
      c.FillRect({r.x + 12, r.y + 60, 16, 12}, code == "58" ? Rgb{240, 220, 80} : kLocks[skin]);
      c.FillCircle(r.x + 20, r.y + 64, 2, kInk);
    }
  } else if (code == "59" || code == "60") {
    // Nine frames, whole to crumbled.
    for (int frame = 0; frame < 9; ++frame) {
      const Rect r = cell(0, frame);
      Plate(c, r, code == "59" ? Mix(tone, Rgb{200, 170, 120}, 120) : Mix(tone, Rgb{170, 120, 100}, 120), 4);
      Random rnd(static_cast<uint32_t>(frame * 7 + (code == "59")));
      for (int k = 0; k < frame * 2; ++k) {
        const int x = r.x + 4 + rnd.Below(32), y = r.y + 4 + rnd.Below(32);
        c.Line(x, y, x + rnd.Below(12) - 6, y + rnd.Below(12) - 6, 1, kInk);
      }
      if (frame == 8) c.FillRect({r.x + 4, r.y + 20, 32, 20}, kTransparent);
    }
  } else if (code == "61") {
    for (int skin = 0; skin < 2; ++skin) {
      for (int frame = 0; frame < 5; ++frame) {
        const Rect r = cell(skin, frame);
        const int open = frame * 10;
        c.FillRect({r.x, r.y, 40 - open, 20}, Mix(tone, Rgb{200, 180, 60}, 60));
        c.FillRect({r.x + 40 + open, r.y, 40 - open, 20}, Mix(tone, Rgb{200, 180, 60}, 60));
        c.FrameRect(r, 1, Darker(tone));
      }
    }
  } else if (code == "64") {
    Locker(c, cell(0, 0));
  } else if (code == "65") {
    Ladder(c, cell(0, 0));
  } else if (code == "75") {
    for (int skin = 0; skin < 2; ++skin) {
      for (int frame = 0; frame < 5; ++frame) {
        const Rect r = cell(skin, frame);
        c.FillRect(r, Rgb{60, 62, 70});
        c.FillRect({r.x, r.y, r.w, 8}, Rgb{40, 40, 46});
        for (int x = -16; x < r.w; x += 16) {
          const int ax = r.x + x + (skin == 0 ? frame * 3 : 12 - frame * 3);
          if (ax < r.x || ax + 10 > r.Right()) continue;
          if (skin == 0) c.FillTriangle(ax, r.y + 1, ax, r.y + 7, ax + 8, r.y + 4, Rgb{240, 200, 60});
          else c.FillTriangle(ax + 8, r.y + 1, ax + 8, r.y + 7, ax, r.y + 4, Rgb{240, 200, 60});
        }
        c.FillCircle(r.x + 10, r.y + 26, 8, Rgb{100, 100, 110});
        c.FillCircle(r.Right() - 10, r.y + 26, 8, Rgb{100, 100, 110});
      }
    }
  } else if (code == "77") {
    Plate(c, {0, 40, 40, 40}, Mix(tone, Rgb{80, 80, 200}, 100), 2);
    for (int i = 0; i < 3; ++i) c.Ring(20, 30 - i * 8, 12 - i * 2, 2, Rgb{120, 160, 255});
    for (int s = 1; s <= 2; ++s) {
      Random rnd(static_cast<uint32_t>(s));
      int x = s * 40 + 20, y = 40;
      for (int k = 0; k < 6; ++k) {
        const int nx = s * 40 + 6 + rnd.Below(28), ny = y - 6;
        c.Line(x, y, nx, ny, 2, Rgb{180, 220, 255});
        x = nx;
        y = ny;
      }
    }
  } else if (code == "79") {
    for (int skin = 0; skin < 3; ++skin) {
      const Rect r = cell(skin, 0);
      c.FillRect(r, Mix(tone, Rgb{120, 220, 255}, 120));
      for (int x = r.x; x < r.Right(); x += 8) {
        c.FillRect({x, r.y, 4, 2}, kWhite);
        c.FillRect({x, r.Bottom() - 2, 4, 2}, kWhite);
      }
      Caption(c, r.x + 12, r.y + 12, std::to_string(skin + 1), 14, kWhite);
    }
  } else if (code == "82") {
    const Rgb glass{150, 210, 240};
    c.FillRect({0, 0, 40, 80}, Scale(glass, 50));
    c.FrameRect({0, 0, 40, 80}, 3, Rgb{190, 200, 210});
    c.Line(8, 10, 20, 30, 2, glass);
    c.Line(14, 40, 28, 62, 2, glass);
    for (int i = 0; i < 5; ++i) Fragments(c, {i * 40 + 6, 90, 28, 60}, glass);
  } else if (code == "83") {
    for (int skin = 0; skin < 3; ++skin) {
      for (int frame = 0; frame < 8; ++frame) {
        const Rect r = cell(skin, frame);
        const int squash = frame <= 4 ? frame * 3 : (8 - frame) * 3;
        c.FillRect({r.x + 4, r.y + 30, 72, 10}, Rgb{90, 90, 100});
        for (int k = 0; k < 3; ++k) c.Line(r.x + 20 + k * 20, r.y + 30, r.x + 20 + k * 20, r.y + 10 + squash, 3, Rgb{200, 200, 210});
        c.FillRect({r.x + 4, r.y + 6 + squash, 72, 6}, skin == 0 ? Rgb{80, 200, 90} : skin == 1 ? Rgb{230, 200, 60} : Rgb{230, 80, 60});
      }
    }
  } else if (code == "86") {
    const Rgb pipe{170, 175, 185};
    c.FillRect({30, 20, 10, 5}, pipe);
    c.FillRect({40, 20, 40, 5}, pipe);
    c.FillRect({80, 20, 20, 5}, pipe);
    for (int x : {34, 60, 86}) c.FillRect({x, 17, 3, 11}, Lighter(pipe));
  } else if (code == "89" || code == "90" || code == "92") {
    const Rect r{0, 0, w, h};
    if (code == "92") Crate(c, r, Rgb{160, 110, 60});
    else Plate(c, r, Mix(tone, Rgb{170, 140, 110}, 100), 4);
    c.Line(8, 6, 18, 24, 1, kInk);
    c.Line(28, 10, 22, 30, 1, kInk);
    if (code == "89") {
      for (const Rect& p : {Rect{40, 40, 40, 40}, Rect{80, 40, 40, 40}, Rect{0, 80, 40, 40}, Rect{40, 80, 40, 40}, Rect{80, 80, 40, 40}}) {
        Fragments(c, {p.x + 6, p.y + 6, 26, 26}, Mix(tone, Rgb{170, 140, 110}, 100));
      }
    } else if (code == "90") {
      for (const Rect& p : {Rect{40, 0, 40, 40}, Rect{80, 0, 40, 40}, Rect{40, 40, 40, 40}, Rect{80, 40, 40, 40}, Rect{0, 80, 40, 40}}) {
        Fragments(c, {p.x + 6, p.y + 6, 26, 26}, Mix(tone, Rgb{170, 140, 110}, 100));
      }
    }
  } else if (code == "91") {
    Plate(c, {0, 0, 40, 40}, Mix(tone, Rgb{200, 120, 200}, 80), 1);
    c.Ring(20, 20, 8, 2, Rgb{255, 230, 120});
    c.Ring(20, 20, 14, 2, Rgb{255, 230, 120});
    Glow(c, {0, 40, 40, 40}, Rgb{255, 200, 255});
  } else if (code == "99") {
    for (int skin = 0; skin < 2; ++skin) {
      const Rect r = cell(skin, 0);
      const Rgb lit = skin == 0 ? Rgb{90, 100, 110} : Rgb{80, 255, 140};
      c.FillRect({r.x + 4, r.y + 30, 72, 10}, Darker(lit, 60));
      c.FrameRect({r.x + 4, r.y + 4, 72, 26}, 2, lit);
      TextStyle style;
      style.size = 13;
      style.weight = 700;
      style.color = lit;
      style.shadow = kInk;
      DrawTextIn(c, {r.x + 4, r.y + 4, 72, 26}, "GOAL", style);
      Glow(c, cell(skin, 1), skin == 0 ? Rgb{60, 70, 80} : Rgb{120, 255, 170});
    }
  } else if (code == "130") {
    for (int skin = 0; skin < 10; ++skin) {
      for (int frame = 0; frame < 4; ++frame) {
        Figure(c, cell(skin, frame), skin % 4 == 0 ? Rgb{200, 200, 220} : Mix(tone, Rgb{200, 80, 60}, 120 + skin * 10),
               frame, skin >= 6);
      }
    }
  } else if (code == "190") {
    for (int skin = 0; skin < 11; ++skin) Lamp(c, cell(skin, 0), skin);
  } else if (code == "1") {
    for (int skin = 0; skin < 9; ++skin) Door(c, cell(skin, 0), skin + 1, tone);
  } else if (code == "100" || code == "110") {
    for (int skin = 0; skin < skins; ++skin) Decoration(c, cell(skin, 0), skin + (code == "110" ? 2 : 0), tone);
  }
}

}  // namespace dataset
