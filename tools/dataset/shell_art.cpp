#include "tools/dataset/shell_art.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "tools/dataset/art_common.h"
#include "tools/dataset/text_painter.h"

namespace dataset {

const char* const kWeaponNames[13] = {"麻酔弾", "強化麻酔弾", "メタル弾", "徹甲弾", "スパーク弾",
                                      "プラズマ弾", "パルス弾", "ゼンモル弾", "レーザー弾", "ガス弾",
                                      "リングエアホール弾", "ワイヤー弾", "ブレイズ弾"};
const char* const kGadgetNames[10] = {"装備解除", "レーション", "生態センサー", "暗視ゴーグル", "サプレッサー",
                                      "フェザーブーツ", "ステルス迷彩", "光学迷彩", "ダンボール", "無限リボン"};

namespace {

constexpr Rgb kLogoNavy{24, 44, 110};
constexpr Rgb kTitleRed{230, 40, 50};
constexpr Rgb kGold{255, 214, 90};

// A burst of rays around a bright core, for muzzle flashes.
void DrawFlash(Canvas& c, int cx, int cy, int radius) {
  for (int ray = 0; ray < 8; ++ray) {
    static const int kDx[] = {1, 1, 0, -1, -1, -1, 0, 1};
    static const int kDy[] = {0, 1, 1, 1, 0, -1, -1, -1};
    const int length = ray % 2 == 0 ? radius : radius * 2 / 3;
    c.Line(cx, cy, cx + kDx[ray] * length, cy + kDy[ray] * length, 3, Rgb{255, 200, 80});
  }
  c.Glow(cx, cy, radius, Rgb{255, 170, 60});
  c.FillCircle(cx, cy, std::max(radius / 4, 2), Rgb{255, 255, 230});
}

// The sea, the tanker and the stars of the title picture.
void DrawTanker(Canvas& c) {
  const Rgb hull{22, 32, 54}, deck{34, 48, 78}, light{255, 200, 120};
  c.FillTriangle(0, 300, 420, 300, 380, 350, hull);
  c.FillRect({0, 300, 390, 50}, hull);
  c.FillRect({40, 270, 120, 30}, deck);
  c.FillRect({60, 230, 60, 40}, deck);
  c.FillRect({84, 200, 10, 30}, deck);
  c.FillRect({240, 286, 130, 14}, deck);
  for (int i = 0; i < 6; ++i) c.FillRect({70 + i * 12, 240, 5, 4}, light);
  c.FillRect({88, 196, 3, 3}, Rgb{255, 60, 60});
  for (int x = 0; x < 440; x += 3) {
    c.Set(x, 352 + (x / 7) % 3, Rgb{30, 70, 110});
    c.Set(x + 1, 362 + (x / 11) % 4, Rgb{20, 50, 90});
  }
}

}  // namespace

void PaintLogoAndEffects(Canvas& c) {
  // The maker's logo, dark on the white the logo screen draws it over.
  const Rect logo{241, 20, 382, 70};
  c.Ring(logo.x + 36, logo.y + 35, 28, 7, kLogoNavy);
  c.Line(logo.x + 46, logo.y + 45, logo.x + 62, logo.y + 62, 7, kLogoNavy);
  DrawText(c, logo.x + 80, logo.y + 6, "QUORVANE", Style(44, kLogoNavy, 700));
  c.FillRect({logo.x + 82, logo.y + 55, 280, 3}, Rgb{60, 110, 200});
  DrawText(c, logo.x + 250, logo.y + 58, "software", Style(12, Rgb{60, 110, 200}));
  // Effect 4: the jammer pick-up's blinking mark.
  c.Glow(29 + 21, 119 + 29, 24, Rgb{60, 200, 120});
  c.FillTriangle(29 + 21, 119 + 6, 29 + 38, 119 + 29, 29 + 21, 119 + 52, Rgb{120, 255, 170});
  c.FillTriangle(29 + 21, 119 + 6, 29 + 4, 119 + 29, 29 + 21, 119 + 52, Rgb{80, 220, 140});
  DrawTextIn(c, {29, 119 + 16, 43, 26}, "!", Style(20, kInk, 700));
  // Effect 0: the muzzle flash, large to small.
  DrawFlash(c, 297 + 25, 402 + 25, 22);
  DrawFlash(c, 347 + 25, 402 + 25, 15);
  DrawFlash(c, 397 + 25, 402 + 25, 8);
}

void PaintTitle(Canvas& c) {
  Random random("title stars");
  for (int i = 0; i < 160; ++i) {
    const int x = random.Below(800), y = random.Below(260);
    c.Set(x, y, Mix(Rgb{60, 60, 90}, kWhite, random.Below(200)));
  }
  c.FillCircle(700, 90, 26, Rgb{230, 230, 200});
  c.FillCircle(712, 82, 24, kTransparent);
  DrawTanker(c);
  TextStyle title = Style(60, Rgb{220, 235, 255}, 700);
  title.outline = Rgb{20, 50, 110};
  DrawText(c, 50, 70, "サイレントデッキ", title);
  TextStyle code = Style(84, kTitleRed, 700);
  code.outline = Rgb{60, 0, 10};
  DrawText(c, 230, 140, "CODE:K", code);
  DrawText(c, 56, 150, "SILENT DECK", Style(20, Rgb{120, 170, 230}, 700));
}

void PaintGoggles(Canvas& c) {
  const Rgb housing{52, 62, 54}, metal{110, 122, 112}, strap{36, 40, 38};
  c.FillRect({0, 110, 350, 50}, strap);
  c.FillChamfered({40, 60, 270, 160}, 30, housing);
  c.FrameChamfered({40, 60, 270, 160}, 30, 3, metal);
  for (int lens = 0; lens < 2; ++lens) {
    const int cx = lens == 0 ? 110 : 240;
    c.FillCircle(cx, 140, 62, Rgb{30, 36, 32});
    c.Ring(cx, 140, 62, 8, metal);
    c.FillCircle(cx, 140, 44, Rgb{8, 40, 18});
    c.Ring(cx, 140, 44, 3, Rgb{40, 90, 50});
    c.FillCircle(cx - 14, 124, 8, Rgb{60, 120, 80});
  }
  c.FillRect({160, 40, 30, 30}, housing);
  c.FrameRect({160, 40, 30, 30}, 2, metal);
  DrawText(c, 150, 232, "NV-06", Style(14, metal, 700));
}

void PaintGogglesGlow(Canvas& c) {
  c.Glow(110, 140, 60, Rgb{40, 200, 70});
  c.Glow(240, 140, 60, Rgb{40, 200, 70});
  c.Glow(110, 140, 20, Rgb{80, 255, 120});
  c.Glow(240, 140, 20, Rgb{80, 255, 120});
}

void PaintTitleLines(Canvas& c) {
  const Rgb line{30, 110, 160}, dim{16, 50, 80};
  c.FillRect({0, 6, 800, 1}, line);
  c.FillRect({0, 9, 520, 1}, dim);
  c.FillRect({0, 594, 800, 1}, line);
  c.FillRect({280, 591, 520, 1}, dim);
  c.FillRect({6, 6, 1, 120}, line);
  c.FillRect({793, 474, 1, 120}, line);
  c.FillRect({16, 372, 340, 1}, dim);
  for (int i = 0; i < 5; ++i) c.FillRect({20 + i * 8, 366, 5, 3}, line);
  DrawText(c, 600, 12, "INFILTRATION SYSTEM v2.06", Style(10, line));
}

void PaintMenuSkin(Canvas& c) {
  // Entry boxes: plain rows 0..37 (the rows 38..42 under it stay empty), the flash plate,
  // the lit box 77..114.
  DrawPlate(c, {0, 0, 266, 38}, PlateStyle::kPlain);
  DrawPlate(c, {0, 43, 266, 34}, PlateStyle::kFlash);
  DrawPlate(c, {0, 77, 266, 38}, PlateStyle::kLit);
  // The map marker's glow.
  c.Glow(219 + 13, 123 + 13, 13, Rgb{120, 200, 255});
  // The noise band that flickers over a selected box (drawn additively).
  Random random("noise band");
  const Rect band{245, 157, 266, 38};
  for (int y = band.y + 2; y < band.Bottom() - 2; ++y) {
    const bool scan = random.Below(6) == 0;
    for (int x = band.x + 4; x < band.Right() - 4; ++x) {
      const int v = scan ? 50 + random.Below(50) : random.Below(6) == 0 ? random.Below(60) : 0;
      if (v > 0) c.Set(x, y, Rgb{static_cast<uint8_t>(v / 3), static_cast<uint8_t>(v), static_cast<uint8_t>(v + 40)});
    }
  }
  // The save screen's heading banner.
  const Rect banner{185, 200, 327, 54};
  c.FillChamfered(banner, 14, Rgb{12, 34, 70});
  c.Gradient({banner.x + 14, banner.y + 3, banner.w - 28, 20}, Rgb{40, 90, 150}, Rgb{12, 34, 70});
  c.FrameChamfered(banner, 14, 2, kPlateEdge);
  // The panel (also cut into the two halves of the confirmation dialog).
  DrawPanel(c, {270, 0, 241, 152});
  // The version strip under the title menu.
  const Rect strip{212, 310, 300, 28};
  c.FillRect(strip, Rgb{10, 22, 44});
  c.FrameRect(strip, 1, kPlateEdge);
  DrawTextIn(c, strip, "(C) Quorvane   ver 2.0.6", Style(12, kMenuText), Align::kRight);
  // The briefing's statistics strip.
  const Rect stats{309, 339, 203, 35};
  c.FillRect(stats, Rgb{12, 26, 50});
  c.FrameRect(stats, 2, kPlateEdge);
  c.FrameRect({stats.x + 46, stats.y + 8, 150, 18}, 1, Rgb{96, 96, 255});
  // The life bar is drawn before the strip: its window stays see-through.
  c.FillRect({stats.x + 47, stats.y + 9, 148, 16}, kTransparent);
  // The briefing map's marker of the next objective (the story sets it, not the route). The
  // map draws this piece 10 pixels right of and below the objective's box: the tag keeps to
  // the piece's lower right, beyond the widest and tallest boxes, and the rest stays clear so
  // the box shows through.
  const Rect marker{412, 381, 96, 37};
  const Rect tag{marker.x + 50, marker.y + 15, 46, 22};
  c.FillChamfered(tag, 5, Rgb{120, 20, 30});
  c.FrameChamfered(tag, 5, 1, Rgb{255, 120, 120});
  DrawTextIn(c, tag, "目標", Style(14, kWhite, 700));
}

void PaintScreenBack(Canvas& c) { DrawScreenBackground(c, Rgb{30, 80, 150}, 11); }

void PaintMenuBack(Canvas& c) {
  DrawScreenBackground(c, Rgb{60, 60, 140}, 12);
  DrawText(c, 30, 24, "CUSTOMIZE", Style(24, Rgb{110, 130, 220}, 700));
}

void PaintLoading(Canvas& c) {
  TextStyle style = Style(24, kMenuText, 700);
  style.shadow = Rgb{0, 40, 80};
  DrawText(c, 24, 40, "NOW LOADING", style);
  c.FrameRect({24, 78, 200, 12}, 1, kPlateEdge);
  for (int i = 0; i < 6; ++i) c.FillRect({28 + i * 20, 81, 14, 6}, Mix(kPlateEdge, kMenuText, i * 40));
  DrawFittedText(c, {24, 94, 200, 16}, "しばらくお待ちください", 11, Rgb{120, 160, 200}, Align::kRight);
}

void PaintOptionBack(Canvas& c) {
  DrawScreenBackground(c, Rgb{70, 60, 150}, 13);
  DrawPanel(c, {150, 110, 560, 420}, Rgb{12, 16, 36}, Rgb{70, 70, 150});
}

void PaintOptionPieces(Canvas& c) {
  // Heading.
  TextStyle heading = Style(30, kMenuText, 700);
  heading.outline = Rgb{10, 30, 70};
  DrawText(c, 8, 10, "OPTION", heading);
  c.FillRect({6, 42, 118, 2}, kPlateEdge);
  // The nine rows: each a plate with its name, at the source rows the screen cuts.
  struct Row {
    int y, h;
    const char* name;
  };
  static const Row kRows[] = {{46, 45, "ＢＧＭ音量"},     {91, 45, "効果音量"},
                              {136, 45, "グラフィック"},  {181, 40, "オートセーブ"},
                              {226, 40, "フルスクリーン"}, {266, 40, "ウィンドウ倍率"},
                              {306, 40, "ステージＢＧＭ"}, {346, 40, "キーコンフィグ"},
                              {386, 40, "タイトルへ戻る"}};
  for (const Row& row : kRows) {
    const int top = std::max(row.y, 48) + 3;
    const Rect plate{3, top, 214, row.y + row.h - 3 - top};
    DrawPlate(c, plate, PlateStyle::kLit);
    DrawFittedText(c, plate, row.name, 18, kWhite, Align::kLeft, 700);
  }
  // Volume bar and the two arrows.
  c.Gradient({15, 518, 19, 32}, Rgb{120, 230, 255}, Rgb{20, 110, 200});
  c.FrameRect({15, 518, 19, 32}, 1, Rgb{200, 240, 255});
  c.FillTriangle(9 + 20, 558 + 3, 9 + 20, 558 + 29, 9 + 3, 558 + 16, kMenuText);
  c.FillTriangle(67 + 3, 558 + 3, 67 + 3, 558 + 29, 67 + 20, 558 + 16, kMenuText);
  // On and off: drawn 60 pixels apart, so each word sits in its own part of its piece;
  // the off word ends before x 66 of its piece, where the screen-mode note begins.
  DrawPlate(c, {6, 600, 64, 35}, PlateStyle::kLit);
  DrawTextIn(c, {6, 600, 64, 35}, "ＯＮ", Style(18, kWhite, 700));
  DrawPlate(c, {12, 644, 52, 33}, PlateStyle::kLit);
  // The word fits between the plate's edge markers.
  DrawFittedText(c, {12 + 8, 644, 52 - 16, 33}, "ＯＦＦ", 18, kWhite, Align::kCentre, 700);
  // The note shown with the screen settings, in the piece's bottom rows: shown under the
  // window-scale choices and beside the screen-mode words, over neither.
  DrawFittedText(c, {3, 699, 150, 13}, "※次回起動時に反映", 11, Rgb{255, 220, 120}, Align::kLeft);
  // The key-configuration screen's heading, apart from the rows.
  const Rect keyHeading{262, 262, 216, 36};
  DrawPlate(c, keyHeading, PlateStyle::kLit);
  DrawFittedText(c, keyHeading, "キーコンフィグ", 20, kWhite, Align::kCentre, 700);
  // Graphics levels and window scales.
  static const char* const kChoices[] = {"高", "中", "低", "×1.0", "×0.8", "×0.5"};
  for (int i = 0; i < 6; ++i) {
    const int y = (i < 3 ? 530 + 35 * i : 635 + 35 * (i - 3)) + 2;
    const Rect at{237, y, 93, 31};
    DrawPlate(c, at, PlateStyle::kLit);
    DrawTextIn(c, at, kChoices[i], Style(18, kWhite, 700));
  }
}

void PaintKeyConfig(Canvas& c) {
  static const char* const kActions[] = {"決定 / 射撃", "キャンセル / ジャンプ", "アクション", "しのび足",
                                         "ポーズ",      "武器選択",              "ガジェット", "(予備)"};
  for (int row = 0; row < 10; ++row) {
    const int y = row < 8 ? 30 * row : (row == 8 ? 270 : 300);
    const Rect plate{2, y + 2, 211, 27};
    DrawPlate(c, plate, PlateStyle::kLit);
    const char* name = row < 8 ? kActions[row] : (row == 8 ? "設定完了" : "キャンセル");
    DrawFittedText(c, plate, name, 16, kWhite, row < 8 ? Align::kLeft : Align::kCentre, 700);
  }
  static const char* const kKeys[] = {"Z", "X", "C", "A", "S", "D", "Q", "W"};
  for (int b = 1; b <= 8; ++b) {
    const Rect label{288, 30 * (b - 1) + 3, 176, 25};
    c.FillChamfered(label, 6, Rgb{40, 24, 70});
    c.FrameChamfered(label, 6, 1, Rgb{170, 130, 255});
    DrawFittedText(c, label, "ボタン" + std::to_string(b) + "  [" + kKeys[b - 1] + "]", 15, Rgb{230, 210, 255},
                   Align::kCentre, 700);
  }
}

void PaintMusicNames(Canvas& c) {
  static const char* const kNames[] = {"ステージ毎に自動", "STAGE 01", "STAGE 02", "STAGE 03-04",
                                       "STAGE 05",         "STAGE 06", "STAGE 07", "STAGE 08",
                                       "STAGE M",          "STAGE K",  "ＢＧＭなし"};
  // Each name sits in the lower part of its 50 rows: the window-scale note, shown over the
  // top rows of the name, leaves it readable.
  for (int v = 0; v < 11; ++v) {
    const Rect plate{4, 50 * v + 20, 240, 29};
    c.FillChamfered(plate, 8, Rgb{16, 30, 60});
    c.FrameChamfered(plate, 8, 2, kPlateEdge);
    c.FillCircle(plate.x + 18, plate.y + 14, 6, v == 0 || v == 10 ? Rgb{120, 120, 140} : kGold);
    DrawFittedText(c, {plate.x + 30, plate.y, plate.w - 34, plate.h}, kNames[v], 18, kWhite, Align::kLeft, 700);
  }
}

void PaintInterface(Canvas& c) {
  // The bottom bar (options) and description box (pause lists): two pieces side by side.
  // The pieces overlap on the screen: the left one is open at its right end and the right
  // one at its left end, with the same fill and edges, so no seam crosses the text.
  const auto bar = [&c](const Rect& r, bool closedLeft) {
    c.FillRect(r, Rgb{10, 24, 48});
    c.FillRect({r.x, r.y, r.w, 2}, kPlateEdge);
    c.FillRect({r.x, r.Bottom() - 2, r.w, 2}, kPlateEdge);
    c.FillRect({closedLeft ? r.x : r.Right() - 2, r.y, 2, r.h}, kPlateEdge);
  };
  bar({0, 186, 414, 34}, true);
  bar({0, 223, 335, 34}, false);
  // Weapon and gadget panel frame (drawn mirrored for gadgets).
  DrawPanel(c, {0, 92, 83, 61}, Rgb{12, 20, 34}, Rgb{90, 140, 200});
  // Life bar colours: above 40, 21..40, 1..20.
  c.Gradient({157, 7, 13, 100}, Rgb{120, 255, 140}, Rgb{30, 170, 60});
  c.Gradient({175, 7, 13, 100}, Rgb{255, 240, 110}, Rgb{200, 160, 20});
  c.Gradient({193, 7, 13, 100}, Rgb{255, 120, 110}, Rgb{190, 30, 30});
  // Life bar frame: the bar's 100 rows end at y 200 on screen, 7 rows above the frame's foot.
  c.FrameRect({101 + 12, 0 + 4, 19, 106}, 2, Rgb{150, 190, 230});
  c.FrameRect({101, 0, 44, 141}, 1, Rgb{60, 90, 130});
  DrawTextIn(c, {101, 112, 44, 26}, "LIFE", Style(12, Rgb{150, 190, 230}, 700));
  // Radar frame: a scope with rings; the inside stays clear for the dots.
  const Rect radar{226, 38, 180, 137};
  c.FrameRect(radar, 3, Rgb{70, 160, 90});
  c.Ring(radar.x + 89, radar.y + 69, 60, 1, Rgb{40, 110, 60});
  c.Ring(radar.x + 89, radar.y + 69, 30, 1, Rgb{40, 110, 60});
  c.FillRect({radar.x + 89, radar.y + 6, 1, radar.h - 12}, Rgb{30, 80, 40});
  c.FillRect({radar.x + 6, radar.y + 69, radar.w - 12, 1}, Rgb{30, 80, 40});
  DrawText(c, radar.x + 6, radar.y + 4, "RADAR", Style(10, Rgb{90, 200, 110}));
  // Alert gauge frame; the red bar shows through its middle.
  const Rect alert{228, 3, 117, 28};
  c.FrameRect(alert, 3, Rgb{255, 90, 70});
  c.FrameRect({alert.x + 4, alert.y + 4, alert.w - 8, alert.h - 8}, 1, Rgb{140, 40, 30});
  // Name labels of gadgets 1..9 and weapons 0..12.
  for (int g = 1; g <= 9; ++g) {
    DrawFittedText(c, {352, 494 - (g - 1) * 20, 70, 16}, kGadgetNames[g], 12, Rgb{140, 255, 170});
  }
  for (int w = 0; w <= 12; ++w) {
    DrawFittedText(c, {441, 494 - w * 20, 70, 16}, kWeaponNames[w], 12, Rgb{255, 200, 140});
  }
}

namespace {

// Pictograms are drawn in design units and placed with a pen: the same drawing serves the
// 25 x 18 icons (one unit a pixel) and the larger 40 x 40 pick-ups.
class Pen {
 public:
  Pen(Canvas& c, double x, double y, double scale) : c_(c), x_(x), y_(y), s_(scale) {}

