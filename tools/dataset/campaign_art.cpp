#include "tools/dataset/campaign_art.h"

#include "tools/dataset/art_common.h"
#include "tools/dataset/text_painter.h"

namespace dataset {

namespace {

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
