// Grid-level settings and column changes as a shown call list takes them:
// what each repaints and what then shows; and loading a layout document.
#include <gtest/gtest.h>

#include <functional>

#include "calllist_grid.h"
#include "grid/columnkinds.h"
#include "platform/errors.h"

using namespace grid;
using gridtest::CallListGrid;
using gridtest::CallListLayout;
using gridtest::PaintSpy;
using gridtest::Px;
using gridtest::Sys;

namespace {

// What a change asks to repaint once the event loop has run.
QRegion Repainted(CallListGrid& f, const std::function<void()>& change) {
  PaintSpy spy(f.grid->viewport());
  change();
  f.Settle();
  return spy.region;
}

QRegion Whole(const CallListGrid& f) { return QRegion(f.grid->viewport()->rect()); }

// Dark (text) pixels inside a rectangle.
int Ink(const QImage& img, const QRect& r) {
  int n = 0;
  for (int y = r.top(); y <= r.bottom(); ++y)
    for (int x = r.left(); x <= r.right(); ++x) n += qGray(Px(img, x, y)) < 128;
  return n;
}

}  // namespace

TEST(GridSettings, ChangesOfTheLookRepaintTheWholeGridAndShow) {
  struct Case {
    const char* name;
    std::function<void(TGridView&)> before, change;
    bool shows = true;
  };
  const auto nothing = [](TGridView&) {};
  const Case cases[] = {
      {"framed lines", nothing, [](TGridView& g) { g.SetGridLinesStyle(lsFramed); }},
      {"old-style header", nothing, [](TGridView& g) { g.SetHeaderStyle(hsOldStyle); }},
      {"taller header", nothing, [](TGridView& g) { g.SetHeaderSize(30); }},
      {"slides", nothing, [](TGridView& g) { g.SetGridStyle(gsSlides); }},
      {"input row size", [](TGridView& g) { g.SetOptions(g.Options().With(goInput)); },
       [](TGridView& g) { g.SetInputSize(30); }},
      {"indicator", nothing, [](TGridView& g) { g.SetOptions(g.Options().With(goIndicator)); }},
      // The slides' area shows the grid colour only, whatever their size.
      {"slide size in slides", [](TGridView& g) { g.SetGridStyle(gsSlides); }, [](TGridView& g) { g.SetSlideSize(90); },
       false},
  };
  for (const Case& c : cases) {
    CallListGrid f;
    f.AddRows(2);
    c.before(*f.grid);
    const QImage before = f.Client();
    const QRegion repainted = Repainted(f, [&] { c.change(*f.grid); });
    EXPECT_EQ(repainted, Whole(f)) << c.name;
    EXPECT_EQ(f.Client() != before, c.shows) << c.name;
  }
}

TEST(GridSettings, SettingsThatOnlyStoreRepaintNothing) {
  CallListGrid f;
  f.AddRows(2);
  EXPECT_TRUE(Repainted(f, [&] {
                f.grid->SetHideScrollBar(false);
                f.grid->SetWantReturns(true);
                f.grid->SetSelectionMoveDirection(mdDown);
                f.grid->SetSlideSize(70);  // the report style has no slides
                f.grid->SetRowSize(0);     // ignored, as is any size below 1
                f.grid->SetRowSize(-4);
              }).isEmpty());
  EXPECT_EQ(f.grid->RowSize(), 20);
}

TEST(GridSettings, CaptionIsDrawnInAnEmptyGridAndOnlyItsStripRepainted) {
  CallListGrid f;
  const TRect data = f.grid->GetDataRect();
  const QRect strip(0, data.Top, f.grid->ClientWidth(), data.Bottom - data.Top);
  EXPECT_EQ(Ink(f.Client(), strip), 0);
  EXPECT_EQ(Repainted(f, [&] { f.grid->SetCaption(QStringLiteral("Arama yok")); }), QRegion(strip));
  EXPECT_GT(Ink(f.Client(), strip), 20);
}

TEST(GridSettings, RowSizeMovesTheRowsAndTheScrollStep) {
  CallListGrid f;
  f.AddRows(10);
  f.grid->SetOptions(f.grid->Options().With(goIndicator));
  f.Settle();
  const QRect data = f.grid->GetDataRect().ToQRect();
  const QRect indicator = f.grid->GetIndicatorRect().ToQRect();
  EXPECT_EQ(Repainted(f, [&] { f.grid->SetRowSize(30); }), QRegion(data) + QRegion(indicator));
  const QImage img = f.Client();
  EXPECT_EQ(Px(img, 100, data.top() + 30), Sys(clBtnFace)) << "grid line below row 0";
  EXPECT_EQ(Px(img, 100, data.top() + 20), Sys(clWindow));
  EXPECT_EQ(f.grid->VertScrollUnit(), 31) << "a line step is a row and its grid line";
}

TEST(GridSettings, IndicatorMovesTheColumnsRightAndBack) {
  CallListGrid f;
  TCustomColumn* first = f.grid->Columns().ByPosition(0);
  f.grid->SetOptions(f.grid->Options().With(goIndicator));
  EXPECT_EQ(first->Left(), 12);
  f.grid->SetOptions(f.grid->Options().Without(goIndicator));
  EXPECT_EQ(first->Left(), 0);
}

