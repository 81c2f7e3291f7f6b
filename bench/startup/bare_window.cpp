// The baselines for the start-up benchmark, built with the same compiler
// flags and Qt as the program: an empty window of a given size, or the same
// window showing one line of text (the least a window with any text costs:
// the font database and a first font).
//
//   bare_window WIDTH HEIGHT [TEXT]
#include <QApplication>
#include <QLabel>
#include <QWidget>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(argc > 2 ? std::atoi(argv[1]) : 640, argc > 2 ? std::atoi(argv[2]) : 480);
  if (argc > 3) {
    auto* text = new QLabel(QString::fromUtf8(argv[3]), &window);
    text->move(16, 16);
  }
  window.show();
  return app.exec();
}
