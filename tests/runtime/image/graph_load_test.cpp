#include "runtime/image/graph_load.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "runtime/api.h"
#include "runtime/display/display_state.h"
#include "runtime/image/graph_table.h"
#include "runtime/image/graphics_startup.h"
#include "runtime/image/surface_2d.h"
#include "runtime/image/surface_data.h"
#include "tests/support/display_fixture.h"

namespace {

using testing_support::BmpOptions;
using testing_support::MakeBmp;
using testing_support::MakePicture;
using testing_support::MakePng;
using testing_support::Picture;
using testing_support::PngOptions;
using testing_support::Rgb;
using testing_support::Rgba;
using testing_support::RunningDisplay;
using testing_support::WriteFileBytes;

// The store of a graph's first 2D surface, and where the graph lies in it.
struct Store {
  const rt::Surface2D* surface = nullptr;
  rt::SurfaceData* data = nullptr;
};

Store StoreOf(int graph) {
  Store s;
  const rt::GraphRecord* record = rt::GetGraphRecord(graph);
  if (!record || record->surfaceCount < 1) return s;
  s.surface = rt::GetSurface2D(static_cast<int>(record->surfaceHandles[0]));
  if (s.surface) s.data = rt::GetSurfaceData(s.surface->surfaceData);
  return s;
}

uint32_t StorePixel(const rt::MEMIMG& image, int x, int y) {
  const int bytes = rt::MemImgBytesPerPixel(image.kind, image.paletteFlag, image.alphaFlag);
  uint32_t v = 0;
  std::memcpy(&v, image.pixels + int64_t{y} * image.pitch + int64_t{x} * bytes, bytes);
  return v;
}

// The picture's pixel as a 32-bit store holds it (the fourth byte set).
uint32_t Xrgb(Rgba c) { return 0xFF000000u | uint32_t{c.r} << 16 | uint32_t{c.g} << 8 | c.b; }

// Distinct colours, none of them black.
Picture Colourful(int width, int height) {
  Picture p;
  p.width = width;
  p.height = height;
  p.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) p.At(x, y) = Rgba{uint8_t(10 + x * 7), uint8_t(20 + y * 9), 99, 255};
  }
  return p;
}

class GraphLoadTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.started()); }
  std::string Log() { return display_.runtime().Log(); }
  std::string File(const std::string& name) { return display_.runtime().dir().File(name); }
  RunningDisplay display_;
};

TEST_F(GraphLoadTest, LoadedGraphHoldsTheImageAndItsName) {
  const Picture picture = Colourful(20, 10);
  const int graph = display_.LoadPicture("plain.png", picture);
  ASSERT_NE(graph, -1);
  int w = 0, h = 0;
  EXPECT_EQ(rt::GetGraphSize(graph, &w, &h), 0);
  EXPECT_EQ(w, 20);
  EXPECT_EQ(h, 10);
  EXPECT_STREQ(rt::GetGraphRecord(graph)->name, "plain.png");
  const Store s = StoreOf(graph);
  ASSERT_NE(s.data, nullptr);
  EXPECT_EQ(s.data->software, 1);
  EXPECT_EQ(s.data->image.alphaFlag, 0);
  EXPECT_EQ(StorePixel(s.data->image, 13, 7), Xrgb(picture.At(13, 7)));
}

TEST_F(GraphLoadTest, AlphaSiblingGivesTheGraphAnAlphaChannel) {
  const Picture picture = Colourful(8, 8);
  Picture alpha = picture;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) alpha.At(x, y) = Rgba{uint8_t(x * 30), uint8_t(x * 30), uint8_t(x * 30), 255};
  }
  WriteFileBytes(File("s_a.png"), MakePng(alpha));
  const int graph = display_.LoadPicture("s.png", picture);
  ASSERT_NE(graph, -1);
  EXPECT_EQ(rt::GetGraphRecord(graph)->create.alphaChannel, 1);
  const Store s = StoreOf(graph);
  ASSERT_NE(s.data, nullptr);
  EXPECT_EQ(s.data->image.alphaFlag, 1);
  EXPECT_EQ(StorePixel(s.data->image, 3, 0) >> 24, 90u);
}

TEST_F(GraphLoadTest, MissingAndUnreadableFilesAreLoggedAndRefused) {
  EXPECT_EQ(LoadGraph("nothing.png"), -1);
  EXPECT_NE(Log().find("グラフィックファイル nothing.png がありません"), std::string::npos) << Log();
  WriteFileBytes(File("text.png"), "this is no picture at all");
  EXPECT_EQ(LoadGraph("text.png"), -1);
  EXPECT_NE(Log().find("右記のグラフィックファイルのロードに失敗しました：text.png"), std::string::npos);
  WriteFileBytes(File("short.png"), MakePng(Colourful(16, 16)).substr(0, 60));
  EXPECT_EQ(LoadGraph("short.png"), -1);
}

