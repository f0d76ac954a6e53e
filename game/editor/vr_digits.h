// Numbers and times of the VR screens, cut from the digit sheet "gsx/num.png": the VR menu's
// places and total, the clock drawn over a VR mission and the VR result panel.
#pragma once

// Digits of a non-negative value below 1,000,000 from row `row` of the sheet at a 10-pixel
// pitch; align 0 left, 1 centred, 2 right; style 2 draws the tall cells tinted red.
void DrawVrNumber(int value, int x, int y, int row, int align, int style);
// A value as two digits: below 10 a "0" at x and the digit at x + 10.
void DrawTwoDigits(int value, int x, int y);
// Hours (or minutes), minutes and seconds as two digits each with colons between; with the
// blink flag the colons are dimmed in the second half of each second.
void DrawVrTime(int a, int b, int c, int x, int y, int blink, int randomTint, int style);
// The clock of a VR mission at the top right of the screen (minutes, seconds, hundredths).
void DrawVrTimer();
