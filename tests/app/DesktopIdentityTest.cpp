// The program's name on the desktop and its icon, and the installed files
// that must carry the same name for a desktop to match a window to its menu
// entry and icon.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QRegularExpression>

#include "app/DesktopIdentity.h"

namespace {

QString SourceFileText(const QString& relative) {
  QFile file(QStringLiteral(OT_SOURCE_DIR "/") + relative);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

const QString kId = QLatin1String(kDesktopFileName);

}  // namespace

TEST(DesktopIdentityTest, TheApplicationGetsItsDesktopFileNameAndAnIconThatDrawsTheLogo) {
  SetDesktopIdentity();
  EXPECT_EQ(QGuiApplication::desktopFileName(), kId);
  const QIcon icon = QGuiApplication::windowIcon();
  ASSERT_FALSE(icon.isNull());
  for (int side : {16, 48, 256}) {
    const QImage image = icon.pixmap(side, side).toImage();
    ASSERT_EQ(image.width(), side);
    if (side == 256) {
      QDir().mkpath(QStringLiteral(OT_SCREENSHOT_DIR));
      image.save(QStringLiteral(OT_SCREENSHOT_DIR "/application-icon.png"));
    }
    // Rounded corners stay clear; the dark tile fills the rest, and the
    // clean (green) and degraded (orange) halves of the wave are drawn.
    EXPECT_LT(qAlpha(image.pixel(0, 0)), 32) << side;
    const QColor tile = image.pixelColor(side / 2, side - 1 - side / 8);
    EXPECT_EQ(tile.alpha(), 255) << side;
    EXPECT_LT(tile.red(), 60) << side;
    EXPECT_GT(tile.blue(), tile.red()) << side;
    bool green = false, orange = false;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        const QColor c = image.pixelColor(x, y);
        green = green || (x < side / 2 && c.green() > 160 && c.red() < c.green() - 40 && c.blue() < 110);
        orange = orange || (x > side / 2 && c.red() > 160 && c.green() > 70 && c.green() < c.red() - 40 && c.blue() < 110);
      }
    }
    EXPECT_TRUE(green) << side;
    EXPECT_TRUE(orange) << side;
  }
}

TEST(DesktopIdentityTest, TheDesktopEntryIconAndAppStreamFileCarryTheProgramsName) {
  const QString entry = SourceFileText(QStringLiteral("packaging/%1.desktop").arg(kId));
  ASSERT_FALSE(entry.isEmpty()) << "no desktop entry named after the program";
  EXPECT_TRUE(entry.contains(QRegularExpression(QStringLiteral("^Icon=%1$").arg(QRegularExpression::escape(kId)),
                                                QRegularExpression::MultilineOption)));
  EXPECT_TRUE(entry.contains(QRegularExpression(QStringLiteral("^Exec=ovelda-tarnwick\\b"),
                                                QRegularExpression::MultilineOption)));

  EXPECT_TRUE(QFile::exists(QStringLiteral(OT_SOURCE_DIR "/app/icons/%1.svg").arg(kId)));

  const QString metainfo = SourceFileText(QStringLiteral("packaging/%1.metainfo.xml").arg(kId));
  ASSERT_FALSE(metainfo.isEmpty()) << "no AppStream file named after the program";
  EXPECT_TRUE(metainfo.contains(QStringLiteral("<id>%1</id>").arg(kId)));
  EXPECT_TRUE(metainfo.contains(QStringLiteral("<launchable type=\"desktop-id\">%1.desktop</launchable>").arg(kId)));
}
