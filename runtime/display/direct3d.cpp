#include "runtime/display/direct3d.h"

namespace rt {

int IsDirect3DUsed() { return 0; }

void G_D3D_FlushCurrentVertexBuffer() {}

int G_D3D_EndScene() { return -1; }

}  // namespace rt
