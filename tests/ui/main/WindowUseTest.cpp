// The main window as a keyboard and pointer user meets it: the status
// panels under a hint, the access keys and shortcuts, the disabled icons,
// the smallest layout and the graph's unit texts.

#include <arpa/inet.h>

#include <QHeaderView>
#include <QMenuBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

#include "ui/about/ConnectionListView.h"
#include "ui/about/ConnectionSource.h"
#include "ui/graph/EffectChart.h"
#include "ui/graph/Histogram.h"
#include "ui/main/Icons.h"
#include "tests/ui/main/WindowRig.h"

namespace {

class WindowUseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Rig.AddLabAdapters();
    Rig.MakeForm();
    Rig.Form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Rig.Form.get()));
  }
  bool AllPanelsShown() const {
    for (int i = 0; i < kStatusPanelCount; ++i)
      if (!Rig.Form->StatusPanels->Panel(i)->isVisible()) return false;
    return true;
  }
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, QWidget* at = nullptr) {
    QTest::keyClick(at ? at : Rig.Form.get(), static_cast<Qt::Key>(key), modifiers);
    QApplication::processEvents();
  }
  TWindowRig Rig;
};

QList<QAction*> MenuActions(QMenuBar* bar, const QString& title) {
  for (QAction* menu : bar->actions())
    if (menu->text() == title && menu->menu()) return menu->menu()->actions();
  return {};
}

}  // namespace

TEST_F(WindowUseTest, AHintNeverHidesTheStatusPanelsAndAStartClearsAStaleOne) {
  TSimulatorForm& form = *Rig.Form;
  QWidget* loadButton = form.ToolBar->widgetForAction(form.Actions.ActionLoadProfile);
  ASSERT_NE(loadButton, nullptr);
  // What Qt does when the pointer rests on the button.
  form.Actions.ActionLoadProfile->showStatusText(loadButton);
  QApplication::processEvents();
  EXPECT_EQ(form.statusBar()->currentMessage(), "Load Profile from File");
  EXPECT_TRUE(AllPanelsShown());

  form.Actions.ActionStartStop->showStatusText(form.StartButton);
  EXPECT_EQ(form.statusBar()->currentMessage(), "Start Operation");
  form.StartButton->click();
  ASSERT_TRUE(form.Running());
  // The button reads Stop now; "Start Operation" must not stay beside it.
  EXPECT_EQ(form.statusBar()->currentMessage(), "");
  EXPECT_TRUE(AllPanelsShown());
  form.StopSimulation();
}

TEST_F(WindowUseTest, StartAndStopByAccessKeyShortcutsAndTheToolsMenu) {
  TSimulatorForm& form = *Rig.Form;
  QAction* startStop = form.Actions.ActionStartStop;
  EXPECT_TRUE(MenuActions(form.menuBar(), "&Tools").contains(startStop));
  // The button shows the action's access key and answers to it.
  EXPECT_EQ(form.StartButton->text(), "&Start");
  const struct {
    int Key;
    Qt::KeyboardModifiers Modifiers;
  } keys[] = {{Qt::Key_S, Qt::AltModifier}, {Qt::Key_E, Qt::ControlModifier}, {Qt::Key_F5, Qt::NoModifier}};
  for (const auto& key : keys) {
    SCOPED_TRACE(QKeySequence(key.Key | key.Modifiers.toInt()).toString().toStdString());
    // The access key clicks the button as a user would see it, after a moment.
    Press(key.Key, key.Modifiers);
    ASSERT_TRUE(Rig.WaitUntil([&] { return form.Running(); }));
    EXPECT_EQ(form.StartButton->text(), "&Stop");
    // The same key stops again, wherever the focus is in the window.
    Press(key.Key, key.Modifiers, form.InterfaceCombobox);
    ASSERT_TRUE(Rig.WaitUntil([&] { return !form.Running(); }));
  }
}

