// Hidden service page of the main window: a small power question whose
// one-character answer, confirmed with "Tamam", runs the control's service
// action.
#include <QEvent>
#include <QMouseEvent>
#include <functional>

#include "platform/application.h"
#include "ui/main_window/form1.h"

namespace mainwindow {

namespace {

// The question reads as 2 to the power of 3; its answer lives only here.
constexpr char16_t kQuestionBase[] = u"2";
constexpr char16_t kQuestionExponent[] = u"3";
constexpr char16_t kServiceAnswer[] = u"8";

constexpr char16_t kUnanswered[] = u"??";

// A line edit has no click signal: a release of the left button inside it
// counts as a click, after the edit has placed its cursor.
class ClickFilter : public QObject {
 public:
  ClickFilter(QObject* parent, std::function<void()> onClick) : QObject(parent), onClick_(std::move(onClick)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonRelease) {
      auto* e = static_cast<QMouseEvent*>(event);
      auto* w = static_cast<QWidget*>(watched);
      if (e->button() == Qt::LeftButton && w->rect().contains(e->position().toPoint())) {
        // Let the edit finish its own release handling first, so the
        // selection made here is not undone by it.
        static_cast<QObject*>(w)->event(event);
        onClick_();
        return true;
      }
    }
    return false;
  }

 private:
  std::function<void()> onClick_;
};

}  // namespace

void TForm1::SetupServicePage() {
  Label14->setText(QString::fromUtf16(kQuestionBase));
  Label18->setText(QString::fromUtf16(kQuestionExponent));
  Edit1->installEventFilter(
      new ClickFilter(Edit1, [this] { platform::Guarded(Edit1, [this] { Edit1Click(Edit1); }); }));
}

void TForm1::Edit1Click(QObject*) { Edit1->selectAll(); }

void TForm1::BitBtn1Click(QObject*) {
  // Compared as typed: case and blanks count.
  if (Edit1->text() != QString::fromUtf16(kServiceAnswer)) {
    Edit1->setText(QString::fromUtf16(kUnanswered));
    PageControl1->setCurrentWidget(TabSheet1);
    return;
  }
  Tevra1->RunServiceAction();
}

}  // namespace mainwindow
