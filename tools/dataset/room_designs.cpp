#include "tools/dataset/room_designs.h"

#include <algorithm>
#include <stdexcept>

namespace dataset {
namespace {

constexpr unsigned kOpen = kThemeDeck | kThemeHold;
constexpr unsigned kMachines = kThemeBridge | kThemeControl | kThemeLab;
constexpr unsigned kWorks = kThemePower | kThemeEngine;

// Width of the objects whose box reaches into the cells to the right of their own.
int ExtraWidth(char c) {
  switch (c) {
    case 'p': case 'P': case '(': case ')': case 'J': case 'X': case 'F': case 'x': return 1;
    case '3': return 2;
    default: return 0;
  }
}

// Rows below the cell that a tall object reaches into.
int ExtraHeight(char c) {
  switch (c) {
    case 'K': case 'T': case 'G': case 'B': case 'I': case 'x': return 1;
    case 'L': return 2;
    default: return 0;
  }
}

bool Solid(char c) { return std::string("#SEnfbcC<>KTGBILxX3F()JpPVQR").find(c) != std::string::npos; }

// The highest stack of solid cells standing on the floor, in rows.
int StackHeight(const RoomPiece& p) {
  const int rooms = p.Height() - 1, width = p.Width();
  std::vector<std::string> solid(static_cast<size_t>(rooms), std::string(static_cast<size_t>(width), '.'));
  for (int r = 0; r < rooms; ++r) {
    for (int c = 0; c < width; ++c) {
      const char ch = p.rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
      if (!Solid(ch)) continue;
      for (int dr = 0; dr <= ExtraHeight(ch) && r + dr < rooms; ++dr) {
        for (int dc = 0; dc <= ExtraWidth(ch) && c + dc < width; ++dc) solid[static_cast<size_t>(r + dr)][static_cast<size_t>(c + dc)] = '#';
      }
    }
  }
  int highest = 0;
  for (int c = 0; c < width; ++c) {
    int h = 0;
    while (h < rooms && solid[static_cast<size_t>(rooms - 1 - h)][static_cast<size_t>(c)] == '#') ++h;
    highest = std::max(highest, h);
  }
  return highest;
}

char Turned(char c) {
  switch (c) {
    case '<': return '>';
    case '>': return '<';
    case '(': return ')';
    case ')': return '(';
    case '{': return '}';
    case '}': return '{';
    default: return c;
  }
}

std::vector<RoomPiece> Build() {
  using U = PieceUse;
  std::vector<RoomPiece> pieces = {
      // ---- Passages ----
      {"crate stack", kOpen | kThemeEngine, U::kPassage,
       {"..........",
        "..........",
        "....x.....",
        "..#.....e.",
        "##########"}},
      {"locker storeroom", kOpen | kThemeVents, U::kPassage,
       {"...........",
        "...........",
        ".h..h...h..",
        ".....i..e..",
        "###########"}},
      {"spike pit under a ledge", kThemeDeck | kThemeVents | kThemeEngine, U::kPassage,
       {"..........",
        "......==..",
        "......i...",
        "..........",
        "###SS#####"}},
      {"crumbling bridge", kThemeEngine | kThemeControl | kThemeDeck, U::kPassage,
       {"..........",
        "..........",
        "..........",
        ".....e....",
        "###cccC###"}},
      {"pitfall corridor", kThemeVents | kThemeControl, U::kPassage,
       {"...........",
        "...........",
        "...........",
        "........e..",
        "##p.##P.###"}},
      {"camera gallery", kMachines | kThemeDeck, U::kPassage,
       {"..u.....u...",
        "............",
        "....h....h..",
        ".m..........",
        "############"}},
      {"electric floor and terminal", kThemeLab | kThemePower, U::kPassage,
       {".....u......",
        "............",
        "............",
        ".m........w.",
        "####EE######"}},
      {"burnable crate stack", kThemeHold | kThemeEngine, U::kPassage,
       {"..........",
        "..........",
        "......ff..",
        "..e..fff..",
        "##########"}},
      {"raised walkway", kThemeAll, U::kPassage,
       {"............",
        "............",
        "....######..",
        "...#######..",
        "############"}},
      {"noisy floor", kThemeLab | kThemeBridge | kThemeControl, U::kPassage,
       {"..........",
        "..........",
        "..........",
        ".....e....",
        "##nnnnnn##"}},
      {"spiked ceiling", kThemeVents | kThemeEngine | kThemePower, U::kPassage,
       {"..vvvv....",
        "..........",
        "..........",
        "......e...",
        "##########"}},
      {"spiked column", kThemeEngine | kThemeVents, U::kPassage,
       {"....#.....",
        "...<#>....",
        "..........",
        "..........",
        "##########"}},
      {"container yard", kThemeHold, U::kPassage,
       {"............",
        "............",
        "...x...x....",
        "......e.....",
        "############"}},
      {"pillar", kThemeDeck | kThemePower | kThemeControl, U::kPassage,
       {"..........",
        "..........",
        "....I.....",
        "......#...",
        "##########"}},
      {"fenced steps", kThemeDeck | kThemeBridge | kThemeEngine, U::kPassage,
       {"...........",
        "...........",
        "...........",
        "...F.3.....",
        "###########"}},
      {"long blocks", kOpen | kThemePower, U::kPassage,
       {"..........",
        "..........",
        "..........",
        "..X...X...",
        "##########"}},
      {"turret post", kWorks | kThemeHold, U::kPassage,
       {"..........",
        "..........",
        "..h.......",
        "........w.",
        "##########"}},
      {"laser hall", kThemeLab | kThemeControl, U::kPassage,
       {"..........",
        "..........",
        "..h.......",
        ".....w....",
        "##########"}},
      {"glass office", kThemeBridge | kThemeLab, U::kPassage,
       {"..G..u...G..",
        "............",
        "............",
        ".....m......",
        "############"}},
      {"control panels", kThemeControl | kThemeBridge, U::kPassage,
       {"..........",
        "..........",
        "..........",
        "..o.d.d.e.",
        "##########"}},
      {"ledges over a drop", kThemeDeck | kThemeVents | kThemeEngine, U::kPassage,
       {"............",
        "............",
        "............",
        "............",
        "##==..==..##"}},
      {"breakable partition", kThemeHold | kThemeDeck | kThemeVents, U::kPassage,
       {"..........",
        "..........",
        "..........",
        "....b.e...",
        "##########"}},
      {"ladder loft", kOpen | kThemeControl, U::kPassage,
       {"..........",
        "..$.......",
        "####H.....",
        "....H.....",
        "....H.....",
        "##########"}},
      {"high ledges", kThemeDeck | kThemeVents | kThemePower, U::kPassage,
       {"..........",
        "..........",
        "....==....",
        "......i...",
        "..#....#..",
        "##########"}},
      {"duct crawl", kThemeVents | kThemeEngine | kThemeDeck, U::kPassage,
       {"..{------}..",
        "............",
        "............",
        "............",
        "###SSSSSS###"}},
      {"tall stacks", kThemeHold | kThemePower, U::kPassage,
       {"............",
        "............",
        "....L.......",
        "...##.......",
        "..###...e...",
        "############"}},
      // ---- Side rooms (opening on the left; the far end is the stage's wall) ----
      {"shutter and key", kThemeDeck | kThemeHold | kThemePower | kThemeBridge, U::kSideRoom,
       {"....#...",
        "....#...",
        "....K...",
        ".k....$.",
        "########"}},
      {"numbered shutter", kThemePower | kThemeControl | kThemeLab | kThemeEngine, U::kSideRoom,
       {"....#...",
        "....#...",
        "....T...",
        ".t....$.",
        "########"}},
      {"conveyor hall", kWorks | kThemeHold, U::kSideRoom,
       {".........",
        ".........",
        ".........",
        ".......$.",
        "#(.(.####"}},
      {"spring shaft", kWorks | kThemeDeck, U::kSideRoom,
       {"........",
        "......$.",
        ".....===",
        "........",
        "#J.#####"}},
      {"breakable wall", kThemeHold | kThemeDeck | kThemeVents, U::kSideRoom,
       {"...#....",
        "...#....",
        "...B....",
        ".....$i.",
        "########"}},
      {"glass booth", kThemeBridge | kThemeLab, U::kSideRoom,
       {"..#..u..",
        "..#.....",
        "..G.....",
        "...m..$.",
        "########"}},
      {"vanishing bridge", kThemeControl | kThemeLab, U::kSideRoom,
       {".........",
        ".........",
        ".........",
        ".......$.",
        "#VQRVQ###"}},
      {"burning store", kThemeHold | kThemeEngine, U::kSideRoom,
       {"...f....",
        "...f....",
        "...f....",
        "...f..$.",
        "########"}},
      {"electric store", kThemePower | kThemeLab, U::kSideRoom,
       {"........",
        "........",
        "..EE....",
        "......$.",
        "#EE#####"}},
      {"dark lockers", kThemeVents | kThemeHold, U::kSideRoom,
       {".........",
        "........L",
        ".h..h..h.",
        "....$....",
        "#########"}},
  };
  for (RoomPiece& p : pieces) {
    for (const std::string& row : p.rows) {
      if (static_cast<int>(row.size()) != p.Width()) throw std::logic_error(std::string("uneven piece: ") + p.name);
    }
    if (p.use == PieceUse::kPassage) p.minRoomRows = StackHeight(p) + 2;
    // The corridors between rooms give the space around a passage: a bare column of floor is
    // kept at each end, no more.
    if (p.use != PieceUse::kPassage) continue;
    auto bare = [&](int c) {
      for (int r = 0; r < p.Height(); ++r) {
        const std::string& row = p.rows[static_cast<size_t>(r)];
        if (row[static_cast<size_t>(c)] != (r + 1 == p.Height() ? '#' : '.')) return false;
        // Nor a cell that a wide object to its left reaches into.
        for (int left = std::max(0, c - 2); left < c; ++left) {
          if (left + ExtraWidth(row[static_cast<size_t>(left)]) >= c) return false;
        }
      }
      return true;
    };
    while (p.Width() > 3 && bare(0) && bare(1)) {
      for (std::string& row : p.rows) row.erase(0, 1);
    }
    while (p.Width() > 3 && bare(p.Width() - 1) && bare(p.Width() - 2)) {
      for (std::string& row : p.rows) row.pop_back();
    }
  }
  return pieces;
}

}  // namespace

const std::vector<RoomPiece>& RoomPieces() {
  static const std::vector<RoomPiece> pieces = Build();
  return pieces;
}

const RoomPiece* FindRoomPiece(const std::string& name) {
  for (const RoomPiece& p : RoomPieces()) {
    if (name == p.name) return &p;
  }
  return nullptr;
}

RoomPiece Mirrored(const RoomPiece& piece) {
  RoomPiece m = piece;
  const int width = piece.Width();
  for (std::string& row : m.rows) std::fill(row.begin(), row.end(), '.');
  for (int r = 0; r < piece.Height(); ++r) {
    for (int c = 0; c < width; ++c) {
      const char ch = piece.rows[static_cast<size_t>(r)][static_cast<size_t>(c)];
      if (ch == '.') continue;
      // The object's cells c .. c + extra land at width − 1 − c − extra .. width − 1 − c.
      m.rows[static_cast<size_t>(r)][static_cast<size_t>(width - 1 - c - ExtraWidth(ch))] = Turned(ch);
    }
  }
  return m;
}

}  // namespace dataset
