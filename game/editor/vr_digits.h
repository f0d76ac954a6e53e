// Two-digit fields of the VR screens (the VR menu's places and total) and the clock drawn
// over a VR mission; numbers and times in general are the HUD's DrawNumber and DrawTime.
#pragma once

// A value as two digits: below 10 a "0" at x and the digit at x + 10.
void DrawTwoDigits(int value, int x, int y);
// The clock of a VR mission at the top right of the screen (minutes, seconds, hundredths).
void DrawVrTimer();