TEST_F(GraphLoadTest, DerivedGraphSharesThePixelsAndIsCutAtTheEdge) {
  const Picture picture = Colourful(20, 10);
  const int parent = display_.LoadPicture("p.png", picture);
  const int child = rt::DeriveGraph(15, 4, 10, 3, parent);
  ASSERT_NE(child, -1);
  int w = 0, h = 0;
  rt::GetGraphSize(child, &w, &h);
  EXPECT_EQ(w, 5);
  EXPECT_EQ(h, 3);
  const rt::GraphRecord* record = rt::GetGraphRecord(child);
  EXPECT_STREQ(record->name, "p.png");
  EXPECT_EQ(record->offsetX, 15);
  EXPECT_EQ(record->offsetY, 4);
  EXPECT_EQ(StoreOf(child).data, StoreOf(parent).data);

  // Drawn, the child shows its rectangle of the parent.
  EXPECT_EQ(DrawGraph(100, 100, child, 0), 0);
  EXPECT_EQ(display_.BackPixel(100, 100), Xrgb(picture.At(15, 4)));
  EXPECT_EQ(display_.BackPixel(104, 102), Xrgb(picture.At(19, 6)));

  // A graph derived from the child lies inside the child's rectangle.
  const int grandchild = rt::DeriveGraph(1, 1, 2, 2, child);
  ASSERT_NE(grandchild, -1);
  EXPECT_EQ(DrawGraph(200, 200, grandchild, 0), 0);
  EXPECT_EQ(display_.BackPixel(200, 200), Xrgb(picture.At(16, 5)));
  EXPECT_EQ(display_.BackPixel(201, 201), Xrgb(picture.At(17, 6)));

  // Deleting the parent first leaves the children's pixels alive.
  EXPECT_EQ(DeleteGraph(parent), 0);
  EXPECT_EQ(DrawGraph(300, 300, child, 0), 0);
  EXPECT_EQ(display_.BackPixel(300, 300), Xrgb(picture.At(15, 4)));
}

struct DeriveCase {
  int x, y, w, h;
};

TEST_F(GraphLoadTest, DeriveGraphRefusesRectanglesOutsideOrEmpty) {
  const int parent = display_.LoadPicture("p.png", Colourful(20, 10));
  const int count = rt::GetGraphManager().table.count();
  const DeriveCase refused[] = {{20, 0, 1, 1}, {0, 10, 1, 1},  {25, 0, 1, 1}, {-1, 0, 5, 5},
                                {0, -3, 5, 5}, {2, 2, 0, 4},  {2, 2, 4, 0},  {2, 2, -4, 3}};
  for (const DeriveCase& c : refused) {
    EXPECT_EQ(rt::DeriveGraph(c.x, c.y, c.w, c.h, parent), -1) << c.x << "," << c.y << "," << c.w << "," << c.h;
  }
  EXPECT_EQ(rt::GetGraphManager().table.count(), count);
  EXPECT_EQ(rt::DeriveGraph(0, 0, 1, 1, 0x08007777), -1);
}

TEST_F(GraphLoadTest, FillGraphFillsASoftwareStoreAndOnlyTheGraphsRectangle) {
  const Picture picture = Colourful(20, 10);
  const int parent = display_.LoadPicture("p.png", picture);
  const int child = rt::DeriveGraph(5, 2, 4, 3, parent);
  EXPECT_EQ(rt::FillGraph(child, 255, 0, 0, 255), 0);
  const rt::MEMIMG& image = StoreOf(parent).data->image;
  EXPECT_EQ(StorePixel(image, 5, 2), 0xFFFF0000u);
  EXPECT_EQ(StorePixel(image, 8, 4), 0xFFFF0000u);
  EXPECT_EQ(StorePixel(image, 9, 4), Xrgb(picture.At(9, 4)));
  EXPECT_EQ(StorePixel(image, 4, 2), Xrgb(picture.At(4, 2)));
  EXPECT_EQ(rt::FillGraph(parent, 0, 0, 255, 255), 0);
  EXPECT_EQ(StorePixel(image, 19, 9), 0xFF0000FFu);
  EXPECT_EQ(rt::FillGraph(0x08007777, 0, 0, 0, 0), -1);
}

