// The cell store on its own: column-major lists, row operations, column
// structure, range errors, the change path and sorting.
#include <gtest/gtest.h>

#include "grid/cellstore.h"
#include "grid/columnkinds.h"
#include "grid/columns.h"
#include "model_helpers.h"
#include "platform/errors.h"

using namespace grid;

namespace {

class Store : public ::testing::Test {
 protected:
  // Columns: text, integer (image column), boolean (check box).
  void SetUp() override {
    store_ = std::make_unique<TCells>(&cols_, nullptr);
    cols_.OnStoreStructure = [this](TColumns*, TStructureAction a, int i, int) {
      if (a == TStructureAction::Add) store_->AddColumn();
      if (a == TStructureAction::Clear) store_->ClearColumns();
      if (a == TStructureAction::Delete) store_->DeleteColumn(i);
    };
    auto text = std::make_unique<TTextualColumn>();
    text->SetColor(clWindow);
    cols_.Add(std::move(text));
    cols_.Add(std::make_unique<TImageColumn>());
    cols_.Add(std::make_unique<TCheckBoxColumn>());
  }
  // Replaces the rows with one per text; column 1 holds each row's first number.
  void Fill(std::initializer_list<const char*> texts) {
    store_->ClearRows();
    for (const char* t : texts) {
      store_->AddRows(1);
      store_->GetCell(0, store_->RowCount() - 1)->SetAsString(QString::fromUtf8(t));
      store_->GetCell(1, store_->RowCount() - 1)->SetAsInteger(store_->RowCount() - 1);
    }
  }
  QStringList Column0() {
    QStringList l;
    for (int r = 0; r < store_->RowCount(); ++r) l << store_->GetCell(0, r)->AsString();
    return l;
  }
  TColumns cols_;
  std::unique_ptr<TCells> store_;
};

template <typename Fn>
void ExpectListError(Fn fn, int index) {
  gridtest::ExpectError<platform::EListError>(fn, QStringLiteral("List index out of bounds (%1)").arg(index));
}

}  // namespace

TEST_F(Store, NewCellsFollowTheirColumnsKindAndColour) {
  store_->AddRows(2);
  EXPECT_EQ(store_->RowCount(), 2);
  EXPECT_NE(dynamic_cast<TStringCell*>(store_->GetCell(0, 1)), nullptr);
  EXPECT_NE(dynamic_cast<TIntegerCell*>(store_->GetCell(1, 1)), nullptr);
  EXPECT_NE(dynamic_cast<TBooleanCell*>(store_->GetCell(2, 1)), nullptr);
  EXPECT_EQ(store_->GetCell(0, 0)->Color(), clWindow);
  EXPECT_TRUE(store_->GetCell(0, 0)->AsString().isEmpty());
  EXPECT_FALSE(store_->GetCell(0, 0)->Creating());
  // A later colour change of the column does not reach existing cells.
  cols_.Items(0)->SetColor(clRed);
  EXPECT_EQ(store_->GetCell(0, 0)->Color(), clWindow);
  store_->AddRows(1);
  EXPECT_EQ(store_->GetCell(0, 2)->Color(), clRed);
}

TEST_F(Store, GetCellStampsTheCoordinatesUsedForTheChange) {
  store_->AddRows(3);
  std::vector<std::pair<int, int>> changes;
  store_->OnCellsChange = [&](TCells*, int c, int r) { changes.emplace_back(c, r); };
  store_->GetCell(2, 1)->SetAsBoolean(true);
  store_->DeleteRow(0);
  store_->GetCell(2, 0)->SetAsString(QStringLiteral("true"));
  store_->GetCell(0, 0)->SetColor(clRed);
  EXPECT_EQ(changes, (std::vector<std::pair<int, int>>{{2, 1}, {2, 0}, {0, 0}}));
}

TEST_F(Store, OutOfRangeIndicesRaiseTheListIndexError) {
  store_->AddRows(2);
  ExpectListError([&] { store_->GetCell(0, 2); }, 2);
  ExpectListError([&] { store_->GetCell(0, -1); }, -1);
  ExpectListError([&] { store_->GetCell(3, 0); }, 3);
  ExpectListError([&] { store_->GetCell(-1, 0); }, -1);
  ExpectListError([&] { store_->DeleteRow(2); }, 2);
  ExpectListError([&] { store_->MoveRow(0, 5); }, 5);
  EXPECT_EQ(store_->RowCount(), 2);
}

TEST_F(Store, RowOperationsKeepTheCellsOfARowTogether) {
  Fill({"a", "b", "c", "d"});
  store_->MoveRow(0, 3);
  EXPECT_EQ(Column0(), (QStringList{"b", "c", "d", "a"}));
  EXPECT_EQ(store_->GetCell(1, 3)->AsInteger(), 0);
  store_->MoveRow(3, 1);
  EXPECT_EQ(Column0(), (QStringList{"b", "a", "c", "d"}));
  EXPECT_EQ(store_->GetCell(1, 1)->AsInteger(), 0);
  store_->InsertRow(1);
  EXPECT_EQ(Column0(), (QStringList{"b", "", "a", "c", "d"}));
  EXPECT_EQ(store_->GetCell(1, 1)->AsInteger(), 0);
  store_->DeleteRow(0);
  EXPECT_EQ(Column0(), (QStringList{"", "a", "c", "d"}));
  store_->ClearRows();
  EXPECT_EQ(store_->RowCount(), 0);
  EXPECT_EQ(store_->ColumnCount(), 3);
  store_->AddRows(0);
  store_->AddRows(-2);
  EXPECT_EQ(store_->RowCount(), 0);
}