  void Box(double x, double y, double w, double h, Rgb colour) const {
    c_.FillRect({X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y)}, colour);
  }
  void Chamfer(double x, double y, double w, double h, double cut, Rgb colour) const {
    c_.FillChamfered({X(x), Y(y), X(x + w) - X(x), Y(y + h) - Y(y)}, Len(cut), colour);
  }
  void Line(double x0, double y0, double x1, double y1, double thickness, Rgb colour) const {
    c_.Line(X(x0), Y(y0), X(x1), Y(y1), std::max(Len(thickness), 1), colour);
  }
  void Tri(double x0, double y0, double x1, double y1, double x2, double y2, Rgb colour) const {
    c_.FillTriangle(X(x0), Y(y0), X(x1), Y(y1), X(x2), Y(y2), colour);
  }
  void Oval(double cx, double cy, double rx, double ry, Rgb colour) const { Ring(cx, cy, rx, ry, 0, colour); }
  void Disc(double cx, double cy, double r, Rgb colour) const { Ring(cx, cy, r, r, 0, colour); }
  // An elliptic band `thickness` units wide inside the rim (0: filled); `fromDeg`..`toDeg`
  // limits it to an arc (0 degrees to the right, growing clockwise on the screen).
  void Ring(double cx, double cy, double rx, double ry, double thickness, Rgb colour, double fromDeg = -360,
            double toDeg = 360) const {
    const int left = X(cx - rx) - 1, right = X(cx + rx) + 1, top = Y(cy - ry) - 1, bottom = Y(cy + ry) + 1;
    for (int py = top; py <= bottom; ++py) {
      for (int px = left; px <= right; ++px) {
        const double ux = (px + 0.5 - x_) / s_ - cx, uy = (py + 0.5 - y_) / s_ - cy;
        const double outer = (ux * ux) / (rx * rx) + (uy * uy) / (ry * ry);
        if (outer > 1.0) continue;
        if (thickness > 0) {
          const double irx = rx - thickness, iry = ry - thickness;
          if (irx > 0 && iry > 0 && (ux * ux) / (irx * irx) + (uy * uy) / (iry * iry) <= 1.0) continue;
        }
        const double angle = std::atan2(uy, ux) * 180.0 / 3.14159265358979;
        if ((angle < fromDeg || angle > toDeg) && (angle + 360 < fromDeg || angle + 360 > toDeg)) continue;
        c_.Set(px, py, colour);
      }
    }
  }

