// GoogleTest with a QApplication, as the windows need one. The offscreen
// screen is a usual desktop's, 1280 × 1024, so that the main window fits on
// it whole as it would on a real one (the platform's own is 800 × 600).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

int main(int argc, char** argv) {
  QTemporaryDir configDir;
  const QString config = configDir.filePath(QStringLiteral("screens.json"));
  QFile file(config);
  if (file.open(QIODevice::WriteOnly)) {
    file.write(R"({"screens": [{"name": "desktop", "x": 0, "y": 0, "width": 1280, "height": 1024, "logicalDpi": 96}]})");
    file.close();
    qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config).toLocal8Bit());
  } else {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
