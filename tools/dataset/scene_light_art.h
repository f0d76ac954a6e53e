// The light that grows around the third character as she steps into the shop's computer.
#pragma once

#include "tools/dataset/canvas.h"

namespace dataset {

// The scene stretches this cut around the figure and adds it to the screen again and again,
// so it is bright in the middle and fades to black well inside its edges.
constexpr Rect kSceneLightCut{367, 13, 310, 317};

// The light, tinted, in kSceneLightCut; the rest of the sheet stays transparent.
void PaintSceneLight(Canvas& c, Rgb tint);

}  // namespace dataset
