// Column model: display order, run-time moves, widths, auto-size and
// exclusive settings. What the grid makes of column changes is checked on a
// shown grid (gridview_settings_test.cpp).
#include <gtest/gtest.h>

#include <QImage>

#include "grid/columnkinds.h"
#include "grid/columns.h"
#include "model_helpers.h"
#include "platform/errors.h"

using namespace grid;

namespace {

// Loads columns the way a layout does: positions and widths stored while
// reading, then Add.
void Load(TColumns& cols, std::initializer_list<std::pair<int, int>> positionsAndWidths) {
  cols.SetReading(true);
  for (auto [pos, width] : positionsAndWidths) {
    auto c = std::make_unique<TTextualColumn>();
    c->SetCollection(&cols);
    c->SetPosition(pos);
    c->SetWidth(width);
    c->SetOptions({coAutoSize, coCanInput, coDontHighlight, coPublicUsing});
    cols.Add(std::move(c));
  }
  cols.SetReading(false);
}

std::vector<int> DisplayOrder(const TColumns& cols) {
  std::vector<int> order;
  for (int i = 0; i < cols.Count(); ++i) order.push_back(cols.ByPosition(i)->Index());
  return order;
}

std::vector<int> Positions(const TColumns& cols) {
  std::vector<int> p;
  for (int i = 0; i < cols.Count(); ++i) p.push_back(cols.Items(i)->Position());
  return p;
}

std::vector<int> Widths(const TColumns& cols) {
  std::vector<int> w;
  for (int i = 0; i < cols.Count(); ++i) w.push_back(cols.Items(i)->Width());
  return w;
}

void LoadCallList(TColumns& cols) { Load(cols, {{2, 100}, {3, 100}, {4, 100}, {0, 55}, {1, 100}}); }

// The call list's five columns, loaded.
class CallList : public ::testing::Test {
 protected:
  void SetUp() override { LoadCallList(cols); }
  TColumns cols;
};

}  // namespace

TEST(ColumnText, TextColumnWrapsValueAndAcceptsPrintableKeys) {
  TTextualColumn c;
  c.SetTextBefore(QStringLiteral("<"));
  c.SetTextAfter(QStringLiteral(">"));
  EXPECT_EQ(c.FormatDisplayText(QStringLiteral("x")), QStringLiteral("<x>"));
  EXPECT_TRUE(c.AcceptsKey(QLatin1Char('a')));
  EXPECT_FALSE(c.AcceptsKey(QLatin1Char(' ')));
  TCheckBoxColumn box;
  EXPECT_FALSE(box.AcceptsKey(QLatin1Char('a')));
}

TEST_F(CallList, LoadedPositionsOrderTheColumns) {
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{3, 4, 0, 1, 2}));
  // Left edges follow the display order.
  EXPECT_EQ(cols.Items(3)->Left(), 0);
  EXPECT_EQ(cols.Items(4)->Left(), 55);
  EXPECT_EQ(cols.Items(0)->Left(), 155);
  EXPECT_EQ(cols.Items(1)->Left(), 255);
  EXPECT_EQ(cols.Items(2)->Left(), 355);
  EXPECT_EQ(cols.Items(2)->VisibleIndex(), 4);

  TColumns repeats;
  Load(repeats, {{1, 80}, {1, 80}, {0, 80}});
  EXPECT_EQ(DisplayOrder(repeats), (std::vector<int>{2, 0, 1}));
}

TEST_F(CallList, RunTimePositionMovesTheColumnAndRenumbers) {
  cols.Items(0)->SetPosition(0);
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{0, 3, 4, 1, 2}));
  EXPECT_EQ(Positions(cols), (std::vector<int>{0, 3, 4, 1, 2}));
  EXPECT_EQ(cols.Items(0)->Left(), 0);
  EXPECT_EQ(cols.Items(3)->Left(), 100);

  // Same place again: nothing moves.
  cols.Items(1)->SetPosition(3);
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{0, 3, 4, 1, 2}));
}

TEST(DisplayOrder, RunTimePositionMovesTheRightColumnAfterRepeatedPositions) {
  TColumns cols;
  Load(cols, {{1, 80}, {1, 80}, {0, 80}});  // display: 2, 0, 1
  // Column 1 stands at display index 2 although its Position says 1.
  cols.Items(1)->SetPosition(0);
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{1, 2, 0}));
  EXPECT_EQ(Positions(cols), (std::vector<int>{2, 0, 1}));

  TColumns gaps;
  Load(gaps, {{5, 80}, {9, 80}, {0, 80}});  // display: 2, 0, 1
  gaps.Items(0)->SetPosition(2);
  EXPECT_EQ(DisplayOrder(gaps), (std::vector<int>{2, 1, 0}));
}

TEST(DisplayOrder, PositionSetToItsOwnValueMovesNothing) {
  for (auto layout : {std::initializer_list<std::pair<int, int>>{{5, 80}, {9, 80}, {0, 80}},
                      std::initializer_list<std::pair<int, int>>{{1, 80}, {1, 80}, {0, 80}}}) {
    TColumns cols;
    Load(cols, layout);
    const std::vector<int> order = DisplayOrder(cols);
    const std::vector<int> positions = Positions(cols);
    for (int i = 0; i < cols.Count(); ++i) EXPECT_NO_THROW(cols.Items(i)->SetPosition(cols.Items(i)->Position())) << i;
    EXPECT_EQ(DisplayOrder(cols), order);
    EXPECT_EQ(Positions(cols), positions);
  }
}

