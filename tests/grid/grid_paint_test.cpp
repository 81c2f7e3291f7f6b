// Pixel tests of the report grid's drawing: header cells of every edge kind,
// grid lines, empty rows, the strip right of the last column, the current
// cell, cell texts, framed lines and right-to-left reading. Geometry and
// colours are asserted, never glyph shapes.
#include <gtest/gtest.h>

#include "calllist_grid.h"
#include "grid/columnkinds.h"

using namespace grid;
using gridtest::CallListGrid;
using gridtest::Inverted;
using gridtest::Px;
using gridtest::Sys;

namespace {

// Display order of the call list: "Hat no." 0..61, "Arayan numara" 62..173,
// "Saat" 174..286, "Cihaz seri no." 287..399, "Çağrı sıra no" 400..512.
constexpr int kRights[] = {62, 174, 287, 400, 513};

bool IsDark(QRgb c) { return qGray(c) < 128; }

// The horizontal extent of dark (text) pixels inside a rectangle; empty when
// none.
QRect DarkBounds(const QImage& img, const QRect& r) {
  QRect b;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x)
      if (IsDark(Px(img, x, y))) b |= QRect(x, y, 1, 1);
  return b;
}

}  // namespace

TEST(GridPaintTest, FlatHeaderCellsHaveFullOuterEdgesAndShortenedSeparators) {
  CallListGrid f;
  const QImage img = f.Client();
  const QRgb face = Sys(clBtnFace), light = Sys(clBtnHighlight), shadow = Sys(clBtnShadow);
  ASSERT_NE(face, shadow);
  ASSERT_NE(face, light);
  // First column: full-height highlight on the left, shortened separator right.
  for (int y = 0; y <= 18; ++y) EXPECT_EQ(Px(img, 0, y), light) << y;
  EXPECT_EQ(Px(img, 0, 19), shadow);
  EXPECT_EQ(Px(img, 61, 1), face);
  EXPECT_EQ(Px(img, 61, 18), face);
  for (int y = 2; y <= 17; ++y) EXPECT_EQ(Px(img, 61, y), shadow) << y;
  // Middle columns: highlight separator from T + 2 to B - 3, face at both ends.
  for (int left : {62, 174, 287, 400}) {
    EXPECT_EQ(Px(img, left, 0), light);
    EXPECT_EQ(Px(img, left, 1), face) << left;
    EXPECT_EQ(Px(img, left, 2), light) << left;
    EXPECT_EQ(Px(img, left, 17), light) << left;
    EXPECT_EQ(Px(img, left, 18), face) << left;
    EXPECT_EQ(Px(img, left, 19), shadow) << left;
  }
  // Last column: full-height shadow on the right.
  for (int y = 0; y <= 19; ++y) EXPECT_EQ(Px(img, 512, y), shadow) << y;
  // Top row highlight and bottom row shadow run across every cell.
  for (int x : {5, 100, 300, 450}) {
    EXPECT_EQ(Px(img, x, 0), light);
    EXPECT_EQ(Px(img, x, 19), shadow);
  }
  EXPECT_EQ(Px(img, 59, 2), face);
  // Captions start 3 pixels into their cell, in the dark text colour.
  const QRect text = DarkBounds(img, QRect(1, 2, 59, 16));
  ASSERT_FALSE(text.isEmpty());
  EXPECT_GE(text.left(), 3);
  EXPECT_LE(text.left(), 5);
}

