// The software paths of the pixel, box, line and circle draws: where the pixels go and
// what each entry returns.
#include "runtime/softrender/soft_entries.h"

#include <gtest/gtest.h>

#include "runtime/softrender/draw_state.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;

class SoftEntriesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    savedState_ = rt::GetDrawState();
    savedTarget_ = rt::GetDrawTarget();
    savedScreen_ = rt::GetScreenStateRecord();
    ASSERT_EQ(rt::CreateMemImg(screen.get(), 16, 16, 1), 0);
    std::memset(screen->pixels, 0, static_cast<size_t>(screen->pitch) * 16);
    rt::DrawState& s = rt::GetDrawState();
    s.drawArea = RECT{0, 0, 16, 16};
    s.blendMode = 0;
    s.blendParam = 0;
    s.brightColor = 0xFFFFFF;
    s.maskScreenInUse = 0;
    rt::GetDrawTarget() = rt::DrawTarget{screen.get(), 0};
    rt::ScreenState& sc = rt::GetScreenStateRecord();
    sc.pureSoftware = 1;
    sc.directDrawRunning = 0;
    sc.softwareRender = 1;
    sc.screenBits = 32;
  }
  void TearDown() override {
    rt::GetDrawState() = savedState_;
    rt::GetDrawTarget() = savedTarget_;
    rt::GetScreenStateRecord() = savedScreen_;
  }
  int CountDrawn(const rt::MEMIMG& m) {
    int n = 0;
    for (int y = 0; y < m.height; ++y) {
      for (int x = 0; x < m.width; ++x) n += ReadPixel(m, x, y) != 0;
    }
    return n;
  }

  OwnedMemImg screen;
  rt::DrawState savedState_;
  rt::DrawTarget savedTarget_;
  rt::ScreenState savedScreen_;
};

// Each entry once, with arguments that draw on a software screen.
struct EntryCall {
  const char* name;
  int (*call)();
};
const EntryCall kEntries[] = {
    {"pixel", [] { return rt::G_SOFT_DrawPixel(3, 3, 0xFF); }},
    {"box", [] { return rt::G_SOFT_DrawFillBox(1, 1, 4, 4, 0xFF); }},
    {"line", [] { return rt::G_SOFT_DrawLine(0, 5, 6, 5, 0xFF); }},
    {"circle", [] { return rt::G_SOFT_DrawCircle(8, 8, 3, 0xFF, 1); }},
};

TEST_F(SoftEntriesTest, RefusedWhileTheTargetChangesOrNoScreenExists) {
  for (const EntryCall& e : kEntries) {
    rt::GetDrawTarget().drawDisabled = 1;
    EXPECT_EQ(e.call(), -1) << e.name;
    rt::GetDrawTarget().drawDisabled = 0;
    rt::GetScreenStateRecord().pureSoftware = 0;
    EXPECT_EQ(e.call(), -1) << e.name;
    rt::GetScreenStateRecord().pureSoftware = 1;
  }
  EXPECT_EQ(CountDrawn(screen.img), 0);
}

TEST_F(SoftEntriesTest, SoftwareScreensAreDrawnDirectly) {
  for (const EntryCall& e : kEntries) {
    std::memset(screen->pixels, 0, static_cast<size_t>(screen->pitch) * 16);
    EXPECT_EQ(e.call(), 0) << e.name;
    EXPECT_GT(CountDrawn(screen.img), 0) << e.name;
  }
  // Outside the draw area: nothing drawn, still 0.
  std::memset(screen->pixels, 0, static_cast<size_t>(screen->pitch) * 16);
  EXPECT_EQ(rt::G_SOFT_DrawPixel(40, 3, 0xFF), 0);
  EXPECT_EQ(rt::G_SOFT_DrawLine(4, 4, 4, 4, 0xFF), 0);
  EXPECT_EQ(CountDrawn(screen.img), 0);
  // A circle of radius 0 draws its centre.
  EXPECT_EQ(rt::G_SOFT_DrawCircle(2, 2, 0, 0xFF, 0), 0);
  EXPECT_EQ(ReadPixel(screen.img, 2, 2), 0xFFu);
}

TEST_F(SoftEntriesTest, BoxCornersInEitherOrderFillTheSamePixels) {
  EXPECT_EQ(rt::G_SOFT_DrawFillBox(10, 10, 0, 0, 0xFF), 0);
  EXPECT_EQ(CountDrawn(screen.img), 100);
  EXPECT_EQ(ReadPixel(screen.img, 9, 9), 0xFFu);
  EXPECT_EQ(ReadPixel(screen.img, 10, 10), 0u);
}

TEST_F(SoftEntriesTest, MaskDrawingGoesToTheMaskScreen) {
  rt::MEMIMG* mask = rt::GetMaskMemImg();
  ASSERT_EQ(rt::CreateMemImg(mask, 16, 16, 1), 0);
  std::memset(mask->pixels, 0, static_cast<size_t>(mask->pitch) * 16);
  rt::GetDrawState().maskScreenInUse = 1;
  EXPECT_EQ(rt::G_SOFT_DrawPixel(3, 3, 0xFF), 0);
  EXPECT_EQ(ReadPixel(*mask, 3, 3), 0xFFu);
  EXPECT_EQ(CountDrawn(screen.img), 0);
  rt::ReleaseMemImg(mask);
}

TEST_F(SoftEntriesTest, OtherScreensTakeThePreparedPath) {
  // An 8-bit screen, or DirectDraw screens without the software renderer, draw through a
  // prepared copy of the target; without a DirectDraw device none can be prepared.
  const struct {
    const char* what;
    int bits, softwareRender;
  } screens[] = {{"8-bit software screen", 8, 1}, {"DirectDraw screen", 32, 0}};
  for (const auto& s : screens) {
    rt::ScreenState& sc = rt::GetScreenStateRecord();
    sc.screenBits = s.bits;
    sc.softwareRender = s.softwareRender;
    for (const EntryCall& e : kEntries) EXPECT_EQ(e.call(), -1) << s.what << " " << e.name;
    // The early exits come first.
    EXPECT_EQ(rt::G_SOFT_DrawLine(4, 4, 4, 4, 0xFF), 0) << s.what;
    EXPECT_EQ(rt::G_SOFT_DrawCircle(4, 4, 0, 0xFF, 1), 0) << s.what;
  }
  EXPECT_EQ(CountDrawn(screen.img), 0);
}

}  // namespace
