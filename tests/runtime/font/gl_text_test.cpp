// Text through the texture glyph cache of the OpenGL device in a real window (run under a
// virtual X server by its ctest entry), against the memory glyph cache: the golden line of
// golden_text_test.cpp (plain and edged), and the same line drawn vertically and with an
// anti-aliased font, whose references the memory cache draws here into software images.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display_device.h"
#include "platform/glyph_source.h"
#include "runtime/api.h"
#include "runtime/display/direct3d.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/display/output_surfaces.h"
#include "runtime/display/screen_mode.h"
#include "runtime/font/font.h"
#include "tests/support/display_fixture.h"
#include "tests/support/golden_image.h"
#include "tests/support/memimg_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedTempDir;
using testsupport::OwnedMemImg;

constexpr char kLine[] = "ミッション開始 Stage 1-2：潜入せよ！";
// The golden line's picture: 272 x 44, the background 0x203050, the plain line at (4, 4) in
// white and the edged one at (4, 24) in 0xFFE040 with a black edge.
constexpr int kWidth = 272;
constexpr int kHeight = 44;
constexpr uint32_t kBackground = 0x203050;
// Where the pictures lie on the screen.
constexpr int kLineX = 100, kLineY = 100;
constexpr int kColumnX = 450, kColumnY = 100;
constexpr int kSmoothX = 100, kSmoothY = 300;

// Tolerance 1 per channel: the glyph texels are white with a 1-bit alpha (4 bits for the
// anti-aliased font) and are multiplied by the text colour and blended in floating point,
// which may round where the memory cache copies the colour or mixes it in integers; a glyph
// one pixel out of place differs by a whole colour.
constexpr int kGlTolerance = 1;

std::string GoldenDir() { return FONT_GOLDEN_DIR; }

std::vector<uint8_t> Crop(const std::vector<uint32_t>& xrgb, int stride, int x0, int y0, int w, int h) {
  std::vector<uint8_t> rgb;
  for (int y = y0; y < y0 + h; ++y) {
    for (int x = x0; x < x0 + w; ++x) {
      const uint32_t v = xrgb[static_cast<size_t>(y) * stride + x];
      rgb.insert(rgb.end(), {uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    }
  }
  return rgb;
}

int MaxDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  if (a.size() != b.size()) return 256;
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(int(a[i]) - int(b[i])));
  return worst;
}

// The two lines (plain, edged) at (x, y) and 20 pixels further across, inside a background box
// that is also the draw area.
void DrawLines(int x, int y, int w, int h, int plain, int edged, bool vertical) {
  rt::SetDrawArea(0, 0, 800, 600);
  DrawBox(x, y, x + w, y + h, GetColor(0x20, 0x30, 0x50), 1);
  rt::SetDrawArea(x, y, x + w, y + h);
  rt::DrawStringToHandle(x + 4, y + 4, kLine, GetColor(255, 255, 255), plain, 0, vertical);
  rt::DrawStringToHandle(vertical ? x + 24 : x + 4, vertical ? y + 4 : y + 24, kLine, GetColor(255, 0xE0, 0x40), edged,
                         GetColor(0, 0, 0), vertical);
  rt::SetDrawArea(0, 0, 800, 600);
}