 private:
  int X(double u) const { return static_cast<int>(std::lround(x_ + u * s_)); }
  int Y(double u) const { return static_cast<int>(std::lround(y_ + u * s_)); }
  int Len(double u) const { return static_cast<int>(std::lround(u * s_)); }

  Canvas& c_;
  double x_, y_, s_;
};

constexpr Rgb kBrass{214, 170, 70}, kBrassDark{150, 110, 40}, kBrassLight{250, 220, 140};
constexpr Rgb kSteel{170, 180, 196}, kSteelDark{92, 100, 116}, kPaper{244, 242, 232};
constexpr Rgb kGoldIcon{250, 200, 60}, kGoldDark{190, 130, 30};
// The rim of the see-through figure (stealth camouflage).
constexpr Rgb kGlassRim{170, 235, 255};

// Each weapon's colour: the band on its ammunition boxes.
constexpr Rgb kWeaponTints[13] = {{40, 200, 180},  {235, 70, 160},  {200, 200, 210}, {235, 60, 50},
                                  {255, 230, 60},  {170, 100, 255}, {80, 255, 200},  {130, 190, 255},
                                  {255, 70, 70},   {150, 200, 110}, {170, 225, 255}, {230, 210, 160},
                                  {255, 140, 40}};

// A dart: syringe barrel, needle and fins, for the two sleep rounds.
void DrawDart(const Pen& p, Rgb fins, bool strong) {
  p.Tri(0.5, 2.5, 7, 7, 3, 7, fins);
  p.Tri(0.5, 15.5, 7, 11, 3, 11, fins);
  p.Box(4, 6.5, 12, 5, Rgb{210, 230, 240});
  p.Box(6, 7.5, 8, 3, Scale(fins, 80));
  p.Box(16, 8, 3, 2, kSteelDark);
  p.Line(19, 9, 23, 9, 1, kSteel);
  if (strong) {
    p.Box(8, 6.5, 1, 5, kWhite);
    p.Box(11, 6.5, 1, 5, kWhite);
  }
}

// The round of weapon w, 24 x 18 units, flying right.
void DrawRound(const Pen& p, int w) {
  switch (w) {
    case 0:  // sleep dart
      DrawDart(p, kWeaponTints[0], false);
      break;
    case 1:  // strong sleep dart
      DrawDart(p, kWeaponTints[1], true);
      break;
    case 2:  // metal bullet: round steel nose on a brass case
      p.Oval(16, 9, 6, 4, kSteel);
      p.Box(3, 5, 13, 8, kBrass);
      p.Box(4, 6, 11, 1, kBrassLight);
      p.Box(2, 5, 1.5, 8, kBrassDark);
      break;
    case 3:  // armour-piercing: long hardened point, red band
      p.Tri(13, 4.5, 23.5, 9, 13, 13.5, Rgb{80, 86, 100});
      p.Tri(13, 4.5, 23.5, 9, 13, 8, Rgb{150, 160, 176});
      p.Box(2, 5, 10, 8, kBrass);
      p.Box(3, 6, 8, 1, kBrassLight);
      p.Box(11, 5, 2.5, 8, kWeaponTints[3]);
      break;
    case 4:  // spark: a lightning bolt
      p.Tri(17, 0.5, 4, 11, 14, 8.5, kWeaponTints[4]);
      p.Tri(7, 17.5, 20, 7, 10, 9.5, kWeaponTints[4]);
      p.Line(14, 3, 8, 9, 1, kWhite);
      break;
    case 5:  // plasma: a glowing ball with a tail
      p.Tri(1, 9, 13, 4, 13, 14, Rgb{100, 50, 190});
      p.Disc(15, 9, 6, kWeaponTints[5]);
      p.Disc(15.5, 8.5, 3.5, Rgb{215, 190, 255});
      p.Disc(16, 8, 1.5, kWhite);
      break;
    case 6:  // pulse: waves spreading from an emitter
      p.Disc(3, 9, 2.5, kWeaponTints[6]);
      for (int k = 0; k < 3; ++k) p.Ring(3, 9, 6 + 5 * k, 6 + 5 * k, 2, kWeaponTints[6], -45, 45);
      break;
    case 7:  // shield round: a shield
      p.Box(6, 2, 12, 8, kWeaponTints[7]);
      p.Tri(6, 9.5, 18, 9.5, 12, 17, kWeaponTints[7]);
      p.Box(8, 4, 8, 5, Rgb{40, 80, 160});
      p.Tri(8, 8.5, 16, 8.5, 12, 14, Rgb{40, 80, 160});
      p.Disc(12, 8, 2, kWhite);
      break;
    case 8:  // laser: an emitter and its beam
      p.Box(4, 7.5, 19, 3, kWeaponTints[8]);
      p.Box(4, 8.5, 19, 1, Rgb{255, 225, 225});
      p.Chamfer(0.5, 5, 6, 8, 1, kSteelDark);
      p.Box(5, 7, 2, 4, Rgb{255, 150, 150});
      break;
    case 9:  // gas: a canister and its cloud
      p.Disc(17, 5.5, 3.5, Rgb{200, 214, 196});
      p.Disc(20.5, 9.5, 3.5, Rgb{184, 200, 180});
      p.Disc(16.5, 12.5, 3.5, Rgb{214, 226, 210});
      p.Box(2, 5.5, 10, 8, Rgb{100, 130, 60});
      p.Box(2, 8.5, 10, 2, kWeaponTints[9]);
      p.Box(12, 7, 2.5, 5, kSteel);
      break;
    case 10:  // air ring: a vortex ring and the rush behind it
      p.Line(1, 5, 7, 5, 1, kWeaponTints[10]);
      p.Line(0, 9, 8, 9, 1, kWeaponTints[10]);
      p.Line(1, 13, 7, 13, 1, kWeaponTints[10]);
      p.Ring(16, 9, 5, 8, 2.5, kWeaponTints[10]);
      p.Ring(16, 9, 5, 8, 1, kWhite, -90, 90);
      break;
    case 11:  // wire: a grapnel trailing its line
      p.Line(1, 13, 4, 8, 1, kWeaponTints[11]);
      p.Line(4, 8, 7, 12, 1, kWeaponTints[11]);
      p.Line(7, 12, 11, 9, 1, kWeaponTints[11]);
      p.Box(11, 8, 10, 2, kSteel);
      p.Line(22, 9, 17, 3, 2, kSteel);
      p.Line(22, 9, 17, 15, 2, kSteel);
      p.Box(20, 8, 3, 2, kWhite);
      break;
    default:  // blaze: a flame
      p.Tri(1, 5, 8, 7, 5, 10, Rgb{220, 50, 30});
      p.Tri(8, 3.5, 23.5, 9, 8, 14.5, kWeaponTints[12]);
      p.Disc(8.5, 9, 5.5, kWeaponTints[12]);
      p.Tri(8, 6.5, 18, 9, 8, 11.5, Rgb{255, 210, 70});
      p.Disc(8.5, 9, 3, Rgb{255, 210, 70});
      p.Disc(8, 9, 1.5, Rgb{255, 250, 210});
      break;
  }
}

// Turns a figure of one colour into glass: its rim stays, its inside is dithered dark.
void SeeThrough(Canvas& art, Rgb rim) {
  const Canvas before = art;
  for (int y = 1; y + 1 < art.height(); ++y) {
    for (int x = 1; x + 1 < art.width(); ++x) {
      const bool inside = before.At(x, y) == rim && before.At(x - 1, y) == rim && before.At(x + 1, y) == rim &&
                          before.At(x, y - 1) == rim && before.At(x, y + 1) == rim;
      if (inside) art.Set(x, y, (x + y) % 2 == 0 ? Rgb{60, 110, 150} : Rgb{20, 40, 70});
    }
  }
}

// Gadget g, 24 x 18 units.
void DrawGadget(const Pen& p, int g) {
  switch (g) {
    case 0:  // nothing equipped: a barred circle
      p.Ring(12, 9, 8, 8, 2, Rgb{230, 80, 80});
      p.Line(7, 14, 17, 4, 2, Rgb{230, 80, 80});
      break;
    case 1: {  // ration: a rice ball in its seaweed band
      const Rgb rice{246, 246, 238};
      p.Tri(12, 1.5, 3, 15.5, 21, 15.5, rice);
      p.Disc(12, 4, 2.5, rice);
      p.Disc(5.5, 13.5, 2.5, rice);
      p.Disc(18.5, 13.5, 2.5, rice);
      p.Box(8.5, 10, 7, 6, Rgb{24, 60, 36});
      p.Box(9.5, 11, 1, 4, Rgb{50, 100, 60});
      break;
    }
    case 2:  // life sensor: a scope with blips
      p.Disc(12, 9, 8, Rgb{20, 70, 40});
      p.Ring(12, 9, 8, 8, 1.5, Rgb{90, 230, 120});
      p.Ring(12, 9, 4.5, 4.5, 1, Rgb{50, 150, 80});
      p.Line(12, 9, 17, 4, 1, Rgb{160, 255, 170});
      p.Disc(16, 12.5, 1.3, Rgb{255, 80, 80});
      p.Disc(8, 5.5, 1.3, Rgb{255, 80, 80});
      break;
    case 3:  // night-vision goggles: two green eyes on a strap
      p.Box(0.5, 6, 23, 2, Rgb{70, 80, 70});
      p.Chamfer(3, 4, 18, 10, 2, Rgb{80, 92, 84});
      p.Disc(8, 9, 3.7, Rgb{70, 240, 110});
      p.Disc(16, 9, 3.7, Rgb{70, 240, 110});
      p.Disc(7, 8, 1, Rgb{220, 255, 220});
      p.Disc(15, 8, 1, Rgb{220, 255, 220});
      break;
    case 4:  // suppressor: a vented tube on a pistol's muzzle
      p.Box(1, 5, 9, 4, Rgb{60, 64, 76});
      p.Tri(2, 8, 6, 8, 2, 15, Rgb{60, 64, 76});
      p.Box(2, 8, 3, 7, Rgb{60, 64, 76});
      p.Box(9, 4, 14, 6, Rgb{110, 116, 130});
      p.Box(9, 5, 14, 1, Rgb{180, 188, 202});
      for (int k = 0; k < 2; ++k) p.Box(13 + 5 * k, 4, 1, 6, Rgb{50, 54, 64});
      break;
    case 5:  // feather boots: a boot with a wing at its heel
      p.Box(8, 2, 7, 10, Rgb{150, 96, 56});
      p.Box(8, 9.5, 11, 5.5, Rgb{150, 96, 56});
      p.Disc(19, 12.5, 2.5, Rgb{150, 96, 56});
      p.Box(8, 15, 13.5, 1.5, Rgb{70, 44, 26});
      p.Box(8, 2, 7, 1.5, Rgb{190, 130, 80});
      p.Tri(0.5, 3, 8, 5, 7, 11, Rgb{240, 244, 255});
      p.Line(2, 4, 7, 8, 1, Rgb{170, 180, 210});
      break;
    case 6: {  // stealth camouflage: a figure that lets the light through (see SeeThrough)
      const Rgb rim = kGlassRim;
      p.Disc(12, 3.5, 2.5, rim);
      p.Box(9, 6, 6, 7, rim);
      p.Line(9, 7, 6, 12, 1.5, rim);
      p.Line(15, 7, 18, 12, 1.5, rim);
      p.Box(9, 12.5, 2.3, 5, rim);
      p.Box(12.7, 12.5, 2.3, 5, rim);
      break;
    }
    case 7: {  // light and dark reversed: the two halves of a disc, each holding the other
      const Rgb light{255, 230, 120}, dark{30, 40, 110};
      p.Disc(12, 9, 8, dark);
      p.Ring(12, 9, 8, 8, 0, light, 90, 270);
      p.Disc(12, 5, 4, light);
      p.Disc(12, 13, 4, dark);
      p.Disc(12, 5, 1.3, dark);
      p.Disc(12, 13, 1.3, light);
      p.Ring(12, 9, 8.5, 8.5, 1, Rgb{150, 150, 180});
      break;
    }
    case 8:  // cardboard box
      p.Tri(3, 7, 8, 3, 21, 3, Rgb{216, 172, 108});
      p.Tri(3, 7, 21, 3, 16, 7, Rgb{216, 172, 108});
      p.Tri(16, 7, 21, 3, 21, 13, Rgb{150, 106, 56});
      p.Tri(16, 7, 21, 13, 16, 17, Rgb{150, 106, 56});
      p.Box(3, 7, 13, 10, Rgb{190, 142, 82});
      p.Line(6, 5, 18, 5, 1, Rgb{236, 206, 150});
      p.Box(3, 7, 13, 1, Rgb{236, 206, 150});
      break;
    default:  // endless ribbon: a ribbon looped into an eight lying down
      p.Ring(7, 9, 5.5, 5, 2, Rgb{255, 110, 170});
      p.Ring(17, 9, 5.5, 5, 2, Rgb{255, 110, 170});
      p.Line(11, 12, 13, 6, 2, Rgb{255, 180, 210});
      break;
  }
}

// Gadget g drawn on its own canvas: the icon, its see-through figure made glass.
void PaintGadget(Canvas& art, double x, double y, double scale, int g) {
  DrawGadget(Pen(art, x, y, scale), g);
  if (g == 6) SeeThrough(art, kGlassRim);
}

// An ammunition box, 40 x 40, banded in the weapon's colour, its round shown above it.
void DrawAmmunition(Canvas& art, int w) {
  const Pen p(art, 0, 0, 1);
  p.Box(5, 22, 30, 15, Rgb{92, 104, 58});
  p.Box(5, 22, 30, 3, Rgb{120, 134, 78});
  p.Box(3, 26, 2, 6, Rgb{70, 80, 44});
  p.Box(35, 26, 2, 6, Rgb{70, 80, 44});
  p.Box(17, 23, 6, 4, kSteel);
  if (w < 13) {
    p.Box(5, 30, 30, 3, kWeaponTints[w]);
    DrawRound(Pen(art, 8, 2, 1), w);
  } else {
    // A round the game names nowhere: plain cartridges standing in the box.
    for (int k = 0; k < 3; ++k) {
      p.Box(11 + 7 * k, 10, 4, 12, kBrass);
      p.Oval(13 + 7 * k, 10, 2, 4, kSteel);
      p.Box(11 + 7 * k, 12, 1, 9, kBrassLight);
    }
    p.Box(5, 30, 30, 3, kBrass);
  }
}

// Material k (gunpowder, metal scrap, electronic parts, chemicals) and the two spare
// supplies after them, 40 x 40.
void DrawSupply(Canvas& art, int k) {
  const Pen p(art, 0, 0, 1);
  switch (k) {
    case 0:  // gunpowder: a keg with a flame on it
      p.Oval(20, 22, 11, 14, Rgb{140, 86, 44});
      p.Box(8, 10, 24, 2, Rgb{80, 50, 26});
      p.Box(9, 8, 22, 3, Rgb{60, 40, 24});
      p.Box(7, 14, 26, 2, kSteelDark);
      p.Box(7, 30, 26, 2, kSteelDark);
      p.Box(14, 8, 2, 28, Rgb{110, 66, 34});
      p.Box(24, 8, 2, 28, Rgb{110, 66, 34});
      p.Disc(20, 24, 4, Rgb{255, 120, 30});
      p.Tri(16, 23, 24, 23, 20, 15, Rgb{255, 120, 30});
      p.Disc(20, 25, 2, Rgb{255, 220, 90});
      break;
    case 1:  // metal scrap: a cog, a nut and a bolt
      for (int t = 0; t < 8; ++t) {
        const double a = t * 3.14159265358979 / 4;
        p.Line(24, 13, 24 + 9 * std::cos(a), 13 + 9 * std::sin(a), 3, kSteel);
      }
      p.Ring(24, 13, 7, 7, 3, kSteel);
      p.Disc(24, 13, 3, kSteelDark);
      p.Chamfer(4, 20, 14, 14, 4, Rgb{150, 158, 172});
      p.Disc(11, 27, 3, kInk);
      p.Box(21, 25, 15, 5, Rgb{120, 128, 142});
      for (int t = 0; t < 5; ++t) p.Box(23 + 3 * t, 25, 1, 5, Rgb{80, 86, 100});
      p.Box(20, 22, 4, 11, Rgb{176, 184, 198});
      break;
    case 2:  // electronic parts: a chip on a green board
      p.Box(4, 8, 32, 26, Rgb{40, 130, 70});
      p.Line(6, 12, 14, 12, 1, kGoldIcon);
      p.Line(26, 30, 34, 30, 1, kGoldIcon);
      p.Line(6, 30, 10, 26, 1, kGoldIcon);
      for (int k2 = 0; k2 < 4; ++k2) {
        p.Box(10, 15 + 4 * k2, 3, 2, kSteel);
        p.Box(27, 15 + 4 * k2, 3, 2, kSteel);
      }
      p.Box(13, 13, 14, 17, Rgb{34, 36, 44});
      p.Disc(16, 16, 1.2, Rgb{110, 114, 130});
      p.Disc(31, 11, 2, Rgb{255, 70, 60});
      break;
    case 3:  // chemicals: a stoppered flask
      p.Box(17, 7, 6, 10, Rgb{200, 228, 240});
      p.Tri(17, 16, 23, 16, 33, 35, Rgb{200, 228, 240});
      p.Tri(17, 16, 33, 35, 7, 35, Rgb{200, 228, 240});
      p.Tri(12, 25, 28, 25, 32, 33, Rgb{190, 80, 230});
      p.Tri(12, 25, 32, 33, 8, 33, Rgb{190, 80, 230});
      p.Box(8, 33, 24, 1, Rgb{150, 50, 190});
      p.Box(16, 4, 8, 4, Rgb{150, 100, 60});
      p.Disc(17, 29, 1.5, Rgb{240, 200, 255});
      p.Disc(22, 27, 1, Rgb{240, 200, 255});
      p.Line(18, 18, 14, 26, 1, kWhite);
      break;
    case 4:  // a supply pouch
      p.Chamfer(7, 12, 26, 23, 3, Rgb{150, 140, 90});
      p.Chamfer(7, 10, 26, 12, 3, Rgb{120, 112, 70});
      p.Box(18, 18, 4, 5, Rgb{60, 56, 36});
      p.Box(12, 6, 16, 2, Rgb{90, 84, 50});
      p.Box(12, 6, 2, 6, Rgb{90, 84, 50});
      p.Box(26, 6, 2, 6, Rgb{90, 84, 50});
      break;
    default:  // a small wooden crate
      p.Box(6, 10, 28, 26, Rgb{170, 120, 60});
      for (int k2 = 0; k2 < 3; ++k2) p.Box(6, 17 + 7 * k2, 28, 1, Rgb{120, 80, 36});
      p.Line(7, 11, 33, 35, 2, Rgb{140, 96, 46});
      p.Box(6, 10, 28, 2, Rgb{200, 150, 84});
      break;
  }
}

// A gadget pick-up, 40 x 40: gadgets 1..9 as their icons, larger; the gadgets no screen
// names (10..14) as a closed case with as many lamps as its place after the ninth.
void DrawGadgetPickUp(Canvas& art, int g) {
  if (g <= 9) {
    PaintGadget(art, 2, 6.5, 1.5, g);
    return;
  }
  const Pen p(art, 0, 0, 1);
  p.Chamfer(6, 12, 28, 22, 3, Rgb{96, 104, 124});
  p.Box(6, 20, 28, 2, Rgb{60, 66, 80});
  p.Box(16, 8, 8, 4, Rgb{60, 66, 80});
  for (int k = 0; k < g - 9; ++k) p.Disc(11 + 4.5 * k, 27, 1.5, Rgb{120, 255, 160});
}

// Row 5: first-aid kit, alert jammer, shutter key and the three keepsakes after them.
void DrawKitItem(Canvas& art, int k) {
  const Pen p(art, 0, 0, 1);
  switch (k) {
    case 0:  // first aid: a white case with the red cross
      p.Box(15, 7, 10, 2, kSteelDark);
      p.Box(15, 7, 2, 6, kSteelDark);
      p.Box(23, 7, 2, 6, kSteelDark);
      p.Chamfer(5, 12, 30, 23, 3, Rgb{240, 240, 236});
      p.Box(5, 31, 30, 4, Rgb{200, 200, 196});
      p.Box(17, 15, 6, 15, Rgb{226, 40, 40});
      p.Box(12.5, 19.5, 15, 6, Rgb{226, 40, 40});
      break;
    case 1:  // alert jammer: a handset whose screen strikes out the alarm
      p.Line(14, 12, 10, 3, 2, kSteelDark);
      p.Disc(10, 3, 1.5, Rgb{255, 80, 80});
      p.Ring(10, 3, 5, 5, 1, Rgb{120, 255, 170}, -150, -30);
      p.Chamfer(11, 11, 18, 26, 2, Rgb{64, 70, 88});
      p.Box(13, 14, 14, 11, Rgb{90, 20, 24});
      p.Box(19, 15.5, 2, 5, Rgb{255, 220, 60});
      p.Box(19, 21.5, 2, 2, Rgb{255, 220, 60});
      p.Line(14, 24, 26, 15, 1, kWhite);
      for (int b = 0; b < 3; ++b) p.Box(14 + 4.5 * b, 28, 3, 2, Rgb{130, 140, 160});
      p.Box(14, 32, 12, 2, Rgb{120, 255, 170});
      break;
    case 2:  // shutter key: a brass key
      p.Ring(11, 20, 7.5, 7.5, 3.5, kGoldIcon);
      p.Box(17, 18, 19, 4, kGoldIcon);
      p.Box(28, 22, 2.5, 6, kGoldIcon);
      p.Box(32, 22, 2.5, 4, kGoldIcon);
      p.Box(17, 18, 19, 1, Rgb{255, 240, 170});
      p.Ring(11, 20, 7.5, 7.5, 1, kGoldDark, 20, 160);
      break;
    case 3:  // a folder of papers
      p.Box(6, 10, 12, 4, Rgb{220, 180, 90});
      p.Box(7, 13, 26, 20, kPaper);
      for (int l = 0; l < 4; ++l) p.Box(10, 16 + 4 * l, 18 - 4 * (l % 2), 1, Rgb{120, 130, 150});
      p.Box(6, 17, 28, 18, Rgb{236, 196, 100});
      p.Box(6, 17, 28, 2, Rgb{250, 220, 140});
      break;
    case 4:  // a data disk
      p.Chamfer(8, 8, 24, 26, 3, Rgb{60, 90, 170});
      p.Box(13, 8, 14, 9, Rgb{190, 196, 210});
      p.Box(22, 9, 3, 6, Rgb{60, 90, 170});
      p.Box(12, 21, 16, 12, kPaper);
      p.Box(14, 24, 12, 1, Rgb{120, 130, 150});
      p.Box(14, 27, 9, 1, Rgb{120, 130, 150});
      break;
    default:  // a parcel tied with string
      p.Box(6, 12, 28, 22, Rgb{176, 130, 80});
      p.Box(6, 12, 28, 2, Rgb{206, 160, 104});
      p.Box(19, 12, 2, 22, Rgb{240, 228, 200});
      p.Box(6, 22, 28, 2, Rgb{240, 228, 200});
      p.Ring(17, 9, 3, 3, 1.2, Rgb{240, 228, 200});
      p.Ring(23, 9, 3, 3, 1.2, Rgb{240, 228, 200});
      break;
  }
}

// Collectable k: nine keepsakes of different shapes and colours, each with a sparkle.
void DrawKeepsake(Canvas& art, int k) {
  const Pen p(art, 0, 0, 1);
  switch (k) {
    case 0:  // a red gem, cut like a jewel
      p.Tri(8, 16, 32, 16, 20, 35, Rgb{200, 30, 50});
      p.Tri(14, 16, 26, 16, 20, 35, Rgb{240, 70, 90});
      p.Box(12, 10, 16, 6, Rgb{250, 110, 120});
      p.Tri(8, 16, 12, 10, 12, 16, Rgb{250, 110, 120});
      p.Tri(32, 16, 28, 10, 28, 16, Rgb{250, 110, 120});
      p.Box(15, 11, 4, 2, Rgb{255, 220, 220});
      break;
    case 1:  // a blue stone, round cut
      p.Disc(20, 22, 12, Rgb{40, 90, 220});
      p.Disc(20, 22, 7, Rgb{90, 150, 255});
      p.Line(20, 10, 20, 34, 1, Rgb{30, 60, 170});
      p.Line(8, 22, 32, 22, 1, Rgb{30, 60, 170});
      p.Disc(16, 18, 2, Rgb{220, 236, 255});
      break;
    case 2:  // a gold coin with a star
      p.Disc(20, 22, 12, kGoldIcon);
      p.Ring(20, 22, 12, 12, 2, kGoldDark);
      p.Tri(20, 13, 16, 27, 26, 19, Rgb{255, 236, 150});
      p.Tri(20, 13, 24, 27, 14, 19, Rgb{255, 236, 150});
      p.Tri(14, 19, 26, 19, 20, 24, Rgb{255, 236, 150});
      break;
    case 3:  // a medal on a ribbon
      p.Tri(10, 4, 18, 4, 20, 22, Rgb{40, 90, 220});
      p.Tri(30, 4, 22, 4, 20, 22, Rgb{220, 40, 50});
      p.Disc(20, 26, 9, Rgb{220, 220, 232});
      p.Ring(20, 26, 9, 9, 2, Rgb{150, 156, 176});
      p.Disc(20, 26, 3, Rgb{120, 126, 150});
      break;
    case 4:  // a green stone, step cut
      p.Chamfer(8, 10, 24, 26, 6, Rgb{30, 160, 80});
      p.Chamfer(13, 15, 14, 16, 3, Rgb{90, 220, 130});
      p.Box(15, 17, 4, 2, Rgb{220, 255, 230});
      break;
    case 5:  // a pearl in its shell
      p.Oval(20, 30, 15, 6, Rgb{240, 160, 170});
      p.Ring(20, 30, 15, 6, 1, Rgb{200, 110, 130}, 0, 180);
      p.Disc(20, 22, 8, Rgb{236, 236, 244});
      p.Disc(20, 23, 6, Rgb{212, 212, 228});
      p.Disc(17, 19, 2.5, kWhite);
      break;
    case 6:  // a shrine charm: a paper strip with red seals
      p.Box(13, 4, 14, 33, kPaper);
      p.Box(13, 4, 14, 2, Rgb{200, 30, 40});
      p.Box(13, 35, 14, 2, Rgb{200, 30, 40});
      p.Box(15, 9, 10, 10, Rgb{220, 40, 40});
      p.Box(17, 11, 6, 6, kPaper);
      p.Box(19, 13, 2, 2, Rgb{220, 40, 40});
      for (int l = 0; l < 3; ++l) p.Box(17, 22 + 4 * l, 6, 1.5, kInk);
      break;
    case 7:  // a curved jewel with a hole
      p.Disc(17, 16, 10, Rgb{60, 190, 150});
      p.Tri(8, 20, 27, 16, 26, 36, Rgb{60, 190, 150});
      p.Disc(15, 14, 2.5, kInk);
      p.Ring(17, 16, 10, 10, 1.5, Rgb{150, 240, 210}, 180, 300);
      break;
    default:  // a crown
      p.Box(7, 24, 26, 9, kGoldIcon);
      p.Tri(7, 25, 7, 10, 15, 25, kGoldIcon);
      p.Tri(13, 25, 20, 8, 27, 25, kGoldIcon);
      p.Tri(25, 25, 33, 10, 33, 25, kGoldIcon);
      p.Box(7, 30, 26, 3, kGoldDark);
      p.Disc(20, 27, 2.5, Rgb{230, 40, 60});
      p.Disc(12, 27, 1.5, Rgb{60, 140, 255});
      p.Disc(28, 27, 1.5, Rgb{60, 140, 255});
      break;
  }
  // The sparkle that marks a keepsake.
  p.Line(33, 2, 33, 10, 1, kWhite);
  p.Line(29, 6, 37, 6, 1, kWhite);
  p.Box(32, 5, 3, 3, kWhite);
}

// Copies a pictogram in with a dark rim round it, so it reads over any background; the rim
// stays inside the pictogram's own cell.
void Stamp(Canvas& sheet, const Canvas& art, int x, int y) {
  for (int v = 0; v < art.height(); ++v) {
    for (int u = 0; u < art.width(); ++u) {
      const Rgb here = art.At(u, v);
      if (!(here == kTransparent)) {
        sheet.Set(x + u, y + v, here);
        continue;
      }
      bool edge = false;
      for (int dv = -1; dv <= 1 && !edge; ++dv) {
        for (int du = -1; du <= 1 && !edge; ++du) {
          const int nu = u + du, nv = v + dv;
          edge = nu >= 0 && nv >= 0 && nu < art.width() && nv < art.height() && !(art.At(nu, nv) == kTransparent);
        }
      }
      sheet.Set(x + u, y + v, edge ? kInk : kTransparent);
    }
  }
}

}  // namespace

