// The grid's row and cell operations: what they change, what they ask the
// screen to redraw (and in which order), the update bracket, OnChange and
// the absorbed range errors.
#include <gtest/gtest.h>

#include "grid/columnkinds.h"
#include "model_helpers.h"

using namespace grid;
using gridtest::RecordingGrid;

namespace {

class GridRows : public ::testing::Test {
 protected:
  void SetUp() override {
    grid.SetOptions({goDissableColumnMoving, goGrid, goHeader});
    grid.BeginReading();
    for (int pos : {2, 3, 4, 0, 1}) {
      auto c = std::make_unique<TTextualColumn>();
      c->SetPosition(pos);
      grid.Columns().Add(std::move(c));
    }
    grid.EndReading();
    grid.log.clear();
  }
  // One call as the call list handles it.
  void Call(const QString& number) {
    if (grid.RowCount() > 5) grid.DeleteRow(0);
    grid.AddRow(1);
    const int r = grid.RowCount() - 1;
    grid.BeginUpdate();
    grid.Cell(3, r)->SetAsString(QStringLiteral("2"));
    grid.Cell(4, r)->SetAsString(number);
    grid.Cell(0, r)->SetAsString(QStringLiteral("12:00:00"));
    grid.Cell(1, r)->SetAsString(QStringLiteral("ID"));
    grid.Cell(2, r)->SetAsString(QString::number(++counter));
    grid.EndUpdate();
  }
  // Appends one row per text, written in column c.
  void AddTexts(int c, std::initializer_list<const char*> texts) {
    for (const char* t : texts) {
      grid.AddRow(1);
      grid.Cell(c, grid.RowCount() - 1)->SetAsString(QString::fromUtf8(t));
    }
  }
  QString Text(int c, int r) {
    QString v = QStringLiteral("<none>");
    grid.GetCellText(c, r, v);
    return v;
  }
  RecordingGrid grid;
  int counter = 0;
};

}  // namespace

TEST_F(GridRows, CallListKeepsTheSixNewestCalls) {
  for (int i = 1; i <= 7; ++i) Call(QStringLiteral("555%1").arg(i));
  EXPECT_EQ(grid.RowCount(), 6);
  EXPECT_EQ(Text(4, 0), QStringLiteral("5552"));
  EXPECT_EQ(Text(4, 5), QStringLiteral("5557"));
  EXPECT_EQ(Text(2, 5), QStringLiteral("7"));
  EXPECT_EQ(grid.RowMarks.size(), 6);

  // The seventh call: delete repaints all, the new row and the one above it.
  grid.log.clear();
  Call(QStringLiteral("5558"));
  EXPECT_EQ(grid.log, (QStringList{"grid", "close editor", "row 5", "row 4", "vert range"}));
  EXPECT_EQ(Text(4, 0), QStringLiteral("5553"));
  EXPECT_EQ(Text(4, 5), QStringLiteral("5558"));
}

TEST_F(GridRows, AddRowInvalidatesNewRowsUnlessInsideABracket) {
  grid.AddRow(1);
  EXPECT_EQ(grid.log, (QStringList{"row 0", "vert range"}));  // nothing stood above
  grid.log.clear();
  grid.AddRow(2);
  EXPECT_EQ(grid.log, (QStringList{"row 1", "row 2", "row 0", "vert range"}));
  grid.log.clear();
  grid.BeginUpdate();
  grid.AddRow(1);
  grid.EndUpdate();
  EXPECT_EQ(grid.log, (QStringList{"row 2", "vert range"}));  // only the grid-line row
  grid.log.clear();
  grid.SetOptions({goHeader});
  grid.log.clear();
  grid.AddRow(1);
  EXPECT_EQ(grid.log, (QStringList{"row 4", "vert range"}));
  grid.log.clear();
  grid.AddRow(0);
  grid.AddRow(-3);
  EXPECT_EQ(grid.RowCount(), 5);
  EXPECT_EQ(grid.RowMarks.size(), 5);
}

