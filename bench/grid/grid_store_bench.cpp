// The call list's work on the grid beside the same work on a
// QStandardItemModel, measured in the same run:
//  - one call: drop the oldest row, append a row, write five texts inside an
//    update bracket, on lists of 6, 10,000 and 100,000 rows (the cost should
//    stay flat apart from the list shifting itself). The model does it two
//    ways, empty items whose texts are set afterwards (a change signal for
//    each) and items created with their texts; the grid is compared with the
//    faster of the two;
//  - appending 100,000 rows of five text cells to an empty list: row by row
//    through the control (each AddRow also repaints its row and pushes the
//    new scroll range to the window's bar), in one plain append, and into the
//    store alone; the model alone and with a table view as baselines.
#include <benchmark/benchmark.h>

#include <QStandardItemModel>
#include <QTableView>
#include <memory>

#include "bench/support/ratio_main.h"
#include "grid/cellstore.h"
#include "grid/columnkinds.h"
#include "grid/gridview.h"

namespace {

constexpr int kColumns = 5;
const QString kTexts[kColumns] = {QStringLiteral("12:34:56"), QStringLiteral("ID0042"), QStringLiteral("17"),
                                  QStringLiteral("2"), QStringLiteral("05321234567")};

std::unique_ptr<grid::TGridView> NewGrid() {
  auto g = std::make_unique<grid::TGridView>();
  g->SetOptions({grid::goDissableColumnMoving, grid::goGrid, grid::goHeader});
  g->BeginReading();
  for (int pos : {2, 3, 4, 0, 1}) {
    auto c = std::make_unique<grid::TTextualColumn>();
    c->SetPosition(pos);
    g->Columns().Add(std::move(c));
  }
  g->EndReading();
  return g;
}

void GridCall(grid::TGridView& g) {
  g.DeleteRow(0);
  g.AddRow(1);
  const int r = g.RowCount() - 1;
  g.BeginUpdate();
  g.Cell(3, r)->SetAsString(kTexts[3]);
  g.Cell(4, r)->SetAsString(kTexts[4]);
  g.Cell(0, r)->SetAsString(kTexts[0]);
  g.Cell(1, r)->SetAsString(kTexts[1]);
  g.Cell(2, r)->SetAsString(kTexts[2]);
  g.EndUpdate();
}

void ModelCall(QStandardItemModel& m) {
  m.removeRow(0);
  QList<QStandardItem*> row;
  for (int c = 0; c < kColumns; ++c) row << new QStandardItem;
  m.appendRow(row);
  const int r = m.rowCount() - 1;
  for (int c : {3, 4, 0, 1, 2}) m.item(r, c)->setText(kTexts[c]);
}

void ModelCallWithText(QStandardItemModel& m) {
  m.removeRow(0);
  QList<QStandardItem*> row;
  for (int c = 0; c < kColumns; ++c) row << new QStandardItem(kTexts[c]);
  m.appendRow(row);
}

void FillModel(QStandardItemModel& m, int rows) {
  for (int r = 0; r < rows; ++r) {
    QList<QStandardItem*> row;
    for (int c = 0; c < kColumns; ++c) row << new QStandardItem;
    m.appendRow(row);
  }
}

void BM_CallCycle_Grid(benchmark::State& state) {
  auto g = NewGrid();
  g->AddRow(static_cast<int>(state.range(0)));
  for (auto _ : state) GridCall(*g);
  benchmark::DoNotOptimize(g->RowCount());
}

void BM_CallCycle_Model(benchmark::State& state) {
  QStandardItemModel m(0, kColumns);
  FillModel(m, static_cast<int>(state.range(0)));
  for (auto _ : state) ModelCall(m);
  benchmark::DoNotOptimize(m.rowCount());
}

void BM_CallCycle_ModelWithText(benchmark::State& state) {
  QStandardItemModel m(0, kColumns);
  FillModel(m, static_cast<int>(state.range(0)));
  for (auto _ : state) ModelCallWithText(m);
  benchmark::DoNotOptimize(m.rowCount());
}

void BM_Append100k_Grid(benchmark::State& state) {
  for (auto _ : state) {
    auto g = NewGrid();
    for (int i = 0; i < 100000; ++i) {
      g->AddRow(1);
      const int r = g->RowCount() - 1;
      g->BeginUpdate();
      for (int c = 0; c < kColumns; ++c) g->Cell(c, r)->SetAsString(kTexts[c]);
      g->EndUpdate();
    }
    benchmark::DoNotOptimize(g->RowCount());
  }
}

// The control's plain append: one repaint for the lot, the texts written in
// one bracket.
void BM_Append100k_GridAppendRows(benchmark::State& state) {
  for (auto _ : state) {
    auto g = NewGrid();
    g->AppendRows(100000);
    g->BeginUpdate();
    for (int r = 0; r < 100000; ++r)
      for (int c = 0; c < kColumns; ++c) g->Cell(c, r)->SetAsString(kTexts[c]);
    g->EndUpdate();
    benchmark::DoNotOptimize(g->RowCount());
  }
}

// The store alone, without the control's repaint and scroll-bar bookkeeping.
void BM_Append100k_Store(benchmark::State& state) {
  for (auto _ : state) {
    grid::TColumns columns;
    grid::TCells store(&columns, nullptr);
    columns.OnStoreStructure = [&](grid::TColumns*, grid::TStructureAction, int, int) { store.AddColumn(); };
    for (int c = 0; c < kColumns; ++c) columns.Add(std::make_unique<grid::TTextualColumn>());
    for (int i = 0; i < 100000; ++i) {
      store.AddRows(1);
      const int r = store.RowCount() - 1;
      for (int c = 0; c < kColumns; ++c) store.GetCell(c, r)->SetAsString(kTexts[c]);
    }
    benchmark::DoNotOptimize(store.RowCount());
  }
}

void BM_Append100k_Model(benchmark::State& state) {
  for (auto _ : state) {
    QStandardItemModel m(0, kColumns);
    for (int i = 0; i < 100000; ++i) {
      QList<QStandardItem*> row;
      for (int c = 0; c < kColumns; ++c) row << new QStandardItem(kTexts[c]);
      m.appendRow(row);
    }
    benchmark::DoNotOptimize(m.rowCount());
  }
}

// The model with a table view attached (not shown), the nearest Qt
// counterpart of a grid control.
void BM_Append100k_ModelWithView(benchmark::State& state) {
  for (auto _ : state) {
    QStandardItemModel m(0, kColumns);
    QTableView view;
    view.setModel(&m);
    for (int i = 0; i < 100000; ++i) {
      QList<QStandardItem*> row;
      for (int c = 0; c < kColumns; ++c) row << new QStandardItem(kTexts[c]);
      m.appendRow(row);
    }
    benchmark::DoNotOptimize(m.rowCount());
  }
}

}  // namespace

