// The connection poll: status line, the three connection states, the
// clearing on the step from connected to waiting, failing calls; and the
// two-line message area.
#include <gtest/gtest.h>

#include "platform/errors.h"
#include "window_fixture.h"

using testsupport::MainWindowFixture;

TEST(ConnectionPoll, StateTable) {
  MainWindowFixture w;
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("--"));
  // Not yet polled -> no device: nothing cleared.
  w.Call("SN", "1", "111");
  w.Tick();
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Bağlantı bekleniyor"));
  EXPECT_EQ(w.form->GridView1->RowCount(), 1);
  EXPECT_EQ(w.form->StatusBar1->currentMessage(), QString());
  EXPECT_EQ(w.fake.state->getInfoKeys, QStringList{"devicemodel"}) << "no serial asked without a model";
  // Waiting -> waiting: calls received meanwhile stay.
  w.Call("SN", "1", "222");
  w.Tick();
  EXPECT_EQ(w.form->GridView1->RowCount(), 2);
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("2"));
  // Waiting -> connected.
  w.Connect("CID-4", "A1B2C3");
  w.Tick();
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Cihaz bağlı"));
  EXPECT_EQ(w.form->StatusBar1->currentMessage(), QStringLiteral("  Cihaz modeli: CID-4  Seri no: A1B2C3"));
  EXPECT_EQ(w.form->GridView1->RowCount(), 2);
  // Connected -> connected.
  w.Tick();
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Cihaz bağlı"));
}

TEST(ConnectionPoll, FirstPollFindsADevice) {
  MainWindowFixture w;
  w.Connect("CID-2", "");
  w.Tick();
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Cihaz bağlı"));
  EXPECT_EQ(w.form->StatusBar1->currentMessage(), QStringLiteral("  Cihaz modeli: CID-2  Seri no: "));
}

TEST(ConnectionPoll, UnpluggingClearsOnceAndReconnectingNumbersFromOne) {
  MainWindowFixture w;
  w.Connect("CID-4", "S1");
  w.Tick();
  w.Call("S1", "1", "111");
  w.Call("S1", "2", "222");
  w.Levels({"1", "a", "1", "1", "0", "0", "0", "0"});  // puts an error line in the message area
  w.Connect("", "");
  w.Tick();
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Bağlantı bekleniyor"));
  EXPECT_EQ(w.form->GridView1->RowCount(), 0);
  EXPECT_EQ(w.form->Memo2->toPlainText(), QString());
  EXPECT_EQ(w.form->Label5->text(), QStringLiteral("0"));
  EXPECT_EQ(w.form->StatusBar1->currentMessage(), QString());
  w.Call("S1", "1", "333");  // arrives while waiting: stays listed
  w.Tick();
  EXPECT_EQ(w.form->GridView1->RowCount(), 1);
  w.Connect("CID-4", "S2");
  w.Tick();
  w.Call("S2", "4", "444");
  EXPECT_EQ(w.CellText(2, 1), QStringLiteral("2")) << "the call while waiting counted as 1";
  w.form->Listeyisil1->trigger();
  w.Call("S2", "4", "555");
  EXPECT_EQ(w.CellText(2, 0), QStringLiteral("1"));
}

TEST(ConnectionPoll, CharactersOutsideTheCodePageBecomeReplacementCharacters) {
  MainWindowFixture w;
  w.Connect(QStringLiteral("Модель-ş"), QString::fromUcs4(U"SN\U0001F4DE9"));
  w.Tick();
  EXPECT_EQ(w.form->StatusBar1->currentMessage(),
            QStringLiteral("  Cihaz modeli: ") + QString(6, QLatin1Char(0x3F)) + QStringLiteral("-ş  Seri no: SN?9"));
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Cihaz bağlı"));
}

TEST(ConnectionPoll, FailingGetInfoEndsTheTickAndAddsOneLinePerTick) {
  MainWindowFixture w;
  w.Connect("CID-1", "S");
  w.Tick();
  w.Call("S", "1", "111");
  w.fake.state->getInfoResult = device::E_FAIL;
  w.fake.state->failureDescription = QStringLiteral("Cihaz yanıt vermiyor.");
  for (int i = 0; i < 5; ++i) {
    w.Tick();
    const QStringList lines = w.MemoLines();
    EXPECT_LE(lines.size(), 2);
    EXPECT_TRUE(lines.last().endsWith(QStringLiteral(":Cihaz yanıt vermiyor")));
  }
  EXPECT_EQ(w.MemoLines().size(), 2);
  EXPECT_EQ(w.form->Label9->text(), QStringLiteral("Cihaz bağlı"));
  EXPECT_EQ(w.form->StatusBar1->currentMessage(), QStringLiteral("  Cihaz modeli: CID-1  Seri no: S"));
  EXPECT_EQ(w.form->GridView1->RowCount(), 1);
}

TEST(MessageArea, KeepsTheLastTwoLines) {
  MainWindowFixture w;
  auto error = [&](const QString& m) { platform::Guarded(w.form.get(), [&] { throw platform::Exception(m); }); };
  error(QStringLiteral("bir"));
  QStringList lines = w.MemoLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QString());
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(":bir")));
  EXPECT_EQ(lines[1].size(), 8 + 1 + 3) << "time text, colon, message, no blanks";
  error(QStringLiteral("iki"));
  error(QStringLiteral("üç"));
  lines = w.MemoLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral(":iki")));
  EXPECT_TRUE(lines[1].endsWith(QStringLiteral(":üç")));
}

TEST(MessageArea, AMessageWithALineBreakTakesTwoLines) {
  MainWindowFixture w;
  platform::Guarded(w.form.get(), [] { throw platform::Exception(QStringLiteral("satır bir\r\nsatır iki")); });
  QStringList lines = w.MemoLines();
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].endsWith(QStringLiteral(":satır bir")));
  EXPECT_EQ(lines[1], QStringLiteral("satır iki"));
  platform::Guarded(w.form.get(), [] { throw platform::Exception(QStringLiteral("a\nb\nc")); });
  lines = w.MemoLines();
  EXPECT_EQ(lines, (QStringList{"b", "c"}));
}

TEST(MessageArea, SilentAbortsLeaveNoLine) {
  MainWindowFixture w;
  platform::Guarded(w.form.get(), [] { throw platform::EAbort(); });
  EXPECT_EQ(w.form->Memo2->toPlainText(), QStringLiteral("\n"));
}
