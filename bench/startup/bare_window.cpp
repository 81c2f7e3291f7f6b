// The baseline for the start-up benchmark: an empty Qt window of a given
// size, built with the same compiler flags and Qt as the program.
//
//   bare_window WIDTH HEIGHT
#include <QApplication>
#include <QWidget>
#include <cstdlib>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(argc > 2 ? std::atoi(argv[1]) : 640, argc > 2 ? std::atoi(argv[2]) : 480);
  window.show();
  return app.exec();
}
