// The runtime's public entry functions: the only header the game includes.
// Every function but WaitTime, SetColorFormatFromMasks, MakeDDPixelFormat and ClipRect
// runs its implementation under the library-wide lock.
#pragma once

// ---- Runtime core ---------------------------------------------------------------------
int SetLogOutput(int flag);
int GetTimeMs();
int GetDateTime(int out[6]);
int GetRandom(int n);

// ---- File access and archives ---------------------------------------------------------

// ---- Window, start-up and shut-down ---------------------------------------------------

// ---- Images and graphs ----------------------------------------------------------------

// ---- Display and drawing --------------------------------------------------------------

// ---- Fonts ----------------------------------------------------------------------------

// ---- Input ----------------------------------------------------------------------------

// ---- Sound and music ------------------------------------------------------------------