// A 16 x 16 palette image whose 256 colours are all far from black; its pixels use the
// indices 0 .. usedIndices - 1.
struct PaletteImage {
  rt::GraphImage image{};
  explicit PaletteImage(int usedIndices) {
    rt::SetColorFormatPal8(&image.format);
    for (int i = 0; i < 256; ++i) {
      image.format.palette[i][0] = static_cast<uint8_t>(i);        // blue
      image.format.palette[i][1] = static_cast<uint8_t>(255 - i);  // green
      image.format.palette[i][2] = 64;                              // red
    }
    image.width = image.height = image.pitch = 16;
    image.pixels = static_cast<uint8_t*>(std::malloc(256));
    for (int i = 0; i < 256; ++i) image.pixels[i] = static_cast<uint8_t>(i % usedIndices);
  }
  ~PaletteImage() { std::free(image.pixels); }
  uint32_t Colour(int x, int y) const {
    const uint8_t* e = image.format.palette[image.pixels[y * 16 + x]];
    return uint32_t{e[2]} << 16 | uint32_t{e[1]} << 8 | e[0];
  }
};

TEST_F(GraphLoadTest, PaletteWithoutTheTransparentColourKeepsEveryPixel) {
  // 16 indices used: a free index stands for the transparent colour. 256 used: no index is
  // free, and the graph keeps its colours without a palette.
  for (const int used : {16, 256}) {
    PaletteImage palette(used);
    const int graph = rt::CreateGraphFromGraphImage(&palette.image);
    ASSERT_NE(graph, -1);
    EXPECT_EQ(StoreOf(graph).data->image.paletteFlag, used == 16 ? 1 : 0);
    DrawBox(0, 0, 800, 600, GetColor(0, 0, 0), 1);
    EXPECT_EQ(DrawGraph(0, 0, graph, 1), 0);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) ASSERT_EQ(Rgb(display_.BackPixel(x, y)), palette.Colour(x, y)) << used << ": " << x;
    }
    DeleteGraph(graph);
  }
}

TEST_F(GraphLoadTest, PaletteWithTheTransparentColourSkipsIt) {
  Picture picture = MakePicture(16, 4, 16);
  for (Rgba& c : picture.pixels) c.g |= 0x10;
  picture.At(3, 1) = Rgba{0, 0, 0, 255};
  BmpOptions options;
  options.bitCount = 8;
  WriteFileBytes(File("pal.bmp"), MakeBmp(picture, options));
  const int graph = LoadGraph("pal.bmp");
  ASSERT_NE(graph, -1);
  DrawBox(0, 0, 800, 600, GetColor(255, 255, 255), 1);
  EXPECT_EQ(DrawGraph(0, 0, graph, 1), 0);
  EXPECT_EQ(Rgb(display_.BackPixel(3, 1)), 0xFFFFFFu);
  EXPECT_EQ(display_.BackPixel(4, 1), Xrgb(picture.At(4, 1)) & 0xFFFFFF);
}

TEST_F(GraphLoadTest, DeleteGraphOnceAndDeleteAllLowersTheMark) {
  // Surfaces that belong to no graph (the font layer's) stay.
  const int surfaces = rt::GetSurface2DTable().count();
  const int stores = rt::GetSurfaceDataTable().count();
  const int graph = display_.LoadPicture("p.png", Colourful(4, 4));
  EXPECT_EQ(DeleteGraph(graph), 0);
  EXPECT_EQ(DeleteGraph(graph), -1);

  rt::HandleTable<rt::GraphRecord>& table = rt::GetGraphManager().table;
  const int start = table.highWaterMark();
  int handles[10];
  for (int& h : handles) h = rt::MakeGraph(4, 4, 0, 0, 0);
  for (int i = 0; i < 10; ++i) {
    if (i != 0 && i != 5 && i != 9) DeleteGraph(handles[i]);
  }
  EXPECT_EQ(table.highWaterMark(), start + 10);
  int deleted = 0;
  rt::SetGraphDeleteFlag(handles[5], &deleted);
  rt::DeleteAllGraph(1);
  EXPECT_EQ(table.highWaterMark(), 0);
  EXPECT_EQ(table.count(), 0);
  EXPECT_EQ(deleted, 1);
  EXPECT_NE(Log().find("グラフィック  の削除"), std::string::npos);
  EXPECT_EQ(rt::GetSurface2DTable().count(), surfaces);
  EXPECT_EQ(rt::GetSurfaceDataTable().count(), stores);
}

