// What the window's messages do to the software display: painting, a switch of window
// mode after start-up, and a change of the desktop's display mode.
#include <gtest/gtest.h>

#include "runtime/api.h"
#include "runtime/core/window.h"
#include "runtime/display/display_state.h"
#include "runtime/display/draw_state.h"
#include "runtime/image/graph_load.h"
#include "runtime/image/graph_table.h"
#include "tests/support/display_fixture.h"

namespace {

using platform::WindowEventType;
using testing_support::MakePicture;
using testing_support::Rgb;
using testing_support::RunningDisplay;

class WindowEventsTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.started()); }
  platform::RecordingPresenter& presenter() { return display_.runtime().presenter(); }
  void Deliver(WindowEventType type, int a = 0, int b = 0, int c = 0) {
    display_.runtime().windows().Queue(type, a, b, c);
    ProcessMessage();
  }
  RunningDisplay display_;
};

TEST_F(WindowEventsTest, PaintShowsTheBackScreenAgain) {
  DrawBox(0, 0, 800, 600, GetColor(0, 255, 0), 1);
  const int shows = presenter().showCount;
  Deliver(WindowEventType::kPaint);
  EXPECT_EQ(presenter().showCount, shows + 1);
  EXPECT_EQ(presenter().Last().Pixel(400, 300) & 0xFFFFFF, 0x00FF00u);

  // On the front screen the window keeps what it showed.
  SetDrawScreen(kDrawScreenFront);
  DrawBox(0, 0, 10, 10, GetColor(255, 0, 0), 1);
  Deliver(WindowEventType::kPaint);
  EXPECT_EQ(presenter().Last().Pixel(5, 5) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(presenter().Last().Pixel(400, 300) & 0xFFFFFF, 0x00FF00u);
}

TEST_F(WindowEventsTest, WindowModeSwitchAfterStartUpKeepsTheGraphs) {
  const int graph = display_.LoadPicture("g.png", MakePicture(16, 16, 8));
  ASSERT_NE(graph, -1);
  EXPECT_EQ(ChangeWindowMode(0), 0);
  EXPECT_TRUE(display_.runtime().windows().window()->fullScreen);
  EXPECT_NE(rt::GetGraphRecord(graph), nullptr);
  EXPECT_EQ(DrawGraph(0, 0, graph, 0), 0);
  EXPECT_EQ(FlipScreen(), 0);
  EXPECT_EQ(presenter().Last().width, 800);
  EXPECT_EQ(ChangeWindowMode(1), 0);
  EXPECT_EQ(DrawGraph(0, 0, graph, 0), 0);
}

TEST_F(WindowEventsTest, DisplayChangeRebuildsTheScreensAndRefillsGraphs) {
  const int graph = display_.LoadPicture("g.png", MakePicture(16, 16, 8));
  ASSERT_NE(graph, -1);
  rt::FillGraph(graph, 0, 0, 255, 255);
  DrawBox(0, 0, 800, 600, GetColor(0, 255, 0), 1);
  Deliver(WindowEventType::kDisplayChange, 1280, 1024, 32);
  // The screens are new and cleared; the graph came back from its file.
  EXPECT_EQ(Rgb(display_.BackPixel(400, 300)), 0u);
  EXPECT_EQ(rt::GetDrawScreen(), kDrawScreenBack);
  EXPECT_EQ(DrawGraph(0, 0, graph, 0), 0);
  EXPECT_NE(Rgb(display_.BackPixel(0, 0)), 0x0000FFu);
  EXPECT_EQ(FlipScreen(), 0);
}

TEST_F(WindowEventsTest, WindowMoveReappliesTheRequestedDrawArea) {
  SetDrawScreen(kDrawScreenFront);
  rt::SetDrawArea(-20, 10, 900, 50);
  Deliver(WindowEventType::kMove, 30, 40);
  RECT area{};
  rt::GetDrawArea(&area);
  EXPECT_EQ(area.left, 0);
  EXPECT_EQ(area.top, 10);
  EXPECT_EQ(area.right, 800);
  EXPECT_EQ(area.bottom, 50);
  // The software front screen is an image of its own: drawing on it is not moved with the
  // window.
  EXPECT_EQ(rt::GetDrawState().frontClientRect.left, 0);
  EXPECT_EQ(rt::GetDrawState().frontClientRect.top, 0);
}

}  // namespace
