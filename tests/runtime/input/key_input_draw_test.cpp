#include "runtime/input/key_input_draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/input/key_input.h"
#include "tests/runtime/input/input_fixture.h"

namespace {

using input_test::InputTest;

// Fonts of size 10 whose characters are 6 pixels per byte; every draw is written down.
class RecordingCanvas final : public rt::KeyInputCanvas {
 public:
  rt::KeyInputArea area{0, 0, 100, 600};
  std::vector<std::string> ops;
  int flag3D = 1;
  int swaps = 0;

  uint32_t Color(int r, int g, int b) override { return uint32_t(r << 16 | g << 8 | b); }
  int FontSize(int) override { return 10; }
  int StringWidth(const char*, int bytes, int) override { return bytes * 6; }
  rt::KeyInputArea DrawArea() override { return area; }
  void DrawBox(int x1, int y1, int x2, int y2, uint32_t color, bool fill) override {
    ops.push_back("box " + std::to_string(x1) + "," + std::to_string(y1) + "," +
                  std::to_string(x2) + "," + std::to_string(y2) + " " + Hex(color) +
                  (fill ? "" : " frame"));
  }
  void DrawString(int x, int y, const char* text, uint32_t color, uint32_t edge, int) override {
    ops.push_back("str " + std::to_string(x) + "," + std::to_string(y) + " " + text + " " +
                  Hex(color) + "/" + Hex(edge));
  }
  int Swap3DFlag(int flag) override {
    ++swaps;
    int old = flag3D;
    flag3D = flag;
    return old;
  }
  static std::string Hex(uint32_t v) {
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%X", v);
    return buffer;
  }
};

class KeyInputDrawTest : public InputTest {
 protected:
  void SetUp() override {
    InputTest::SetUp();
    rt::SetKeyInputCanvas(&canvas_);
    rt::InitCharCodeBuffer();  // colours from the canvas
    unsigned long long colors[rt::kKeyInputColorCount];
    for (int i = 0; i < rt::kKeyInputColorCount; ++i) colors[i] = 0x100 + i;
    rt::SetKeyInputColorsImpl(colors);
    handle_ = rt::MakeKeyInputImpl(40, 0, 0, 0);
    rt::SetActiveKeyInputImpl(handle_);
  }
  void TearDown() override {
    rt::SetKeyInputCanvas(nullptr);
    InputTest::TearDown();
  }
  std::vector<std::string> Draw(int x, int y, int handle = -2) {
    canvas_.ops.clear();
    EXPECT_EQ(rt::DrawKeyInputStringImpl(x, y, handle == -2 ? handle_ : handle), 0);
    return canvas_.ops;
  }

  RecordingCanvas canvas_;
  int handle_ = -1;
};

using Ops = std::vector<std::string>;

TEST_F(KeyInputDrawTest, CursorBoxThenTextIn3DOffState) {
  rt::SetKeyInputStringImpl("abc", handle_);
  EXPECT_EQ(Draw(10, 20), (Ops{"box 28,20,30,30 101", "str 10,20 abc 100/107"}));
  EXPECT_EQ(canvas_.swaps, 2);
  EXPECT_EQ(canvas_.flag3D, 1);  // restored
}

TEST_F(KeyInputDrawTest, TextAndCursorWrapAtTheRightEdge) {
  rt::SetKeyInputStringImpl("abcdefghijklmnopqrst", handle_);  // 120 pixels
  // Line height 10 + 3 * (10 / 10) = 13.
  EXPECT_EQ(Draw(50, 20), (Ops{"box 70,33,72,43 101", "str 50,20 abcdefghijklmnopqrst 100/107",
                               "str -50,33 abcdefghijklmnopqrst 100/107"}));
  // A start beyond the right edge moves back by whole widths, a line down each time.
  EXPECT_EQ(Draw(250, -5)[1], "str 50,26 abcdefghijklmnopqrst 100/107");
}

TEST_F(KeyInputDrawTest, EmptyDrawAreaDrawsNothing) {
  rt::SetKeyInputStringImpl("abc", handle_);
  canvas_.area = {50, 50, 50, 600};
  EXPECT_TRUE(Draw(0, 0).empty());
}

TEST_F(KeyInputDrawTest, CursorBlinksEveryHalfSecond) {
  rt::SetKeyInputCursorBlinkImpl(1);
  EXPECT_EQ(Draw(0, 0).size(), 2u);
  clock_.AdvanceMs(500);
  EXPECT_EQ(Draw(0, 0).size(), 2u);  // not yet more than 500 ms
  clock_.AdvanceMs(1);
  EXPECT_EQ(Draw(0, 0).size(), 1u);  // only the text
  clock_.AdvanceMs(501);
  EXPECT_EQ(Draw(0, 0).size(), 2u);

  // Typing shows the cursor at once.
  clock_.AdvanceMs(501);
  ASSERT_EQ(Draw(0, 0).size(), 1u);
  rt::PushCharCode('x');
  rt::ProcessActiveKeyInput();
  EXPECT_EQ(Draw(0, 0).size(), 2u);

  // Without blinking the cursor always shows.
  rt::SetKeyInputCursorBlinkImpl(0);
  clock_.AdvanceMs(501);
  EXPECT_EQ(Draw(0, 0).size(), 2u);
}

TEST_F(KeyInputDrawTest, CompositionOfTheActiveHandle) {
  rt::SetKeyInputStringImpl("ab", handle_);
  rt::HandleImeMessage(reinterpret_cast<const char*>(u8"かな"), 1);
  // The composition starts at the cursor (x 12): background over its 24 pixels, the text
  // in black edged with the background colour, the caret after one character, one clause
  // underlined from y + h + h/10 to y + h + 2(h/10), inset by 2(h/10).
  EXPECT_EQ(Draw(0, 0), (Ops{"box 12,0,14,10 101", "str 0,0 ab 100/107", "box 12,0,36,10 102",
                             "str 12,0 \x82\xA9\x82\xC8 0/102", "box 24,0,26,10 103",
                             "box 14,11,34,12 104"}));

  int other = rt::MakeKeyInputImpl(10, 0, 0, 0);
  EXPECT_EQ(Draw(0, 0, other).size(), 2u);  // not active: no composition
}

TEST_F(KeyInputDrawTest, InvalidAndEndedHandlesAreRefused) {
  EXPECT_EQ(rt::DrawKeyInputStringImpl(0, 0, -1), -1);
  rt::PushCharCode(rt::kCharEnter);
  rt::ProcessActiveKeyInput();
  EXPECT_EQ(rt::DrawKeyInputStringImpl(0, 0, handle_), -1);
  EXPECT_TRUE(canvas_.ops.empty());
}

}  // namespace
