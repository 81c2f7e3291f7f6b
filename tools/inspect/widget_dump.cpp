#include "tools/inspect/widget_dump.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QSaveFile>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>

#include "grid/gridview.h"

namespace inspect {

namespace {

QString OneLine(QString s) {
  s.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
  s.replace(QLatin1Char('\n'), QLatin1String("\\n"));
  s.replace(QLatin1Char('\t'), QLatin1String("\\t"));
  return s;
}

void DumpWidget(QWidget* w, QString& out) {
  const QString name = w->objectName();
  if (name.isEmpty() || name.startsWith(QLatin1String("qt_"))) return;
  auto line = [&](const QString& key, const QString& value) { out += key + QLatin1Char('\t') + OneLine(value) + QLatin1Char('\n'); };
  if (auto* grid = qobject_cast<grid::TGridView*>(w)) {
    const int rows = grid->RowCount();
    line(name + QStringLiteral(".rows"), QString::number(rows));
    const int cols = grid->Columns().Count();
    for (int r = 0; r < rows; ++r)
      for (int c = 0; c < cols; ++c) {
        grid::TCell* cell = grid->Cell(c, r);
        line(QStringLiteral("%1[%2][%3]").arg(name).arg(r).arg(c), cell ? cell->AsString() : QString());
      }
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    line(name, label->text());
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    line(name, edit->text());
  } else if (auto* memo = qobject_cast<QPlainTextEdit*>(w)) {
    line(name, memo->toPlainText());
  } else if (auto* bar = qobject_cast<QProgressBar*>(w)) {
    line(name, QString::number(bar->value()));
  } else if (auto* status = qobject_cast<QStatusBar*>(w)) {
    line(name, status->currentMessage());
  } else if (auto* tabs = qobject_cast<QTabWidget*>(w)) {
    line(name, QString::number(tabs->currentIndex()));
  }
}

}  // namespace

QString WidgetDumpText() {
  static qint64 sequence = 0;
  QString out = QStringLiteral("sequence\t%1\n").arg(++sequence);
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (!top->isVisible()) continue;
    DumpWidget(top, out);
    for (QWidget* w : top->findChildren<QWidget*>()) DumpWidget(w, out);
  }
  return out;
}

void StartWidgetDumpFromEnvironment() {
  const QString path = qEnvironmentVariable("CID_TEST_WIDGET_DUMP");
  if (path.isEmpty()) return;
  auto* timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [path] {
    QSaveFile file(path);  // written whole and renamed: readers never see half a dump
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(WidgetDumpText().toUtf8());
    file.commit();
  });
  timer->start(100);
}

}  // namespace inspect