TEST_F(WindowUseTest, FileShortcutsAndQuit) {
  TSimulatorForm& form = *Rig.Form;
  EXPECT_TRUE(MenuActions(form.menuBar(), "&File").contains(form.Actions.ActionQuit));
  QSignalSpy load(form.Actions.ActionLoadProfile, &QAction::triggered);
  QSignalSpy save(form.Actions.ActionSaveProfile, &QAction::triggered);
  Press(Qt::Key_O, Qt::ControlModifier);
  Press(Qt::Key_S, Qt::ControlModifier);
  EXPECT_EQ(load.count(), 1);
  EXPECT_EQ(save.count(), 1);
  // Ctrl+Q closes through the orderly shutdown, which stores the preferences.
  Press(Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(form.isVisible());
  EXPECT_TRUE(Rig.Store->contains("Window/Geometry"));
}

TEST_F(WindowUseTest, EveryTabHasItsOwnAccessKey) {
  QTabWidget* pages = Rig.Form->PageControl;
  QSet<QChar> keys;
  for (int i = 0; i < pages->count(); ++i) {
    const QString caption = pages->tabText(i);
    const qsizetype mark = caption.indexOf('&');
    ASSERT_GE(mark, 0) << caption.toStdString();
    const QChar key = caption.at(mark + 1).toUpper();
    EXPECT_FALSE(keys.contains(key)) << caption.toStdString();
    // Clear of the menus' keys and of Start's.
    EXPECT_FALSE(QStringLiteral("FVTHS").contains(key)) << caption.toStdString();
    keys.insert(key);
    const int other = (i + 1) % pages->count();
    pages->setCurrentIndex(other);
    Press(key.unicode(), Qt::AltModifier);
    EXPECT_EQ(pages->currentIndex(), i) << caption.toStdString();
  }
}

// Two connections of the documentation ranges; records what it is asked to cut.
class TTwoConnections final : public IConnectionSource {
 public:
  TTwoConnections() {
    for (uint16_t port : {40001, 40002}) {
      TNetStatEntry entry;
      entry.FProtocol = kProtocolTcp;
      entry.FLocalAddr = TIPAddr::Create(htonl(0xC0000201));   // 192.0.2.1
      entry.FRemoteAddr = TIPAddr::Create(htonl(0xC6336407));  // 198.51.100.7
      entry.FLocalPort = htons(port);
      entry.FRemotePort = htons(443);
      entry.FState = kTcpStateEstablished;
      FEntries.push_back(entry);
    }
  }
  void Reload() override {}
  int Count() const override { return static_cast<int>(FEntries.size()); }
  const TNetStatEntry& Entry(int index) const override { return FEntries.at(static_cast<size_t>(index)); }
  void Terminate(const TNetStatEntry& entry) override { Terminated.push_back(entry.LocalText()); }
  std::vector<std::string> Terminated;

 private:
  std::vector<TNetStatEntry> FEntries;
};

TEST(WindowConnections, DeleteInTheListTerminatesTheSelectedRows) {
  TTwoConnections connections;
  TWindowRig rig;
  rig.AddLabAdapters();
  rig.Connections = &connections;
  TSimulatorForm& form = rig.MakeForm();
  form.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  form.Actions.ActionShowConnections->setChecked(true);
  form.lvConnections->RefreshConnections();
  ASSERT_EQ(form.lvConnections->topLevelItemCount(), 2);
  form.lvConnections->topLevelItem(1)->setSelected(true);
  // Delete means nothing elsewhere in the window.
  QTest::keyClick(form.InterfaceCombobox, Qt::Key_Delete);
  EXPECT_TRUE(connections.Terminated.empty());
  form.lvConnections->setFocus();
  QTest::keyClick(form.lvConnections, Qt::Key_Delete);
  EXPECT_EQ(connections.Terminated, std::vector<std::string>{"192.0.2.1 : 40002"});
}

TEST(ProgramIcons, DisabledImagesAreGreyAndCorrectlyPremultiplied) {
  for (int index = 0; index < kImageCount; ++index) {
    SCOPED_TRACE(index);
    const QImage image = ProgramIcon(index).pixmap(QSize(32, 32), QIcon::Disabled).toImage();
    ASSERT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    int covered = 0;
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        const QRgb pixel = line[x];
        // A premultiplied channel above its alpha is drawn as garbage.
        ASSERT_LE(std::max({qRed(pixel), qGreen(pixel), qBlue(pixel)}), qAlpha(pixel)) << x << "," << y;
        if (qAlpha(pixel) < 64) continue;
        ++covered;
        const QRgb plain = qUnpremultiply(pixel);
        EXPECT_EQ(qRed(plain), qGreen(plain));
        EXPECT_EQ(qGreen(plain), qBlue(plain));
        EXPECT_GE(qRed(plain), 64) << "grey, not black";
      }
    }
    EXPECT_GT(covered, 0);
  }
}

