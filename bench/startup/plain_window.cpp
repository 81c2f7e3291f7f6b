// The third start-up baseline: the program's own window layouts (the main
// window's and the five picture windows', through a separate uic pass with
// plain stand-ins for the program's widget classes, standins/) in plain Qt
// widgets, created as the program creates them: the main window first, the
// picture windows hidden, as its children. The same fonts at the layouts'
// pixel sizes, the same icons, the "Ayar" tab hidden, kept on top and
// centred. No device control, no timers, no handlers, no pictures.
#include <QApplication>
#include <QDialog>
#include <QFont>
#include <QIcon>
#include <QScreen>
#include <cmath>

#include "resources/resources.h"
#include "ui_adslbag.h"
#include "ui_form1.h"
#include "ui_form2.h"
#include "ui_form3.h"
#include "ui_form6.h"
#include "ui_splnedir.h"

namespace {

// The layouts' Windows families through the same free faces as the program.
void SubstituteFonts() {
  QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
  QFont::insertSubstitution(QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans"));
  QFont::insertSubstitution(QStringLiteral("Impact"), QStringLiteral("Liberation Sans Narrow"));
}

// Point sizes of the layouts as the pixel sizes they were designed at.
void PixelSizes(QWidget* root) {
  QList<QWidget*> widgets = root->findChildren<QWidget*>();
  widgets.prepend(root);
  for (QWidget* w : widgets) {
    if (!w->testAttribute(Qt::WA_SetFont) || w->font().pointSizeF() <= 0) continue;
    QFont f = w->font();
    f.setPixelSize(static_cast<int>(std::lround(f.pointSizeF() * 96.0 / 72.0)));
    if (f.family() == QLatin1String("Impact")) f.setBold(true);
    w->setFont(f);
  }
}

QIcon Icon(std::initializer_list<const char*> files) {
  QIcon icon;
  for (const char* f : files) icon.addFile(QString::fromLatin1(f));
  return icon;
}

template <class Ui>
QDialog* PictureWindow(QWidget* parent, const QIcon& icon) {
  auto* window = new QDialog(parent);
  Ui ui;
  ui.setupUi(window);
  PixelSizes(window);
  window->setFixedSize(window->size());
  window->setWindowIcon(icon);
  return window;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  SubstituteFonts();
  QFont font(QStringLiteral("Liberation Sans"));
  font.setPixelSize(11);
  QApplication::setFont(font);
  resources::InitResources();

  QWidget window;
  Ui::TForm1 form;
  form.setupUi(&window);
  PixelSizes(&window);
  window.setWindowFlag(Qt::WindowStaysOnTopHint, true);
  window.setWindowIcon(Icon({":/icons/main_16.png", ":/icons/main_32.png", ":/icons/main_48.png"}));
  form.PageControl1->setTabVisible(form.PageControl1->indexOf(form.TabSheet3), false);

  const QIcon lines = Icon({":/icons/lines_16.png"});
  const QIcon adsl = Icon({":/icons/adsl_16.png", ":/icons/adsl_32.png", ":/icons/adsl_48.png"});
  PictureWindow<Ui::TForm2>(&window, lines);
  PictureWindow<Ui::TForm3>(&window, lines);
  PictureWindow<Ui::TADSlbag>(&window, adsl);
  PictureWindow<Ui::Tsplnedir>(&window, adsl);
  PictureWindow<Ui::TForm6>(&window, Icon({":/icons/single_16.png"}));

  if (QScreen* screen = window.screen())
    window.move(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
  window.show();
  window.setFixedSize(window.size());
  return app.exec();
}
