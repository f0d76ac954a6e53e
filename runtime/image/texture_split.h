// How a graph is cut into texture pieces: the device takes only power-of-two sides within its
// limits, so each side of a graph becomes a list of piece sizes.
#pragma once
#include <vector>

namespace rt {

// The piece sizes along one side of `size` pixels, with the device's smallest and largest
// texture side and the screen's width (pieces of a graph narrower than the screen are not
// cut); whole: one piece, as large as the device allows.
std::vector<int> TexturePieceSizes(int size, int minTexture, int maxTexture, int screenWidth, bool whole);

// The same with the 3D device's limits and the screen's width; the sizes go to `sizes` (may
// be null when only one piece results). Returns their number.
int GetTexturePieceSizes(int size, int* sizes, int whole);

// At most this many pieces make a graph.
constexpr int kMaxTexturePieces = 64;

}  // namespace rt
