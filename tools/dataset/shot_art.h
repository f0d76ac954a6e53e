// Painters of the small mission sheets the shots cut: the cartridge cases and the gas round,
// the wire's hook, and the target board.
#pragma once

#include "tools/dataset/canvas.h"

namespace dataset {

// Every cell of these sheets is 16 x 16.
constexpr int kShotCell = 16;
// Where the shots cut their cells: the gas round in flight, the light case's row (eight
// turns of 45 degrees) followed by the heavy case's row, and the hook in flight and caught.
constexpr Rect kGasRoundCell{16, 0, kShotCell, kShotCell};
constexpr int kCaseRowY = 16, kCaseTurns = 8;
constexpr Rect kHookFlyingCell{0, 0, kShotCell, kShotCell};
constexpr Rect kHookCaughtCell{16, 0, kShotCell, kShotCell};

// The gas round and the sixteen cells of spent cases (256 x 64).
void PaintCaseSheet(Canvas& c);
// The grappling hook, prongs folded while it flies and spread once caught (256 x 64).
void PaintHookSheet(Canvas& c);
// A target board in the top-left 40 x 40 cell; the game cuts nothing from this sheet.
void PaintTargetSheet(Canvas& c);

}  // namespace dataset
