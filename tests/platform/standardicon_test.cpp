// A standard icon looked up when drawn: the same picture as the style's own,
// for copies too, and still drawable after the widget that asked is gone.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>

#include "platform/standardicon.h"

namespace {

QImage Picture(const QIcon& icon) { return icon.pixmap(QSize(16, 16)).toImage(); }

TEST(DeferredStandardIcon, DrawsTheStylesIconForCopiesAndAfterItsWidgetIsGone) {
  const QImage expected = Picture(QApplication::style()->standardIcon(QStyle::SP_DialogOkButton));
  ASSERT_FALSE(expected.isNull());
  QIcon copy;
  {
    QPushButton button;
    button.setIcon(platform::DeferredStandardIcon(QStyle::SP_DialogOkButton, &button));
    EXPECT_FALSE(button.icon().isNull());
    copy = button.icon();
    EXPECT_EQ(Picture(button.icon()), expected);
    EXPECT_EQ(button.icon().actualSize(QSize(16, 16)), QSize(16, 16));
  }
  EXPECT_EQ(Picture(copy), expected);
  EXPECT_EQ(Picture(platform::DeferredStandardIcon(QStyle::SP_DialogOkButton, nullptr)), expected);
}

}  // namespace
