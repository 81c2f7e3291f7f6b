// Painting cost of the report grid beside QTableView over QStandardItemModel,
// both showing the call list as the main window lays it out: the grid loads
// the window's own layout file, and the table takes the grid's column widths
// (after auto-sizing), header captions and height, row pitch and font, with
// the same texts under the same headers.
//  - a full repaint of six rows: the whole widget on both sides, every
//    visible widget in it marked and painted in one pass, so the table's
//    header, a widget of its own, is painted as the grid's is; a 10- and a
//    100,000-row grid repaint beside it (only what shows is drawn);
//  - appending one row and the repaint it causes, with the same five texts
//    in every row ("Same": the grid's text-layout cache always hits) and with
//    a new time, counter and number in every row as real calls bring
//    ("Changing": every new text is laid out once).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTableView>
#include <array>
#include <memory>

#include "bench/support/ratio_main.h"
#include "grid/columns.h"
#include "grid/gridlayoutloader.h"
#include "grid/gridview.h"

namespace {

constexpr int kColumns = 5;
constexpr int kShownRows = 6;

// One call's texts in display order: line, number, time, serial, counter.
using CallTexts = std::array<QString, kColumns>;

CallTexts SameCall() {
  return {QStringLiteral("2"), QStringLiteral("05321234567"), QStringLiteral("12:34:56"), QStringLiteral("TVR-000123"),
          QStringLiteral("17")};
}

// The n-th call of a busy day: a new time, counter and number each time.
CallTexts ChangingCall(int n) {
  const int seconds = (8 * 3600 + n * 7) % 86400;
  const QString time = QStringLiteral("%1:%2:%3")
                           .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                           .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                           .arg(seconds % 60, 2, 10, QLatin1Char('0'));
  return {QString::number(n % 4 + 1),
          QStringLiteral("0532%1").arg(1000000 + n * 7919 % 9000000, 7, 10, QLatin1Char('0')), time,
          QStringLiteral("TVR-000123"), QString::number(n + 1)};
}

void EnsureStyle() {
  static bool done = false;
  if (!done) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    done = true;
  }
}