TEST(GridPaintTest, SoleOldStyleAndPressedHeaders) {
  CallListGrid f;
  TColumns& cols = f.grid->Columns();
  const QRgb face = Sys(clBtnFace), light = Sys(clBtnHighlight), shadow = Sys(clBtnShadow);
  const QRgb frame = Sys(clWindowFrame);

  // Old style: every cell a complete raised box with a dark right edge.
  f.grid->SetHeaderStyle(hsOldStyle);
  QImage img = f.Client();
  for (int right : kRights) {
    EXPECT_EQ(Px(img, right - 1, 1), frame) << right;
    EXPECT_EQ(Px(img, right - 1, 18), frame) << right;
    EXPECT_EQ(Px(img, right - 2, 19), frame) << right;
    EXPECT_EQ(Px(img, right - 2, 0), light) << right;
  }
  EXPECT_EQ(Px(img, 62, 1), light);

  // Pressed: the cell less its last column and row is inverted.
  f.grid->SetHeaderStyle(hsDefault);
  const TColumnOptions options = cols.Items(3)->Options();
  cols.Items(3)->SetOptions(options.With(coCanClick));
  const QPoint onHeader(cols.Items(3)->Left() + 20, 8);
  QTest::mousePress(f.grid->viewport(), Qt::LeftButton, Qt::NoModifier, onHeader);
  ASSERT_EQ(f.grid->PressedHeaderColumn(), cols.Items(3));
  img = f.Client();
  const QRgb invertedFace = Inverted(face);
  EXPECT_EQ(Px(img, 59, 2), invertedFace);
  EXPECT_EQ(Px(img, 61, 5), shadow);
  EXPECT_EQ(Px(img, 30, 19), shadow);
  QTest::mouseRelease(f.grid->viewport(), Qt::LeftButton, Qt::NoModifier, onHeader);
  cols.Items(3)->SetOptions(options);

  // A single visible column gets a full 3-D frame: no shortened ends.
  for (int i : {0, 1, 2, 4}) cols.Items(i)->SetVisible(false);
  img = f.Client();
  EXPECT_EQ(Px(img, 0, 1), light);
  EXPECT_EQ(Px(img, 61, 0), shadow);
  EXPECT_EQ(Px(img, 61, 1), shadow);
  EXPECT_EQ(Px(img, 61, 18), shadow);
  EXPECT_EQ(Px(img, 0, 19), shadow);
  EXPECT_EQ(Px(img, 30, 19), shadow);
  EXPECT_EQ(Px(img, 60, 2), face);
}

TEST(GridPaintTest, GridLinesFollowEveryWidthAndRowDownToTheBottom) {
  CallListGrid f;
  const QRgb line = Sys(clBtnFace), window = Sys(clWindow);
  ASSERT_NE(line, window);
  // An empty grid is a ruled sheet.
  QImage img = f.Client();
  for (int right : kRights)
    for (int y : {20, 39, 100, 167}) EXPECT_EQ(Px(img, right - 1, y), line) << right << "," << y;
  for (int k = 0; k < 7; ++k) {
    const int y = 20 + 21 * k + 20;
    EXPECT_EQ(Px(img, 30, y), line) << y;
    EXPECT_EQ(Px(img, 30, y - 1), window) << y;
    EXPECT_EQ(Px(img, 30, y + 1), window) << y;
  }
  EXPECT_EQ(Px(img, 60, 167), window);  // the cut-off eighth row

  f.AddRows(2);
  img = f.Client();
  EXPECT_EQ(Px(img, 61, 25), line);
  EXPECT_EQ(Px(img, 61, 40), line);  // corner pixel included
  EXPECT_EQ(Px(img, 300, 61), line);
  EXPECT_EQ(Px(img, 300, 45), window);
}

TEST(GridPaintTest, StripRightOfTheLastColumnInBothLooks) {
  {
    CallListGrid f;
    f.grid->Columns().Items(2)->SetVisible(false);  // "Çağrı sıra no": 113 pixels free
    const QImage img = f.Client();
    const QRgb window = Sys(clWindow);
    for (int y : {0, 5, 19, 20, 100, 167}) EXPECT_EQ(Px(img, 450, y), window) << y;
    EXPECT_EQ(Px(img, 399, 5), Sys(clBtnShadow));  // now the last header cell
  }
  {
    CallListGrid f(QStringLiteral("Fusion"));
    f.grid->Columns().Items(2)->SetVisible(false);
    const QImage img = f.Client();
    const QRgb window = Sys(clWindow);
    // The header part is the style's filler, the rest the grid colour.
    EXPECT_NE(Px(img, 450, 10), window);
    for (int y : {20, 100, 165}) EXPECT_EQ(Px(img, 450, y), window) << y;
  }
}

