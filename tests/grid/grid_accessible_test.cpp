// The grid as assistive technology reads it through QAccessible: a table
// whose columns stand in display order, with header captions, cell texts,
// the current cell, and the events a screen reader needs to announce a call.
#include <gtest/gtest.h>

#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <QAccessible>

#include "calllist_grid.h"
#include "grid/gridaccessible.h"

using gridtest::CallListGrid;

namespace {

struct Event {
  QAccessible::Event type = QAccessible::InvalidEvent;
  int change = -1;  // QAccessibleTableModelChangeEvent's kind
  int firstRow = -1, lastRow = -1, firstColumn = -1, lastColumn = -1;
  QString name;  // the object's name for events about one cell
};

std::vector<Event>* g_events = nullptr;

void Record(QAccessibleEvent* e) {
  Event ev;
  ev.type = e->type();
  if (e->type() == QAccessible::TableModelChanged) {
    auto* m = static_cast<QAccessibleTableModelChangeEvent*>(e);
    ev.change = m->modelChangeType();
    ev.firstRow = m->firstRow();
    ev.lastRow = m->lastRow();
    ev.firstColumn = m->firstColumn();
    ev.lastColumn = m->lastColumn();
  } else if (QAccessibleInterface* iface = e->accessibleInterface()) {
    ev.name = iface->text(QAccessible::Name);
  }
  g_events->push_back(ev);
}

class GridAccessible : public ::testing::Test {
 protected:
  void SetUp() override {
    g_events = &events;
    previous = QAccessible::installUpdateHandler(Record);
    // As if a screen reader were listening: only then are events sent.
    platform = QGuiApplicationPrivate::platformIntegration()->accessibility();
    ASSERT_TRUE(platform);
    platform->setActive(true);
    list.grid->setAccessibleName(QStringLiteral("Çağrı listesi"));
    iface = QAccessible::queryAccessibleInterface(list.grid);
    ASSERT_TRUE(iface);
    table = iface->tableInterface();
    ASSERT_TRUE(table);
  }
  void TearDown() override {
    if (platform) platform->setActive(false);
    QAccessible::installUpdateHandler(previous);
    g_events = nullptr;
  }
  // Collection order: time, serial, sequence, line, number.
  void Call(const QString& number, int sequence) {
    list.AddCall({QStringLiteral("12:00:0%1").arg(sequence), QStringLiteral("SN1"), QString::number(sequence),
                  QStringLiteral("2"), number});
  }
  QString CellText(int row, int column) {
    QAccessibleInterface* cell = table->cellAt(row, column);
    return cell ? cell->text(QAccessible::Name) : QStringLiteral("<none>");
  }
  std::vector<Event> Of(QAccessible::Event type) const {
    std::vector<Event> out;
    for (const Event& e : events)
      if (e.type == type) out.push_back(e);
    return out;
  }

  std::vector<Event> events;
  QAccessible::UpdateHandler previous = nullptr;
  QPlatformAccessibility* platform = nullptr;
  CallListGrid list;
  QAccessibleInterface* iface = nullptr;
  QAccessibleTableInterface* table = nullptr;
};

TEST_F(GridAccessible, TableReadsHeadersInDisplayOrderAndCellsUnderThem) {
  EXPECT_EQ(iface->role(), QAccessible::Table);
  EXPECT_EQ(iface->text(QAccessible::Name), QStringLiteral("Çağrı listesi"));
  const QStringList captions{QStringLiteral("Hat no."), QStringLiteral("Arayan numara"), QStringLiteral("Saat"),
                             QStringLiteral("Cihaz seri no."), QStringLiteral("Çağrı sıra no")};
  ASSERT_EQ(table->columnCount(), 5);
  EXPECT_EQ(table->rowCount(), 0);
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(table->columnDescription(c), captions[c]);
    QAccessibleInterface* header = iface->child(c);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->role(), QAccessible::ColumnHeader);
    EXPECT_EQ(header->text(QAccessible::Name), captions[c]);
  }

  Call(QStringLiteral("05321234567"), 1);
  Call(QStringLiteral("02125550000"), 2);
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(iface->childCount(), 5 * 3);
  EXPECT_EQ(CellText(1, 0), QStringLiteral("2"));
  EXPECT_EQ(CellText(1, 1), QStringLiteral("02125550000"));
  EXPECT_EQ(CellText(1, 2), QStringLiteral("12:00:02"));
  EXPECT_EQ(CellText(0, 4), QStringLiteral("1"));
  EXPECT_EQ(table->cellAt(2, 0), nullptr);
  EXPECT_EQ(table->cellAt(0, 5), nullptr);

  // Children, table cells and hit tests agree on one object per cell.
  QAccessibleInterface* cell = table->cellAt(1, 1);
  ASSERT_TRUE(cell);
  EXPECT_EQ(iface->indexOfChild(cell), 5 * 2 + 1);
  EXPECT_EQ(iface->child(5 * 2 + 1), cell);
  EXPECT_EQ(cell->parent(), iface);
  EXPECT_EQ(iface->childAt(cell->rect().center().x(), cell->rect().center().y()), cell);
  QAccessibleTableCellInterface* c = cell->tableCellInterface();
  ASSERT_TRUE(c);
  EXPECT_EQ(c->rowIndex(), 1);
  EXPECT_EQ(c->columnIndex(), 1);
  ASSERT_EQ(c->columnHeaderCells().size(), 1);
  EXPECT_EQ(c->columnHeaderCells()[0]->text(QAccessible::Name), QStringLiteral("Arayan numara"));
  EXPECT_TRUE(iface->rect().contains(cell->rect()));
}