// Lets each view do what the change scheduled (the item view lays out from
// a zero timer) and delivers the repaints.
void Flush() {
  for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// Marks the widget and every visible widget inside it (frame, viewport,
// header, bars) and paints them in one pass, as the window system's expose
// would. QWidget::repaint() paints one widget alone, not its children.
void RepaintWhole(QWidget& w) {
  w.update();
  for (QWidget* child : w.findChildren<QWidget*>())
    if (child->isVisible()) child->update();
  QApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
}

struct GridFixture {
  explicit GridFixture(int rows) {
    EnsureStyle();
    grid.setGeometry(0, 0, 515, 170);
    grid::LoadGridLayoutFile(grid, QStringLiteral(CID_CALL_LIST_LAYOUT));
    grid.show();
    Flush();
    for (int d = 0; d < kColumns; ++d) columnOf[d] = grid.Columns().IndexOf(grid.Columns().ByPosition(d));
    if (rows > kShownRows) {
      grid.AppendRows(rows);
      for (int r = 0; r < rows; ++r) Write(r, SameCall());
    } else {
      for (int r = 0; r < rows; ++r) AddCall(SameCall());
    }
    Flush();
  }
  void Write(int r, const CallTexts& texts) {
    for (int d = 0; d < kColumns; ++d) grid.Cell(columnOf[d], r)->SetAsString(texts[d]);
  }
  void AddCall(const CallTexts& texts) {
    grid.AddRow(1);
    grid.BeginUpdate();
    Write(grid.RowCount() - 1, texts);
    grid.EndUpdate();
  }
  int RowCount() const { return grid.RowCount(); }
  void Clear() { grid.ClearRows(); }
  QWidget& Widget() { return grid; }

  grid::TGridView grid;
  int columnOf[kColumns] = {};
};

struct TableFixture {
  explicit TableFixture(int rows) : model(0, kColumns) {
    GridFixture like(0);
    const grid::TColumns& columns = like.grid.Columns();
    for (int d = 0; d < kColumns; ++d)
      model.setHorizontalHeaderItem(d, new QStandardItem(columns.ByPosition(d)->Header().Caption()));
    // The grid draws its cells in the columns' font and its header in its own.
    view.setFont(columns.ByPosition(0)->Font().ToQFont());
    view.horizontalHeader()->setFont(like.grid.Font().ToQFont());
    view.setModel(&model);
    view.setGeometry(0, 0, 515, 170);
    view.verticalHeader()->hide();
    view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view.verticalHeader()->setDefaultSectionSize(like.grid.RowSize() + like.grid.GridLineWidth());
    view.horizontalHeader()->setFixedHeight(like.grid.HeaderSize());
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    for (int d = 0; d < kColumns; ++d) view.horizontalHeader()->resizeSection(d, columns.ByPosition(d)->Width());
    view.show();
    for (int r = 0; r < rows; ++r) AddCall(SameCall());
    Flush();
  }
  void AddCall(const CallTexts& texts) {
    QList<QStandardItem*> row;
    for (const QString& text : texts) {
      auto* item = new QStandardItem(text);
      item->setTextAlignment(Qt::AlignCenter);
      row << item;
    }
    model.appendRow(row);
  }
  int RowCount() const { return model.rowCount(); }
  void Clear() { model.removeRows(0, model.rowCount()); }
  QWidget& Widget() { return view; }

  QStandardItemModel model;
  QTableView view;
};

void BM_FullRepaint_Grid(benchmark::State& state) {
  GridFixture f(int(state.range(0)));
  for (auto _ : state) RepaintWhole(f.Widget());
}

void BM_FullRepaint_Table(benchmark::State& state) {
  TableFixture f(kShownRows);
  for (auto _ : state) RepaintWhole(f.Widget());
}

// The list is emptied, untimed, whenever it is full, so every append lands
// in view as a fresh call on a short list does.
template <typename Fixture, bool Changing>
void AppendRow(benchmark::State& state) {
  Fixture f(0);
  int n = 0;
  for (auto _ : state) {
    if (f.RowCount() >= kShownRows) {
      state.PauseTiming();
      f.Clear();
      Flush();
      state.ResumeTiming();
    }
    f.AddCall(Changing ? ChangingCall(n++) : SameCall());
    Flush();
  }
}

void BM_AppendRow_Grid_Same(benchmark::State& state) { AppendRow<GridFixture, false>(state); }
void BM_AppendRow_Table_Same(benchmark::State& state) { AppendRow<TableFixture, false>(state); }
void BM_AppendRow_Grid_Changing(benchmark::State& state) { AppendRow<GridFixture, true>(state); }
void BM_AppendRow_Table_Changing(benchmark::State& state) { AppendRow<TableFixture, true>(state); }

}  // namespace

BENCHMARK(BM_FullRepaint_Grid)->Arg(kShownRows)->Arg(10)->Arg(100000);
BENCHMARK(BM_FullRepaint_Table);
BENCHMARK(BM_AppendRow_Grid_Same);
BENCHMARK(BM_AppendRow_Table_Same);
BENCHMARK(BM_AppendRow_Grid_Changing);
BENCHMARK(BM_AppendRow_Table_Changing);

int main(int argc, char** argv) {
  return benchsupport::RunWithRatios(argc, argv,
                                     {{"BM_FullRepaint_Grid/6", "BM_FullRepaint_Table"},
                                      {"BM_AppendRow_Grid_Same", "BM_AppendRow_Table_Same"},
                                      {"BM_AppendRow_Grid_Changing", "BM_AppendRow_Table_Changing"},
                                      {"BM_AppendRow_Grid_Changing", "BM_AppendRow_Grid_Same"},
                                      {"BM_FullRepaint_Grid/100000", "BM_FullRepaint_Grid/6"},
                                      {"BM_FullRepaint_Grid/100000", "BM_FullRepaint_Grid/10"}});
}
