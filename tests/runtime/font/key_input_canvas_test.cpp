#include "runtime/font/key_input_canvas.h"

#include <gtest/gtest.h>

#include "runtime/font/font.h"
#include "runtime/image/graph_table.h"
#include "runtime/input/key_input.h"
#include "runtime/input/key_input_draw.h"
#include "tests/runtime/font/font_fixture.h"
#include "tests/support/memimg_fixture.h"

namespace {

using testsupport::OwnedMemImg;
using testsupport::ReadPixel;

class KeyInputCanvasTest : public font_testing::FontTest {
 protected:
  void SetUp() override {
    FontTest::SetUp();
    rt::InstallKeyInputCanvas();
    ASSERT_EQ(rt::InitMemImg(target_.get(), 64, 32, -1, 0, rt::kMemImgKindXRGB, 0, 0, 0), 0);
    rt::FillMemImg(target_.get(), nullptr, 0xFF000000);
    rt::GetDrawTarget().targetMemImg = target_.get();
  }
  void TearDown() override {
    rt::DeleteAllKeyInputs();
    rt::SetKeyInputCanvas(nullptr);
    rt::GetDrawTarget().targetMemImg = nullptr;
    FontTest::TearDown();
  }
  OwnedMemImg target_;
};

TEST_F(KeyInputCanvasTest, KeyInputStringsDrawInTheDefaultFont) {
  rt::KeyInputCanvas* canvas = rt::GetKeyInputCanvas();
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->FontSize(-1), 16);
  EXPECT_EQ(canvas->StringWidth("a\x82\xa0" "b", 3, -1), 24);
  EXPECT_EQ(canvas->Color(255, 0, 0), 0xFFFF0000u);

  rt::KeyInputState& s = rt::GetKeyInputState();
  s.colors[rt::kColorText] = 0xFFFF0000;
  s.colors[rt::kColorCursor] = 0xFF00FF00;
  const int handle = rt::MakeKeyInputImpl(20, 1, 0, 0);
  ASSERT_NE(handle, -1);
  ASSERT_EQ(rt::SetKeyInputStringImpl("ab", handle), 0);
  rt::GetGraphManager().settings.use3D = 1;
  EXPECT_EQ(rt::DrawKeyInputStringImpl(0, 0, handle), 0);
  EXPECT_EQ(ReadPixel(target_.img, 2, 5), 0xFFFF0000u);   // "a"
  EXPECT_EQ(ReadPixel(target_.img, 10, 5), 0xFFFF0000u);  // "b"
  EXPECT_EQ(ReadPixel(target_.img, 16, 5), 0xFF00FF00u);  // the cursor after them
  EXPECT_EQ(ReadPixel(target_.img, 30, 5), 0xFF000000u);
  EXPECT_EQ(rt::GetGraphManager().settings.use3D, 1);
}

}  // namespace
