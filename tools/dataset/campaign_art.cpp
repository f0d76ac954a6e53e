#include "tools/dataset/campaign_art.h"

#include "tools/dataset/art_common.h"
#include "tools/dataset/text_painter.h"

namespace dataset {

namespace {

TextStyle Style(int size, Rgb color, int weight = 400) {
  TextStyle s;
  s.size = size;
  s.color = color;
  s.weight = weight;
  return s;
}

// The labels of the briefing's menus, by label row.
const char* const kMenuLabels[11] = {"次のステージへ", "準備", "システム", "装備の変更", "弾薬の製造",
                                     "収集アイテム", "戻る", "セーブ", "", "タイトルへ戻る", "戻る"};

}  // namespace

void PaintCharacterSelectLines(Canvas& c) {
  // Thin frame lines over the setup's background, clear of the rows the screen draws.
  const Rgb line{40, 120, 190};
  c.Line(20, 70, 780, 70, 1, line);
  c.Line(20, 580, 780, 580, 1, line);
  c.Line(30, 130, 30, 560, 1, line);
  for (int row = 0; row < 3; ++row) c.Line(40, 230 + 120 * row, 480, 230 + 120 * row, 1, Rgb{24, 70, 120});
}

void PaintPortrait(Canvas& c, int character) {
  const int width = character == 2 ? 320 : 290;
  const Rgb tints[3] = {{200, 60, 80}, {60, 160, 220}, {120, 200, 120}};
  const Rgb tint = tints[character % 3];
  // A figure drawn large, standing, from the knees up, on a fading column of its colour.
  c.Gradient({0, 0, width, 600}, Rgb{static_cast<uint8_t>(tint.r / 6), static_cast<uint8_t>(tint.g / 6),
                                     static_cast<uint8_t>(tint.b / 6)},
             Rgb{4, 6, 12});
  const int cx = width / 2;
  c.FillCircle(cx, 130, 58, Rgb{230, 200, 170});
  c.FillRect({cx - 62, 70, 124, 40}, tint);
  c.FillChamfered({cx - 90, 200, 180, 330}, 30, tint);
  c.FillRect({cx - 120, 220, 34, 220}, tint);
  c.FillRect({cx + 86, 220, 34, 220}, tint);
  c.FillRect({cx - 70, 530, 55, 70}, Rgb{30, 30, 50});
  c.FillRect({cx + 15, 530, 55, 70}, Rgb{30, 30, 50});
  const char* const names[3] = {"ORUHA", "TEVANI", "SUVEL"};
  DrawTextIn(c, {0, 560, width, 36}, names[character % 3], Style(24, Rgb{240, 240, 255}, 700));
}

void PaintCampaignMenuPieces(Canvas& c) {
  for (int r = 0; r < 11; ++r) {
    const Rect box{11, 129 + 22 * r, 130, 19};
    c.FillRect(box, Rgb{0, 0, 0});
    if (kMenuLabels[r][0] != '\0') DrawTextIn(c, box, kMenuLabels[r], Style(14, kMenuText, 600), Align::kLeft);
  }
  // The row header plate of the setup (texts are drawn over it in black).
  const Rect header{323, 284, 190, 25};
  c.FillChamfered(header, 6, Rgb{150, 200, 240});
  c.FrameChamfered(header, 6, 1, Rgb{230, 245, 255});
  // The setup's heading, drawn over the save screen banner.
  DrawTextIn(c, {250, 254, 200, 28}, "NEW GAME", Style(20, kMenuText, 700));
}

}  // namespace dataset