void PaintItems(Canvas& c) {
  // Map items, 40 x 40, where the game cuts them: row 0 ammunition of weapons 0..11 (codes
  // 141..152), row 1 of weapons 12 and 13, row 2 the four materials and two more supplies,
  // row 3 gadgets 1..12, row 4 gadgets 13 and 14, row 5 first aid, jammer, key and three
  // keepsakes, row 6 the collectables.
  static const int kRowCounts[] = {12, 2, 6, 12, 2, 6, 9};
  int code = 141;
  for (int row = 0; row < 7; ++row) {
    for (int col = 0; col < kRowCounts[row]; ++col, ++code) {
      Canvas art(40, 40);
      if (code <= 154) {
        DrawAmmunition(art, code - 141);
      } else if (code <= 160) {
        DrawSupply(art, code - 155);
      } else if (code <= 174) {
        DrawGadgetPickUp(art, code - 160);
      } else if (code <= 180) {
        DrawKitItem(art, code - 175);
      } else {
        DrawKeepsake(art, code - 181);
      }
      Stamp(c, art, col * 40, row * 40);
    }
  }
  // Weapon icons (row at y 280) and gadget icons (row at y 300), 25 x 18.
  for (int w = 0; w < 13; ++w) {
    Canvas art(25, 18);
    DrawRound(Pen(art, 0.5, 0, 1), w);
    Stamp(c, art, w * 25, 280);
  }
  const auto gadgetIcon = [&c](int g, int y) {
    Canvas art(25, 18);
    PaintGadget(art, 0.5, 0, 1, g);
    Stamp(c, art, g * 25, y);
  };
  for (int g = 0; g < 10; ++g) gadgetIcon(g, 300);
  // The briefing's equipment page cuts gadgets 1..9 from the row at y 178, which runs through
  // the cells of map items 173 and 174 (gadgets 13 and 14, which no stage holds): the icons
  // are painted over them.
  c.FillRect({25, 178, 225, 18}, Rgb{});
  for (int g = 1; g < 10; ++g) gadgetIcon(g, 178);
  // The rising labels, drawn additively (black adds nothing): the one that rises from the
  // last target of a stage, 87 x 30 at (0, 330), and the larger pick-up label, 65 x 42 at
  // (100, 330).
  const auto label = [&c](Rect box, const std::string& text, int size, Rgb colour) {
    c.FrameChamfered({box.x + 1, box.y + 1, box.w - 2, box.h - 2}, 4, 1, Scale(colour, 60));
    TextStyle style = Style(size, colour, 700);
    style.outline = Scale(colour, 35);
    DrawTextIn(c, box, text, style);
  };
  label({0, 330, 87, 30}, "目標破壊", 16, Rgb{255, 210, 90});
  label({100, 330, 65, 42}, "入手", 22, Rgb{130, 230, 255});
}