BENCHMARK(BM_CallCycle_Grid)->Arg(6)->Arg(10000)->Arg(100000);
BENCHMARK(BM_CallCycle_Model)->Arg(6)->Arg(10000)->Arg(100000);
BENCHMARK(BM_CallCycle_ModelWithText)->Arg(6)->Arg(10000)->Arg(100000);
BENCHMARK(BM_Append100k_Grid)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append100k_GridAppendRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append100k_Store)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append100k_Model)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Append100k_ModelWithView)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  return benchsupport::RunWithRatios(
      argc, argv,
      {{"BM_CallCycle_ModelWithText/6", "BM_CallCycle_Model/6"},
       {"BM_CallCycle_Grid/6", "BM_CallCycle_Model/6|BM_CallCycle_ModelWithText/6"},
       {"BM_CallCycle_Grid/10000", "BM_CallCycle_Model/10000|BM_CallCycle_ModelWithText/10000"},
       {"BM_CallCycle_Grid/100000", "BM_CallCycle_Model/100000|BM_CallCycle_ModelWithText/100000"},
       {"BM_CallCycle_Grid/100000", "BM_CallCycle_Grid/6"},
       {"BM_Append100k_Grid", "BM_Append100k_Model"},
       {"BM_Append100k_GridAppendRows", "BM_Append100k_Model"},
       {"BM_Append100k_Store", "BM_Append100k_Model"},
       {"BM_Append100k_Grid", "BM_Append100k_ModelWithView"}});
}