TEST_F(GridRows, DefaultValuesAreWrittenThroughTheChangePath) {
  grid.Columns().Items(1)->SetDefaultValue(QStringLiteral("-"));
  int changes = 0;
  grid.OnChange = [&](QObject* sender, int c, int r) {
    EXPECT_EQ(sender, &grid);
    EXPECT_EQ(c, 1);
    EXPECT_EQ(r, 0);
    ++changes;
  };
  grid.AddRow(1);
  EXPECT_EQ(Text(1, 0), QString());  // option off: nothing written
  grid.SetOptions(grid.Options().With(goUseDefaultValues));
  grid.ClearRows();
  grid.log.clear();
  grid.AddRow(1);
  EXPECT_EQ(Text(1, 0), QStringLiteral("-"));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(grid.log, (QStringList{"row 0", "cell 1,0", "vert range"}));
}

TEST_F(GridRows, ChangesNotifyOutsideTheBracketOnlyAndEveryTime) {
  grid.AddRow(1);
  int changes = 0;
  grid.OnChange = [&](QObject*, int, int) { ++changes; };
  grid.log.clear();
  grid.Cell(0, 0)->SetAsString(QStringLiteral("x"));
  grid.Cell(0, 0)->SetAsString(QStringLiteral("x"));  // same text still notifies
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(grid.log, (QStringList{"cell 0,0", "cell 0,0"}));

  grid.log.clear();
  grid.BeginUpdate();
  grid.BeginUpdate();
  grid.Cell(1, 0)->SetAsString(QStringLiteral("y"));
  EXPECT_TRUE(grid.HasState(gfUpdating));
  grid.EndUpdate();  // no nesting: the bracket is over
  EXPECT_FALSE(grid.HasState(gfUpdating));
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(grid.log.isEmpty());  // and nothing is replayed
  grid.Cell(1, 0)->SetAsString(QStringLiteral("z"));
  EXPECT_EQ(changes, 3);

  // SetCellText writes only a different text.
  grid.SetCellText(2, 0, QStringLiteral("a"));
  grid.SetCellText(2, 0, QStringLiteral("a"));
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(Text(2, 0), QStringLiteral("a"));
}

TEST_F(GridRows, OutOfRangeRowsAndCellsAreAbsorbed) {
  grid.DeleteRow(0);  // empty grid
  grid.AddRow(2);
  grid.log.clear();
  grid.DeleteRow(-1);
  grid.DeleteRow(2);
  grid.InsertRow(2);
  grid.MoveRow(0, 2);
  grid.MoveRow(-1, 5);
  grid.SetCellText(5, 0, QStringLiteral("x"));
  grid.SetCellText(0, -1, QStringLiteral("x"));
  EXPECT_EQ(Text(0, 2), QStringLiteral("<none>"));
  EXPECT_EQ(grid.absorbed,
            (QStringList{"Row out of bounds (0)", "Row out of bounds (-1)", "Row out of bounds (2)",
                         "Row out of bounds (2)", "Row out of bounds (2)", "Row out of bounds (-1)",
                         "Cell out of bounds (5, 0)", "Cell out of bounds (0, -1)", "Cell out of bounds (0, 2)"}));
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_TRUE(grid.log.isEmpty());
}

TEST_F(GridRows, CellAndColourRaiseTheListIndexError) {
  grid.AddRow(1);
  gridtest::ExpectError<platform::EListError>([&] { grid.Cell(0, grid.RowCount()); },
                                              QStringLiteral("List index out of bounds (1)"));
  EXPECT_THROW(grid.GetCellColor(0, -1), platform::EListError);
  // A column outside the grid is refused too, instead of reading memory.
  EXPECT_THROW(grid.Cell(5, 0), platform::EListError);
  EXPECT_THROW(grid.GetCellColor(-1, 0), platform::EListError);
  EXPECT_EQ(grid.GetCellColor(0, 0), clBlack);
}

