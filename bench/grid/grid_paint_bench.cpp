// Painting cost of the report grid beside QTableView over QStandardItemModel
// showing the same six rows and five columns at the call list's size: a full
// repaint, and appending one row with the repaint it causes. A 100,000-row
// grid repaints beside the six-row one: only what is visible is drawn.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTableView>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "grid/gridlayoutloader.h"
#include "grid/gridview.h"

namespace {

constexpr int kColumns = 5;
const QString kTexts[kColumns] = {QStringLiteral("12:34:56"), QStringLiteral("TVR-000123"), QStringLiteral("17"),
                                  QStringLiteral("2"), QStringLiteral("05321234567")};

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

QByteArray CallListLayout() {
  QByteArray columns;
  const char* captions[] = {"Saat", "Cihaz seri no.", "Çağrı sıra no", "Hat no.", "Arayan numara"};
  const int positions[] = {2, 3, 4, 0, 1};
  const int widths[] = {100, 100, 100, 55, 100};
  for (int i = 0; i < kColumns; ++i) {
    if (i) columns += ",";
    columns += QByteArray(R"({"class": "TTextualColumn", "Alignment": "taCenter", "Color": "clWindow",
      "Header": {"Caption": ")") + captions[i] + R"("}, "Options": ["coAutoSize", "coCanInput", "coDontHighlight", "coPublicUsing"],
      "Position": )" + QByteArray::number(positions[i]) + R"(, "Width": )" + QByteArray::number(widths[i]) + "}";
  }
  return R"({"grid": {"HeaderSize": 20, "RowSize": 20, "Options": ["goDissableColumnMoving", "goGrid", "goHeader"]},
    "columns": [)" + columns + "]}";
}

struct GridFixture {
  explicit GridFixture(int rows) {
    EnsureStyle();
    grid.setGeometry(0, 0, 515, 170);
    grid::LoadGridLayout(grid, CallListLayout());
    grid.show();
    for (int r = 0; r < rows; ++r) AddCall();
    QApplication::processEvents();
  }
  void AddCall() {
    grid.AddRow(1);
    const int r = grid.RowCount() - 1;
    grid.BeginUpdate();
    for (int c = 0; c < kColumns; ++c) grid.Cell(c, r)->SetAsString(kTexts[c]);
    grid.EndUpdate();
  }
  grid::TGridView grid;
};

struct TableFixture {
  explicit TableFixture(int rows) : model(0, kColumns) {
    EnsureStyle();
    const char* captions[] = {"Hat no.", "Arayan numara", "Saat", "Cihaz seri no.", "Çağrı sıra no"};
    for (int c = 0; c < kColumns; ++c) model.setHorizontalHeaderItem(c, new QStandardItem(QString::fromUtf8(captions[c])));
    view.setModel(&model);
    view.setGeometry(0, 0, 515, 170);
    view.verticalHeader()->hide();
    view.verticalHeader()->setDefaultSectionSize(21);
    view.horizontalHeader()->setFixedHeight(20);
    view.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    view.show();
    for (int r = 0; r < rows; ++r) AddCall();
    QApplication::processEvents();
  }
  void AddCall() {
    QList<QStandardItem*> row;
    for (int c = 0; c < kColumns; ++c) {
      auto* item = new QStandardItem(kTexts[c]);
      item->setTextAlignment(Qt::AlignCenter);
      row << item;
    }
    model.appendRow(row);
  }
  QStandardItemModel model;
  QTableView view;
};

void BM_FullRepaint_Grid(benchmark::State& state) {
  GridFixture f(int(state.range(0)));
  for (auto _ : state) f.grid.viewport()->repaint();
}

void BM_FullRepaint_Table(benchmark::State& state) {
  TableFixture f(6);
  for (auto _ : state) f.view.viewport()->repaint();
}

void BM_AppendRow_Grid(benchmark::State& state) {
  GridFixture f(0);
  for (auto _ : state) {
    if (f.grid.RowCount() >= 6) {
      state.PauseTiming();
      f.grid.ClearRows();
      Flush();
      state.ResumeTiming();
    }
    f.AddCall();
    Flush();
  }
}

void BM_AppendRow_Table(benchmark::State& state) {
  TableFixture f(0);
  for (auto _ : state) {
    if (f.model.rowCount() >= 6) {
      state.PauseTiming();
      f.model.removeRows(0, f.model.rowCount());
      Flush();
      state.ResumeTiming();
    }
    f.AddCall();
    Flush();
  }
}

}  // namespace

BENCHMARK(BM_FullRepaint_Grid)->Arg(6)->Arg(10)->Arg(100000);
BENCHMARK(BM_FullRepaint_Table);
BENCHMARK(BM_AppendRow_Grid);
BENCHMARK(BM_AppendRow_Table);

// Ratios from CPU time as well as wall time: the machine may be shared, and
// painting is CPU-bound.
class PaintRatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (!r.error_occurred) times_[r.benchmark_name()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    ConsoleReporter::ReportRuns(runs);
  }
  void PrintRatios(const std::vector<std::pair<std::string, std::string>>& pairs) const {
    std::printf("\nRatios (same run)                                                        wall      cpu\n");
    for (const auto& [name, baseline] : pairs) {
      const auto a = times_.find(name), b = times_.find(baseline);
      if (a == times_.end() || b == times_.end() || b->second.first <= 0 || b->second.second <= 0) continue;
      std::printf("  %-30s / %-30s = %8.3f %8.3f\n", name.c_str(), baseline.c_str(),
                  a->second.first / b->second.first, a->second.second / b->second.second);
    }
  }

 private:
  std::map<std::string, std::pair<double, double>> times_;
};

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  PaintRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios({{"BM_FullRepaint_Grid/6", "BM_FullRepaint_Table"},
                        {"BM_AppendRow_Grid", "BM_AppendRow_Table"},
                        {"BM_FullRepaint_Grid/100000", "BM_FullRepaint_Grid/6"},
                        {"BM_FullRepaint_Grid/100000", "BM_FullRepaint_Grid/10"}});
  benchmark::Shutdown();
  return 0;
}
