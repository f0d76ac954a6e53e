#include "runtime/softrender/poly_triangle.h"

#include <algorithm>
#include <cmath>

#include "runtime/image/blend_graph.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/poly_setup.h"
#include "runtime/softrender/poly_spans.h"

namespace rt {
namespace {

using soft::PolyFrame;
using soft::PolySpanKey;
using soft::SrcForm;

// A clipped triangle has at most five vertices, plus one slot to close the polygon.
constexpr int kClipBufferSize = 7;
// Pieces of a clipped triangle are clipped again when rounding leaves a depth outside the
// range; past this depth of re-clipping they are drawn as they are (their depth is held to
// the Z buffer's range per pixel anyway).
constexpr int kMaxReclipDepth = 3;
constexpr int kFallbackTextureSize = 8;

// The texture drawn when none is given: 8 x 8 white texels of either pixel size.
const uint32_t kWhiteTexels[kFallbackTextureSize * kFallbackTextureSize] = {
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
    0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF,
};

uint8_t InterpolateByte(uint32_t outside, uint32_t inside, int shift, int k) {
  const int o = static_cast<int>((outside >> shift) & 0xFF);
  const int i = static_cast<int>((inside >> shift) & 0xFF);
  return static_cast<uint8_t>(((i - o) * k + o * 256) >> 8);
}

// The vertex where the edge from the outside vertex o to the inside vertex i crosses the
// plane, in homogeneous form.
PolygonVertex Intersect(const PolygonVertex& o, const PolygonVertex& i, bool nearPlane) {
  const float t = nearPlane ? (-1.0f / (i.z - o.z)) * o.z : (1.0f - o.z / o.rhw) / (i.z / i.rhw - o.z / o.rhw);
  const auto lerp = [t](float a, float b) { return a + (b - a) * t; };
  PolygonVertex v;
  v.x = lerp(o.x, i.x);
  v.y = lerp(o.y, i.y);
  v.rhw = lerp(o.rhw, i.rhw);
  v.u = lerp(o.u, i.u);
  v.v = lerp(o.v, i.v);
  v.z = nearPlane ? 0.0f : lerp(o.z, i.z);
  const float scaled = t * 255.0f;
  const int k = std::isfinite(scaled) && std::fabs(scaled) < 2147483648.0f ? static_cast<int>(scaled) & 0xFF : 0;
  v.color = 0;
  for (int shift = 0; shift < 32; shift += 8) v.color |= uint32_t{InterpolateByte(o.color, i.color, shift, k)} << shift;
  return v;
}

// One pass of the clip: in holds count vertices and one free slot; returns the output count.
int ClipPass(PolygonVertex* in, int count, PolygonVertex* out, bool nearPlane) {
  in[count] = in[0];
  const auto inside = [nearPlane](const PolygonVertex& v) { return nearPlane ? !(v.z < 0.0f) : !(v.z > v.rhw); };
  int n = 0;
  for (int k = 0; k < count; ++k) {
    const PolygonVertex& a = in[k];
    const PolygonVertex& b = in[k + 1];
    const bool aIn = inside(a), bIn = inside(b);
    if (aIn) out[n++] = a;
    if (aIn && !bIn) out[n++] = Intersect(b, a, nearPlane);
    if (!aIn && bIn) out[n++] = Intersect(a, b, nearPlane);
  }
  return n;
}

void DrawTriangle(MEMIMG* target, MEMIMG* zBuffer, const MEMIMG* texture, const VertexTriple* triangle,
                  int transparentFlag, const MEMIMG* blendGraph, int zWrite, int pieceZWrite, int vertexColour,
                  int zClip, int depth);

// Cuts the triangle against the depth range and draws the pieces. Returns false when the
// triangle lies wholly inside the range and is drawn as it is.
bool ClipAndDraw(MEMIMG* target, MEMIMG* zBuffer, const MEMIMG* texture, const VertexTriple& triangle,
                 int transparentFlag, const MEMIMG* blendGraph, int pieceZWrite, int depth) {
  int before = 0, behind = 0;
  for (const PolygonVertex& v : triangle.v) {
    before += v.z < 0.0f;
    behind += v.z > 1.0f;
  }
  if (before + behind == 0) return false;
  // Wholly in front of or behind the range: nothing of it shows. Any other triangle is cut,
  // however many of its vertices lie outside.
  if (before == 3 || behind == 3) return true;
  PolygonVertex a[kClipBufferSize], b[kClipBufferSize];
  for (int k = 0; k < 3; ++k) {
    const PolygonVertex& v = triangle.v[k];
    // A vertex at infinity (rhw 0) has no homogeneous form.
    if (v.rhw == 0.0f || !std::isfinite(v.rhw)) return true;
    const float w = 1.0f / v.rhw;
    a[k] = v;
    a[k].x = v.x * w;
    a[k].y = v.y * w;
    a[k].z = v.z * w;
    a[k].rhw = w;
  }
  int n = ClipPass(a, 3, b, false);
  n = n > 0 ? ClipPass(b, n, a, true) : 0;
  if (n < 3) return true;
  for (int k = 0; k < n; ++k) {
    PolygonVertex& v = a[k];
    const float rhw = 1.0f / v.rhw;
    v.x *= rhw;
    v.y *= rhw;
    v.z *= rhw;
    v.rhw = rhw;
  }
  const int pieceClip = depth + 1 < kMaxReclipDepth ? 1 : 0;
  for (int k = 2; k < n; ++k) {
    const VertexTriple piece = k == 2 ? VertexTriple{{a[0], a[1], a[2]}} : VertexTriple{{a[k], a[0], a[k - 1]}};
    DrawTriangle(target, zBuffer, texture, &piece, transparentFlag, blendGraph, pieceZWrite, 0, 1, pieceClip,
                 depth + 1);
  }
  return true;
}

SrcForm TextureForm(const MEMIMG& texture) {
  const bool k32 = texture.kind == kMemImgKindXRGB;
  if (texture.paletteFlag == 1) return k32 ? SrcForm::k32Palette : SrcForm::k16Palette;
  if (texture.alphaFlag == 1) return k32 ? SrcForm::k32Alpha : SrcForm::k16Alpha;
  return k32 ? SrcForm::k32 : SrcForm::k16;
}

// The plain half's blend parameter rules: alpha at 255 is drawn as no blending, and a zero
// parameter draws nothing where it would make the triangle invisible. Returns -1 for that.
int PlainMode(int mode, uint32_t param, bool palettised) {
  if (mode == 1 && param == 255) return 0;
  if (param == 0 && (mode == 1 || mode == 2 || (mode == 3 && !palettised))) return -1;
  return mode;
}

void DrawTriangle(MEMIMG* target, MEMIMG* zBuffer, const MEMIMG* texture, const VertexTriple* triangle,
                  int transparentFlag, const MEMIMG* blendGraph, int zWrite, int pieceZWrite, int vertexColour,
                  int zClip, int depth) {
  if (!target || !triangle || target->magic != kMemImgMagic || !target->pixels) return;
  if (zClip == 1 && ClipAndDraw(target, zBuffer, texture, *triangle, transparentFlag, blendGraph, pieceZWrite, depth)) {
    return;
  }
  if (zBuffer && (zBuffer->kind != kMemImgKindZ16 || !zBuffer->pixels || zBuffer->width != target->width ||
                  zBuffer->height != target->height)) {
    return;
  }
  if (target->kind != kMemImgKind565 && target->kind != kMemImgKindXRGB) return;
  if (target->paletteFlag == 1 || target->alphaFlag == 1) return;

  PolyFrame frame{};
  SrcForm form;
  if (texture) {
    if (texture->kind != target->kind || !texture->pixels || texture->width <= 0 || texture->height <= 0) return;
    form = TextureForm(*texture);
    frame.texels = texture->pixels;
    frame.texPitch = texture->pitch;
    frame.texWidth = texture->width;
    frame.texHeight = texture->height;
    frame.key = texture->transparentColor;
    frame.palette = texture->paletteTable ? texture->paletteTable : texture->palette;
  } else {
    // The white stand-in is filled directly, never through the box fill, so the draw area,
    // blend mode and bright colour cannot leave it anything but white.
    form = target->kind == kMemImgKindXRGB ? SrcForm::k32 : SrcForm::k16;
    frame.uniform = true;
    frame.texels = reinterpret_cast<const uint8_t*>(kWhiteTexels);
    frame.texPitch = static_cast<ptrdiff_t>(kFallbackTextureSize) * (target->kind == kMemImgKindXRGB ? 4 : 2);
    frame.texWidth = kFallbackTextureSize;
    frame.texHeight = kFallbackTextureSize;
    frame.key = 0;
  }

  const DrawState& state = GetDrawState();
  const int blendMode = state.blendMode;
  if (blendMode < 0 || blendMode > 4) return;
  const uint32_t param = static_cast<uint32_t>(std::clamp(state.blendParam, 0, 255));
  PolySpanKey key{form, vertexColour != 0, blendMode, blendGraph != nullptr,
                  (state.brightColor & 0xFFFFFF) == 0xFFFFFF, transparentFlag != 0};
  if (!key.vertexColour) {
    key.mode = PlainMode(blendMode, param, soft::IsPalette(form));
    if (key.mode < 0) return;
  }
  const soft::PolySpanFn span = soft::FindPolySpan(key);
  if (!span) return;

  // The draw area, never reaching past the target.
  RECT area = state.drawArea;
  area.left = std::max(area.left, 0);
  area.top = std::max(area.top, 0);
  area.right = std::min(area.right, target->width);
  area.bottom = std::min(area.bottom, target->height);
  if (area.left >= area.right || area.top >= area.bottom) return;

  int firstRow = 0;
  const int planes = key.vertexColour ? soft::kPlaneCount : soft::kPlaneR;
  if (!soft::SetUpPolygonTriangle(*triangle, area, planes, &frame, &firstRow)) return;
  frame.targetRow = target->pixels + static_cast<ptrdiff_t>(firstRow) * target->pitch;
  frame.targetPitch = target->pitch;
  if (zBuffer) {
    frame.zRow = zBuffer->pixels + static_cast<ptrdiff_t>(firstRow) * zBuffer->pitch;
    frame.zPitch = zBuffer->pitch;
  }
  frame.zWrite = zWrite;
  if (blendGraph) {
    if (!blendGraph->pixels) return;
    frame.graph = blendGraph->pixels;
    frame.graphPitch = blendGraph->pitch;
    frame.graphWidthBytes = blendGraph->width * MemImgBytesPerPixel(blendGraph->kind, blendGraph->paletteFlag,
                                                                    blendGraph->alphaFlag);
    frame.graphHeight = blendGraph->height;
    frame.graphTable = BlendGraphTable;
  }
  frame.param = param;
  frame.bright[0] = state.brightColor & 0xFF;
  frame.bright[1] = (state.brightColor >> 8) & 0xFF;
  frame.bright[2] = (state.brightColor >> 16) & 0xFF;
  span(frame);
}

}  // namespace

void DrawPolygonTriangleMemImg(MEMIMG* target, MEMIMG* zBuffer, const MEMIMG* texture, const VertexTriple* triangle,
                               int transparentFlag, const MEMIMG* blendGraph, int zWrite, int pieceZWrite,
                               int vertexColour, int zClip) {
  DrawTriangle(target, zBuffer, texture, triangle, transparentFlag, blendGraph, zWrite, pieceZWrite, vertexColour,
               zClip, 0);
}

}  // namespace rt