TEST_F(CallList, PositionOutsideTheListIsRefusedAndChangesNothing) {
  gridtest::ExpectError<platform::EListError>([&] { cols.Items(0)->SetPosition(5); },
                                              QStringLiteral("List index out of bounds (5)"));
  EXPECT_THROW(cols.Items(0)->SetPosition(-1), platform::EListError);
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{3, 4, 0, 1, 2}));
  EXPECT_EQ(Positions(cols), (std::vector<int>{2, 3, 4, 0, 1}));
  EXPECT_THROW(cols.MovePosition(0, 7), platform::EListError);
}

TEST_F(CallList, MovePositionPutsTheColumnAtTheTarget) {
  cols.MovePosition(4, 0);  // "Çağrı sıra no" to the front
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{2, 3, 4, 0, 1}));
  EXPECT_EQ(Positions(cols), (std::vector<int>{3, 4, 0, 1, 2}));
}

TEST_F(CallList, WidthClampedToEightAndLaidOutAgain) {
  cols.Items(3)->SetWidth(3);
  EXPECT_EQ(cols.Items(3)->Width(), 8);
  EXPECT_EQ(cols.Items(4)->Left(), 8);
  EXPECT_EQ(cols.VisibleWidth(), 408);
}

TEST_F(CallList, WhileReadingWidthDoesNotLayOut) {
  cols.SetReading(true);
  cols.Items(3)->SetWidth(200);
  EXPECT_EQ(cols.Items(4)->Left(), 55);
  cols.SetReading(false);
  cols.Relayout(false);
  EXPECT_EQ(cols.Items(4)->Left(), 200);
}

TEST(AutoSize, StretchesToTheClientWidthRoundingToNearest) {
  struct Case {
    int clientWidth;
    std::vector<int> widths;
  };
  for (const Case& c : {Case{910, {200, 200, 200, 110, 200}}, Case{454, {100, 100, 100, 55, 99}},
                        Case{511, {112, 112, 113, 62, 112}}, Case{513, {113, 113, 113, 62, 112}}}) {
    TColumns cols;
    LoadCallList(cols);
    cols.AutoSizeColumns(c.clientWidth, 0);
    EXPECT_EQ(Widths(cols), c.widths) << "client width " << c.clientWidth;
    EXPECT_EQ(cols.VisibleWidth(), c.clientWidth);
  }
}

TEST_F(CallList, AutoSizeKeepsFixedAndHiddenColumnsWidth) {
  cols.Items(0)->SetOptions(cols.Items(0)->Options().With(coFixedSize));
  cols.Items(1)->SetOptions({});  // not auto-size
  cols.Items(2)->SetVisible(false);
  cols.AutoSizeColumns(12 + 200 + 155 * 2, 12);
  EXPECT_EQ(Widths(cols), (std::vector<int>{100, 100, 100, 110, 200}));
}

TEST_F(CallList, AutoSizeInANarrowGridGivesEveryColumnTheMinimum) {
  cols.Items(0)->SetOptions({});
  cols.AutoSizeColumns(50, 0);
  EXPECT_EQ(Widths(cols), (std::vector<int>{100, 8, 8, 8, 8}));
}

TEST_F(CallList, HidingAColumnMovesTheColumnsBehindAndKeepsBothOrders) {
  cols.Items(4)->SetVisible(false);  // "Arayan numara", second from the left
  EXPECT_EQ(cols.Items(4)->VisibleIndex(), -1);
  EXPECT_EQ(cols.Items(0)->Left(), 55);
  EXPECT_EQ(cols.Items(0)->VisibleIndex(), 1);
  EXPECT_EQ(cols.Items(2)->Left(), 255);
  EXPECT_EQ(cols.VisibleCount(), 4);
  EXPECT_EQ(cols.VisibleWidth(), 355);
  EXPECT_EQ(DisplayOrder(cols), (std::vector<int>{3, 4, 0, 1, 2}));
}

TEST_F(CallList, OnlyOneColumnIsSortedOrTheSearchColumn) {
  cols.Items(1)->SetSorted(true);
  cols.Items(3)->SetSorted(true);
  EXPECT_FALSE(cols.Items(1)->Sorted());
  EXPECT_TRUE(cols.Items(3)->Sorted());
  cols.Items(3)->SetSorted(false);
  EXPECT_FALSE(cols.Items(3)->Sorted());

  cols.Items(0)->SetOptions(cols.Items(0)->Options().With(coSearchColumn));
  cols.Items(2)->SetOptions(cols.Items(2)->Options().With(coSearchColumn));
  EXPECT_FALSE(cols.Items(0)->Options().Contains(coSearchColumn));
  EXPECT_TRUE(cols.Items(0)->Options().Contains(coAutoSize));
  EXPECT_TRUE(cols.Items(2)->Options().Contains(coSearchColumn));
}

TEST(ColumnHeader, GlyphIsCopiedWithItsCornerColourTransparent) {
  TColumnHeader header;
  int changes = 0;
  header.OnChange = [&](TColumnPart*) { ++changes; };
  QImage picture(4, 3, QImage::Format_RGB32);
  picture.fill(qRgb(255, 0, 255));
  picture.setPixel(1, 1, qRgb(0, 0, 0));
  header.SetGlyph(picture);
  picture.fill(qRgb(1, 2, 3));  // the header keeps its own copy
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(qAlpha(header.Glyph().pixel(0, 0)), 0);
  EXPECT_EQ(header.Glyph().pixel(1, 1), qRgb(0, 0, 0));
}

TEST(ColumnCollection, HoldsAtMostTheStoresColumnCount) {
  TColumns cols;
  for (int i = 0; i < TColumns::kMaxColumns; ++i) cols.Add(std::make_unique<TTextualColumn>());
  EXPECT_THROW(cols.Add(std::make_unique<TTextualColumn>()), platform::Exception);
  EXPECT_EQ(cols.Count(), TColumns::kMaxColumns);
}
