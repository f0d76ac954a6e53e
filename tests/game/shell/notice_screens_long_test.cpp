// The ending picture from a cursor of 0; the short program starts one from a left-over
// cursor.
#include <gtest/gtest.h>

#include "tests/game/shell/notice_fixture.h"

namespace {

using shell_test::NoticeTest;

TEST_F(NoticeTest, EndingPictureWaitsForConfirmFromCursorZero) { PlayEndingPicture(0); }

}  // namespace
