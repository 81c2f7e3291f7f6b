#include "ui/main_window/form1.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>

#include "grid/gridlayoutloader.h"
#include "platform/align.h"
#include "platform/application.h"
#include "platform/applicationevents.h"
#include "platform/defaultbutton.h"
#include "platform/fonts.h"
#include "platform/standardicon.h"

// Resources of a static library are registered by name, outside any namespace.
static void InitMainWindowResources() { Q_INIT_RESOURCE(main_window); }

namespace mainwindow {

int32_t CallCounter = 0;
TForm1* Form1 = nullptr;

namespace {
// The control's own property stream, stored with the window's layout.
QByteArray Tevra1PropertyStream() {
  QFile f(QStringLiteral(":/ui/main_window/tevra1.stream"));
  if (!f.open(QIODevice::ReadOnly)) return QByteArray();
  return f.readAll();
}
}  // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent) {
  setupUi(this);
  InitMainWindowResources();
  grid::LoadGridLayoutFile(*GridView1, QStringLiteral(":/ui/main_window/gridview1.json"));
  platform::ApplyDesignPixelSizes(this);
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  // The "Ayar" page has no tab, and no key, Ctrl+Tab or wheel step may
  // select it either: those skip only disabled tabs, not hidden ones.
  PageControl1->setTabVisible(PageControl1->indexOf(TabSheet3), false);
  PageControl1->setTabEnabled(PageControl1->indexOf(TabSheet3), false);
  platform::InstallAlign(this);

  // OK-kind buttons carry the platform's check-mark glyph and are the default
  // button of their own page. None is on the first page, so the glyph is
  // looked up when first drawn.
  DefaultButtons = new platform::TPageDefaultButtons(this);
  for (QPushButton* b : {BitBtn1, BitBtn2, BitBtn3}) {
    b->setIcon(platform::DeferredStandardIcon(QStyle::SP_DialogOkButton, this));
    DefaultButtons->Add(b);
  }

  Timer1 = new QTimer(this);
  Timer1->setObjectName(QStringLiteral("Timer1"));
  Timer1->setInterval(500);
  // Precise: a coarse timer may fire 5 % late, and a device must show within
  // half a second of identifying.
  Timer1->setTimerType(Qt::PreciseTimer);
  Timer2 = new QTimer(this);
  Timer2->setObjectName(QStringLiteral("Timer2"));
  Timer2->setInterval(50);

  ApplicationEvents1 = new platform::TApplicationEvents(this);
  ApplicationEvents1->setObjectName(QStringLiteral("ApplicationEvents1"));

  PopupMenu1 = new QMenu(this);
  PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
  Listeyisil1 = PopupMenu1->addAction(QStringLiteral("Listeyi sil"));
  Listeyisil1->setObjectName(QStringLiteral("Listeyisil1"));

  SetupGuidePage();
  SetupServicePage();
  platform::AutoSizeLabels(this);
  bindHandlers();

  // Creating the device control: a failure here has no handler and ends
  // start-up with the last-resort error box.
  Tevra1->CreateControl(Tevra1PropertyStream());

  Timer1->start();
  Timer2->start();
}

TForm1::~TForm1() {
  // Let go of the error hook before the controls it writes to go.
  delete ApplicationEvents1;
}

void TForm1::bindHandlers() {
  using platform::Guarded;
  const auto bind = [this](auto* sender, auto signal, void (TForm1::*handler)(QObject*)) {
    connect(sender, signal, this, [this, sender, handler] { Guarded(sender, [&] { (this->*handler)(sender); }); });
  };
  bind(Timer1, &QTimer::timeout, &TForm1::Timer1Timer);
  bind(Timer2, &QTimer::timeout, &TForm1::Timer2Timer);
  bind(Memo2, &QPlainTextEdit::textChanged, &TForm1::Memo2Change);
  bind(Listeyisil1, &QAction::triggered, &TForm1::Listeyisil1Click);
  connect(Label9, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) { PopupMenu1->popup(Label9->mapToGlobal(pos)); });

  bind(Label21, &platform::TClickLabel::clicked, &TForm1::Label21Click);
  bind(Image2, &platform::TClickLabel::clicked, &TForm1::Image2Click);
  bind(Label17, &platform::TClickLabel::clicked, &TForm1::Label17Click);
  bind(Image1, &platform::TClickLabel::clicked, &TForm1::Image1Click);
  bind(Label16, &platform::TClickLabel::clicked, &TForm1::Label11Click);
  bind(Image3, &platform::TClickLabel::clicked, &TForm1::Image3Click);
  bind(Label12, &platform::TClickLabel::clicked, &TForm1::Label12Click);
  bind(Image4, &platform::TClickLabel::clicked, &TForm1::Image4Click);
  bind(Label19, &platform::TClickLabel::clicked, &TForm1::Label14Click);
  bind(BitBtn3, &QPushButton::clicked, &TForm1::BitBtn2Click);
  bind(BitBtn2, &QPushButton::clicked, &TForm1::BitBtn2Click);
  bind(BitBtn1, &QPushButton::clicked, &TForm1::BitBtn1Click);

  Tevra1->OnCallerID = [this](QObject* s, const QString& a, const QString& b, const QString& c, const QString& d,
                              const QString& e) { Tevra1CallerID(s, a, b, c, d, e); };
  Tevra1->OnSignalA = [this](QObject* s, const QString& l1, const QString& l2, const QString& l3, const QString& l4,
                             const QString& l5, const QString& l6, const QString& l7,
                             const QString& l8) { Tevra1SignalA(s, l1, l2, l3, l4, l5, l6, l7, l8); };
  ApplicationEvents1->OnException = [this](QObject* sender, const std::exception& e) {
    ApplicationEvents1Exception(sender, e);
  };
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (event->spontaneous() || shown_) return;
  shown_ = true;
  platform::Guarded(this, [this] { FormShow(this); });
}

void TForm1::FormShow(QObject*) {
  CallCounter = 0;
  Label5->setText(QString::number(CallCounter));
  PageControl1->setCurrentWidget(TabSheet1);
  Tevra1->SetSurfaceVisible(false);
  Tevra1->StartMonitoring();
  // Fit to contents: the page control fills the client area, so the window
  // keeps its laid-out size against every request to resize it.
  fittedSize_ = PageControl1->geometry().size();
  setFixedSize(fittedSize_);
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // A window manager may ignore the fixed size; answer with the fitted size.
  if (fittedSize_.isValid() && size() != fittedSize_)
    QTimer::singleShot(0, this, [this] {
      if (size() != fittedSize_) resize(fittedSize_);
    });
}

void TForm1::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange && fittedSize_.isValid() &&
      (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
    QTimer::singleShot(0, this, [this] {
      setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
      resize(fittedSize_);
    });
}

void TForm1::Timer2Timer(QObject*) {
  Timer2->stop();
  QWidget* w = QApplication::activeWindow() ? QApplication::activeWindow() : window();
  w->raise();
  w->activateWindow();
}

}  // namespace mainwindow
