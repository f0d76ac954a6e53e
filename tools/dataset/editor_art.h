// Painters of the stage editor's pictures: the mouse pointer and the eraser, the panel sheet
// (title plate, name dialog, help bar, setting frames and their glows) and the player start
// markers.
#pragma once
#include "tools/dataset/canvas.h"

namespace dataset {

void PaintEditorPointer(Canvas& c);  // gsx/98.png
void PaintEditorEraser(Canvas& c);   // gsx/99.png
void PaintEditorPanels(Canvas& c);   // patch/edit1.png
void PaintStartMarkers(Canvas& c);   // patch/edit_char.png

}  // namespace dataset
