// Call events through the real host: numbering, the six-row window, the
// cells by column index, the tone, and bad input from a device.
#include <gtest/gtest.h>

#include <QRegularExpression>

#include "window_fixture.h"

using testsupport::MainWindowFixture;

namespace {
const QRegularExpression kTimeText(QStringLiteral("^\\d{2}:\\d{2}:\\d{2}$"));
}

TEST(CallEvents, FirstCallFillsOneRowAndIsNumberedOne) {
  MainWindowFixture w;
  w.Call("SN-0042", "2", "05321234567");
  ASSERT_EQ(w.form->GridView1->RowCount(), 1);
  EXPECT_EQ(w.CellText(3, 0), QStringLiteral("2"));
  EXPECT_EQ(w.CellText(4, 0), QStringLiteral("05321234567"));
  EXPECT_TRUE(kTimeText.match(w.CellText(0, 0)).hasMatch()) << w.CellText(0, 0).toStdString();
  EXPECT_EQ(w.CellText(1, 0), QStringLiteral("SN-0042"));
  EXPECT_EQ(w.CellText(2, 0), QStringLiteral("1"));
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("1"));
  EXPECT_EQ(w.beeps, (QList<QPair<int, int>>{{1000, 30}}));
}

TEST(CallEvents, SeventhCallKeepsSixRowsNewestLast) {
  MainWindowFixture w;
  for (int i = 1; i <= 7; ++i)
    w.Call("SN", QString::number(i % 4 + 1), QStringLiteral("0212555%1").arg(i, 4, 10, QLatin1Char('0')));
  ASSERT_EQ(w.form->GridView1->RowCount(), 6);
  EXPECT_EQ(w.CellText(2, 0), QStringLiteral("2")) << "the oldest call was dropped";
  EXPECT_EQ(w.CellText(2, 5), QStringLiteral("7"));
  EXPECT_EQ(w.CellText(4, 5), QStringLiteral("02125550007"));
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("7"));
  EXPECT_EQ(w.beeps.size(), 7);
}

TEST(CallEvents, EmptyStringsStillMakeACountedRow) {
  MainWindowFixture w;
  w.Call(QString(), QString(), QString());
  ASSERT_EQ(w.form->GridView1->RowCount(), 1);
  EXPECT_EQ(w.CellText(1, 0), QString());
  EXPECT_EQ(w.CellText(3, 0), QString());
  EXPECT_EQ(w.CellText(4, 0), QString());
  EXPECT_EQ(w.CellText(2, 0), QStringLiteral("1"));
  EXPECT_EQ(w.beeps.size(), 1);
}

TEST(CallEvents, TwoCallsInOneSecondShareTheTimeAndCountOn) {
  MainWindowFixture w;
  for (int attempt = 0; attempt < 3; ++attempt) {
    w.form->Listeyisil1Click(w.form->Listeyisil1);
    w.Call("SN", "1", "111");
    w.Call("SN", "1", "222");
    if (w.CellText(0, 0) == w.CellText(0, 1)) break;  // else the clock ticked between: try again
  }
  EXPECT_EQ(w.CellText(0, 0), w.CellText(0, 1));
  EXPECT_EQ(w.CellText(2, 0), QStringLiteral("1"));
  EXPECT_EQ(w.CellText(2, 1), QStringLiteral("2"));
}

TEST(CallEvents, ListeyiSilRestartsNumbering) {
  MainWindowFixture w;
  w.Call("SN", "1", "111");
  w.Call("SN", "1", "222");
  w.form->Listeyisil1->trigger();
  EXPECT_EQ(w.form->GridView1->RowCount(), 0);
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("0"));
  EXPECT_EQ(w.form->Memo2->toPlainText(), QString());
  w.Call("SN", "1", "333");
  EXPECT_EQ(w.CellText(2, 0), QStringLiteral("1"));
  // Clearing an already empty page leaves it empty.
  w.form->Listeyisil1->trigger();
  w.form->Listeyisil1->trigger();
  EXPECT_EQ(w.form->GridView1->RowCount(), 0);
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("0"));
}

TEST(CallEvents, BadDeviceStringsAreStoredWholeAndNothingElseIsLost) {
  MainWindowFixture w;
  w.Call("SN", "1", "first");
  const QString huge(1 << 20, QLatin1Char('9'));
  QString weird = QStringLiteral("a\x01\tb\r\nc");
  weird.append(QChar(0xD800));  // lone surrogate: invalid UTF-16
  weird.append(QChar(u'\0'));
  weird.append(QStringLiteral("z"));
  w.Call(weird, weird, huge);
  w.Call("SN", "3", "last");
  ASSERT_EQ(w.form->GridView1->RowCount(), 3);
  EXPECT_EQ(w.CellText(4, 1).size(), huge.size());
  EXPECT_EQ(w.CellText(1, 1), weird);
  EXPECT_EQ(w.CellText(3, 1), weird);
  EXPECT_EQ(w.CellText(4, 0), QStringLiteral("first"));
  EXPECT_EQ(w.CellText(4, 2), QStringLiteral("last"));
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("3"));
  // The window still paints with the odd row on it.
  EXPECT_FALSE(w.form->grab().isNull());
}