TEST_F(WindowUseTest, TheSmallestWindowKeepsTheGraphUsableAndFiveConnectionRows) {
  TSimulatorForm& form = *Rig.Form;
  form.Actions.acEffectView->setChecked(true);
  form.Actions.ActionShowConnections->setChecked(true);
  for (int i = 0; i < TConnectionListView::kMinimumVisibleRows; ++i)
    form.lvConnections->addTopLevelItem(new QTreeWidgetItem(QStringList{"TCP", "a", "b", "ESTABLISHED"}));
  form.resize(form.minimumSize());
  QApplication::processEvents();
  EXPECT_EQ(form.size(), form.minimumSize());
  EXPECT_GE(form.Graph->height(), 80);
  EXPECT_GE(form.EffectChart->height(), 120);
  QTreeWidget* list = form.lvConnections;
  const QRect last = list->visualItemRect(list->topLevelItem(TConnectionListView::kMinimumVisibleRows - 1));
  EXPECT_LE(last.bottom(), list->viewport()->height()) << "five rows show";
  EXPECT_TRUE(list->header()->stretchLastSection());
  // A taller window gives the extra height to the graph.
  const int graph = form.Graph->height(), chart = form.EffectChart->height(), rows = list->height();
  form.resize(form.width(), form.height() + 200);
  QApplication::processEvents();
  EXPECT_EQ(form.height(), form.minimumHeight() + 200);
  EXPECT_GE(form.Graph->height(), graph + 190);
  EXPECT_EQ(form.EffectChart->height(), chart);
  EXPECT_EQ(list->height(), rows);
  form.lvConnections->clear();
}

TEST_F(WindowUseTest, GraphLabelsSayWhatTheyCount) {
  THistogram& graph = *Rig.Form->Graph;
  // Bits per second unless the options say bytes.
  EXPECT_EQ(graph.FormatValue(86000), "86 Kbit/s");
  EXPECT_EQ(graph.FormatValue(999), "999 bit/s");
  Rig.Form->Preferences.GraphUnit = 1;
  Rig.Form->ApplyDisplaySettings();
  EXPECT_EQ(graph.FormatValue(86 * 1024), "86 KB/s");
  // The label column is wide enough for the longer texts.
  EXPECT_GE(graph.LabelWidth(), QFontMetrics(graph.GraphFont()).horizontalAdvance(graph.FormatValue(999999999)));
}

TEST_F(WindowUseTest, TheEffectChartIsRepaintedAfterAStop) {
  TSimulatorForm& form = *Rig.Form;
  form.Actions.acEffectView->setChecked(true);
  form.StartSimulation();
  ASSERT_TRUE(form.Running());
  QApplication::processEvents();
  struct TPaintCounter : QObject {
    int Paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++Paints;
      return false;
    }
  } counter;
  form.EffectChart->installEventFilter(&counter);
  form.StopSimulation();
  QApplication::processEvents();
  EXPECT_GE(counter.Paints, 1);
  form.EffectChart->removeEventFilter(&counter);
}