TEST(GridPaintTest, CurrentCellIsHighlightedOnlyWhileFocused) {
  CallListGrid f;
  f.AddRows(2);
  const QRgb window = Sys(clWindow), high = Sys(clHighlight);
  f.grid->clearFocus();
  ASSERT_FALSE(f.grid->GridFocused());
  QImage img = f.Client();
  EXPECT_EQ(Px(img, 178, 22), window);  // "Saat", row 0: not focused

  f.Focus();
  ASSERT_TRUE(f.grid->GridFocused());
  img = f.Client();
  EXPECT_EQ(Px(img, 178, 22), high);
  EXPECT_EQ(Px(img, 285, 38), high);
  // The dotted focus rectangle inverts every other edge pixel.
  const QRgb inverted = Inverted(high);
  EXPECT_EQ(Px(img, 174, 20), inverted);
  EXPECT_EQ(Px(img, 175, 20), high);
  EXPECT_EQ(Px(img, 176, 20), inverted);
  EXPECT_EQ(Px(img, 174, 21), high);
  EXPECT_EQ(Px(img, 174, 22), inverted);
  // The text keeps the window-text colour (dark on the highlight).
  EXPECT_FALSE(DarkBounds(img, QRect(176, 21, 109, 18)).isEmpty());
  // Other cells are untouched, the grid line too.
  EXPECT_EQ(Px(img, 290, 22), window);
  EXPECT_EQ(Px(img, 178, 42), window);
  EXPECT_EQ(Px(img, 286, 25), Sys(clBtnFace));

  f.grid->clearFocus();
  f.Settle();
  ASSERT_FALSE(f.grid->GridFocused());
  img = f.Client();
  EXPECT_EQ(Px(img, 178, 22), window);
  EXPECT_EQ(Px(img, 174, 20), window);
}

TEST(GridPaintTest, LongTextEndsInAnEllipsisInsideItsCell) {
  CallListGrid f;
  f.AddCall({"", "", "", "1234567890123456789012345", ""});  // "Hat no." is 62 wide
  f.grid->Cell(3, 0)->SetAsString(QStringLiteral("1234567890 & 1234567890123456789"));
  const QImage img = f.Client();
  const QRect text = DarkBounds(img, QRect(0, 20, 62, 20));
  ASSERT_FALSE(text.isEmpty());
  // Inside the cell less 2 pixels each side: x 2 .. 58.
  EXPECT_GE(text.left(), 2);
  EXPECT_LE(text.right(), 58);
  EXPECT_GE(text.right(), 50);  // filled up to the ellipsis
  // One line, centred vertically in the 20-pixel row.
  EXPECT_GE(text.top(), 22);
  EXPECT_LE(text.bottom(), 37);
  // Nothing spills into the neighbouring cell or onto the grid line.
  EXPECT_TRUE(DarkBounds(img, QRect(59, 20, 115, 20)).isEmpty());
}

TEST(GridPaintTest, VeryNarrowColumnsShowWhatFitsBeforeTheEllipsis) {
  CallListGrid f;
  f.AddCall({"", "", "", "0212555000", ""});
  // "Hat no." at 8 to 15 pixels: its caption and its cell text still show
  // their start, inside their own cell.
  for (int width : {8, 12, 15}) {
    f.grid->Columns().Items(3)->SetWidth(width);
    const QImage img = f.Client();
    const QRect caption = DarkBounds(img, QRect(1, 2, width - 2, 16));
    EXPECT_FALSE(caption.isEmpty()) << width;
    const QRect text = DarkBounds(img, QRect(0, 21, width - 1, 19));
    EXPECT_FALSE(text.isEmpty()) << width;
    EXPECT_LE(text.right(), width - 2) << width;
  }
}