TEST(GlTextTest, TextThroughTexturesMatchesTheMemoryGlyphCache) {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) GTEST_SKIP() << "no X display";
  ScopedTempDir dir;
  platform::SetGlyphSource(nullptr);  // the installed Gothic, as the golden line
  platform::DisplayDevice* device = testing_support::StartGlWindow();
  ASSERT_NE(device, nullptr) << "no OpenGL device in the window: " << ReadFileBytes(dir.File("Log.txt"));
  rt::SetWaitVSyncFlag(0);
  ASSERT_EQ(rt::IsDirect3DUsed(), 1) << "the display starts the 3D side of the GL device";

  const int plain = rt::CreateFontToHandle(nullptr, 12, 2, 0, -1, -1, 0, -1, -1);
  const int edged = rt::CreateFontToHandle(nullptr, 12, 2, rt::kFontTypeEdge, -1, -1, 0, -1, -1);
  ASSERT_NE(plain, -1);
  ASSERT_NE(edged, -1);
  EXPECT_EQ(rt::GetFontRecord(plain)->textureCache, 1);
  EXPECT_EQ(rt::GetFontRecord(edged)->textureCache, 1);

  const int smooth = rt::CreateFontToHandle(nullptr, 16, 6, rt::kFontTypeAntialias, -1, -1, 0, -1, -1);
  ASSERT_NE(smooth, -1);
  EXPECT_EQ(rt::GetFontRecord(smooth)->textureCache, 1);

  // The references of the vertical and the anti-aliased lines from the memory cache.
  rt::GetFontState().textureCacheDisabled = 1;
  const int plainMemory = rt::CreateFontToHandle(nullptr, 12, 2, 0, -1, -1, 0, -1, -1);
  const int edgedMemory = rt::CreateFontToHandle(nullptr, 12, 2, rt::kFontTypeEdge, -1, -1, 0, -1, -1);
  const int smoothMemory = rt::CreateFontToHandle(nullptr, 16, 6, rt::kFontTypeAntialias, -1, -1, 0, -1, -1);
  rt::GetFontState().textureCacheDisabled = 0;
  ASSERT_EQ(rt::GetFontRecord(plainMemory)->textureCache, 0);
  ASSERT_EQ(rt::GetFontRecord(smoothMemory)->textureCache, 0);
  OwnedMemImg smoothLine;
  ASSERT_EQ(rt::InitMemImg(smoothLine.get(), kWidth, kHeight, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
  rt::FillMemImg(smoothLine.get(), nullptr, 0xFF000000u | kBackground);
  const RECT lineClip{0, 0, kWidth, kHeight};
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 4, 4, 0, 1.0, 1.0, kLine, 0xFFFFE040, smoothLine.get(), &lineClip,
                               0, smoothMemory, 0, -1, 0, nullptr);
  OwnedMemImg column;
  ASSERT_EQ(rt::InitMemImg(column.get(), kHeight, kWidth, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
  rt::FillMemImg(column.get(), nullptr, 0xFF000000u | kBackground);
  const RECT clip{0, 0, kHeight, kWidth};
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 4, 4, 0, 1.0, 1.0, kLine, 0xFFFFFFFF, column.get(), &clip, 0,
                               plainMemory, 0, -1, 1, nullptr);
  rt::DrawCachedStringToHandle(rt::kStringModeDraw, 24, 4, 0, 1.0, 1.0, kLine, 0xFFFFE040, column.get(), &clip, 0,
                               edgedMemory, 0xFF000000, -1, 1, nullptr);

  ClearDrawScreen();
  DrawLines(kLineX, kLineY, kWidth, kHeight, plain, edged, false);
  DrawLines(kColumnX, kColumnY, kHeight, kWidth, plain, edged, true);
  rt::SetDrawArea(kSmoothX, kSmoothY, kSmoothX + kWidth, kSmoothY + kHeight);
  DrawBox(kSmoothX, kSmoothY, kSmoothX + kWidth, kSmoothY + kHeight, GetColor(0x20, 0x30, 0x50), 1);
  rt::DrawStringToHandle(kSmoothX + 4, kSmoothY + 4, kLine, GetColor(255, 0xE0, 0x40), smooth, 0, 0);
  rt::SetDrawArea(0, 0, 800, 600);
  FlipScreen();
  std::vector<uint32_t> shown;
  int width = 0, height = 0;
  const bool read = device->ReadShownFrame(&shown, &width, &height);
  const std::vector<uint8_t> reference = testsupport::MemImgToRgb(column.img);
  const std::vector<uint8_t> smoothReference = testsupport::MemImgToRgb(smoothLine.img);
  EndLibrary();
  rt::ResetDisplayState();
  ASSERT_TRUE(read);
  ASSERT_EQ(width, 800);
  ASSERT_EQ(height, 600);

  EXPECT_TRUE(testing_support::MatchesGolden(GoldenDir(), "mixed_line_12_2",
                                             Crop(shown, width, kLineX, kLineY, kWidth, kHeight), kWidth, kHeight,
                                             kGlTolerance, "mixed_line_12_2.gl"));
  EXPECT_LE(MaxDifference(Crop(shown, width, kColumnX, kColumnY, kHeight, kWidth), reference), kGlTolerance);
  EXPECT_LE(MaxDifference(Crop(shown, width, kSmoothX, kSmoothY, kWidth, kHeight), smoothReference), kGlTolerance);
}

}  // namespace
