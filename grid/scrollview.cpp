#include "grid/scrollview.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include "grid/syscolors.h"

namespace grid {

// --- TControlScrollBar -----------------------------------------------------

TControlScrollBar::TControlScrollBar(TScrollView* owner, TScrollBarKind kind) : owner_(owner), kind_(kind) {}

QScrollBar* TControlScrollBar::WindowBar() const {
  return kind_ == sbHorizontal ? owner_->horizontalScrollBar() : owner_->verticalScrollBar();
}

void TControlScrollBar::Apply() {
  if (locked_) return;
  applying_ = true;
  if (QScrollBar* bar = WindowBar()) {
    // Range, thumb size and position in one go; a bar with nothing to scroll
    // stays in place but disabled rather than disappearing. The bar model is
    // the authority and shows or hides bars itself, so the scroll area's own
    // reactions (one queued event per range change) are not wanted: without
    // them appending rows one by one stays cheap.
    const QSignalBlocker quiet(bar);
    bar->setRange(min_, std::max(min_, max_));
    bar->setPageStep(std::max(1, pageSize_));
    bar->setSingleStep(std::max(1, lineStep_));
    bar->setValue(pos_);
    bar->setEnabled(enabled_ && max_ > min_);
  }
  applying_ = false;
}

void TControlScrollBar::SetEnabled(bool value) {
  enabled_ = value;
  Apply();
}

void TControlScrollBar::SetMax(int value) {
  max_ = value < 0 ? 0 : value;
  // Lowered without moving pixels: whoever shrinks the range repaints anyway.
  if (pos_ > max_) pos_ = max_;
  Apply();
}

void TControlScrollBar::SetMin(int value) {
  min_ = value < 0 ? 0 : value;
  Apply();
}

void TControlScrollBar::SetPageSize(int value) {
  pageSize_ = value;
  Apply();
}

void TControlScrollBar::SetScrollPos(int value) {
  prevPos_ = pos_;
  if (value > max_) value = max_;
  if (value < min_) value = min_;
  pos_ = value;
  Apply();
  owner_->BeforeScroll(kind_);
  const int delta = prevPos_ - pos_;
  if (kind_ == sbHorizontal) {
    owner_->SetLastHorzDelta(delta);
    owner_->ScrollContent(delta, 0);
  } else {
    owner_->SetLastVertDelta(delta);
    owner_->ScrollContent(0, delta);
  }
}

void TControlScrollBar::SetVisible(bool value) {
  visible_ = value;
  const Qt::ScrollBarPolicy policy = value ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
  // Showing or hiding a bar resizes the client area at once (a size change).
  if (kind_ == sbHorizontal) {
    if (owner_->horizontalScrollBarPolicy() != policy) owner_->setHorizontalScrollBarPolicy(policy);
  } else if (owner_->verticalScrollBarPolicy() != policy) {
    owner_->setVerticalScrollBarPolicy(policy);
  }
}

void TControlScrollBar::SetParams(int pos, int min, bool visible, bool enabled, int pageSize, int max) {
  locked_ = true;
  SetEnabled(enabled);
  SetMax(max);
  SetMin(min);
  SetPageSize(pageSize);
  if (pos > 0) SetScrollPos(pos);
  SetVisible(visible);
  locked_ = false;
  Apply();
}

void TControlScrollBar::SendMessage(TScrollCode code) {
  if (max_ < 1) return;
  owner_->ScrollMessage(kind_, code);
}

void TControlScrollBar::LineUp() { SendMessage(scLineUp); }
void TControlScrollBar::LineDown() { SendMessage(scLineDown); }
void TControlScrollBar::PageUp() { SendMessage(scPageUp); }
void TControlScrollBar::PageDown() { SendMessage(scPageDown); }

// --- TCustomScrollView -----------------------------------------------------

TCustomScrollView::TCustomScrollView(QWidget* parent) : QAbstractScrollArea(parent) {
  // The paint pass covers every client pixel itself: no background erase.
  viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
  viewport()->setAttribute(Qt::WA_NoSystemBackground);
  viewport()->setAutoFillBackground(false);
  // A larger client area repaints only what it newly shows.
  viewport()->setAttribute(Qt::WA_StaticContents);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
}

void TCustomScrollView::ScrollContent(int deltaX, int deltaY) {
  const int dx = deltaX * horzScrollUnit_;
  const int dy = deltaY * vertScrollUnit_;
  if (dx == 0 && dy == 0) return;
  const TRect& clip = deltaX != 0 ? horzScrollRect_ : vertScrollRect_;
  if (clip.IsEmpty()) return;
  // On an opaque viewport this moves the pixels and invalidates only the
  // uncovered strip.
  viewport()->scroll(dx, dy, clip.ToQRect());
}

void TCustomScrollView::SetFrameEdge(TFrameEdge edge) {
  if (edge == frameEdge_) return;
  frameEdge_ = edge;
  switch (edge) {
    case TFrameEdge::None: setFrameStyle(QFrame::NoFrame); break;
    case TFrameEdge::Static:
      setFrameStyle(QFrame::Panel | QFrame::Sunken);
      setLineWidth(1);
      break;
    case TFrameEdge::Themed:
      setFrameStyle(QFrame::Panel | QFrame::Sunken);
      setLineWidth(2);
      break;
  }
}

void TCustomScrollView::SyncFrameEdge(bool queued) {
  const TFrameEdge wanted = WantedFrameEdge();
  if (wanted == frameEdge_) return;
  if (queued)
    QMetaObject::invokeMethod(
        this, [this] { SetFrameEdge(WantedFrameEdge()); }, Qt::QueuedConnection);
  else
    SetFrameEdge(wanted);
}

bool TCustomScrollView::event(QEvent* e) {
  if (e->type() == QEvent::Show || e->type() == QEvent::StyleChange || e->type() == QEvent::Polish) {
    if (!created_) {
      created_ = true;
      WindowCreated();
    }
    SyncFrameEdge(false);
  }
  if (e->type() != QEvent::Paint) return QAbstractScrollArea::event(e);
  SyncFrameEdge(true);
  // The area paints its scroll-bar corner and a frame; the edge itself is
  // drawn over that in the platform's static-edge colours.
  const bool handled = QAbstractScrollArea::event(e);
  if (frameEdge_ != TFrameEdge::None) {
    QPainter p(this);
    const int w = width();
    const int h = height();
    const QColor shadow = ColorToQColor(clBtnShadow);
    const QColor light = ColorToQColor(clBtnHighlight);
    p.fillRect(0, 0, w, 1, shadow);
    p.fillRect(0, 0, 1, h, shadow);
    p.fillRect(0, h - 1, w, 1, light);
    p.fillRect(w - 1, 0, 1, h, light);
    if (frameEdge_ == TFrameEdge::Themed) {
      // The border pixel inside the edge, until a themed frame covers it.
      const QColor face = ColorToQColor(clBtnFace);
      p.fillRect(1, 1, w - 2, 1, face);
      p.fillRect(1, 1, 1, h - 2, face);
      p.fillRect(1, h - 2, w - 2, 1, face);
      p.fillRect(w - 2, 1, 1, h - 2, face);
    }
    PaintFrame(p);
  }
  return handled;
}

void TCustomScrollView::PaintFrame(QPainter&) {}

// --- TScrollView -----------------------------------------------------------

namespace {

TScrollCode CodeForAction(int action, bool* known) {
  *known = true;
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub: return scLineUp;
    case QAbstractSlider::SliderSingleStepAdd: return scLineDown;
    case QAbstractSlider::SliderPageStepSub: return scPageUp;
    case QAbstractSlider::SliderPageStepAdd: return scPageDown;
    case QAbstractSlider::SliderMove: return scTrack;
    case QAbstractSlider::SliderToMinimum: return scTop;
    case QAbstractSlider::SliderToMaximum: return scBottom;
    default: *known = false; return scEndScroll;
  }
}

}  // namespace

