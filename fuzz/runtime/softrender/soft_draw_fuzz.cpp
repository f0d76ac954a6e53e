// Same-size blits and primitives with images, positions, draw areas and settings taken from
// the input, including draw areas beyond the images, far positions and corrupt run tables:
// nothing may be written outside an image.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz/runtime/softrender/fuzz_input.h"
#include "runtime/image/blend_graph.h"
#include "runtime/image/memimg.h"
#include "runtime/softrender/blit_memimg.h"
#include "runtime/softrender/draw_state.h"
#include "runtime/softrender/primitives.h"

using fuzz_input::Image;
using fuzz_input::Input;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input in(data, size);
  const int kind = in.Small(2);
  const int palette = in.Small(2);
  const int alpha = in.Small(2);
  Image src, dest, graph;
  if (rt::InitMemImg(&src.img, 1 + in.Small(80), 1 + in.Small(40), -1, in.Word(), kind, palette, alpha, 1) != 0) {
    return 0;
  }
  if (rt::InitMemImg(&dest.img, 1 + in.Small(60), 1 + in.Small(40), -1, 0, in.Small(3) == 0 ? in.Small(4) : kind,
                     in.Small(4) == 0, in.Small(4) == 0, 0) != 0) {
    return 0;
  }
  if (rt::InitMemImg(&graph.img, 1 + in.Small(90), 1 + in.Small(50), -1, 0, rt::kMemImgKind8, 0, 0, 0) != 0) return 0;
  in.Fill(src.img.pixels, static_cast<size_t>(src.img.pitch) * src.img.height);
  in.Fill(src.img.palette, sizeof src.img.palette);
  in.Fill(dest.img.pixels, static_cast<size_t>(dest.img.pitch) * dest.img.height);
  in.Fill(graph.img.pixels, static_cast<size_t>(graph.img.pitch) * graph.img.height);
  src.img.paletteCount = static_cast<int>(in.Word());
  rt::RebuildMemImgRunTable(&src.img);
  if (in.Small(8) == 0) {
    in.Fill(src.img.runTable, static_cast<size_t>(src.img.width + rt::kRunTableRowSlack) * src.img.height);
  }

  rt::DrawState& state = rt::GetDrawState();
  const rt::DrawState saved = state;
  state.drawArea = RECT{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
  state.blendMode = in.Small(7) - 1;
  state.blendParam = in.Byte();
  state.brightColor = in.Word();
  rt::GetScreenStateRecord().mmxAvailable = in.Small(2);
  rt::BuildBlendGraphTable(in.Byte(), in.Byte());

  rt::BlitMemImg(&dest.img, &src.img, in.Coordinate(), in.Coordinate(), in.Small(3),
                 in.Small(2) ? &graph.img : nullptr);
  rt::DrawPixelMemImg(&dest.img, in.Coordinate(), in.Coordinate(), in.Word());
  const RECT box{in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate()};
  rt::FillBoxMemImg(&dest.img, in.Small(4) ? &box : nullptr, in.Word());
  rt::DrawLineMemImg(&dest.img, in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Word());
  rt::DrawCircleMemImg(&dest.img, in.Coordinate(), in.Coordinate(), in.Coordinate(), in.Word(), in.Small(2));

  state = saved;
  return 0;
}