void PaintPauseSheet(Canvas& c) {
  DrawPlate(c, {0, 0, 228, 34}, PlateStyle::kPlain);
  DrawPlate(c, {0, 69, 228, 34}, PlateStyle::kLit);
  // The highlight strip, drawn additively over the selected bar: it fades out within the
  // bar's width (the strip is cut 10 pixels wider), and its blue fades with the rest, so on a
  // black screen nothing shows beside the bar.
  const Rect strip{249, 0, 238, 30};
  constexpr int kBarWidth = 228;
  for (int x = 0; x < kBarWidth; ++x) {
    const int edge = std::min(x, kBarWidth - 1 - x);
    const int v = std::min(edge * 4, 110);
    for (int y = 4; y < strip.h - 4; ++y) {
      const int fade = 110 - std::abs(y - strip.h / 2) * 8;
      const int level = std::max(std::min(v, fade), 0);
      if (level > 0) {
        c.Set(strip.x + x, strip.y + y,
              Rgb{static_cast<uint8_t>(level / 3), static_cast<uint8_t>(level), static_cast<uint8_t>(level * 255 / 110)});
      }
    }
  }
  for (int w = 0; w < 13; ++w) DrawFittedText(c, {0, 121 + 20 * w, 100, 20}, kWeaponNames[w], 14, kMenuText, Align::kLeft);
  for (int g = 0; g < 10; ++g) DrawFittedText(c, {116, 121 + 20 * g, 100, 20}, kGadgetNames[g], 14, kMenuText, Align::kLeft);
}