TEST_F(Store, ColumnStructureFollowsTheCollection) {
  Fill({"a", "b"});
  cols_.Add(std::make_unique<TNumericColumn>());
  EXPECT_EQ(store_->ColumnCount(), 4);
  EXPECT_NE(dynamic_cast<TFloatCell*>(store_->GetCell(3, 1)), nullptr);
  store_->InsertColumn(0);
  EXPECT_EQ(store_->GetCell(1, 1)->AsString(), QStringLiteral("b"));
  store_->MoveColumn(1, 0);
  EXPECT_EQ(store_->GetCell(0, 1)->AsString(), QStringLiteral("b"));
  store_->DeleteColumn(0);
  EXPECT_EQ(store_->ColumnCount(), 4);
  EXPECT_EQ(store_->RowCount(), 2);
  cols_.Clear();
  EXPECT_EQ(store_->ColumnCount(), 0);
  EXPECT_EQ(store_->RowCount(), 0);  // the last list took the rows with it
}

TEST_F(Store, SortOrdersWholeRowsInTheRequestedDirection) {
  Fill({"pear", "apple", "fig", "banana"});
  store_->Sort(0, stAlphabetic, false);
  EXPECT_EQ(Column0(), (QStringList{"apple", "banana", "fig", "pear"}));
  EXPECT_EQ(store_->GetCell(1, 0)->AsInteger(), 1);  // apple's row moved whole
  EXPECT_TRUE(store_->IsSorted());

  // A first sort already honours a descending request.
  Fill({"pear", "apple", "fig"});
  store_->Sort(0, stAlphabetic, true);
  EXPECT_EQ(Column0(), (QStringList{"pear", "fig", "apple"}));
}

TEST_F(Store, RepeatedSortReversesOrDoesNothing) {
  Fill({"b", "a", "c"});
  store_->Sort(0, stAlphabetic, false);
  // Put the rows out of order without touching a cell: the mark stays
  // (only a row deletion can do that), so the requests below read the mark.
  store_->DeleteRow(1);                  // a c
  store_->Sort(0, stAlphabetic, false);  // same request: nothing
  EXPECT_EQ(Column0(), (QStringList{"a", "c"}));
  store_->Sort(0, stAlphabetic, true);  // direction only: reversed
  EXPECT_EQ(Column0(), (QStringList{"c", "a"}));
  EXPECT_TRUE(store_->SortedDescending());
  store_->GetCell(0, 0)->SetAsString(QStringLiteral("z"));
  EXPECT_FALSE(store_->IsSorted());
}

TEST_F(Store, SortMarkIsClearedByEveryChangeButDeletion) {
  Fill({"b", "a"});
  auto sorted = [&] {
    store_->Sort(0, stAlphabetic, false);
    return store_->IsSorted();
  };
  ASSERT_TRUE(sorted());
  store_->AddRows(1);
  EXPECT_FALSE(store_->IsSorted());
  ASSERT_TRUE(sorted());
  store_->InsertRow(0);
  EXPECT_FALSE(store_->IsSorted());
  ASSERT_TRUE(sorted());
  store_->MoveRow(0, 1);
  EXPECT_FALSE(store_->IsSorted());
  ASSERT_TRUE(sorted());
  store_->DeleteRow(0);
  EXPECT_TRUE(store_->IsSorted());
  store_->ClearRows();
  EXPECT_FALSE(store_->IsSorted());
}

TEST_F(Store, SortsByNumberBooleanAndDottedNumbers) {
  Fill({"10", "9", "100"});
  store_->Sort(0, stNumeric, false);
  EXPECT_EQ(Column0(), (QStringList{"9", "10", "100"}));
  Fill({"10.0.0.2", "9.1.1.1", "10.0.0.10"});
  store_->Sort(0, stIP, false);
  EXPECT_EQ(Column0(), (QStringList{"9.1.1.1", "10.0.0.2", "10.0.0.10"}));
  Fill({"x", "y", "z"});
  store_->GetCell(2, 1)->SetAsBoolean(true);
  store_->Sort(2, stBoolean, true);
  EXPECT_EQ(Column0(), (QStringList{"y", "x", "z"}));
}

TEST_F(Store, SortOnUnreadableKeysFailsBeforeMovingARow) {
  Fill({"3", "x", "1"});
  EXPECT_THROW(store_->Sort(0, stNumeric, false), platform::EConvertError);
  EXPECT_EQ(Column0(), (QStringList{"3", "x", "1"}));
  EXPECT_FALSE(store_->IsSorted());
}

TEST_F(Store, HandlerErrorsPropagateWithTheValueStored) {
  Fill({"a"});
  store_->Sort(0, stAlphabetic, false);
  store_->OnCellsChange = [](TCells*, int, int) { throw platform::Exception(QStringLiteral("handler")); };
  EXPECT_THROW(store_->GetCell(0, 0)->SetAsString(QStringLiteral("b")), platform::Exception);
  store_->OnCellsChange = nullptr;
  EXPECT_EQ(store_->GetCell(0, 0)->AsString(), QStringLiteral("b"));
  EXPECT_FALSE(store_->IsSorted());
}
