// The main window's placement and its splitter between runs: Qt's geometry
// state, kept fully on a screen, and the old Left/Top/Width/Height read once.

#include <QGuiApplication>
#include <QScreen>
#include <QSplitter>

#include "ui/main/WindowState.h"
#include "tests/ui/main/WindowRig.h"

namespace {

QRect Available() { return QGuiApplication::primaryScreen()->availableGeometry(); }

class WindowStateTest : public ::testing::Test {
 protected:
  WindowStateTest() : Store(Dir.filePath("settings.ini"), QSettings::IniFormat) {}
  // A window of the main window's kind with a splitter of two panes.
  struct TWindow {
    TWindow() {
      Window.setObjectName("TSimulatorForm");
      Splitter = new QSplitter(Qt::Vertical);
      Splitter->addWidget(new QWidget);
      Splitter->addWidget(new QWidget);
      Window.setCentralWidget(Splitter);
      Window.setMinimumSize(200, 150);
    }
    QMainWindow Window;
    QSplitter* Splitter;
  };
  QTemporaryDir Dir;
  QSettings Store;
};

}  // namespace

TEST(KeepInside, MovesAndShrinksOntoTheArea) {
  const QRect area(0, 0, 1280, 1024);
  const struct {
    QRect Given, Expected;
  } cases[] = {
      {{100, 100, 800, 600}, {100, 100, 800, 600}},      // inside: unchanged
      {{-50, 10, 800, 600}, {0, 10, 800, 600}},          // past the left edge
      {{900, 700, 800, 600}, {480, 424, 800, 600}},      // past the right and bottom edges
      {{5000, 4000, 800, 600}, {480, 424, 800, 600}},    // on a screen that is gone
      {{-10, -10, 2000, 1500}, {0, 0, 1280, 1024}},      // larger than the screen
  };
  for (const auto& c : cases) EXPECT_EQ(KeepInside(c.Given, area), c.Expected) << c.Given.x() << "," << c.Given.y();
  // Another screen's area, not starting at the origin.
  EXPECT_EQ(KeepInside({1000, 50, 800, 600}, {1280, 0, 1920, 1080}), QRect(1280, 50, 800, 600));
}

TEST_F(WindowStateTest, ThePlacementComesBackAsItWas) {
  const QRect area = Available();
  const QRect placed(area.left() + 20, area.top() + 30, 300, 200);
  {
    TWindow first;
    first.Window.setGeometry(placed);
    first.Splitter->setSizes({40, 100});
    SaveWindowState(Store, first.Window, *first.Splitter);
  }
  TWindow second;
  RestoreWindowPlacement(Store, second.Window, QSize(400, 300));
  RestoreBarsAndSplitter(Store, second.Window, *second.Splitter);
  EXPECT_EQ(second.Window.geometry(), placed);
  second.Window.show();
  QApplication::processEvents();
  // The panes keep their share of the height.
  const QList<int> sizes = second.Splitter->sizes();
  EXPECT_NEAR(double(sizes[0]) / (sizes[0] + sizes[1]), 40.0 / 140.0, 0.01);
}

TEST_F(WindowStateTest, AWindowSavedPartlyOffTheScreenComesBackFullyOnIt) {
  const QRect area = Available();
  {
    TWindow first;
    // Its title bar still on the screen, most of it off at the bottom right,
    // as after the screen it was on became smaller or went away.
    first.Window.setGeometry(area.right() - 100, area.bottom() - 60, 400, 300);
    SaveWindowState(Store, first.Window, *first.Splitter);
  }
  TWindow second;
  RestoreWindowPlacement(Store, second.Window, QSize(400, 300));
  EXPECT_TRUE(area.contains(second.Window.geometry())) << second.Window.geometry().x() << ","
                                                       << second.Window.geometry().y();
  EXPECT_EQ(second.Window.size(), QSize(400, 300));
  // Once shown, its frame too.
  second.Window.show();
  KeepWindowOnScreen(second.Window);
  EXPECT_TRUE(area.contains(second.Window.frameGeometry()));
}

TEST_F(WindowStateTest, TheOldPlacementIsReadOnceAndKeptOnTheScreen) {
  const QRect area = Available();
  Store.setValue("Global/Left", -50);
  Store.setValue("Global/Top", "40");
  Store.setValue("Global/Width", 5000);
  Store.setValue("Global/Height", 250);
  TWindow window;
  RestoreWindowPlacement(Store, window.Window, QSize(400, 300));
  EXPECT_EQ(window.Window.geometry(), QRect(area.left(), 40, area.width(), 250));
  SaveWindowState(Store, window.Window, *window.Splitter);
  for (const char* old : {"Global/Left", "Global/Top", "Global/Width", "Global/Height"})
    EXPECT_FALSE(Store.contains(old)) << old;
  EXPECT_TRUE(Store.contains("Window/Geometry"));
}

TEST_F(WindowStateTest, NothingStoredGivesTheDesignedSizeCentred) {
  TWindow window;
  RestoreWindowPlacement(Store, window.Window, QSize(400, 300));
  EXPECT_EQ(window.Window.size(), QSize(400, 300));
  EXPECT_LE((window.Window.geometry().center() - Available().center()).manhattanLength(), 2);
}

// Each run starts where the last one ended: the window does not creep by
// its frame on every restart (the offscreen platform draws a frame too).
TEST(MainWindowState, RestartsDoNotMoveTheWindow) {
  TWindowRig rig;
  rig.AddLabAdapters();
  const auto run = [&rig] {
    TSimulatorForm& form = rig.MakeForm();
    QApplication::processEvents();
    const QRect frame = form.frameGeometry();
    form.close();
    rig.Form.reset();
    return frame;
  };
  const QRect first = run();
  const QRect second = run();
  const QRect third = run();
  EXPECT_EQ(second, first);
  EXPECT_EQ(third, first);
}

TEST(MainWindowState, TheSplitterSharesComeBack) {
  TWindowRig rig;
  rig.AddLabAdapters();
  TSimulatorForm& form = rig.MakeForm();
  form.Actions.ActionShowConnections->setChecked(true);
  QApplication::processEvents();
  QList<int> sizes = form.ChartSplitter->sizes();
  sizes[0] -= 40;
  sizes[2] += 40;
  form.ChartSplitter->setSizes(sizes);
  const QList<int> before = form.ChartSplitter->sizes();
  form.close();
  rig.Form.reset();
  TSimulatorForm& again = rig.MakeForm();
  QApplication::processEvents();
  EXPECT_TRUE(again.gbConnections->isVisible());
  EXPECT_EQ(again.ChartSplitter->sizes(), before);
}
