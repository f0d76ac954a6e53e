#include "runtime/image/graph_table.h"

#include <gtest/gtest.h>

#include <cstring>
#include <cstdlib>
#include <string>

#include "runtime/api.h"
#include "runtime/core/log.h"
#include "runtime/file/stream.h"
#include "tests/support/temp_dir.h"

namespace {

using testing_support::ReadFileBytes;
using testing_support::ScopedTempDir;

struct FakeDevice {
  int depth = 0;
  int width = 0, height = 0;
  int d3d = 0, software = 0, ddraw = 0, ddrawObject = 0, device3D = 0;
  int softwareRequest = -1;
  int blendGraph = -1;
  int makeResult = 0;
  int transfers2D = 0, transfers3D = 0;
};
FakeDevice g_fake;

class GraphTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::GetLogState() = rt::LogState{};
    rt::SetLogDirectory(dir_.path());
    rt::LogStart();
    rt::ResetGraphManager();
    g_fake = FakeDevice{};
    rt::GraphDeviceHooks& h = rt::GetGraphDeviceHooks();
    h = rt::GraphDeviceHooks{};
    h.screenColorDepth = [] { return g_fake.depth; };
    h.screenSize = [](int* w, int* hh) { *w = g_fake.width, *hh = g_fake.height; };
    h.direct3DInUse = [] { return g_fake.d3d; };
    h.softwareRenderer = [] { return g_fake.software; };
    h.directDrawInUse = [] { return g_fake.ddraw; };
    h.directDrawObjectExists = [] { return g_fake.ddrawObject; };
    h.current3DDeviceExists = [] { return g_fake.device3D; };
    h.setSoftwareRenderRequest = [](int flag) { g_fake.softwareRequest = flag; };
    h.blendGraphHandle = [] { return g_fake.blendGraph; };
    h.makeGraphTextures = [](rt::GraphRecord*) { return g_fake.makeResult; };
    h.makeGraphSurface2D = [](rt::GraphRecord*) { return g_fake.makeResult; };
    h.bltImageToGraphSurface2D = [](const rt::ColorFormat*, const rt::DIBSection*, const rt::DIBSection*,
                                    const RECT*, int, int, rt::GraphRecord*, int, const rt::GraphImage*,
                                    const rt::GraphImage*) { return ++g_fake.transfers2D, 0; };
    h.bltImageToGraphTextures = [](const rt::ColorFormat*, const rt::DIBSection*, const rt::DIBSection*,
                                   const RECT*, int, int, rt::GraphRecord*, int, const rt::GraphImage*,
                                   const rt::GraphImage*) { return ++g_fake.transfers3D, 0; };
  }
  void TearDown() override {
    rt::ResetGraphManager();
    rt::GetGraphDeviceHooks() = rt::GraphDeviceHooks{};
    rt::GetLogState() = rt::LogState{};
  }
  std::string Log() { return ReadFileBytes(dir_.File("Log.txt")); }
  rt::HandleTable<rt::GraphRecord>& Table() { return rt::GetGraphManager().table; }

  ScopedTempDir dir_;
};

TEST_F(GraphTableTest, AddGraphDataFillsTheRecord) {
  rt::GraphRecord* record = nullptr;
  const int h = rt::AddGraphData(30, 20, 0, &record, 0, 0);
  ASSERT_EQ(rt::GetGraphRecord(h), record);
  EXPECT_EQ(h & 0x78000000, 0x08000000);
  EXPECT_EQ(rt::GetGraphRecordHandle(record), h);
  EXPECT_EQ(record->width, 30);
  EXPECT_EQ(record->height, 20);
  EXPECT_EQ(record->movieHandle, -1);
  EXPECT_EQ(record->deletedFlag, nullptr);
  EXPECT_STREQ(record->name, "");
  EXPECT_EQ(record->create.alphaTest, 1);
  EXPECT_EQ(record->create.colorBitDepth, 16);  // screen depth unknown
}