// Columns of other kinds next to a text column: each cell draws its own value,
// never the text of the cell painted before it.
TEST(GridPaintTest, EveryColumnKindDrawsItsOwnValue) {
  CallListGrid f;
  TColumns& cols = f.grid->Columns();
  const TFont font = cols.Items(0)->Font();
  cols.Clear();
  auto add = [&](std::unique_ptr<TCustomColumn> c) {
    c->SetColor(clWindow);
    c->SetFont(font);
    c->SetWidth(100);
    c->SetAlignment(taLeftJustify);
    cols.Add(std::move(c));
  };
  add(std::make_unique<TTextualColumn>());
  add(std::make_unique<TNumericColumn>());
  add(std::make_unique<TCheckBoxColumn>());
  add(std::make_unique<TDateColumn>());
  f.grid->AddRow(1);
  f.grid->Cell(0, 0)->SetAsString(QStringLiteral("WWWWWWWWWWWWWWWWWWWW"));
  f.grid->Cell(1, 0)->SetAsFloat(7);
  f.grid->Cell(2, 0)->SetAsBoolean(false);
  f.grid->Cell(3, 0)->SetAsDateTime(36526);
  f.grid->viewport()->update();
  const QImage img = f.Client();
  const QFontMetrics fm(font.ToQFont());
  auto cellText = [&](int col) { return DarkBounds(img, QRect(col * 100 + 1, 21, 97, 19)); };
  ASSERT_GE(cellText(0).width(), 80);
  const QRect number = cellText(1);
  ASSERT_FALSE(number.isEmpty());
  EXPECT_LE(number.width(), fm.horizontalAdvance(QStringLiteral("7")) + 1);
  EXPECT_LE(cellText(2).width(), 13) << "a check box, not text";
  const QRect date = cellText(3);
  ASSERT_FALSE(date.isEmpty());
  EXPECT_LE(date.width(), fm.horizontalAdvance(QStringLiteral("01.01.2000")) + 1);
}

TEST(GridPaintTest, FramedLinesAreBlackOnlyForTheLastExistingRow) {
  CallListGrid f;
  f.AddRows(3);
  f.grid->SetGridLinesStyle(lsFramed);
  const QImage img = f.Client();
  const QRgb black = qRgb(0, 0, 0), line = Sys(clBtnFace);
  EXPECT_EQ(Px(img, 30, 40), line);   // under row 0
  EXPECT_EQ(Px(img, 30, 82), black);  // under row 2, the last one
  EXPECT_EQ(Px(img, 300, 82), black);
  EXPECT_EQ(Px(img, 30, 103), line);   // empty rows never black
  EXPECT_EQ(Px(img, 512, 30), black);  // last visible column, existing rows
  EXPECT_EQ(Px(img, 512, 82), black);
  EXPECT_EQ(Px(img, 512, 90), line);
  EXPECT_EQ(Px(img, 61, 30), line);
}

TEST(GridPaintTest, RightToLeftReadingKeepsTheAlignment) {
  CallListGrid f;
  TCustomColumn* hat = f.grid->Columns().Items(3);
  hat->SetAlignment(taLeftJustify);
  f.AddCall({"", "", "", "12", "5551234"});
  for (Qt::LayoutDirection dir : {Qt::LeftToRight, Qt::RightToLeft}) {
    f.grid->setLayoutDirection(dir);
    const QImage img = f.Client();
    const QRect left = DarkBounds(img, QRect(0, 20, 61, 20));
    ASSERT_FALSE(left.isEmpty());
    EXPECT_LE(left.left(), 4) << dir;
    // "Arayan numara" stays centred: 62..172 has its middle at 117.
    const QRect centred = DarkBounds(img, QRect(62, 20, 111, 20));
    ASSERT_FALSE(centred.isEmpty());
    EXPECT_NEAR((centred.left() + centred.right()) / 2.0, 117.5, 3.0) << dir;
  }
}