TEST_F(GraphLoadTest, RestoreRefillsGraphsFromTheirFiles) {
  const Picture picture = Colourful(20, 10);
  const int loaded = display_.LoadPicture("p.png", picture);
  const int derived = rt::DeriveGraph(6, 3, 4, 4, loaded);
  const int made = rt::MakeGraph(8, 8, 0, 0, 0);
  rt::FillGraph(loaded, 0, 255, 0, 255);
  rt::FillGraph(made, 0, 255, 0, 255);

  rt::RestoreGraphs();
  const rt::MEMIMG& image = StoreOf(loaded).data->image;
  EXPECT_EQ(StorePixel(image, 0, 0), Xrgb(picture.At(0, 0)));
  EXPECT_EQ(StorePixel(image, 7, 4), Xrgb(picture.At(7, 4)));
  EXPECT_EQ(rt::GetGraphRecord(loaded)->lost, 0);
  EXPECT_EQ(rt::GetGraphRecord(derived)->lost, 0);
  // A graph made in memory has no file to come back from.
  EXPECT_EQ(rt::GetGraphRecord(made)->lost, 1);
  EXPECT_EQ(StorePixel(StoreOf(made).data->image, 0, 0), 0xFF00FF00u);
}

TEST_F(GraphLoadTest, StartUpLeavesTheFrontScreenAndNoGraph) {
  // The fixture selected the back screen after start-up; the warm-up itself ends on the
  // front screen with no graph left.
  EXPECT_NE(display_.runtime().Log().find("ソフトウエアレンダリングモードに変更します"), std::string::npos);
  EXPECT_EQ(rt::GetGraphManager().table.count(), 0);
  EXPECT_EQ(rt::GetGraphManager().table.highWaterMark(), 0);
}

TEST(SurfaceDataTest, LocksNestAndSharedRecordsLiveUntilTheLastRelease) {
  RunningDisplay display;
  ASSERT_TRUE(display.started());
  rt::GraphCreateBytes create{};
  create.colorBitDepth = 32;
  const int handle = rt::AddSurfaceData(1, 16, 8, 0, create);
  ASSERT_NE(handle, -1);
  int pitch = 0, pitch2 = 0;
  void* pixels = nullptr;
  void* pixels2 = nullptr;
  const RECT area{2, 1, 4, 3};
  EXPECT_EQ(rt::LockSurfaceData(handle, &pitch, &pixels, 1, &area, nullptr), 0);
  EXPECT_EQ(rt::LockSurfaceData(handle, &pitch2, &pixels2, 1, nullptr, nullptr), -2);
  EXPECT_EQ(pixels2, pixels);
  EXPECT_EQ(pitch2, pitch);
  rt::SurfaceData* data = rt::GetSurfaceData(handle);
  EXPECT_EQ(static_cast<uint8_t*>(pixels), data->image.pixels + pitch + 2 * 4);
  EXPECT_EQ(rt::UnlockSurfaceData(handle, pixels), 0);
  EXPECT_EQ(rt::UnlockSurfaceData(handle, pixels), 0);
  EXPECT_EQ(rt::UnlockSurfaceData(handle, pixels), -1);

  // The Z buffer: asking for the state it has changes nothing; a store that may not be drawn
  // on gets none.
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(handle, 0), 0);
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(handle, 1), 0);
  EXPECT_EQ(data->zImage.magic, rt::kMemImgMagic);
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(handle, 1), 0);
  data->create.drawValid = 0;
  EXPECT_EQ(rt::SetSurfaceDataZBuffer(handle, 0), -1);

  EXPECT_EQ(rt::AddSurfaceDataRef(handle), 2);
  EXPECT_EQ(rt::AddSurfaceDataRef(handle), 3);
  EXPECT_EQ(rt::ReleaseSurfaceDataRef(handle), 2);
  EXPECT_EQ(rt::ReleaseSurfaceDataRef(handle), 1);
  EXPECT_EQ(rt::ReleaseSurfaceDataRef(handle), 0);
  EXPECT_EQ(rt::DeleteSurfaceData(handle), 0);
  EXPECT_EQ(rt::GetSurfaceData(handle), nullptr);
}

TEST(SurfaceDataTest, TransfersWithDrawingSuppressedWriteNothing) {
  RunningDisplay display;
  ASSERT_TRUE(display.started());
  const int graph = display.LoadPicture("p.png", Colourful(4, 4));
  rt::FillGraph(graph, 1, 2, 3, 255);
  rt::GetDrawState().drawSuppressed = 1;
  rt::GraphImage image{};
  rt::CreateRGB24GraphImage(4, 4, &image);
  rt::FillGraphImage(&image, 200, 100, 50, 255);
  EXPECT_EQ(rt::BltGraphImageToGraph(nullptr, nullptr, nullptr, nullptr, 0, &image, nullptr, 0, 0, graph, 0), 0);
  rt::GetDrawState().drawSuppressed = 0;
  EXPECT_EQ(StorePixel(StoreOf(graph).data->image, 1, 1), 0xFF010203u);
  rt::ReleaseGraphImage(&image);
}

}  // namespace