namespace {

// The grade column shared by the result sheet and the VR menu sheet: the briefing's marks
// at x 2 (rows 353, 382, 412, 442, 472) with bonus marks at x 89, and the VR grades at x 401
// (rows 353 + 30 k) with the no-penalty marks at x 373.
void DrawGradeColumns(Canvas& c) {
  static const int kRows[] = {353, 382, 412, 442, 472};
  for (int i = 0; i < 5; ++i) {
    DrawGradeMark(c, 2, kRows[i], i);
    DrawBonusMark(c, 89, kRows[i]);
  }
  for (int k = 0; k < 5; ++k) {
    DrawGradeMark(c, 401, 353 + 30 * k, k);
    c.FillCircle(373 + 14, 353 + 30 * k + 14, 12, Rgb{20, 60, 40});
    c.Ring(373 + 14, 353 + 30 * k + 14, 12, 2, Rgb{100, 255, 150});
    c.Line(373 + 8, 353 + 30 * k + 14, 373 + 13, 353 + 30 * k + 20, 3, Rgb{100, 255, 150});
    c.Line(373 + 13, 353 + 30 * k + 20, 373 + 21, 353 + 30 * k + 8, 3, Rgb{100, 255, 150});
  }
}

}  // namespace

void PaintResultSheet(Canvas& c) {
  DrawGradeColumns(c);
  // The game-over picture, on a plate of its own so neither the grade marks nor the stage
  // under the darkened screen show through its letters.
  const Rect gameOver{0, 200, 276, 54};
  c.FillChamfered(gameOver, 10, Rgb{24, 4, 8});
  c.FrameChamfered(gameOver, 10, 2, Rgb{150, 30, 40});
  TextStyle over = Style(30, kTitleRed, 700);
  over.outline = Rgb{70, 0, 0};
  DrawTextIn(c, gameOver, "GAME OVER", over);
  // The clear panel (modes 1 and 3): the game writes its three lines and the grade into it.
  const Rect panel{342, 0, 170, 142};
  DrawPanel(c, panel, Rgb{14, 22, 44}, Rgb{120, 160, 230});
  DrawText(c, panel.x + 8, panel.y + 4, "RESULT", Style(12, kGold, 700));
  // The VR panel: labels left of where the game draws the times and counts.
  const Rect vr{301, 201, 212, 145};
  DrawPanel(c, vr, Rgb{14, 22, 44}, Rgb{120, 160, 230});
  DrawText(c, vr.x + 8, vr.y + 6, "VR MISSION RESULT", Style(12, kGold, 700));
  DrawText(c, vr.x + 12, vr.y + 30, "タイム", Style(12, kMenuText));
  DrawText(c, vr.x + 12, vr.y + 54, "発見 ×20秒", Style(12, kMenuText));
  DrawText(c, vr.x + 12, vr.y + 79, "被弾 ×15秒", Style(12, kMenuText));
  DrawText(c, vr.x + 12, vr.y + 104, "結果", Style(12, kMenuText));
}