TEST_F(GridAccessible, AddWriteDeleteAndClearAreAnnounced) {
  Call(QStringLiteral("05321234567"), 1);
  const auto inserted = Of(QAccessible::TableModelChanged);
  ASSERT_FALSE(inserted.empty());
  EXPECT_EQ(inserted[0].change, QAccessibleTableModelChangeEvent::RowsInserted);
  EXPECT_EQ(inserted[0].firstRow, 0);
  EXPECT_EQ(inserted[0].lastRow, 0);
  // Written inside the update bracket, yet every cell is announced, by its
  // display column and with its new text.
  std::vector<int> columns;
  for (const Event& e : inserted)
    if (e.change == QAccessibleTableModelChangeEvent::DataChanged) columns.push_back(e.firstColumn);
  EXPECT_EQ(columns, (std::vector<int>{2, 3, 4, 0, 1}));
  QStringList names;
  for (const Event& e : Of(QAccessible::NameChanged)) names << e.name;
  EXPECT_TRUE(names.contains(QStringLiteral("05321234567")));

  Call(QStringLiteral("02125550000"), 2);
  QAccessibleInterface* before = table->cellAt(1, 1);
  events.clear();
  list.grid->DeleteRow(0);
  auto removed = Of(QAccessible::TableModelChanged);
  ASSERT_EQ(removed.size(), 1u);
  EXPECT_EQ(removed[0].change, QAccessibleTableModelChangeEvent::RowsRemoved);
  EXPECT_EQ(removed[0].firstRow, 0);
  // The rows moved up: the old cell object is gone, the new one reads the
  // call that now stands there.
  EXPECT_EQ(table->rowCount(), 1);
  EXPECT_NE(table->cellAt(0, 1), before);
  EXPECT_EQ(CellText(0, 1), QStringLiteral("02125550000"));

  events.clear();
  list.grid->ClearRows();
  auto cleared = Of(QAccessible::TableModelChanged);
  ASSERT_EQ(cleared.size(), 1u);
  EXPECT_EQ(cleared[0].change, QAccessibleTableModelChangeEvent::ModelReset);
  EXPECT_EQ(table->rowCount(), 0);
  EXPECT_EQ(table->cellAt(0, 0), nullptr);
  EXPECT_EQ(iface->childCount(), 5);
}

TEST_F(GridAccessible, CurrentCellIsTheFocusedChild) {
  Call(QStringLiteral("05321234567"), 1);
  Call(QStringLiteral("02125550000"), 2);
  list.grid->clearFocus();
  EXPECT_EQ(iface->focusChild(), nullptr);  // not focused: no current cell to read
  list.Focus();
  ASSERT_TRUE(list.grid->hasFocus());
  events.clear();
  list.grid->FocusCell(4, 1);  // column index 4 stands second on screen
  QAccessibleInterface* current = iface->focusChild();
  ASSERT_TRUE(current);
  EXPECT_EQ(current, table->cellAt(1, 1));
  EXPECT_TRUE(current->state().focused);
  EXPECT_FALSE(table->cellAt(0, 1)->state().focused);
  const auto focus = Of(QAccessible::Focus);
  ASSERT_EQ(focus.size(), 1u);
  EXPECT_EQ(focus[0].name, QStringLiteral("02125550000"));
}

TEST_F(GridAccessible, HiddenColumnIsLeftOutOfTheTable) {
  Call(QStringLiteral("05321234567"), 1);
  list.grid->Columns().Items(0)->SetVisible(false);  // "Saat", third on screen
  ASSERT_EQ(table->columnCount(), 4);
  EXPECT_EQ(table->columnDescription(2), QStringLiteral("Cihaz seri no."));
  EXPECT_EQ(CellText(0, 2), QStringLiteral("SN1"));
  events.clear();
  list.grid->Cell(0, 0)->SetAsString(QStringLiteral("13:00:00"));
  EXPECT_TRUE(Of(QAccessible::NameChanged).empty());
}

}  // namespace
