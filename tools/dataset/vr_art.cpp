#include "tools/dataset/vr_art.h"

#include "tools/dataset/art_common.h"
#include "tools/dataset/text_painter.h"

namespace dataset {

namespace {

constexpr Rgb kVrTeal{60, 230, 200};
constexpr Rgb kVrDeep{10, 40, 40};
constexpr Rgb kBalloon{235, 245, 255};
constexpr Rgb kBalloonEdge{90, 150, 210};

// The rank letters S, A, B, C, D one below the other, 28 pixels apart, and beside each the
// mark of a best time made undetected and unhit.
void PaintRanks(Canvas& c) {
  for (int r = 0; r < 5; ++r) {
    const int y = 353 + 28 * r;
    DrawGradeMark(c, 2, y, r);
    const Rgb green{100, 255, 150};
    c.FillCircle(46 + 14, y + 14, 11, Rgb{20, 60, 40});
    c.Ring(46 + 14, y + 14, 11, 2, green);
    c.Line(46 + 8, y + 14, 46 + 13, y + 19, 3, green);
    c.Line(46 + 13, y + 19, 46 + 21, y + 8, 3, green);
  }
}

// The help bar: its left part ends open on the right, its right part closes it, so the two
// drawn side by side read as one bar.
void PaintHelpBar(Canvas& c) {
  const Rgb fill{12, 28, 56}, edge{40, 120, 190};
  c.FillRect({13, 257, 428, 43}, fill);
  c.FillRect({13, 257, 428, 2}, edge);
  c.FillRect({13, 298, 428, 2}, edge);
  c.FillRect({13, 257, 3, 43}, edge);
  c.FillRect({13, 302, 312, 43}, fill);
  c.FillRect({13, 302, 312, 2}, edge);
  c.FillRect({13, 343, 312, 2}, edge);
  c.FillRect({322, 302, 3, 43}, edge);
}

// The host's speech balloon strip from x 68 to 500: rounded at both ends, with a tail on the
// left towards the portrait.
void PaintBalloon(Canvas& c) {
  const Rect strip{68, 178, 432, 44};
  c.FillRect({strip.x + 20, strip.y + 2, strip.w - 40, strip.h - 4}, kBalloon);
  c.FillCircle(strip.x + 21, strip.y + 22, 20, kBalloon);
  c.FillCircle(strip.Right() - 22, strip.y + 22, 20, kBalloon);
  c.FillRect({strip.x + 20, strip.y + 1, strip.w - 40, 2}, kBalloonEdge);
  c.FillRect({strip.x + 20, strip.Bottom() - 3, strip.w - 40, 2}, kBalloonEdge);
  c.FillTriangle(strip.x, strip.Bottom() - 2, strip.x + 14, strip.y + 24, strip.x + 26, strip.y + 32, kBalloon);
}

}  // namespace

void PaintVrMenuPieces(Canvas& c) {
  // The total-time panel and its label.
  const Rect total{0, 0, 220, 39};
  c.FillChamfered(total, 8, kVrDeep);
  c.FrameChamfered(total, 8, 2, kVrTeal);
  const Rect label{0, 39, 92, 23};
  c.FillRect(label, Rgb{20, 70, 70});
  DrawTextIn(c, label, "TOTAL", Style(14, Rgb{150, 255, 230}, 700));
  // Place labels, drawn tinted by the screen.
  static const char* const kPlaces[3] = {"1st", "2nd", "3rd"};
  for (int p = 0; p < 3; ++p) {
    const Rect r{0, 68 + 30 * p, 60, 30};
    c.FillRect({r.x + 2, r.y + 3, r.w - 4, r.h - 6}, Rgb{40, 40, 56});
    DrawTextIn(c, r, kPlaces[p], Style(18, kWhite, 700));
  }
  PaintBalloon(c);
  PaintHelpBar(c);
  PaintRanks(c);
}

void PaintVrHost(Canvas& c) {
  // Cells: (0, 0) eyes open, (120, 0) eyes closed, (0, 108) looking aside, (120, 108) and
  // (240, 108) talking.
  struct Cell {
    int x, y;
    bool eyesOpen;
    int look;   // pupils' shift
    int mouth;  // 0 closed, 1 half, 2 open
  };
  static const Cell kCells[] = {{0, 0, true, 0, 0}, {120, 0, false, 0, 0}, {0, 108, true, 3, 0},
                                {120, 108, true, 0, 1}, {240, 108, true, 0, 2}};
  const Rgb skin{240, 214, 190}, hair{60, 150, 90}, cap{40, 110, 200}, coat{70, 90, 120}, ink{20, 30, 40};
  for (const Cell& cell : kCells) {
    const int cx = cell.x + 60, cy = cell.y + 52;
    // Shoulders and coat.
    c.FillCircle(cx, cell.y + 118, 46, coat);
    c.FillRect({cell.x + 30, cell.y + 96, 60, 12}, coat);
    c.FillRect({cx - 4, cell.y + 84, 8, 24}, Rgb{230, 230, 240});
    // Hair behind the face, the face, the cap.
    c.FillCircle(cx, cy + 2, 30, hair);
    c.FillCircle(cx - 22, cy + 18, 10, hair);
    c.FillCircle(cx + 22, cy + 18, 10, hair);
    c.FillCircle(cx, cy + 6, 24, skin);
    c.FillRect({cx - 30, cy - 26, 60, 14}, cap);
    c.FillCircle(cx, cy - 18, 22, cap);
    c.FillRect({cx - 20, cy - 14, 40, 4}, Rgb{250, 220, 60});
    // Eyes.
    for (int side : {-1, 1}) {
      const int ex = cx + side * 10;
      if (cell.eyesOpen) {
        c.FillCircle(ex, cy + 4, 5, kWhite);
        c.FillCircle(ex + cell.look, cy + 5, 3, ink);
      } else {
        c.Line(ex - 5, cy + 5, ex + 5, cy + 5, 2, ink);
      }
    }
    // Mouth.
    if (cell.mouth == 0) {
      c.Line(cx - 5, cy + 19, cx + 5, cy + 19, 2, Rgb{170, 80, 80});
    } else {
      c.FillCircle(cx, cy + 19, 2 + 2 * cell.mouth, Rgb{150, 50, 60});
    }
  }
}

}  // namespace dataset
