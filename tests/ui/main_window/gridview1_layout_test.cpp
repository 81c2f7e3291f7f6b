// The call list's grid as the main window loads it from its layout data.
#include <gtest/gtest.h>

#include "support/fake_control.h"
#include "ui/main_window/form1.h"

namespace {

class CallListGrid : public ::testing::Test {
 protected:
  testsupport::ScopedFakeControl fake;
  std::unique_ptr<mainwindow::TForm1> f{new mainwindow::TForm1()};
};

}  // namespace

TEST_F(CallListGrid, FiveColumnsInTheirDisplayOrderAndNoRows) {
  grid::TGridView* g = f->GridView1;
  QStringList shown;
  for (int i = 0; i < g->Columns().Count(); ++i) shown << g->Columns().ByPosition(i)->Header().Caption();
  EXPECT_EQ(shown, (QStringList{"Hat no.", "Arayan numara", "Saat", "Cihaz seri no.", "Çağrı sıra no"}));
  EXPECT_EQ(g->Columns().Items(0)->Header().Caption(), QStringLiteral("Saat"));
  EXPECT_EQ(g->Store().ColumnCount(), 5);
  EXPECT_EQ(g->RowCount(), 0);
  EXPECT_EQ(g->HeaderSize(), 20);
  EXPECT_EQ(g->RowSize(), 20);
  EXPECT_EQ(g->Options(), (grid::TGridOptions{grid::goDissableColumnMoving, grid::goGrid, grid::goHeader}));
  EXPECT_FALSE(g->Reading());
}
