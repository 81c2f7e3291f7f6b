// Grid-level settings: what each change triggers, the
// grid's reactions to column changes, and loading a layout document.
#include <gtest/gtest.h>

#include <QFile>

#include "grid/columnkinds.h"
#include "grid/gridlayoutloader.h"
#include "model_helpers.h"

using namespace grid;
using gridtest::RecordingGrid;

namespace {

QByteArray CallListLayout() {
  QFile f(QStringLiteral(CID_SOURCE_DIR "/ui/main_window/gridview1.json"));
  EXPECT_TRUE(f.open(QIODevice::ReadOnly));
  return f.readAll();
}

}  // namespace

TEST(GridSettings, EachChangeTriggersItsRepaint) {
  RecordingGrid grid;
  grid.SetGridLinesStyle(lsFramed);
  grid.SetHeaderStyle(hsOldStyle);
  grid.SetInputSize(12);
  EXPECT_EQ(grid.log, (QStringList{"grid", "grid", "grid"}));
  grid.log.clear();
  grid.SetHeaderSize(20);
  EXPECT_EQ(grid.log, (QStringList{"grid", "follow editor"}));
  grid.log.clear();
  grid.SetCaption(QStringLiteral("x"));
  EXPECT_EQ(grid.log, (QStringList{"caption"}));
  grid.log.clear();
  grid.SetGridStyle(gsSlides);
  EXPECT_EQ(grid.log, (QStringList{"close editor", "grid", "horz bar", "vert bar"}));
  grid.log.clear();
  grid.SetSlideSize(60);  // repaints in the slides style only
  grid.SetGridStyle(gsReport);
  grid.SetSlideSize(70);
  EXPECT_EQ(grid.log, (QStringList{"grid", "grid", "horz bar", "vert bar"}));
  grid.log.clear();
  grid.SetHideScrollBar(false);
  grid.SetWantReturns(true);
  grid.SetSelectionMoveDirection(mdNone);
  EXPECT_TRUE(grid.log.isEmpty());
}

TEST(GridSettings, RowSizeIgnoresNonPositiveValuesAndSetsTheScrollUnit) {
  RecordingGrid grid;
  grid.SetRowSize(0);
  grid.SetRowSize(-4);
  EXPECT_EQ(grid.RowSize(), 16);
  EXPECT_TRUE(grid.log.isEmpty());
  grid.SetRowSize(20);
  EXPECT_EQ(grid.RowSize(), 20);
  EXPECT_EQ(grid.VertScrollUnit(), 20);
  EXPECT_EQ(grid.log, (QStringList{"part 1", "follow editor"}));
  grid.SetOptions({goInput, goIndicator});
  grid.log.clear();
  grid.SetRowSize(21);
  EXPECT_EQ(grid.log, (QStringList{"part 1", "part 5", "part 4", "follow editor"}));
}

TEST(GridSettings, IndicatorOptionLaysTheColumnsOutAgain) {
  RecordingGrid grid;
  grid.Columns().Add(std::make_unique<TTextualColumn>());
  grid.Columns().Add(std::make_unique<TTextualColumn>());
  grid.log.clear();
  grid.SetOptions(grid.Options().With(goIndicator));
  EXPECT_EQ(grid.Columns().Items(0)->Left(), 12);
  EXPECT_EQ(grid.Columns().Items(1)->Left(), 92);
  EXPECT_EQ(grid.log, (QStringList{"grid", "follow editor", "horz bar"}));
  grid.SetOptions(grid.Options().Without(goIndicator));
  EXPECT_EQ(grid.Columns().Items(1)->Left(), 80);
}

TEST(GridColumnReactions, GridRepaintsForColumnChangesOnceShown) {
  RecordingGrid grid;
  grid.Columns().Add(std::make_unique<TTextualColumn>());
  grid.Columns().Add(std::make_unique<TTextualColumn>());
  grid.log.clear();
  TCustomColumn* c = grid.Columns().Items(0);
  c->SetColor(clRed);
  c->SetVisible(false);
  c->SetWidth(50);
  c->SetInputText(QStringLiteral("q"));
  c->SetWrapKind(wkNone);  // stored only
  EXPECT_EQ(grid.log,
            (QStringList{"grid", "grid", "follow editor", "grid", "follow editor", "horz bar", "column part 0,5"}));
  grid.log.clear();
  grid.BeginReading();
  c->SetColor(clWindow);
  c->SetWidth(60);
  grid.EndReading();
  EXPECT_TRUE(grid.log.isEmpty());
}

