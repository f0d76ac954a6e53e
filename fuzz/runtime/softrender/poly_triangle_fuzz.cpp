// Depth-buffered triangles with vertices, depths, texture positions and settings taken from
// the input: raw floats (NaN, infinities and huge values included) or small coordinates
// around the images, every texture form, Z buffers, blend graphs smaller than the texture
// and the depth clip. Nothing may be written outside an image, and every call must end.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/runtime/softrender/fuzz_input.h"
#include "runtime/image/blend_graph.h"
#include "runtime/image/memimg.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/poly_triangle.h"

using fuzz_input::Image;
using fuzz_input::Input;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const int kind = in.Small(2);
  Image target, texture, z, graph;
  const int width = 1 + in.Small(70), height = 1 + in.Small(50);
  if (rt::InitMemImg(&target.img, width, height, -1, 0, kind, 0, 0, 0) != 0) return 0;
  const bool textured = in.Small(4) != 0;
  if (textured && rt::InitMemImg(&texture.img, 1 + in.Small(40), 1 + in.Small(40), -1, in.Word(),
                                 in.Small(6) == 0 ? 1 - kind : kind, in.Small(3) == 0, in.Small(3) == 0, 0) != 0) {
    return 0;
  }
  const bool useZ = in.Small(2);
  if (useZ && rt::CreateZBufferMemImg(&z.img, in.Small(8) == 0 ? width + 1 : width, height) != 0) return 0;
  const bool useGraph = in.Small(3) == 0;
  if (useGraph && rt::InitMemImg(&graph.img, 1 + in.Small(40), 1 + in.Small(40), -1, 0, rt::kMemImgKind8, 0, 0, 0) != 0) {
    return 0;
  }
  in.Fill(target.img.pixels, static_cast<size_t>(target.img.pitch) * target.img.height);
  if (textured) {
    in.Fill(texture.img.pixels, static_cast<size_t>(texture.img.pitch) * texture.img.height);
    in.Fill(texture.img.palette, sizeof texture.img.palette);
  }
  if (useZ) in.Fill(z.img.pixels, static_cast<size_t>(z.img.pitch) * z.img.height);
  if (useGraph) in.Fill(graph.img.pixels, static_cast<size_t>(graph.img.pitch) * graph.img.height);

  rt::DrawState& state = rt::GetDrawState();
  const rt::DrawState saved = state;
  state.drawArea = RECT{in.Small(90) - 20, in.Small(70) - 20, in.Small(90) - 20, in.Small(70) - 20};
  state.blendMode = in.Small(7) - 1;
  state.blendParam = in.Byte();
  state.brightColor = in.Word();
  rt::BuildBlendGraphTable(in.Byte(), in.Byte());

  const int triangles = 1 + in.Small(4);
  for (int t = 0; t < triangles; ++t) {
    rt::VertexTriple tri;
    for (rt::PolygonVertex& v : tri.v) {
      v.x = in.Value(-30.0f, 100.0f);
      v.y = in.Value(-30.0f, 80.0f);
      v.z = in.Value(-1.0f, 2.0f);
      v.rhw = in.Value(-0.5f, 4.0f);
      v.color = in.Word();
      v.u = in.Value(-0.5f, 1.5f);
      v.v = in.Value(-0.5f, 1.5f);
    }
    rt::DrawPolygonTriangleMemImg(&target.img, useZ ? &z.img : nullptr, textured ? &texture.img : nullptr, &tri,
                                  in.Small(2), useGraph ? &graph.img : nullptr, in.Small(2), in.Small(2), in.Small(2),
                                  in.Small(3) == 0 ? 0 : 1);
  }
  state = saved;
  return 0;
}