TEST(GridPaintTest, HintMarkerAndCaptionOfAnEmptyGrid) {
  CallListGrid f;
  f.grid->SetCaption(QStringLiteral("Kayıt yok"));
  QImage img = f.Client();
  const QRect caption = DarkBounds(img, QRect(0, 21, 513, 30));
  ASSERT_FALSE(caption.isEmpty());
  EXPECT_GE(caption.top(), 24);
  EXPECT_NEAR((caption.left() + caption.right()) / 2.0, 256.0, 4.0);

  f.AddCall({"", "", "", "1", ""});
  img = f.Client();
  EXPECT_TRUE(DarkBounds(img, QRect(100, 45, 300, 20)).isEmpty());  // the caption is gone
  f.grid->Cell(3, 0)->SetHint(QStringLiteral("ipucu"));
  f.grid->viewport()->update();
  img = f.Client();
  const QRgb red = qRgb(255, 0, 0);
  for (int x = 56; x <= 60; ++x) EXPECT_EQ(Px(img, x, 20), red) << x;
  EXPECT_EQ(Px(img, 60, 24), red);
  EXPECT_NE(Px(img, 56, 22), red);
}

TEST(GridPaintTest, SelectionColoursFollowFocusAndOptions) {
  CallListGrid f;
  f.AddRows(2);
  TGridView* g = f.grid;
  g->clearFocus();
  ASSERT_FALSE(g->GridFocused());
  // Shown without focus only with goAlwaysShowSelection, then in button face.
  g->SetOptions(g->Options().With(goAlwaysShowSelection));
  EXPECT_EQ(g->GetCellBackground(0, 0), clBtnFace);
  EXPECT_EQ(g->GetCellBackground(0, 1), clWindow);
  EXPECT_EQ(g->GetCellTextColor(0, 0), clWindowText);

  f.Focus();
  ASSERT_TRUE(g->GridFocused());
  EXPECT_EQ(g->GetCellBackground(0, 0), clHighlight);
  EXPECT_EQ(g->GetCellTextColor(0, 0), clWindowText);  // the call list lacks goHighlightTextSelection
  g->SetOptions(g->Options().With(goHighlightTextSelection));
  EXPECT_EQ(g->GetCellTextColor(0, 0), clHighlightText);
  EXPECT_EQ(g->GetCellTextColor(1, 0), clWindowText);

  // Blended: three quarters grid colour, one quarter highlight, each rounded.
  g->SetColor(RGBColor(200, 100, 0));
  g->SetOptions(g->Options().With(goAlphaBlendedSelection));
  const QColor h = ColorToQColor(clHighlight);
  auto mix = [](int a, int b) { return int(std::nearbyint(a * 0.75 + b * 0.25)); };
  EXPECT_EQ(g->GetCellBackground(0, 0), RGBColor(mix(200, h.red()), mix(100, h.green()), mix(0, h.blue())));
  // The blended look frames the current cell with a solid highlight line.
  const QImage img = f.Client();
  EXPECT_EQ(Px(img, 175, 20), Sys(clHighlight));
  EXPECT_EQ(Px(img, 174, 21), Sys(clHighlight));
}

TEST(GridPaintTest, HorizontalOnlyLinesLetCellsTakeTheFullWidth) {
  CallListGrid f;
  f.AddRows(1);
  f.grid->SetGridLinesStyle(lsHorizontalOnly);
  const QImage img = f.Client();
  EXPECT_EQ(Px(img, 61, 25), Sys(clWindow));
  EXPECT_EQ(Px(img, 61, 80), Sys(clWindow));
  EXPECT_EQ(Px(img, 30, 40), Sys(clBtnFace));
  EXPECT_EQ(f.grid->GetCellRect(3, 0), (TRect{0, 20, 62, 40}));
}
