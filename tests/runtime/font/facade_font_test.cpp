// Text through the public entry functions on a running software display.
#include <gtest/gtest.h>

#include <string>

#include "platform/glyph_source_fake.h"
#include "runtime/api.h"
#include "runtime/core/screen_log.h"
#include "runtime/font/font.h"
#include "runtime/input/key_input_draw.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::Rgb;
using testing_support::RunningDisplay;

// Installed before the runtime starts (the on-screen log makes its font at start-up).
struct FakeGlyphs {
  FakeGlyphs() { platform::SetGlyphSource(&source); }
  ~FakeGlyphs() { platform::SetGlyphSource(nullptr); }
  platform::FakeGlyphSource source;
};

class FacadeFontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.started());
    rt::ResetDefaultFontSettings();
  }
  void TearDown() override { rt::DeleteAllFonts(); }
  FakeGlyphs glyphs_;
  RunningDisplay display_;
};

TEST_F(FacadeFontTest, StartUpMakesTheScreenLogFontAndTheKeyInputCanvas) {
  const rt::ScreenLogState& log = rt::GetScreenLogState();
  EXPECT_EQ(log.created, 1);
  const rt::FontRecord* font = rt::GetFontRecord(log.font);
  ASSERT_NE(font, nullptr);
  EXPECT_EQ(font->size, 16);
  EXPECT_EQ(font->thickness, 4);
  EXPECT_EQ(font->fontType, rt::kFontTypeEdge);
  EXPECT_NE(rt::GetKeyInputCanvas(), nullptr);
}

TEST_F(FacadeFontTest, DrawStringUsesTheDefaultFontSettings) {
  EXPECT_EQ(SetFontSize(12), 0);
  EXPECT_EQ(SetFontThickness(2), 0);
  const unsigned red = GetColor(255, 0, 0);
  EXPECT_EQ(DrawString(10, 20, "a", red, 0), 0);
  const int font = rt::GetDefaultFontHandle();
  EXPECT_EQ(rt::GetFontSizeToHandle(font), 12);
  EXPECT_EQ(rt::GetFontRecord(font)->thickness, 2);
  // Size 12 in the fake face: a 4 x 10 box one pixel right of the pen and one row down.
  EXPECT_EQ(Rgb(display_.BackPixel(11, 21)), 0xFF0000u);
  EXPECT_EQ(Rgb(display_.BackPixel(14, 30)), 0xFF0000u);
  EXPECT_EQ(Rgb(display_.BackPixel(15, 21)), 0u);
  EXPECT_EQ(Rgb(display_.BackPixel(11, 31)), 0u);
}

TEST_F(FacadeFontTest, DrawFormatStringFormatsBeforeDrawing) {
  const unsigned white = GetColor(255, 255, 255);
  EXPECT_EQ(DrawFormatString(0, 0, white, "%d%s", 42, "x"), 0);
  // Three glyphs of the size-16 fake face, 8 apart.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Rgb(display_.BackPixel(i * 8 + 3, 5)), 0xFFFFFFu) << i;
  EXPECT_EQ(Rgb(display_.BackPixel(3 * 8 + 3, 5)), 0u);
  // Output beyond the buffer is cut, not overrun.
  EXPECT_EQ(DrawFormatString(0, 40, white, "%2000d", 1), 0);
  EXPECT_EQ(DrawFormatString(0, 40, white, nullptr), 0);
}

TEST_F(FacadeFontTest, TextOnTheFrontScreenIsShownAtOnce) {
  ASSERT_EQ(SetDrawScreen(kDrawScreenFront), 0);
  EXPECT_EQ(DrawString(0, 0, "a", GetColor(0, 255, 0), 0), 0);
  EXPECT_EQ(Rgb(display_.FrontPixel(2, 5)), 0x00FF00u);
}

}  // namespace
