// Painters of the campaign screens' own pictures: the new-game setup's line overlay and
// the three full-height portraits, and the menu labels, row headers and heading the
// briefing and the setup cut from the menu skin.
#pragma once
#include "tools/dataset/canvas.h"

namespace dataset {

void PaintCharacterSelectLines(Canvas& c);     // gsx/char_sele_line.png
// The briefing's menu labels (rows at (11, 129 + 22 r)), the setup's heading and its row
// header plate, painted into the menu skin.
void PaintCampaignMenuPieces(Canvas& c);

}  // namespace dataset
