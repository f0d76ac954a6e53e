// A pure software screen without a window, fonts drawn from the fake glyph source, and a
// log file to read back.
#pragma once
#include <gtest/gtest.h>

#include <string>

#include "platform/glyph_source_fake.h"
#include "runtime/core/log.h"
#include "runtime/display/display_state.h"
#include "runtime/font/font.h"
#include "runtime/image/color_format.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/temp_dir.h"

namespace font_testing {

constexpr int kScreenWidth = 320;
constexpr int kScreenHeight = 240;

class FontTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path());
    rt::LogStart();
    platform::SetGlyphSource(&source_);
    rt::ResetDisplayState();
    rt::ScreenState& screen = rt::GetScreenStateRecord();
    screen.pureSoftware = 1;
    screen.softwareRender = 1;
    screen.screenBits = 32;
    screen.requestedBits = 32;
    screen.screenWidth = kScreenWidth;
    screen.screenHeight = kScreenHeight;
    rt::SetColorFormatFromMasksImpl(&rt::GetOutputSurfaces().screenColorFormat, 32, 0xFF0000, 0xFF00, 0xFF, 0);
    rt::GetDrawState().drawArea = RECT{0, 0, kScreenWidth, kScreenHeight};
    rt::GetFontState() = rt::FontState{};
    rt::ResetDefaultFontSettings();
  }

  void TearDown() override {
    rt::DeleteAllFonts();
    rt::GetFontState() = rt::FontState{};
    rt::DeleteAllSurface2D();
    rt::ClearSurfaceDataTable();
    rt::ResetDisplayState();
    platform::SetGlyphSource(nullptr);
    rt::GetLogState() = rt::LogState{};
  }

  std::string Log() const { return testing_support::ReadFileBytes(dir_.File("Log.txt")); }

  testing_support::ScopedTempDir dir_;
  platform::FakeGlyphSource source_;
};

}  // namespace font_testing
