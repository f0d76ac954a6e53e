// The golden-image convention of the tests: a picture is compared byte for byte with the
// expected one kept beside its test. On a mismatch the picture drawn is written into the
// build tree (golden-actual/<name>.actual.png), never beside the expected one. To accept a
// changed picture on purpose, run the test with RT_UPDATE_GOLDEN=1: the expected picture is
// then written anew instead of compared.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// rgb: rows of red, green and blue bytes, width x height pixels. goldenDir: the folder of
// the expected pictures in the source tree. tolerance: the largest difference allowed in any
// channel of any pixel; a picture compared with a tolerance (one drawn by other means than
// the one that made the expected picture) never rewrites it. actualName: the name of the
// picture of a failed comparison, when several draws are compared with one expected picture.
// maxDiffering: how many pixels may lie beyond the tolerance (edges rasterised by other
// means than the expected picture's).
::testing::AssertionResult MatchesGolden(const std::string& goldenDir, const std::string& name,
                                         const std::vector<uint8_t>& rgb, int width, int height,
                                         int tolerance = 0, const std::string& actualName = "",
                                         int maxDiffering = 0);

// True while the expected pictures are being rewritten on purpose.
bool UpdatingGoldens();

// Where the picture of a failed comparison goes.
std::string GoldenActualPath(const std::string& name);

}  // namespace testing_support
