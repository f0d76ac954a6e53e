// Each agent has one colour throughout, in portraits, dot sprites and the staff roll, so
// that they are told apart at a glance: Oruha crimson with short black hair, Tevani green
// with long golden hair, Suvel violet with silver hair and goggles. The others are drawn
// in colours of their own: Meliko white and red robes, Vos a navy captain's coat with a
// beard, Ubana orange overalls, Dunami teal with glasses, Pirel a small girl in yellow.
#include "tools/dataset/story_art.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "tools/dataset/art_common.h"
#include "tools/dataset/placeholder_art.h"
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

// Shoulders and coat below a head centred at cx.
void DrawTorso(Canvas& c, int cx, int top, int halfWidth, int bottom, const Look& look) {
  c.FillRect({cx - halfWidth / 5, top, halfWidth * 2 / 5, 30}, look.skin);
  c.FillChamfered({cx - halfWidth, top + 20, halfWidth * 2, bottom - top - 20}, halfWidth / 3, look.coat);
  c.FillTriangle(cx - halfWidth / 4, top + 20, cx + halfWidth / 4, top + 20, cx, top + 20 + halfWidth / 2, look.accent);
  c.FrameChamfered({cx - halfWidth, top + 20, halfWidth * 2, bottom - top - 20}, halfWidth / 3, 3,
                   Scale(look.coat, 60));
}

// Portrait kinds 0 and 1: five face cells and the body below y 255.
void PaintPortraitWide(Canvas& c, const Look& look) {
  DrawTorso(c, 144, 240, 130, 800, look);
  const int cells[5][3] = {{0, 0, 144}, {270, 0, 144}, {540, 0, 144}, {280, 270, 134}, {540, 270, 144}};
  for (int f = 0; f < 5; ++f) DrawHead(c, cells[f][0] + cells[f][2], cells[f][1] + 150, 88, look, f);
}

// Portrait kind 5: heads at the face cells, body from y 185.
void PaintPortraitTall(Canvas& c, const Look& look) {
  DrawTorso(c, 190, 180, 150, 730, look);
  const int heads[5][2] = {{190, 100}, {490, 100}, {690, 100}, {490, 350}, {690, 350}};
  for (int f = 0; f < 5; ++f) DrawHead(c, heads[f][0], heads[f][1], 76, look, f);
}

// Portrait kind 2: a head cell at (783, 0) and a wide robe from y 183.
void PaintPortraitRobe(Canvas& c, const Look& look) {
  c.FillChamfered({194, 190, 300, 834}, 60, look.coat);
  c.FillRect({320, 190, 48, 834}, look.accent);
  c.FrameChamfered({194, 190, 300, 834}, 60, 3, Scale(look.coat, 70));
  DrawHead(c, 783 + 144, 100, 78, look, 0);
}

// Portrait kinds 3 and 4: a whole figure in 316 x 600.
void PaintPortraitFull(Canvas& c, const Look& look) {
  DrawTorso(c, 158, 190, 130, 600, look);
  DrawHead(c, 158, 110, 86, look, look.hairStyle == 3 ? 4 : 1);
}

