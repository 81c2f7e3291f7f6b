// The guide's help messages, byte for byte, and the standard box that shows
// them.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "ui/guide/messages.h"

namespace {

using guide::TMsgDlgType;

TEST(GuideMessages, TextsAreExactWithCrLfBlanksAndInnerQuotes) {
  EXPECT_EQ(guide::SplitterMessage().toUtf8(),
            QByteArray("\xC4\xB0nternet ba\xC4\x9flant\xC4\xb1s\xC4\xb1 olan hat varsa, mutlaka ADSL splitter "
                       "kullan\xC4\xb1l\xC4\xb1r.\r\n"
                       "ADSL Splitter, modemle birlikte verilen bir \"cihazd\xC4\xb1r\".\r\n"
                       "\r\n"
                       "\xC4\xB0nternet telefon hatt\xC4\xb1, caller ID cihaz\xC4\xb1na do\xC4\x9frudan "
                       "ba\xC4\x9flanmaz.\r\n"
                       "ADSL splitter \"telefon\" \xC3\xa7\xC4\xb1k\xC4\xb1\xC5\x9f\xC4\xb1ndan cihaz giri\xC5\x9fine "
                       "ve telefona ba\xC4\x9flant\xC4\xb1 yap\xC4\xb1l\xC4\xb1r. \r\n"
                       "ADSL splitter, sadece internet ba\xC4\x9flant\xC4\xb1s\xC4\xb1 olan hat i\xC3\xa7in "
                       "kullan\xC4\xb1l\xC4\xb1r."));
  EXPECT_EQ(guide::CallerIdMessage().toUtf8(),
            QByteArray("Caller ID cihazlar\xC4\xb1, santralin g\xC3\xb6nderdi\xC4\x9fi arayan numara bilgisini, "
                       "bilgisayara aktar\xC4\xb1r. \r\n"
                       "Kabloya ba\xC4\x9fl\xC4\xb1 telefon makinesi \xC3\xbczerinde numara g\xC3\xb6r\xC3\xbcnm"
                       "\xC3\xbcyorsa cihaz da numaray\xC4\xb1 g\xC3\xb6steremez.\r\n"
                       " 444 1 444 nolu  T\xC3\xbcrk Telekom servisini aramak suretiyle telefon hatt\xC4\xb1n\xC4\xb1n "
                       "numara g\xC3\xb6sterme \xC3\xb6zelli\xC4\x9fi a\xC3\xa7t\xC4\xb1r\xC4\xb1labilir."));
  EXPECT_EQ(
      guide::SignalMessage().toUtf8(),
      QByteArray("Telefon kapal\xC4\xb1 ve zil \xC3\xa7\x61lm\xC4\xb1yorsa, sinyal g\xC3\xb6stergeleri en fazla "
                 "0..2 civar\xC4\xb1nda olmal\xC4\xb1\x64\xC4\xb1r. \r\n"
                 "Daha y\xC3\xbcksek ise sorun var demektir. \xC4\xB0nternet hatt\xC4\xb1nda, ADSL Siplitter "
                 "kullan\xC4\xb1lmam\xC4\xb1\xC5\x9f  veya ters ba\xC4\x9fl\xC4\xb1 olabilir. \r\n"
                 "\r\n"
                 "Zil \xC3\xa7\x61larken veya konu\xC5\x9fma esnas\xC4\xb1nda g\xC3\xb6stergelerin daha fazla "
                 "y\xC3\xbckselmesi,\r\n"
                 "telefon hatt\xC4\xb1ndaki elektri\xC4\x9fin, cihaza ula\xC5\x9ft\xC4\xb1\xC4\x9f\xC4\xb1n\xC4\xb1 "
                 "g\xC3\xb6sterir. Normal bir durumdur.\r\n"
                 "Fakat mutlaka, \"Caller ID sinyali var\" anlam\xC4\xb1na GELMEZ "));
}

TEST(GuideMessages, StandardBoxHasCaptionIconOkButtonAndExactText) {
  struct Case {
    TMsgDlgType kind;
    const char* caption;
    QMessageBox::Icon icon;
  } cases[] = {{TMsgDlgType::mtInformation, "Information", QMessageBox::Information},
               {TMsgDlgType::mtWarning, "Warning", QMessageBox::Warning}};
  for (const Case& c : cases) {
    QString title, text, button;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      buttons = static_cast<int>(box->buttons().size());
      button = box->buttons().value(0) ? box->buttons().value(0)->text() : QString();
      box->buttons().value(0)->click();
    });
    poll.start(5);
    guide::ShowMessageBox(nullptr, c.kind, guide::SignalMessage());  // returns once OK was clicked
    EXPECT_EQ(title, QString::fromLatin1(c.caption));
    EXPECT_EQ(icon, c.icon);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(button, QStringLiteral("OK"));
    EXPECT_EQ(text, guide::SignalMessage());
  }
}

}  // namespace