// Each column change as the user sees it; what a column only stores is not
// repainted, and nothing is while a layout is read.
TEST(GridColumnReactions, WhatAColumnShowsIsRepaintedAndWhatItStoresIsNot) {
  CallListGrid f;
  f.AddRows(2);
  TColumns& cols = f.grid->Columns();
  auto& hat = static_cast<TTextualColumn&>(*cols.Items(3));  // "Hat no.", leftmost
  const QRect row1(1, 42, 58, 18);                           // its cell in row 1, inside the lines

  // A column's colour is its new cells' colour.
  EXPECT_EQ(Repainted(f, [&] { hat.SetColor(clRed); }), Whole(f));
  f.AddRows(1);
  EXPECT_EQ(Px(f.Client(), 3, 65), Sys(clRed));
  EXPECT_EQ(Px(f.Client(), 3, 45), Sys(clWindow));

  const int before = Ink(f.Client(), row1);
  EXPECT_EQ(Repainted(f, [&] { hat.SetAlignment(taLeftJustify); }), Whole(f));
  EXPECT_GT(Ink(f.Client(), QRect(1, 42, 10, 18)), 0) << "the number moved to the left edge";
  EXPECT_EQ(Ink(f.Client(), row1), before);

  EXPECT_EQ(Repainted(f, [&] { hat.Header().SetCaption(QStringLiteral("Hat")); }), Whole(f));

  EXPECT_TRUE(Repainted(f, [&] {
                hat.SetWrapKind(wkWordWrap);
                hat.SetDefaultWidth(10);
                hat.SetDefaultValue(QStringLiteral("x"));
                hat.SetAutoExecute(false);
              }).isEmpty());

  f.grid->BeginReading();
  EXPECT_TRUE(Repainted(f, [&] {
                hat.SetColor(clWindow);
                hat.SetWidth(90);
              }).isEmpty());
  f.grid->EndReading();

  EXPECT_EQ(Repainted(f, [&] { hat.SetVisible(false); }), Whole(f));
  EXPECT_EQ(cols.Items(4)->Left(), 0) << "\"Arayan numara\" now leftmost";
  EXPECT_EQ(f.grid->ColumnAt(5), cols.Items(4));
}

TEST(GridColumnReactions, InputTextRepaintsItsColumnOfTheInputRowOnly) {
  CallListGrid f;
  f.grid->SetOptions(f.grid->Options().With(goInput));
  f.Settle();
  TCustomColumn* number = f.grid->Columns().Items(4);
  const TRect input = f.grid->GetInputRect();
  EXPECT_EQ(Repainted(f, [&] { number->SetInputText(QStringLiteral("0212")); }),
            QRegion(number->Left(), input.Top, number->Width(), input.Bottom - input.Top));
}

TEST(GridColumnReactions, ColumnsAddedOrClearedTakeTheirCellsAndRows) {
  CallListGrid f;
  f.AddRows(2);
  f.grid->RowMarks[1] = true;
  f.grid->Columns().Add(std::make_unique<TTextualColumn>());
  EXPECT_EQ(f.grid->Store().ColumnCount(), 6);
  QString text = QStringLiteral("unset");
  f.grid->GetCellText(5, 1, text);
  EXPECT_EQ(text, QString()) << "an empty cell in every row";
  f.grid->Columns().Clear();
  EXPECT_EQ(f.grid->Store().ColumnCount(), 0);
  EXPECT_THROW(f.grid->Columns().ByPosition(0), platform::EListError);
  EXPECT_EQ(f.grid->RowCount(), 0);
  EXPECT_TRUE(f.grid->RowMarks.isEmpty());
  (void)f.Client();  // and it still paints
}

// Every kind of value the document converts, each away from its default.
TEST(GridLayout, EveryKindOfValueIsConverted) {
  TGridView grid;
  LoadGridLayout(grid, R"({"grid": {"InputSize": 17, "SlideSize": 61, "SelectionMoveDirection": "mdNone",
      "ShowHint": true, "Options": ["goGrid", "goIndicator"]},
    "columns": [{"class": "TTextualColumn", "Width": 55, "DefaultWidth": 44, "Alignment": "taRightJustify",
      "Color": "clBtnShadow", "Options": ["coFixedSize", "coCanInput"], "SortKind": "skDescending",
      "AutoExecute": false, "Font": {"Name": "Verdana"}, "Header": {"Color": "clHighlight"}}]})");
  EXPECT_EQ(grid.InputSize(), 17);
  EXPECT_EQ(grid.SlideSize(), 61);
  EXPECT_EQ(grid.SelectionMoveDirection(), mdNone);
  EXPECT_TRUE(grid.ShowHint());
  EXPECT_EQ(grid.Options(), (TGridOptions{goGrid, goIndicator}));
  auto* c = dynamic_cast<TTextualColumn*>(grid.Columns().Items(0));
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->Width(), 55);
  EXPECT_EQ(c->DefaultWidth(), 44);
  EXPECT_EQ(c->Alignment(), taRightJustify);
  EXPECT_EQ(c->Color(), clBtnShadow);
  EXPECT_EQ(c->Options(), (TColumnOptions{coFixedSize, coCanInput}));
  EXPECT_EQ(c->SortKind(), skDescending);
  EXPECT_FALSE(c->AutoExecute());
  EXPECT_EQ(c->Font().Name, QStringLiteral("Verdana"));
  EXPECT_EQ(c->Header().Color(), clHighlight);
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
