#include "tools/dataset/shell_art.h"

#include <algorithm>
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

void PaintItems(Canvas& c) {
  // Map items, 40 x 40: row 0 ammunition 141..152, row 1 153..154, row 2 items, row 3
  // gadgets, row 4 more gadgets, row 5 life, jammer, key and others, row 6 collectables.
  static const int kRowCounts[] = {12, 2, 6, 12, 2, 6, 9};
  static const Rgb kRowColours[] = {{230, 180, 70}, {230, 140, 70}, {120, 200, 255}, {120, 255, 150},
                                    {120, 255, 200}, {255, 120, 140}, {255, 230, 120}};
  int code = 141;
  for (int row = 0; row < 7; ++row) {
    for (int col = 0; col < kRowCounts[row]; ++col, ++code) {
      const Rect cell{col * 40, row * 40, 40, 40};
      const Rgb colour = kRowColours[row];
      c.FillChamfered({cell.x + 5, cell.y + 5, 30, 30}, 6, Scale(colour, 40));
      c.FrameChamfered({cell.x + 5, cell.y + 5, 30, 30}, 6, 2, colour);
      DrawTextIn(c, {cell.x + 5, cell.y + 8, 30, 24}, std::to_string(code % 100), Style(12, colour, 700));
    }
  }
  // Weapon icons (row at y 280) and gadget icons (row at y 300), 25 x 18.
  for (int w = 0; w < 13; ++w) {
    const Rgb colour = Mix(Rgb{255, 140, 60}, Rgb{255, 240, 120}, w * 20);
    c.FillRect({w * 25 + 3, 280 + 6, 14, 6}, colour);
    c.FillTriangle(w * 25 + 17, 280 + 5, w * 25 + 23, 280 + 9, w * 25 + 17, 280 + 13, Scale(colour, 80));
    DrawText(c, w * 25 + 2, 280 + 5, std::to_string(w), Style(9, kInk, 700));
  }
  const auto gadgetIcon = [&c](int g, int y) {
    const Rgb colour = Mix(Rgb{80, 220, 120}, Rgb{120, 200, 255}, g * 25);
    c.FillChamfered({g * 25 + 3, y + 1, 19, 16}, 4, Scale(colour, 50));
    c.FrameChamfered({g * 25 + 3, y + 1, 19, 16}, 4, 1, colour);
    DrawTextIn(c, {g * 25 + 3, y + 1, 19, 16}, std::to_string(g), Style(11, colour, 700));
  };
  for (int g = 0; g < 10; ++g) gadgetIcon(g, 300);
  // The briefing's equipment page cuts gadgets 1..9 from the row at y 178, which runs through
  // the cells of map items 173 and 174 (gadgets 13 and 14, which no stage holds): the icons
  // are painted over them.
  c.FillRect({25, 178, 225, 18}, Rgb{});
  for (int g = 1; g < 10; ++g) gadgetIcon(g, 178);
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
