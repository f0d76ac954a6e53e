// What the display layer asks of a Direct3D device. There is none on this platform yet: no
// vertices are ever batched and no scene is ever open, so the calls find nothing to do.
#pragma once

namespace rt {

// 1 when graphs and shapes are drawn through a Direct3D device.
int IsDirect3DUsed();
// Sends the current device's batched vertices; nothing without a device.
void G_D3D_FlushCurrentVertexBuffer();
// Ends the current device's scene; -1 without a device.
int G_D3D_EndScene();

}  // namespace rt