// Radio-call faces, 120 x 108 cells: mouth frames in rows 0 and 108 (216 and 324 worried).
void PaintCallFaces(Canvas& c) {
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 4; ++col) {
      const int x = col * 120, y = row * 108;
      c.FillRect({x + 2, y + 2, 116, 104}, Rgb{20, 60, 60});
      const int face = row == 3 && col == 3 ? 1 : row >= 2 ? 3 : 0;
      DrawHead(c, x + 60, y + 58, 38, kDunami, face);
      if (col % 2 == 1 && face != 1) c.FillCircle(x + 60, y + 79, 5, Rgb{120, 30, 40});  // mouth open
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

// A dot sprite, 150 x 250: big head on a small body.
void DrawDotFigure(Canvas& c, int x, int y, const Look& look, int face, int eyes, int step = -1) {
  const int cx = x + 75;
  c.FillChamfered({cx - 34, y + 130, 68, 80}, 12, look.coat);
  c.FillRect({cx - 6, y + 130, 12, 30}, look.accent);
  const int swing = step < 0 ? 0 : static_cast<int>(std::sin(step * 3.14159 / 4) * 14);
  c.FillRect({cx - 24 + swing, y + 208, 16, 36}, Scale(look.coat, 60));
  c.FillRect({cx + 8 - swing, y + 208, 16, 36}, Scale(look.coat, 60));
  DrawHead(c, cx, y + 80, 52, look, face, eyes);
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
}

void PaintTea(Canvas& c) {
  c.FillRect({10, 60, 180, 14}, Rgb{120, 80, 50});
  c.FillCircle(60, 48, 18, Rgb{200, 210, 190});
  c.FillCircle(130, 50, 14, Rgb{240, 240, 230});
  c.FillCircle(130, 44, 6, Rgb{140, 180, 90});
}

// Glider sheet: 200 x 200 cells, rows for the approach (0), the glide (200), the empty
// glider (0, 400), the second costume (400, 400 and row 600).
void PaintGlider(Canvas& c) {
  for (int row = 0; row < 4; ++row) {
    for (int col = 0; col < 3; ++col) {
      const int x = col * 200, y = row * 200;
      const Rgb wing = row == 3 || (row == 2 && col == 2) ? Rgb{60, 60, 70} : Rgb{170, 30, 50};
      const int tilt = (col - 1) * 6;
      c.FillTriangle(x + 10, y + 90 + tilt, x + 190, y + 90 - tilt, x + 100, y + 60, wing);
      c.Line(x + 100, y + 64, x + 100, y + 130, 3, Rgb{90, 90, 90});
      if (!(row == 2 && col == 0)) DrawHead(c, x + 100, y + 140, 14, kOruha, 0);
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

void PaintStaffPictures(Canvas& c, const Look& look) {
  for (int p = 0; p < 12; ++p) {
    const int x = 280 * (p % 3), y = 200 * (p / 3);
    c.Gradient({x + 4, y + 4, 272, 192}, Scale(look.coat, 40), Scale(look.coat, 80));
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
    for (int eyes = 0; eyes < 3; ++eyes) DrawDotFigure(c, eyes * 150, row * 250, kPirel, row == 0 ? 0 : 1, eyes);
  }
  DrawDotFigure(c, 0, 500, kPirel, 1, 2);
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
  // The pilot (130, 336) and the waving figure (207, 277, 347 at 336).
  c.FillRect({134, 380, 44, 28}, Rgb{60, 70, 60});
  DrawHead(c, 156, 362, 16, kUbana, 0);
  for (int i = 0; i < 3; ++i) {
    const int x = 207 + 70 * i;
    c.FillRect({x + 16, 376, 30, 36}, kTevani.coat);
    DrawHead(c, x + 31, 358, 16, kTevani, 1);
    c.Line(x + 44, 380, x + 58, 350 + i * 8, 4, kTevani.skin);
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
  picture("evx/oruha.png", 810, 800, "portrait: Oruha, crimson, five faces", [](Canvas& c) { PaintPortraitWide(c, kOruha); },
          {{{0, 0, 288, 255}, "face 0"}, {{280, 270, 270, 255}, "face 3"}, {{0, 255, 288, 545}, "body"}});
  picture("evx/tevani.png", 810, 800, "portrait: Tevani, green, five faces",
          [](Canvas& c) { PaintPortraitWide(c, kTevani); }, {{{540, 270, 270, 255}, "face 4"}, {{0, 255, 288, 545}, "body"}});
  picture("evx/suvel.png", 800, 730, "portrait: Suvel, violet with goggles, five faces",
          [](Canvas& c) { PaintPortraitTall(c, kSuvel); }, {{{0, 0, 300, 255}, "face 0"}, {{0, 185, 400, 545}, "body"}});
  picture("evx/meliko.png", 1071, 1024, "portrait: Meliko, shrine robes", [](Canvas& c) { PaintPortraitRobe(c, kMeliko); },
          {{{783, 0, 288, 183}, "head"}, {{0, 183, 640, 841}, "robe"}});
  picture("evx/vos.png", 316, 600, "portrait: Captain Vos", [](Canvas& c) { PaintPortraitFull(c, kVos); },
          {{{0, 0, 316, 600}, "figure"}});
  picture("evx/ubana.png", 316, 600, "portrait: Ubana the engineer", [](Canvas& c) { PaintPortraitFull(c, kUbana); },
          {{{0, 0, 316, 600}, "figure"}});
  picture("evx/dunami_mini.png", 480, 432, "radio call: Dunami's talking faces", PaintCallFaces,
          {{{360, 324, 120, 108}, "smile"}});
  picture("evx/etc1.png", 800, 220, "talk window, dark", [](Canvas& c) { PaintWindow(c, false); });
  picture("evx/etc2.png", 800, 220, "talk window, light", [](Canvas& c) { PaintWindow(c, true); });

  // Dot sprites, 150 x 250 cells: open, half, closed per face.
  picture("evx/oruha_o.png", 750, 500, "dot sprite: Oruha, faces plain, smile, sulk", [](Canvas& c) {
    const int cells[3][3][2] = {{{0, 0}, {150, 0}, {300, 0}}, {{450, 0}, {600, 0}, {0, 250}}, {{150, 250}, {300, 250}, {450, 250}}};
    for (int f = 0; f < 3; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, cells[f][e][0], cells[f][e][1], kOruha, f == 2 ? 3 : f, e);
  }, {{{450, 250, 150, 250}, "sulk closed"}});
  picture("evx/oruha_o2.png", 750, 750, "dot sprite: Oruha standing and walking", [](Canvas& c) {
    DrawDotFigure(c, 0, 0, kOruha, 0, 0);
    const int cells[8][2] = {{0, 250}, {150, 250}, {300, 250}, {450, 250}, {600, 250}, {0, 500}, {150, 500}, {300, 500}};
    for (int i = 0; i < 8; ++i) DrawDotFigure(c, cells[i][0], cells[i][1], kOruha, 0, 0, i);
  }, {{{300, 500, 150, 250}, "last walk cell"}});
  picture("evx/tevani_o.png", 900, 750, "dot sprite: Tevani, six faces", [](Canvas& c) {
    const int rows[6][2] = {{450, 0}, {0, 0}, {0, 250}, {450, 250}, {0, 500}, {450, 500}};
    const int faces[6] = {0, 1, 2, 3, 1, 4};
    for (int f = 0; f < 6; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, rows[f][0] + 150 * e, rows[f][1], kTevani, faces[f], e);
  }, {{{750, 500, 150, 250}, "sulk closed"}});
  picture("evx/suvel_o.png", 450, 750, "dot sprite: Suvel, faces plain, surprise, sulk", [](Canvas& c) {
    const int faces[3] = {0, 2, 3};
    for (int f = 0; f < 3; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, 150 * e, 250 * f, kSuvel, faces[f], e);
  });
  picture("evx/dunami_o.png", 450, 750, "dot sprite: Dunami, faces plain, sulk, smile", [](Canvas& c) {
    const int faces[3] = {0, 3, 1};
    for (int f = 0; f < 3; ++f)
      for (int e = 0; e < 3; ++e) DrawDotFigure(c, 150 * e, 250 * f, kDunami, faces[f], e);
  });
  picture("evx/pirel_o.png", 450, 750, "dot sprite: Pirel, plain, smile, holding a flower", PaintFlowerGirlExtras);
  picture("evx/meliko_o.png", 500, 500, "Meliko appearing, 250 x 250 cells", [](Canvas& c) {
    const int cells[3][2] = {{0, 0}, {250, 0}, {0, 250}};
    for (int i = 0; i < 3; ++i) {
      c.FillChamfered({cells[i][0] + 80, cells[i][1] + 110, 90, 130}, 20, kMeliko.coat);
      c.FillRect({cells[i][0] + 115, cells[i][1] + 110, 20, 130}, kMeliko.accent);
      DrawHead(c, cells[i][0] + 125, cells[i][1] + 70, 44, kMeliko, i == 1 ? 1 : 0, i == 2 ? 2 : 0);
    }
  });

  // Scene pictures.
  picture("evx/zinzya.png", 800, 500, "the shrine at dusk", PaintShrine);
  picture("evx/cha.png", 200, 100, "tea and sweets on a tray", PaintTea);
  picture("evx/graider.png", 600, 800, "Oruha's glider, 200 x 200 cells", PaintGlider, {{{400, 600, 200, 200}, "last cell"}});
  picture("evx/brastel2.png", 800, 600, "Suvel's repair shop", PaintShop);
  picture("evx/pc.png", 115, 70, "the shop's computer screen and its glow", PaintComputer);
  picture("evx/staff.png", 400, 1200, "staff roll names", PaintStaffNames);
  picture("evx/staff_oruha.png", 840, 800, "staff roll pictures: Oruha", [](Canvas& c) { PaintStaffPictures(c, kOruha); });
  picture("evx/staff_tevani.png", 840, 800, "staff roll pictures: Tevani", [](Canvas& c) { PaintStaffPictures(c, kTevani); });
  picture("evx/staff_suvel.png", 840, 800, "staff roll pictures: Suvel", [](Canvas& c) { PaintStaffPictures(c, kSuvel); });
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
