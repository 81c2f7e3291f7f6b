// Device events, the connection poll, the message area and list clearing.
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>

#include "platform/errors.h"
#include "platform/timetext.h"
#include "ui/main_window/form1.h"

namespace mainwindow {

void TForm1::Tevra1CallerID(QObject*, const QString&, const QString&, const QString&, const QString&,
                            const QString&) {}

void TForm1::Tevra1SignalA(QObject*, const QString&, const QString&, const QString&, const QString&, const QString&,
                           const QString&, const QString&, const QString&) {}

void TForm1::Timer1Timer(QObject*) {}

void TForm1::ClearPage() {
  Memo2->clear();
  CallCounter = 0;
  Label5->setText(QStringLiteral("0"));
}

void TForm1::Listeyisil1Click(QObject*) { ClearPage(); }

namespace {
int MemoLineCount(const QPlainTextEdit* memo) {
  const QTextDocument* doc = memo->document();
  if (doc->isEmpty()) return 0;
  return doc->blockCount();
}
}  // namespace

void TForm1::ApplicationEvents1Exception(QObject*, const std::exception& E) {
  QString message;
  if (const auto* e = dynamic_cast<const platform::Exception*>(&E))
    message = e->Message();
  else
    message = QString::fromUtf8(E.what());
  message.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
  Memo2->appendPlainText(platform::NowTimeText() + QLatin1Char(':') + message);
}

void TForm1::Memo2Change(QObject*) {
  if (MemoLineCount(Memo2) <= 2) return;
  // Deleting line 0 is itself a change and runs this check again, nested.
  QTextCursor c(Memo2->document()->firstBlock());
  c.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
  c.removeSelectedText();
}

}  // namespace mainwindow
