// GoogleTest with a QApplication on the offscreen platform (test discovery
// runs without ctest's environment). Network requests go straight to the
// tests' own servers on loopback, never through a proxy.
#include <gtest/gtest.h>

#include <QApplication>
#include <QNetworkProxy>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