TScrollView::TScrollView(QWidget* parent)
    : TCustomScrollView(parent),
      horz_(new TControlScrollBar(this, sbHorizontal)),
      vert_(new TControlScrollBar(this, sbVertical)) {
  connect(horizontalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { OnBarAction(sbHorizontal, action); });
  connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this,
          [this](int action) { OnBarAction(sbVertical, action); });
  connect(horizontalScrollBar(), &QAbstractSlider::valueChanged, this,
          [this](int value) { OnBarValue(sbHorizontal, value); });
  connect(verticalScrollBar(), &QAbstractSlider::valueChanged, this,
          [this](int value) { OnBarValue(sbVertical, value); });
  vert_->Apply();
  horz_->Apply();
}

TScrollView::~TScrollView() {
  delete horz_;
  delete vert_;
}

void TScrollView::showEvent(QShowEvent* e) {
  TCustomScrollView::showEvent(e);
  vert_->Apply();
  horz_->Apply();
}

void TScrollView::ScrollMessage(TScrollBarKind kind, TScrollCode code) {
  TControlScrollBar* bar = ScrollBar(kind);
  QScrollBar* windowBar = kind == sbHorizontal ? horizontalScrollBar() : verticalScrollBar();
  switch (code) {
    case scLineUp: bar->SetScrollPos(bar->ScrollPos() - bar->LineStep()); break;
    case scLineDown: bar->SetScrollPos(bar->ScrollPos() + bar->LineStep()); break;
    case scPageUp: bar->SetScrollPos(bar->ScrollPos() - bar->PageStep()); break;
    case scPageDown: bar->SetScrollPos(bar->ScrollPos() + bar->PageStep()); break;
    case scPosition:
    case scTrack: bar->SetScrollPos(windowBar->sliderPosition()); break;
    case scTop: bar->SetScrollPos(0); break;
    case scBottom: bar->SetScrollPos(bar->Max()); break;
    default: break;
  }
  // The bar stays shown after a scroll; one the model holds hidden is left
  // hidden, so the client area never changes behind the bar model's back.
  if (isVisible() && bar->BarVisible()) {
    if (kind == sbHorizontal)
      setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    else
      setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  }
}

void TScrollView::OnBarAction(TScrollBarKind kind, int action) {
  bool known = false;
  const TScrollCode code = CodeForAction(action, &known);
  if (!known) return;
  ScrollMessage(kind, code);
  // The slider lands where our position is, whatever Qt computed.
  QScrollBar* windowBar = kind == sbHorizontal ? horizontalScrollBar() : verticalScrollBar();
  windowBar->setSliderPosition(ScrollBar(kind)->ScrollPos());
}

void TScrollView::OnBarValue(TScrollBarKind kind, int value) {
  TControlScrollBar* bar = ScrollBar(kind);
  // Values we pushed ourselves, or ones we already hold, need nothing.
  if (bar->Applying() || value == bar->ScrollPos()) return;
  bar->SetScrollPos(value);
}

}  // namespace grid
