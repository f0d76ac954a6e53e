// The shell's screens: boot loading, logo, title and options (the key configuration is
// with the action mapping).
#pragma once

void UpdateBootLoading(int pad);
void UpdateLogo(int pad);
void UpdateTitle(int pad);
void UpdateOptions(int pad);
// The flickering highlight over a selected menu box.
void DrawNoiseBand(int x, int y);

// Colour of menu texts, and the additive strength of the selected entry's second pass.
constexpr int kMenuTextRed = 9, kMenuTextGreen = 176, kMenuTextBlue = 254;
constexpr int kSelectedTextGlow = 144;

// Blend modes, and the half strength of the dimmed pieces.
constexpr int kBlendNone = 0;
constexpr int kBlendAlpha = 1;
constexpr int kBlendAdd = 2;
constexpr int kHalfStrength = 128;

constexpr int kScreenWidth = 800;
constexpr int kScreenHeight = 600;
