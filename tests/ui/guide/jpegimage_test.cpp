// JPEG decoding through libjpeg: the shipped pictures, and damaged data that
// must neither end the program nor yield a half-decoded picture.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImage>

#include "resource_bytes.h"
#include "resources/resources.h"
#include "ui/guide/jpegimage.h"
#include "ui/guide/pictures.h"

namespace {

QByteArray EncodeWithQt(const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(image.save(&buffer, "JPEG", 95));
  return bytes;
}

int MaxChannelDifference(const QImage& a, const QImage& b) {
  int worst = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
      worst = std::max(
          {worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
    }
  return worst;
}

TEST(DecodeJpeg, ShippedPicturesDecodeAtTheirSizesAndMatchAnIndependentDecoder) {
  struct Case {
    const char* path;
    QSize size;
  } cases[] = {{guide::kAdslPicture, {572, 387}}, {guide::kSplitterPicture, {413, 340}}};
  for (const Case& c : cases) {
    const QByteArray data = Resource(c.path);
    QString error;
    const QImage ours = guide::DecodeJpeg(data, &error);
    ASSERT_FALSE(ours.isNull()) << c.path << ": " << error.toStdString();
    EXPECT_EQ(ours.size(), c.size) << c.path;
    QImage reference;
    ASSERT_TRUE(reference.loadFromData(data, "JPEG"));
    // Decoders may round the colour transform differently, never more.
    EXPECT_LE(MaxChannelDifference(ours, reference.convertToFormat(QImage::Format_RGB888)), 4) << c.path;
  }
}

TEST(DecodeJpeg, ColoursAndOrientationSurviveARoundTrip) {
  QImage image(40, 20, QImage::Format_RGB888);
  image.fill(Qt::white);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 10; ++x) image.setPixelColor(x, y, QColor(255, 0, 0));  // red band on the left
  const QImage decoded = guide::DecodeJpeg(EncodeWithQt(image));
  ASSERT_EQ(decoded.size(), QSize(40, 20));
  const QColor left = decoded.pixelColor(3, 10), right = decoded.pixelColor(35, 10);
  EXPECT_GT(left.red(), 200);
  EXPECT_LT(left.green(), 60);
  EXPECT_LT(left.blue(), 60);
  EXPECT_GT(right.green(), 200);
}

TEST(DecodeJpeg, GreyscalePicturesComeOutAsColourImages) {
  QImage grey(16, 8, QImage::Format_Grayscale8);
  grey.fill(128);
  const QImage decoded = guide::DecodeJpeg(EncodeWithQt(grey));
  ASSERT_FALSE(decoded.isNull());
  EXPECT_EQ(decoded.format(), QImage::Format_RGB888);
  EXPECT_NEAR(qRed(decoded.pixel(4, 4)), 128, 3);
}

TEST(DecodeJpeg, DamagedDataGivesANullImageAndAReason) {
  const QByteArray good = Resource(guide::kSplitterPicture);
  QByteArray garbage = good;
  garbage.replace(0, 2, "XX");  // no start-of-image marker
  const QByteArray truncated = good.left(good.size() / 2);
  const QByteArray headerOnly = good.left(20);
  for (const QByteArray& data : {QByteArray(), garbage, truncated, headerOnly, QByteArray("\xFF\xD8", 2)}) {
    QString error;
    const QImage image = guide::DecodeJpeg(data, &error);
    EXPECT_TRUE(image.isNull()) << "size " << data.size();
    EXPECT_FALSE(error.isEmpty()) << "size " << data.size();
  }
}

}  // namespace
