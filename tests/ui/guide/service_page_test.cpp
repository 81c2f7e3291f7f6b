// The service page: only the exact one-character answer runs the control's
// service action; anything else resets the field and leaves the page.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <cmath>

#include "guide_fixture.h"
#include "platform/defaultbutton.h"

namespace {

class ServicePage : public ::testing::Test {
 protected:
  void SetUp() override {
    f.form->PageControl1->setCurrentWidget(f.form->TabSheet4);
    f.form->Edit1->setFocus();
  }
  // The answer as the question on the page reads: base to the power of the
  // exponent.
  QString AnswerAsDisplayed() const {
    const double value = std::pow(f.form->Label14->text().toDouble(), f.form->Label18->text().toDouble());
    return QString::number(static_cast<long long>(value));
  }
  void Answer(const QString& text) {
    f.form->Edit1->setText(text);
    QTest::mouseClick(f.form->BitBtn1, Qt::LeftButton);
  }

  testsupport::GuideFixture f;
};

TEST_F(ServicePage, QuestionIsASmallPowerWithAOneCharacterAnswerShownNowhere) {
  EXPECT_FALSE(f.form->Label14->text().isEmpty());
  EXPECT_FALSE(f.form->Label18->text().isEmpty());
  const QString answer = AnswerAsDisplayed();
  ASSERT_EQ(answer.size(), 1);
  for (QLabel* l : f.form->TabSheet4->findChildren<QLabel*>())
    EXPECT_NE(l->text(), answer) << l->objectName().toStdString();
  for (QLineEdit* e : f.form->findChildren<QLineEdit*>()) EXPECT_NE(e->text(), answer);
}

TEST_F(ServicePage, WrongAnswersResetTheFieldAndReturnToTestWithoutTheControl) {
  const QString right = AnswerAsDisplayed();
  const QStringList wrong{QString(),
                          QStringLiteral("??"),
                          QLatin1Char(' ') + right,
                          right + QLatin1Char(' '),
                          right + right,
                          QStringLiteral("x"),
                          QString(right).prepend(QChar(0x00A0))};
  for (const QString& text : wrong) {
    f.form->PageControl1->setCurrentWidget(f.form->TabSheet4);
    Answer(text);
    EXPECT_EQ(f.form->Edit1->text(), QStringLiteral("??")) << '"' << text.toStdString() << '"';
    EXPECT_EQ(f.form->PageControl1->currentWidget(), f.form->TabSheet1) << '"' << text.toStdString() << '"';
  }
  EXPECT_EQ(f.fake.state->runServiceActionCalls, 0);
}

TEST_F(ServicePage, RightAnswerRunsTheActionOncePerClickAndKeepsThePage) {
  const QString right = AnswerAsDisplayed();
  Answer(right);
  EXPECT_EQ(f.fake.state->runServiceActionCalls, 1);
  QTest::mouseClick(f.form->BitBtn1, Qt::LeftButton);
  EXPECT_EQ(f.fake.state->runServiceActionCalls, 2);
  EXPECT_EQ(f.form->Edit1->text(), right);
  EXPECT_EQ(f.form->PageControl1->currentWidget(), f.form->TabSheet4);
}

TEST_F(ServicePage, ClickInTheFieldSelectsItsWholeText) {
  f.form->Edit1->setText(QStringLiteral("??"));
  f.form->Edit1->deselect();
  QTest::mouseClick(f.form->Edit1, Qt::LeftButton, Qt::NoModifier, QPoint(3, 5));
  EXPECT_EQ(f.form->Edit1->selectedText(), QStringLiteral("??"));
  // Typing then replaces it.
  QTest::keyClicks(f.form->Edit1, AnswerAsDisplayed());
  EXPECT_EQ(f.form->Edit1->text(), AnswerAsDisplayed());
}

TEST_F(ServicePage, ReturnInTheFieldWorksLikeTheButton) {
  EXPECT_EQ(f.form->DefaultButtons->Current(), f.form->BitBtn1);
  f.form->Edit1->setFocus();
  ASSERT_EQ(QApplication::focusWidget(), f.form->Edit1);
  f.form->Edit1->selectAll();
  QTest::keyClicks(f.form->Edit1, AnswerAsDisplayed());
  QTest::keyClick(f.form->Edit1, Qt::Key_Return);
  EXPECT_EQ(f.fake.state->runServiceActionCalls, 1);
  EXPECT_EQ(f.form->PageControl1->currentWidget(), f.form->TabSheet4);

  f.form->Edit1->setText(QStringLiteral("0"));
  QTest::keyClick(f.form->Edit1, Qt::Key_Return);
  EXPECT_EQ(f.fake.state->runServiceActionCalls, 1);
  EXPECT_EQ(f.form->Edit1->text(), QStringLiteral("??"));
  EXPECT_EQ(f.form->PageControl1->currentWidget(), f.form->TabSheet1);
}

TEST_F(ServicePage, FailingActionBecomesAMessageLineAndThePageStays) {
  f.fake.state->runServiceActionResult = device::E_FAIL;
  f.fake.state->failureDescription = QStringLiteral("Servis işlemi yapılamadı.");
  Answer(AnswerAsDisplayed());
  EXPECT_EQ(f.fake.state->runServiceActionCalls, 1);
  EXPECT_TRUE(f.form->Memo2->toPlainText().contains(QStringLiteral(":Servis işlemi yapılamadı")))
      << f.form->Memo2->toPlainText().toStdString();
  EXPECT_EQ(f.form->PageControl1->currentWidget(), f.form->TabSheet4);
  EXPECT_EQ(f.form->Edit1->text(), AnswerAsDisplayed());
}

}  // namespace
