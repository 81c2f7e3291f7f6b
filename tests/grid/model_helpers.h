#pragma once
// Helpers for the model tests: an exact error check and a grid that records
// the calls which would reach the screen instead of drawing.
#include <gtest/gtest.h>

#include <QStringList>

#include "grid/gridview.h"
#include "platform/errors.h"

namespace gridtest {

// Runs fn, expecting an error of type E with exactly this message.
template <typename E, typename Fn>
void ExpectError(Fn fn, const QString& message) {
  try {
    fn();
    ADD_FAILURE() << "no error, expected " << message.toStdString();
  } catch (const E& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

class RecordingGrid : public grid::TGridView {
 public:
  QStringList log;
  QStringList absorbed;
  void InvalidateGrid() override { log << QStringLiteral("grid"); }
  void InvalidateRow(int r) override { log << QStringLiteral("row %1").arg(r); }
  void InvalidateCell(int c, int r) override { log << QStringLiteral("cell %1,%2").arg(c).arg(r); }
  void InvalidatePart(grid::TGridPart p) override { log << QStringLiteral("part %1").arg(int(p)); }
  void InvalidateColumnPart(grid::TCustomColumn* c, grid::TGridPart p) override {
    log << QStringLiteral("column part %1,%2").arg(c->Index()).arg(int(p));
  }
  void InvalidateCaption() override { log << QStringLiteral("caption"); }
  void UpdateScrollRangeAfterAdd() override { log << QStringLiteral("vert range"); }
  void UpdateHorzScrollBar() override { log << QStringLiteral("horz bar"); }
  void UpdateVertScrollBar() override { log << QStringLiteral("vert bar"); }
  void CloseEditor() override { log << QStringLiteral("close editor"); }
  void UpdateEditor() override { log << QStringLiteral("follow editor"); }
  void FocusCell(int c, int r) override {
    log << QStringLiteral("focus %1,%2").arg(c).arg(r);
    CurrentCol = c;
    CurrentRow = r;
  }

 protected:
  void ErrorAbsorbed(const platform::Exception& e) override { absorbed << e.Message(); }
};

}  // namespace gridtest