TEST_F(GraphTableTest, SlotChoiceAndStaleHandles) {
  const int g1 = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  const int g2 = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  const int g3 = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  EXPECT_EQ(rt::RemoveGraphData(g2), 0);
  const int g4 = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  EXPECT_EQ(rt::HandleSlot(g4), 3);
  rt::RemoveGraphData(g3);
  rt::RemoveGraphData(g4);
  EXPECT_EQ(Table().highWaterMark(), 1);
  const int g5 = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  EXPECT_EQ(rt::HandleSlot(g5), 1);
  EXPECT_EQ(rt::GetGraphRecord(g2), nullptr);  // slot 1 was reused
  EXPECT_EQ(rt::RemoveGraphData(g2), -1);
  EXPECT_NE(rt::GetGraphRecord(g1), nullptr);
}

TEST_F(GraphTableTest, FullTableEndsTheProgram) {
  for (int i = 0; i < rt::kGraphSlots; ++i) rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  EXPECT_EQ(Table().count(), rt::kGraphSlots);
  EXPECT_EXIT(
      {
        rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
        std::exit(0);
      },
      ::testing::ExitedWithCode(255), "");
  EXPECT_NE(Log().find("グラフィックの数が許容量を越えました終了します"), std::string::npos);
  // With the mark at the end, a freed slot is found from 0.
  rt::RemoveGraphData(Table().HandleAt(5));
  EXPECT_EQ(rt::HandleSlot(rt::AddGraphData(1, 1, 0, nullptr, 0, 0)), 5);
}

TEST_F(GraphTableTest, FailedMakeGraphLeavesNoRecord) {
  rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  g_fake.makeResult = -1;
  EXPECT_EQ(rt::MakeGraph(8, 8, 0, 0, 0), -1);
  EXPECT_EQ(Table().count(), 1);
  EXPECT_EQ(Table().highWaterMark(), 1);
  EXPECT_NE(Log().find("グラフィックの作成に失敗しました"), std::string::npos);

  // No surface layer installed at all: refused the same way.
  rt::GetGraphDeviceHooks().makeGraphSurface2D = nullptr;
  EXPECT_EQ(rt::MakeGraph(8, 8, 0, 0, 0), -1);
  EXPECT_EQ(Table().count(), 1);

  g_fake.makeResult = 0;
  rt::GetGraphDeviceHooks().makeGraphSurface2D = [](rt::GraphRecord*) { return 0; };
  const int h = rt::MakeGraph(8, 8, 0, 0, 0);
  EXPECT_NE(rt::GetGraphRecord(h), nullptr);
  EXPECT_EQ(Table().count(), 2);
}

