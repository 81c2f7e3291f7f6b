// Signal levels: bars clamp, labels show the received text, and the first
// level that does not read stops the handler where it stands.
#include <gtest/gtest.h>

#include "window_fixture.h"

using testsupport::MainWindowFixture;

namespace {
QList<int> Bars(const MainWindowFixture& w) {
  return {w.form->ProgressBar1->value(), w.form->ProgressBar2->value(), w.form->ProgressBar3->value(),
          w.form->ProgressBar4->value()};
}
QStringList Labels(const MainWindowFixture& w) {
  return {w.form->Label1->text(), w.form->Label2->text(), w.form->Label3->text(), w.form->Label4->text()};
}
}  // namespace

TEST(SignalLevels, BarsClampLabelsShowTheText) {
  MainWindowFixture w;
  w.Levels({"0", "12", "64", "70", "x", "y", "", "-"});
  EXPECT_EQ(Bars(w), (QList<int>{0, 12, 64, 64}));
  EXPECT_EQ(Labels(w), (QStringList{"0", "12", "64", "70"}));
  w.Levels({"-3", "$10", "2147483647", "0", "0", "0", "0", "0"});
  EXPECT_EQ(Bars(w), (QList<int>{0, 16, 64, 0}));
  EXPECT_EQ(Labels(w), (QStringList{"-3", "$10", "2147483647", "0"}));
  EXPECT_EQ(w.form->Memo2->toPlainText(), QStringLiteral("\n")) << "no error lines";
}

TEST(SignalLevels, BlankBeforeReadsBlankAfterFails) {
  MainWindowFixture w;
  w.Levels({" 7", "1", "1", "1", "0", "0", "0", "0"});
  EXPECT_EQ(Bars(w)[0], 7);
  EXPECT_EQ(w.form->Label1->text(), QStringLiteral(" 7"));
  w.Levels({"7 ", "2", "2", "2", "0", "0", "0", "0"});
  EXPECT_EQ(Bars(w), (QList<int>{7, 1, 1, 1})) << "nothing moved";
  EXPECT_EQ(w.form->Label1->text(), QStringLiteral(" 7"));
  EXPECT_TRUE(w.MemoLines().last().endsWith(QStringLiteral(":'7 ' is not a valid integer value")));
}

TEST(SignalLevels, NonNumericThirdLevelStopsThere) {
  MainWindowFixture w;
  w.Levels({"1", "1", "1", "1", "0", "0", "0", "0"});
  w.Levels({"20", "30", "abc", "40", "0", "0", "0", "0"});
  EXPECT_EQ(Bars(w), (QList<int>{20, 30, 1, 1}));
  EXPECT_EQ(Labels(w), (QStringList{"1", "1", "1", "1"}));
  const QStringList lines = w.MemoLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QString()) << "one line added below the initial empty one";
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(":'abc' is not a valid integer value"))) << lines[1].toStdString();
}

TEST(SignalLevels, LevelsFiveToEightAreIgnored) {
  MainWindowFixture w;
  w.Levels({"1", "2", "3", "4", "not", "a", "num", "ber"});
  EXPECT_EQ(Bars(w), (QList<int>{1, 2, 3, 4}));
  EXPECT_EQ(w.form->Memo2->toPlainText(), QStringLiteral("\n"));
}

TEST(SignalLevels, OddCharactersShowThroughTheCodePage) {
  MainWindowFixture w;
  QString lone = QStringLiteral("5");
  lone.prepend(QChar(0xDC00));
  w.Levels({"1", "2", "3", "4", "0", "0", "0", "0"});
  w.Levels({"\x01", lone, "3", "4", "0", "0", "0", "0"});
  EXPECT_EQ(Bars(w), (QList<int>{1, 2, 3, 4}));
  EXPECT_TRUE(w.MemoLines().last().endsWith(QStringLiteral(":'\x01' is not a valid integer value")));
  w.Levels({"1", "2", "3", QStringLiteral("4ş"), "0", "0", "0", "0"});
  EXPECT_TRUE(w.MemoLines().last().endsWith(QStringLiteral(":'4ş' is not a valid integer value")));
}
