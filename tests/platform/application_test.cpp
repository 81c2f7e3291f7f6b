// The one error hook: errors from handlers, events and guarded code reach it;
// silent aborts do not; nothing escapes into Qt.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "platform/application.h"
#include "platform/applicationevents.h"
#include "platform/defaultbutton.h"
#include "platform/errors.h"
#include "platform/fonts.h"

using namespace platform;

namespace {

struct HookRecorder {
  QStringList messages;
  QList<QObject*> senders;
  HookRecorder() {
    TApplication::Instance()->SetOnException([this](QObject* s, const std::exception& e) {
      senders << s;
      const auto* pe = dynamic_cast<const Exception*>(&e);
      messages << (pe ? pe->Message() : QString::fromUtf8(e.what()));
    });
  }
  ~HookRecorder() { TApplication::Instance()->SetOnException(nullptr); }
};

class Throwing : public QObject {
 public:
  bool event(QEvent* e) override {
    if (e->type() == QEvent::User) throw EConvertError(QStringLiteral("'x' is not a valid integer value"));
    if (e->type() == QEvent::User + 1) throw EAbort();
    if (e->type() == QEvent::User + 2) throw std::runtime_error("plain");
    return QObject::event(e);
  }
};

}  // namespace

TEST(ErrorHook, ErrorsEscapingEventHandlersReachTheHook) {
  HookRecorder hook;
  Throwing target;
  QEvent e(QEvent::User);
  QCoreApplication::sendEvent(&target, &e);
  QCoreApplication::postEvent(&target, new QEvent(QEvent::Type(QEvent::User + 2)));
  QCoreApplication::processEvents();
  ASSERT_EQ(hook.messages.size(), 2);
  EXPECT_EQ(hook.messages[0], QStringLiteral("'x' is not a valid integer value"));
  EXPECT_EQ(hook.messages[1], QStringLiteral("plain"));
  EXPECT_EQ(hook.senders[0], &target);
}

TEST(ErrorHook, SilentAbortIsDroppedEverywhere) {
  HookRecorder hook;
  Throwing target;
  QEvent e(QEvent::Type(QEvent::User + 1));
  QCoreApplication::sendEvent(&target, &e);
  Guarded(&target, [] { throw EAbort(); });
  EXPECT_TRUE(hook.messages.isEmpty());
}

TEST(ErrorHook, GuardedCodeStopsAtTheFailingStep) {
  HookRecorder hook;
  QObject sender;
  int steps = 0;
  Guarded(&sender, [&] {
    ++steps;
    throw EListError::IndexOutOfBounds(7);
    ++steps;  // never reached
  });
  EXPECT_EQ(steps, 1);
  EXPECT_EQ(hook.messages, QStringList{QStringLiteral("List index out of bounds (7)")});
  EXPECT_EQ(hook.senders.value(0), &sender);
}

TEST(ErrorHook, AnErrorInsideTheHookIsSwallowed) {
  TApplication::Instance()->SetOnException([](QObject*, const std::exception&) { throw std::runtime_error("again"); });
  QObject sender;
  EXPECT_NO_THROW(Guarded(&sender, [] { throw std::runtime_error("first"); }));
  TApplication::Instance()->SetOnException(nullptr);
}

TEST(ErrorHook, ApplicationEventsTakeErrorsOnlyWhileTheyLive) {
  HookRecorder plain;
  QObject sender;
  QStringList fromEvents;
  {
    TApplicationEvents events;
    events.OnException = [&](QObject*, const std::exception& e) { fromEvents << QString::fromUtf8(e.what()); };
    Guarded(&sender, [] { throw std::runtime_error("while alive"); });
  }
  // Gone with its window: errors reach the plain hook, never a dead handler.
  Guarded(&sender, [] { throw std::runtime_error("after"); });
  EXPECT_EQ(fromEvents, QStringList{QStringLiteral("while alive")});
  EXPECT_EQ(plain.messages, QStringList{QStringLiteral("after")});
}

TEST(DefaultButtons, OnlyTheVisiblePagesButtonTakesReturn) {
  QWidget window;
  auto* tabs = new QTabWidget(&window);
  auto* page1 = new QWidget;
  auto* page2 = new QWidget;
  tabs->addTab(page1, QStringLiteral("1"));
  tabs->addTab(page2, QStringLiteral("2"));
  auto* edit1 = new QLineEdit(page1);
  auto* ok1 = new QPushButton(QStringLiteral("Tamam"), page1);
  auto* ok2 = new QPushButton(QStringLiteral("Tamam"), page2);
  ok2->move(0, 40);
  TPageDefaultButtons defaults(&window);
  defaults.Add(ok1);
  defaults.Add(ok2);
  int clicks1 = 0, clicks2 = 0;
  QObject::connect(ok1, &QPushButton::clicked, [&] { ++clicks1; });
  QObject::connect(ok2, &QPushButton::clicked, [&] { ++clicks2; });
  window.show();
  QApplication::setActiveWindow(&window);
  edit1->setFocus();
  QTest::keyClick(edit1, Qt::Key_Return);
  EXPECT_EQ(clicks1, 1);
  EXPECT_EQ(clicks2, 0);
  tabs->setCurrentIndex(1);
  tabs->setFocus();
  QTest::keyClick(tabs, Qt::Key_Enter);
  EXPECT_EQ(clicks1, 1) << "a default button on a hidden page never reacts";
  EXPECT_EQ(clicks2, 1);
}

TEST(Fonts, WindowsFamiliesMapToInstalledFreeFonts) {
  for (const char* family : {"MS Sans Serif", "Verdana", "Impact"}) {
    const QFont f = DesignFont(QString::fromLatin1(family), 27);
    EXPECT_EQ(f.pixelSize(), 27);
    const QFontInfo info(f);
    EXPECT_EQ(info.family(), MappedFamily(QString::fromLatin1(family))) << family << " is not installed";
  }
  EXPECT_TRUE(DesignFont(QStringLiteral("Impact"), 27).bold()) << "the display face keeps its weight";
  EXPECT_EQ(MappedFamily(QStringLiteral("Arial")), QStringLiteral("Arial"));
}
