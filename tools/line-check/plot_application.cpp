#include "tools/line-check/plot_application.h"

#include <QByteArray>
#include <QGuiApplication>

namespace linecheck {

namespace {
// The platform's own notes (a missing runtime directory, font fallbacks) are
// English and say nothing about the line; the command's Turkish lines stay
// the only thing on its error output.
void KeepSeriousOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) {
    fputs(message.toLocal8Bit().constData(), stderr);
    fputc('\n', stderr);
  }
}
}  // namespace

bool PlotAsked(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const QByteArray a(argv[i]);
    if (a == "--") return false;
    for (const char* option : {"--plot", "--keep"})
      if (a == option || a.startsWith(QByteArray(option) + '=')) return true;
  }
  return false;
}

std::unique_ptr<QCoreApplication> MakeApplication(int& argc, char** argv) {
  if (!PlotAsked(argc, argv)) return std::make_unique<QCoreApplication>(argc, argv);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(KeepSeriousOnly);
  return std::make_unique<QGuiApplication>(argc, argv);
}

}  // namespace linecheck
