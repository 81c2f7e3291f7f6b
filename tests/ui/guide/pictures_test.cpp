// The shipped pictures and icons: present, of the sizes and kinds the
// windows are laid out for.
#include <gtest/gtest.h>

#include <QFile>
#include <QtEndian>

#include "resource_bytes.h"
#include "resources/resources.h"
#include "ui/guide/pictures.h"

namespace {

TEST(Pictures, BitmapsAreUncompressed24BitAtTheirSizes) {
  struct Case {
    const char* path;
    int width, height;
  } cases[] = {{guide::kSingleLinePicture, 410, 320},
               {guide::kTwoLinePicture, 478, 322},
               {guide::kFourLinePicture, 478, 400},
               {guide::kWiringThumbnail, 96, 68},
               {guide::kAdslThumbnail, 96, 68}};
  for (const Case& c : cases) {
    const QByteArray bmp = Resource(c.path);
    ASSERT_GE(bmp.size(), 54) << c.path;
    const auto* b = reinterpret_cast<const uchar*>(bmp.constData());
    EXPECT_EQ(bmp.left(2), QByteArray("BM")) << c.path;
    EXPECT_EQ(qFromLittleEndian<qint32>(b + 18), c.width) << c.path;
    EXPECT_EQ(std::abs(qFromLittleEndian<qint32>(b + 22)), c.height) << c.path;
    EXPECT_EQ(qFromLittleEndian<quint16>(b + 28), 24) << c.path << ": bits per pixel";
    EXPECT_EQ(qFromLittleEndian<quint32>(b + 30), 0u) << c.path << ": compression";
    EXPECT_EQ(guide::LoadPicture(QString::fromLatin1(c.path)).size(), QSize(c.width, c.height)) << c.path;
  }
}

TEST(Pictures, MissingPictureGivesAnEmptyPixmapNotAFailure) {
  EXPECT_TRUE(guide::LoadPicture(QStringLiteral(":/guide/none.bmp")).isNull());
  EXPECT_TRUE(guide::LoadPicture(QStringLiteral(":/guide/none.jpg")).isNull());
}

TEST(Pictures, IconsCarryTheirSizes) {
  const QList<QSize> three = {{16, 16}, {32, 32}, {48, 48}};
  EXPECT_EQ(guide::MainWindowIcon().availableSizes(), three);
  EXPECT_EQ(guide::AdslWindowIcon().availableSizes(), three);
  EXPECT_EQ(guide::LinesWindowIcon().availableSizes(), QList<QSize>{QSize(16, 16)});
  EXPECT_EQ(guide::SingleLineWindowIcon().availableSizes(), QList<QSize>{QSize(16, 16)});
  // The small window icons are paletted: 16 and 256 colours at most.
  EXPECT_LE(QImage(QStringLiteral(":/icons/lines_16.png")).colorCount(), 16);
  EXPECT_GT(QImage(QStringLiteral(":/icons/lines_16.png")).colorCount(), 0);
  EXPECT_LE(QImage(QStringLiteral(":/icons/single_16.png")).colorCount(), 256);
  EXPECT_GT(QImage(QStringLiteral(":/icons/single_16.png")).colorCount(), 0);
}

}  // namespace
