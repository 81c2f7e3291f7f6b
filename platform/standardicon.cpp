#include "platform/standardicon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <memory>

namespace platform {

namespace {

class StandardIconEngine : public QIconEngine {
 public:
  StandardIconEngine(QStyle::StandardPixmap which, const QWidget* widget)
      : which_(which), widget_(widget), icon_(std::make_shared<QIcon>()) {}

  void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override {
    Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
  }
  QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().actualSize(size, mode, state);
  }
  QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
    return Icon().pixmap(size, mode, state);
  }
  QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override {
    return Icon().pixmap(size, scale, mode, state);
  }
  QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
    return Icon().availableSizes(mode, state);
  }
  QString iconName() override { return Icon().name(); }
  bool isNull() override { return false; }
  QString key() const override { return QStringLiteral("platform::StandardIconEngine"); }
  // Copies share the looked-up icon, so it is looked up once however often
  // the icon is copied.
  QIconEngine* clone() const override { return new StandardIconEngine(*this); }

 private:
  const QIcon& Icon() {
    if (icon_->isNull()) {
      const QStyle* style = widget_ ? widget_->style() : QApplication::style();
      *icon_ = style->standardIcon(which_);
    }
    return *icon_;
  }

  QStyle::StandardPixmap which_;
  QPointer<const QWidget> widget_;
  std::shared_ptr<QIcon> icon_;
};

}  // namespace

QIcon DeferredStandardIcon(QStyle::StandardPixmap which, const QWidget* widget) {
  return QIcon(new StandardIconEngine(which, widget));
}

}  // namespace platform
