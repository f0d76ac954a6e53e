// Painters of the VR training's pictures: the VR menu's piece sheet (place labels, total-time
// panel, the host's speech balloon, the help bar, rank letters and the clean-run mark) and
// the host's portrait cells.
#pragma once
#include "tools/dataset/canvas.h"

namespace dataset {

void PaintVrMenuPieces(Canvas& c);  // patch/vr_menu.png, 640 x 512
void PaintVrHost(Canvas& c);        // patch/qetra.png, 360 x 216

}  // namespace dataset