TEST_F(GraphTableTest, CreationBytes) {
  struct Case {
    const char* what;
    int d3d, software, ddraw, depthSetting, screenDepth, drawValid, drawValidAlpha;
    int use3DRequest, alpha, palette;
    int use3D, alphaChannel, drawValidByte, alphaTest, depth, paletteByte;
  };
  const Case cases[] = {
      {"2D on an unknown screen", 0, 1, 0, 0, 0, 0, 0, 1, 0, 1, 0, 0, 0, 1, 16, 1},
      {"2D takes the screen depth", 0, 1, 0, 24, 32, 0, 0, 0, 1, 0, 0, 1, 0, 1, 32, 0},
      {"2D with DirectDraw takes the setting", 0, 0, 1, 24, 32, 0, 0, 0, 0, 0, 0, 0, 0, 1, 24, 0},
      {"3D refused by the software renderer", 1, 1, 1, 0, 32, 0, 0, 1, 0, 0, 0, 0, 0, 1, 32, 0},
      {"3D with alpha is 32-bit", 1, 0, 1, 0, 16, 0, 0, 1, 1, 1, 1, 1, 0, 1, 32, 0},
      {"3D without alpha takes the screen", 1, 0, 1, 0, 16, 0, 0, 1, 0, 1, 1, 0, 0, 1, 16, 0},
      {"3D takes the setting", 1, 0, 1, 24, 16, 0, 0, 1, 1, 1, 1, 1, 0, 1, 24, 0},
      {"draw-valid graphs", 0, 1, 0, 0, 32, 1, 1, 0, 0, 1, 0, 1, 1, 0, 32, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    g_fake.d3d = c.d3d, g_fake.software = c.software, g_fake.ddraw = c.ddraw, g_fake.depth = c.screenDepth;
    rt::GraphSettings& s = rt::GetGraphManager().settings;
    s.colorBitDepth = c.depthSetting;
    s.drawValidCreate = c.drawValid;
    s.drawValidAlpha = c.drawValidAlpha;
    rt::GraphRecord* r = nullptr;
    rt::AddGraphData(4, 4, c.use3DRequest, &r, c.alpha, c.palette);
    EXPECT_EQ(r->create.use3D, c.use3D);
    EXPECT_EQ(r->create.alphaChannel, c.alphaChannel);
    EXPECT_EQ(r->create.drawValid, c.drawValidByte);
    EXPECT_EQ(r->create.alphaTest, c.alphaTest);
    EXPECT_EQ(r->create.colorBitDepth, c.depth);
    EXPECT_EQ(r->create.palette, c.paletteByte);
  }
}

// The record holds 64 and 256 bytes: longer names are not copied, and a cut name would
// point the restore at another file, so the graph keeps none.
TEST_F(GraphTableTest, NamesAreBounded) {
  const int h = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  rt::GraphRecord* r = rt::GetGraphRecord(h);
  char cwd[rt::kStreamPathSize] = {};
  rt::StreamGetCurrentDir(cwd);
  ASSERT_LT(std::strlen(cwd), sizeof r->directory);

  EXPECT_EQ(rt::SetGraphName(h, "gsx/enemy_01.png"), 0);
  EXPECT_STREQ(r->name, "gsx/enemy_01.png");
  EXPECT_STREQ(r->directory, cwd);

  const std::string longest(63, 'a');
  rt::SetGraphName(h, longest.c_str());
  EXPECT_EQ(r->name, longest);

  const std::string tooLong(64, 'b');
  rt::SetGraphName(h, tooLong.c_str());
  EXPECT_STREQ(r->name, "");
  EXPECT_STREQ(r->directory, "");

  rt::SetGraphName(h, "x.bmp");
  rt::SetGraphName(h, nullptr);
  EXPECT_STREQ(r->name, "");
  EXPECT_EQ(rt::SetGraphName(-1, "x"), -1);
}

TEST_F(GraphTableTest, BltImageToGraphRecordsTheSource) {
  g_fake.d3d = 1;
  const int h2 = rt::AddGraphData(16, 16, 0, nullptr, 0, 0);
  const int h3 = rt::AddGraphData(16, 16, 1, nullptr, 0, 0);
  const RECT src{3, 4, 10, 12};
  EXPECT_EQ(rt::BltImageToGraph(nullptr, nullptr, nullptr, "a.png", 0, nullptr, nullptr, &src, 0, 0, h2, 0), 0);
  EXPECT_EQ(rt::BltImageToGraph(nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &src, 0, 0, h3, 5), 0);
  EXPECT_EQ(g_fake.transfers2D, 1);
  EXPECT_EQ(g_fake.transfers3D, 1);
  const rt::GraphRecord* r = rt::GetGraphRecord(h3);
  EXPECT_EQ(r->offsetX, 3);
  EXPECT_EQ(r->offsetY, 4);
  EXPECT_EQ(r->transferOption, 5u);
  EXPECT_STREQ(rt::GetGraphRecord(h2)->name, "a.png");
  EXPECT_EQ(rt::BltImageToGraph(nullptr, nullptr, nullptr, nullptr, 0, nullptr, nullptr, &src, 0, 0, -1, 0), -1);
}

TEST_F(GraphTableTest, GraphSize) {
  int w = 0, h = 0;
  EXPECT_EQ(rt::GetGraphSize(rt::kBackScreen, &w, &h), 0);
  EXPECT_EQ(w, 640);
  EXPECT_EQ(h, 480);
  g_fake.width = 800, g_fake.height = 600;
  rt::GetGraphSize(rt::kFrontScreen, &w, &h);
  EXPECT_EQ(w, 800);
  EXPECT_EQ(h, 600);
  const int g = rt::AddGraphData(7, 9, 0, nullptr, 0, 0);
  EXPECT_EQ(rt::GetGraphSize(g, &w, nullptr), 0);
  EXPECT_EQ(w, 7);
  EXPECT_EQ(rt::GetGraphSize(g, nullptr, &h), 0);
  EXPECT_EQ(h, 9);
  EXPECT_EQ(rt::GetGraphSize(-3, &w, &h), -1);
}

TEST_F(GraphTableTest, DeleteFlag) {
  const int g = rt::AddGraphData(1, 1, 0, nullptr, 0, 0);
  int flag = -5;
  EXPECT_EQ(rt::SetGraphDeleteFlag(g, &flag), 0);
  EXPECT_EQ(flag, 0);
  rt::RemoveGraphData(g);
  EXPECT_EQ(flag, 1);
  EXPECT_EQ(rt::SetGraphDeleteFlag(g, &flag), -1);
}

TEST_F(GraphTableTest, BlendGraphSize) {
  rt::GraphRecord* small = nullptr;
  rt::AddGraphData(10, 10, 0, &small, 0, 0);
  rt::GraphRecord* big = nullptr;
  const int blend = rt::AddGraphData(20, 10, 0, &big, 0, 0);
  EXPECT_EQ(rt::CheckBlendGraphSize(small), -1);  // no blend graph
  g_fake.blendGraph = blend;
  EXPECT_EQ(rt::CheckBlendGraphSize(small), 0);
  EXPECT_EQ(rt::CheckBlendGraphSize(big), 0);
  big->height = 9;
  EXPECT_EQ(rt::CheckBlendGraphSize(small), -1);
}

TEST_F(GraphTableTest, Settings) {
  EXPECT_EQ(rt::IsGraph3DAvailable(), 0);
  g_fake.d3d = 1, g_fake.device3D = 1;
  EXPECT_EQ(rt::IsGraph3DAvailable(), 1);
  g_fake.software = 1;
  EXPECT_EQ(rt::IsGraph3DAvailable(), 0);

  rt::SetUse3DFlag(0);
  EXPECT_EQ(g_fake.softwareRequest, 1);
  EXPECT_EQ(rt::GetGraphManager().settings.use3D, 0);
  g_fake.ddrawObject = 1;
  g_fake.softwareRequest = -1;
  rt::SetUse3DFlag(1);
  EXPECT_EQ(g_fake.softwareRequest, -1);

  struct Case {
    int ddraw, flag, mem, soft;
  };
  const Case cases[] = {{0, 0, 0, 1}, {0, 1, 1, 0}, {0, 2, 2, 1}, {1, 0, 1, 1}, {1, 1, 1, 1}};
  for (const Case& c : cases) {
    g_fake.ddraw = c.ddraw;
    rt::SetGraphMemImageFlag(c.flag);
    EXPECT_EQ(rt::GetGraphManager().settings.systemMemoryImage, c.mem);
    rt::SetGraphSoftImageFlag(c.flag);
    EXPECT_EQ(rt::GetGraphManager().settings.systemMemoryImage, c.soft);
  }
  EXPECT_EQ(rt::GetGraphConvertOption(), 0);
  EXPECT_EQ(rt::IsGraphRestoreCallbackSet(), 0);
}

TEST(RectTest, ClipRectTable) {
  const RECT clip{10, 20, 110, 220};
  struct Case {
    const char* what;
    RECT in, out;
  };
  const Case cases[] = {
      {"inside", {20, 30, 40, 50}, {20, 30, 40, 50}},
      {"overlapping the corner", {0, 0, 50, 60}, {10, 20, 50, 60}},
      {"wholly left", {-50, 30, -10, 50}, {10, 30, 10, 50}},
      {"wholly below", {20, 300, 40, 400}, {20, 220, 40, 220}},
      {"inverted", {40, 50, 20, 30}, {40, 50, 40, 50}},
      {"covering", {-5, -5, 500, 500}, {10, 20, 110, 220}},
  };
  for (const Case& c : cases) {
    RECT r = c.in;
    EXPECT_EQ(ClipRect(&r, &clip), 0);
    EXPECT_EQ(r.left, c.out.left) << c.what;
    EXPECT_EQ(r.top, c.out.top) << c.what;
    EXPECT_EQ(r.right, c.out.right) << c.what;
    EXPECT_EQ(r.bottom, c.out.bottom) << c.what;
  }
}

TEST(RectTest, NormalizeAndSize) {
  RECT r{10, 40, 2, 5};
  rt::NormalizeRect(&r);
  EXPECT_EQ(r.left, 2);
  EXPECT_EQ(r.top, 5);
  EXPECT_EQ(r.right, 10);
  EXPECT_EQ(r.bottom, 40);
  int w = 0, h = 0;
  rt::GetRectSize(&r, &w, &h);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 35);
  EXPECT_EQ(rt::GetRectSize(&r, nullptr, nullptr), 0);
}

}  // namespace