TEST_F(GridRows, ClearRowsKeepsTheCurrentCell) {
  grid.AddRow(3);
  grid.CurrentCol = 2;
  grid.CurrentRow = 2;
  grid.log.clear();
  grid.ClearRows();
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_TRUE(grid.RowMarks.isEmpty());
  EXPECT_EQ(grid.log, (QStringList{"close editor", "grid"}));
  grid.AddRow(1);
  EXPECT_EQ(Text(0, 0), QString());
  EXPECT_EQ(grid.CurrentCol, 2);
  EXPECT_EQ(grid.CurrentRow, 2);
  EXPECT_EQ(grid.EditCol, -1);
  EXPECT_EQ(grid.InputCol, -1);
}

TEST_F(GridRows, DeleteKeepsTheCurrentRowNumber) {
  grid.AddRow(3);
  grid.CurrentRow = 1;
  grid.log.clear();
  grid.DeleteRow(1);
  EXPECT_EQ(grid.CurrentRow, 1);
  EXPECT_EQ(grid.log, (QStringList{"grid", "close editor"}));  // the current row went
  grid.log.clear();
  grid.DeleteRow(0);
  EXPECT_EQ(grid.log, (QStringList{"grid", "follow editor"}));
  EXPECT_EQ(grid.RowMarks.size(), 1);
}

TEST_F(GridRows, InsertMoveAndAppendRows) {
  AddTexts(0, {"a", "b"});
  grid.RowMarks[1] = true;
  grid.log.clear();
  grid.InsertRow(1);
  EXPECT_EQ(Text(0, 2), QStringLiteral("b"));
  EXPECT_EQ(grid.RowMarks, (QList<bool>{false, false, true}));
  EXPECT_EQ(grid.CurrentRow, 1);  // moved down one, whatever the insertion point
  EXPECT_EQ(grid.log, (QStringList{"focus 0,1", "grid", "follow editor"}));
  grid.log.clear();
  grid.MoveRow(2, 0);
  EXPECT_EQ(Text(0, 0), QStringLiteral("b"));
  EXPECT_EQ(grid.RowMarks, (QList<bool>{true, false, false}));
  EXPECT_EQ(grid.log, (QStringList{"grid", "close editor"}));
  grid.log.clear();
  grid.AppendRows(100);
  EXPECT_EQ(grid.RowCount(), 103);
  EXPECT_EQ(grid.RowMarks.size(), 103);
  EXPECT_EQ(grid.log, (QStringList{"grid", "follow editor"}));
}

TEST_F(GridRows, SortColumnNeedsTheSortOptionAndHonoursTheDirection) {
  AddTexts(0, {"b", "c", "a"});
  TCustomColumn* column = grid.Columns().Items(0);
  column->SetOptions({});
  grid.log.clear();
  grid.SortColumn(column, true);
  EXPECT_EQ(Text(0, 0), QStringLiteral("b"));
  EXPECT_EQ(grid.log, (QStringList{"close editor"}));
  column->SetOptions({coCanSort});
  grid.log.clear();
  grid.SortColumn(column, false);
  EXPECT_EQ(Text(0, 0), QStringLiteral("c"));
  EXPECT_EQ(grid.log, (QStringList{"part 1", "close editor"}));
  grid.SortColumn(column, true);
  EXPECT_EQ(Text(0, 0), QStringLiteral("a"));
}

TEST_F(GridRows, SortedColumnSortsAndReportsWhenItsSortSettingsChange) {
  AddTexts(3, {"1", "2"});
  std::vector<std::pair<int, bool>> sorts;
  grid.OnSortColumn = [&](QObject*, int c, bool asc) { sorts.emplace_back(c, asc); };
  TCustomColumn* column = grid.Columns().Items(3);
  column->SetSortKind(skDescending);
  EXPECT_TRUE(sorts.empty());  // not sorted: no sorting
  column->SetSorted(true);
  EXPECT_EQ(Text(3, 0), QStringLiteral("2"));
  ASSERT_FALSE(sorts.empty());
  EXPECT_EQ(sorts.back(), std::make_pair(3, false));
}
