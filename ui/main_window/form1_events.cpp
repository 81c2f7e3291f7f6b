// Device events, the connection poll, the message area and list clearing.
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>

#include "platform/codepage.h"
#include "platform/errors.h"
#include "platform/strtoint.h"
#include "platform/timetext.h"
#include "platform/tone.h"
#include "ui/main_window/form1.h"

namespace mainwindow {

namespace {

const QString kConnected = QStringLiteral("Cihaz bağlı");
const QString kWaiting = QStringLiteral("Bağlantı bekleniyor");

// GridView1's columns in collection order (gridview1.json), not their place
// on screen.
constexpr int kColTime = 0;
constexpr int kColSerial = 1;
constexpr int kColCallNumber = 2;
constexpr int kColLine = 3;
constexpr int kColCaller = 4;

// Labels and the status line show 8-bit text of the system code page.
QString Ansi(const QString& s) { return platform::ThroughCodePage(s); }

}  // namespace

void TForm1::Tevra1CallerID(QObject*, const QString& DeviceID, const QString& Line, const QString& PhoneNumber,
                            const QString&, const QString&) {
  if (GridView1->RowCount() > 5) GridView1->DeleteRow(0);
  GridView1->AddRow(1);
  const int r = GridView1->RowCount() - 1;
  ++CallCounter;
  Label5->setText(QString::number(CallCounter));
  GridView1->BeginUpdate();
  GridView1->Cell(kColLine, r)->SetAsString(Line);
  GridView1->Cell(kColCaller, r)->SetAsString(PhoneNumber);
  GridView1->Cell(kColTime, r)->SetAsString(Ansi(platform::NowTimeText()));
  GridView1->Cell(kColSerial, r)->SetAsString(DeviceID);
  GridView1->Cell(kColCallNumber, r)->SetAsString(QString::number(CallCounter));
  GridView1->EndUpdate();
  platform::Beep(1000, 30);
}

void TForm1::Tevra1SignalA(QObject*, const QString& Level1, const QString& Level2, const QString& Level3,
                           const QString& Level4, const QString&, const QString&, const QString&, const QString&) {
  const QString levels[4] = {Ansi(Level1), Ansi(Level2), Ansi(Level3), Ansi(Level4)};
  QProgressBar* bars[4] = {ProgressBar1, ProgressBar2, ProgressBar3, ProgressBar4};
  QLabel* labels[4] = {Label1, Label2, Label3, Label4};
  // The first level that does not read ends the handler here: earlier bars
  // have moved, no label has changed.
  for (int i = 0; i < 4; ++i) {
    const int32_t v = platform::StrToInt(levels[i]);
    bars[i]->setValue(std::clamp<int32_t>(v, bars[i]->minimum(), bars[i]->maximum()));
  }
  for (int i = 0; i < 4; ++i) labels[i]->setText(levels[i]);
}

void TForm1::Timer1Timer(QObject*) {
  const QString model = Ansi(Tevra1->GetInfo(QStringLiteral("devicemodel")));
  if (!model.isEmpty()) {
    const QString status = QStringLiteral("  Cihaz modeli: ") + model + QStringLiteral("  Seri no: ") +
                           Tevra1->GetInfo(QStringLiteral("serial"));
    StatusBar1->showMessage(Ansi(status));
  } else {
    StatusBar1->clearMessage();
  }
  if (Label9->text() == kConnected && model.isEmpty()) ClearPage();
  if (!model.isEmpty()) {
    Label9->setText(kConnected);
  } else {
    Label9->setText(kWaiting);
    StatusBar1->clearMessage();
  }
}

void TForm1::ClearPage() {
  GridView1->ClearRows();
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