void PaintVrInterface(Canvas& c) {
  const Rect heading{0, 0, 345, 47};
  c.FillChamfered(heading, 12, Rgb{10, 40, 40});
  c.FrameChamfered(heading, 12, 2, Rgb{60, 230, 200});
  DrawTextIn(c, heading, "VR TRAINING", Style(26, Rgb{150, 255, 230}, 700));
  const Rect sub{0, 100, 162, 25};
  c.FillRect(sub, Rgb{10, 40, 40});
  c.FrameRect(sub, 1, Rgb{60, 230, 200});
  DrawTextIn(c, sub, "SELECT MISSION", Style(14, Rgb{150, 255, 230}, 700));
}

void PaintDigits(Canvas& c) {
  // Row 0 (y 0): plain digits; the tall cells (y 11, 16 high) cover rows 1 and 2; row 3
  // (y 33): the briefing's digits; row 4 (y 44): narrow digits, with "/" in place of 5.
  for (int d = 0; d < 10; ++d) {
    const std::string digit(1, static_cast<char>('0' + d));
    DrawTextIn(c, {d * 9, 0, 9, 11}, digit, Style(11, kWhite, 700));
    TextStyle tall = Style(16, kWhite, 700);
    DrawTextIn(c, {d * 9, 11, 9, 16}, digit, tall);
    DrawTextIn(c, {d * 9, 33, 9, 11}, digit, Style(11, Rgb{120, 220, 255}, 700));
    if (d != 5) DrawTextIn(c, {d * 9, 44, 9, 11}, digit, Style(10, kWhite));
  }
  c.Line(46 + 6, 44 + 1, 46 + 2, 44 + 9, 1, kWhite);
}

// Rows at the top of each portrait cell that stay clear (the colour key): the slot screen
// draws the portrait 10 pixels below the slot's top, over the lower part of its tab.
constexpr int kPortraitClear = 24;

void PaintSaveSheet(Canvas& c) {
  // The slot panel.
  const Rect slot{0, 0, 512, 122};
  c.FillChamfered(slot, 16, Rgb{10, 22, 46});
  c.FrameChamfered(slot, 16, 2, kPlateEdge);
  // The portrait frame where the slot screen puts the portrait's picture (its cell's top rows
  // are left clear: the "Data - n" tab is drawn there).
  c.FrameRect({1, 10 + kPortraitClear - 1, 122, 108 - kPortraitClear + 2}, 1, Rgb{30, 70, 120});
  // The heading.
  TextStyle heading = Style(22, kWhite, 700);
  heading.outline = Rgb{10, 50, 110};
  const Rect head{210, 136, 141, 31};
  DrawTextIn(c, head, "セーブデータ", heading);
  // The action panel (the game writes its three words into it).
  DrawPanel(c, {6, 130, 178, 110}, Rgb{10, 24, 50}, kPlateEdge);
  // Portraits: the first character in two costumes, the second in two, the third in two.
  struct Portrait {
    int x, y;
    Rgb hair, clothes;
    const char* name;
  };
  static const Portrait kPortraits[] = {
      {0, 404, {30, 28, 40}, {170, 30, 50}, "オルハ"},      {120, 404, {30, 28, 40}, {230, 230, 240}, "オルハ 2"},
      {240, 404, {240, 200, 80}, {40, 150, 70}, "テヴァニ"}, {360, 404, {240, 200, 80}, {240, 160, 60}, "テヴァニ 2"},
      {0, 296, {200, 205, 220}, {120, 60, 170}, "スヴェル"},  {120, 296, {200, 205, 220}, {90, 90, 100}, "スヴェル 2"}};
  for (const Portrait& p : kPortraits) {
    const int top = p.y + kPortraitClear, h = 108 - kPortraitClear;
    c.Gradient({p.x + 2, top + 1, 116, h - 2}, Rgb{30, 50, 90}, Rgb{10, 16, 30});
    c.FillRect({p.x + 30, top + 50, 60, h - 51}, p.clothes);
    c.FillCircle(p.x + 60, top + 32, 20, Rgb{240, 210, 180});
    c.FillRect({p.x + 38, top + 8, 44, 12}, p.hair);
    c.FillRect({p.x + 36, top + 14, 8, 26}, p.hair);
    c.FillRect({p.x + 76, top + 14, 8, 26}, p.hair);
    c.FillRect({p.x + 51, top + 30, 5, 4}, kInk);
    c.FillRect({p.x + 65, top + 30, 5, 4}, kInk);
    c.FrameRect({p.x + 1, top, 118, h}, 1, kPlateEdge);
    c.FillRect({p.x + 2, top + h - 19, 116, 18}, Rgb{8, 14, 30});
    DrawTextIn(c, {p.x + 2, top + h - 19, 116, 18}, p.name, Style(12, kWhite, 700));
  }
}