// Captions, display order and the main sizes are checked where the main
// window loads this layout; here every kind of value the document converts.
TEST(GridLayout, CallListLayoutConvertsEveryKindOfValue) {
  TGridView grid;
  LoadGridLayout(grid, CallListLayout());
  EXPECT_EQ(grid.InputSize(), 12);
  EXPECT_EQ(grid.SlideSize(), 60);
  EXPECT_EQ(grid.SelectionMoveDirection(), mdNone);
  EXPECT_TRUE(grid.ShowHint());

  const int widths[] = {100, 100, 100, 55, 100};
  for (int i = 0; i < 5; ++i) {
    auto* c = dynamic_cast<TTextualColumn*>(grid.Columns().Items(i));
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->Width(), widths[i]);
    EXPECT_EQ(c->DefaultWidth(), widths[i]);
    EXPECT_EQ(c->Alignment(), taCenter);
    EXPECT_EQ(c->Color(), clWindow);
    EXPECT_EQ(c->Options(), (TColumnOptions{coAutoSize, coCanInput, coDontHighlight, coPublicUsing}));
    EXPECT_EQ(c->SortKind(), i == 3 ? skDescending : skAscending);
    EXPECT_TRUE(c->AutoExecute());
    EXPECT_FALSE(c->Sorted());
    EXPECT_EQ(c->Header().Color(), clBtnFace);
    EXPECT_EQ(c->Font().Name, QStringLiteral("MS Sans Serif"));
  }
}

TEST(GridLayout, FontStylesAreReadByName) {
  TGridView grid;
  LoadGridLayout(grid, R"({"columns": [{"class": "TTextualColumn", "Font": {"Style": ["fsStrikeOut", "fsBold"]}}]})");
  const TFont f = grid.Columns().Items(0)->Font();
  EXPECT_TRUE(f.Bold);
  EXPECT_FALSE(f.Italic);
  EXPECT_FALSE(f.Underline);
  EXPECT_TRUE(f.StrikeOut);
}

TEST(GridLayout, LoadingAgainReplacesTheColumnsAndKeepsNoRows) {
  TGridView grid;
  LoadGridLayout(grid, CallListLayout());
  grid.AddRow(2);
  LoadGridLayout(grid, CallListLayout());
  EXPECT_EQ(grid.Columns().Count(), 5);
  EXPECT_EQ(grid.Store().ColumnCount(), 5);
  EXPECT_EQ(grid.RowCount(), 0);
  EXPECT_TRUE(grid.RowMarks.isEmpty());
}

TEST(GridLayout, BadDocumentsRaiseAClearErrorAndLeaveTheGridAlone) {
  TGridView grid;
  LoadGridLayout(grid, CallListLayout());
  const char* bad[] = {
      "{",
      "[]",
      R"({"grid": {"HeaderSize": "big"}})",
      R"({"grid": {"Options": ["goNoSuch"]}})",
      R"({"grid": {"BorderStyle": "grid::bsNone"}})",
      R"({"columns": [{"class": "TTextualColumn", "Alignment": "vaTop"}]})",
      R"({"columns": [{"class": "TTextualColumn", "Font": {"Style": ["fsBold", "Bold"]}}]})",
      R"({"columns": [{"class": "TNoSuchColumn"}]})",
      R"({"columns": [{"class": "TTextualColumn", "Width": 10}, {"class": "TTextualColumn", "Colour": 1}]})",
      R"({"columns": [{"class": "TCheckBoxColumn", "TextBefore": "x"}]})",
      R"({"grids": {}})",
  };
  for (const char* doc : bad) {
    try {
      LoadGridLayout(grid, QByteArray(doc));
      ADD_FAILURE() << "accepted: " << doc;
    } catch (const platform::Exception& e) {
      EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Grid layout: "))) << e.Message().toStdString();
    }
    EXPECT_EQ(grid.Columns().Count(), 5) << doc;
    EXPECT_EQ(grid.HeaderSize(), 20) << doc;
    EXPECT_FALSE(grid.Reading());
  }
  EXPECT_THROW(LoadGridLayoutFile(grid, QStringLiteral("/nonexistent/layout.json")), platform::Exception);
}

TEST(GridLayout, LoadedSortedColumnDoesNotSortWhileReading) {
  TGridView grid;
  LoadGridLayout(grid, R"({"columns": [
      {"class": "TTextualColumn", "Sorted": true, "Position": 1},
      {"class": "TTextualColumn", "Sorted": true, "Position": 0}]})");
  EXPECT_FALSE(grid.Columns().Items(0)->Sorted());
  EXPECT_TRUE(grid.Columns().Items(1)->Sorted());
  EXPECT_EQ(grid.Columns().ByPosition(0)->Index(), 1);
}