void PaintMissionSelect(Canvas& c) {
  // The stage panel: the game writes "ステージ" and the mission number into it.
  const Rect panel{0, 0, 367, 87};
  c.FillChamfered(panel, 14, Rgb{14, 26, 50});
  c.FrameChamfered(panel, 14, 2, kPlateEdge);
  c.FrameRect({100, 4, 40, 24}, 1, Rgb{40, 90, 150});
  c.FillRect({16, 40, 335, 1}, Rgb{40, 90, 150});
  // The arrows beside the mission number.
  c.FillTriangle(100 + 15, 482 + 1, 100 + 15, 482 + 14, 100 + 2, 482 + 8, kGold);
  c.FillTriangle(120 + 2, 482 + 1, 120 + 2, 482 + 14, 120 + 15, 482 + 8, kGold);
  // The radio-call pieces: portrait frame, window, gauge and two tags.
  DrawPanel(c, {1, 244, 101, 108}, Rgb{16, 30, 40}, Rgb{80, 200, 160});
  DrawTextIn(c, {1, 244, 101, 108}, "通信", Style(18, Rgb{80, 200, 160}, 700));
  DrawPanel(c, {0, 356, 179, 97}, Rgb{12, 24, 32}, Rgb{80, 200, 160});
  c.Gradient({185, 373, 120, 64}, Rgb{80, 255, 160}, Rgb{10, 80, 50}, false);
  DrawPanel(c, {0, 457, 66, 23}, Rgb{12, 24, 32}, Rgb{80, 200, 160});
  DrawTextIn(c, {0, 457, 66, 23}, "CALL", Style(12, Rgb{80, 200, 160}, 700));
  c.FrameRect({0, 482, 54, 15}, 1, Rgb{80, 200, 160});
  DrawTextIn(c, {0, 482, 54, 15}, "FREQ", Style(10, Rgb{80, 200, 160}));
}

void PaintBriefingStrings(Canvas& c) {
  // Weapon names 0..7, "not owned", the separator; digits at x 0 (y 200 + 20 d) for the
  // briefing and at x 126 (y 201 + 20 d) for the pause lists; the "made" and "used" tags;
  // the multiplication mark; material names, gadget names and collected items.
  for (int w = 0; w < 8; ++w) DrawFittedText(c, {0, 20 * w, 100, 20}, kWeaponNames[w], 14, kMenuText, Align::kLeft);
  c.FillRect({2, 163, 96, 14}, Rgb{24, 24, 34});
  DrawFittedText(c, {0, 160, 100, 20}, "未所持", 14, Rgb{110, 110, 130}, Align::kLeft);
  DrawTextIn(c, {0, 180, 20, 20}, "×", Style(14, kWhite, 700));
  for (int d = 0; d < 10; ++d) {
    const std::string digit(1, static_cast<char>('0' + d));
    DrawTextIn(c, {0, 200 + 20 * d, 12, 20}, digit, Style(14, kWhite, 700));
    DrawTextIn(c, {126, 201 + 20 * d, 12, 15}, digit, Style(14, kWhite, 700));
  }
  DrawFittedText(c, {0, 400, 100, 20}, "作成 +", 14, Rgb{255, 200, 200}, Align::kLeft);
  DrawFittedText(c, {0, 420, 100, 20}, "使用 -", 14, Rgb{200, 200, 255}, Align::kLeft);
  c.Line(4, 444, 15, 455, 3, kWhite);
  c.Line(15, 444, 4, 455, 3, kWhite);
  static const char* const kMaterials[] = {"火薬", "金属片", "電子部品", "薬品"};
  for (int k = 0; k < 4; ++k) DrawFittedText(c, {122, 20 * k, 115, 20}, kMaterials[k], 14, kMenuText, Align::kLeft);
  for (int g = 1; g <= 9; ++g) DrawFittedText(c, {387, 20 * g, 120, 20}, kGadgetNames[g], 14, kMenuText, Align::kLeft);
  for (int i = 0; i < 8; ++i) {
    DrawFittedText(c, {387, 280 + 20 * i, 100, 20}, "収集品 " + std::to_string(i + 1), 14, kGold, Align::kLeft);
  }
}

void PaintMakingPanels(Canvas& c) {
  DrawPanel(c, {0, 0, 265, 197});
  DrawText(c, 10, 4, "弾薬作成", Style(12, kGold, 700));
  DrawPanel(c, {0, 197, 265, 122});
  DrawText(c, 10, 201, "素材", Style(12, kGold, 700));
}

void PaintEquipmentPanels(Canvas& c) {
  // The list panel frames both the collection page and the weapon column. The equipment page
  // draws the weapon piece 13 pixels right of and 3 above the list panel: the piece is only a
  // heading that covers the list panel's label, so one frame shows.
  DrawPanel(c, {0, 0, 236, 197});
  DrawText(c, 18, 4, "LIST", Style(12, kGold, 700));
  c.FillRect({240, 8, 72, 14}, kPanelFill);
  DrawText(c, 244, 8, "WEAPON", Style(12, kGold, 700));
  DrawPanel(c, {233, 205, 255, 225});
  DrawText(c, 243, 209, "GADGET", Style(12, kGold, 700));
}

void PaintStagePanel(Canvas& c) {
  // Stage icons by kind, plain and (128 pixels right) highlighted; then the door panels. The
  // map tints the icons of some stages red by dimming green and blue: a plain icon is light
  // enough that the tint shows as red rather than as a darker blue.
  static const Rect kIcons[] = {{0, 0, 40, 25},   {40, 0, 60, 25},  {0, 25, 80, 25},  {0, 50, 40, 50},
                                {40, 50, 43, 35}, {83, 25, 25, 60}, {40, 85, 60, 43}, {0, 100, 30, 20}};
  for (const Rect& r : kIcons) {
    for (int lit = 0; lit < 2; ++lit) {
      const Rect at{r.x + 128 * lit, r.y, r.w, r.h};
      c.FillRect({at.x + 1, at.y + 1, at.w - 2, at.h - 2}, lit ? Rgb{120, 100, 20} : Rgb{110, 128, 150});
      c.FrameRect({at.x + 1, at.y + 1, at.w - 2, at.h - 2}, 1, lit ? Rgb{255, 230, 90} : Rgb{210, 232, 255});
    }
  }
  static const Rect kPanels[] = {{0, 128, 7, 7},    {0, 137, 7, 59},   {9, 137, 7, 89},    {18, 137, 20, 7},
                                 {18, 146, 7, 20},  {18, 168, 58, 29}, {18, 199, 234, 44}, {78, 137, 7, 44}};
  for (const Rect& r : kPanels) {
    c.FillRect(r, Rgb{40, 160, 90});
    c.FrameRect(r, 1, Rgb{140, 255, 170});
  }
}

void PaintMapCursor(Canvas& c) {
  c.FillTriangle(4, 4, 4, 44, 32, 26, kGold);
  c.FillTriangle(8, 12, 8, 36, 24, 26, Rgb{255, 250, 200});
}

void PaintBriefingLines(Canvas& c) {
  const Rgb line{40, 130, 190}, dim{20, 60, 100};
  c.FrameRect({8, 8, 784, 584}, 1, dim);
  c.FillRect({8, 400, 400, 1}, line);
  c.FillRect({408, 400, 1, 192}, line);
  c.FillRect({8, 8, 160, 3}, line);
  c.FillRect({632, 589, 160, 3}, line);
  DrawText(c, 14, 14, "BRIEFING", Style(12, line, 700));
}

void PaintEndInfo(Canvas& c) {
  c.Gradient({0, 0, 800, 600}, Rgb{20, 30, 60}, Rgb{6, 8, 16});
  Random random("end stars");
  for (int i = 0; i < 200; ++i) c.Set(random.Below(800), random.Below(600), Rgb{200, 210, 255});
  TextStyle big = Style(44, kWhite, 700);
  big.outline = Rgb{20, 40, 90};
  DrawTextIn(c, {0, 180, 800, 60}, "THANK YOU FOR PLAYING", big);
  DrawTextIn(c, {0, 260, 800, 40}, "サイレントデッキ CODE:K", Style(28, Rgb{200, 220, 255}, 700));
  DrawTextIn(c, {0, 330, 800, 30}, "新しい要素が追加されました。タイトル画面から確認できます。", Style(16, kMenuText));
  DrawTextIn(c, {0, 520, 800, 30}, "Quorvane", Style(18, Rgb{120, 140, 200}, 700));
}

void PaintStoryBanners(Canvas& c) {
  struct Banner {
    Rect r;
    Rgb colour;
  };
  static const Banner kBanners[] = {{{4, 8, 240, 52}, {140, 200, 255}},
                                    {{3, 65, 388, 81}, {200, 230, 255}},
                                    {{18, 141, 751, 51}, {160, 220, 240}}};
  Random random("wind");
  for (const Banner& b : kBanners) {
    for (int i = 0; i < b.r.h * 2; ++i) {
      const int y = b.r.y + random.Below(b.r.h);
      const int length = b.r.w / 4 + random.Below(b.r.w / 2);
      const int x = b.r.x + random.Below(std::max(b.r.w - length, 1));
      for (int k = 0; k < length; ++k) {
        const int edge = std::min(k, length - 1 - k);
        c.Blend(x + k, y, b.colour, std::min(edge * 8, 200));
      }
    }
  }
}

void PaintVersionMark(Canvas& c) {
  c.Fill(Rgb{20, 40, 80});
  DrawTextIn(c, {0, 0, c.width(), c.height()}, "patch 2.06", Style(14, kWhite, 700));
}

}  // namespace dataset
