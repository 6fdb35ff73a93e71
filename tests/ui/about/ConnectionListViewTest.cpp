// lvConnections over a fake connection source: its columns, the refresh
// rules, the enabling of the two commands and what they do.
#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QMenu>
#include <QVBoxLayout>
#include <map>
#include <stdexcept>

#include "AboutTestSupport.h"
#include "ui/about/ConnectionListView.h"
#include "ui/about/ConnectionSource.h"
#include "widgets/ScreenScale.h"

namespace {

// Serves the snapshot a test sets; records what it was asked to cut and
// fails for the entries named in Refuse.
class TFakeConnectionSource final : public IConnectionSource {
 public:
  void Reload() override {
    ++Reloads;
    FSnapshot = Next;
  }
  int Count() const override { return static_cast<int>(FSnapshot.size()); }
  const TNetStatEntry& Entry(int index) const override { return FSnapshot.at(static_cast<size_t>(index)); }
  void Terminate(const TNetStatEntry& entry) override {
    Attempts.push_back(entry.LocalText());
    if (Refuse.count(entry.LocalText())) throw std::runtime_error(Refuse.at(entry.LocalText()));
    Terminated.push_back(entry.LocalText());
  }

  std::vector<TNetStatEntry> Next;
  std::map<std::string, std::string> Refuse;  // local endpoint text -> the system's error
  std::vector<std::string> Attempts;
  std::vector<std::string> Terminated;
  int Reloads = 0;

 private:
  std::vector<TNetStatEntry> FSnapshot;
};

const TNetStatEntry kWeb = Connection("192.168.1.5", 49731, "198.51.100.7", 443);
const TNetStatEntry kMail = Connection("192.168.1.5", 49800, "198.51.100.9", 993);
const TNetStatEntry kShell = Connection("192.168.1.5", 50022, "203.0.113.4", 22);
const TNetStatEntry kV6a = Connection("2001:db8::5", 40000, "2001:db8::80", 443);
const TNetStatEntry kV6b = Connection("2001:db8::5", 40001, "2001:db8::81", 80);

class ConnectionListViewTest : public ::testing::Test {
 protected:
  ConnectionListViewTest() : View(Source) { View.SetDisplayConnections(true); }

  void Show(std::vector<TNetStatEntry> entries) {
    Source.Next = std::move(entries);
    View.RefreshConnections();
  }
  // The rows' local endpoints, top to bottom.
  std::vector<std::string> Rows() const {
    std::vector<std::string> rows;
    for (int row = 0; row < View.topLevelItemCount(); ++row)
      rows.push_back(View.topLevelItem(row)->text(1).toStdString());
    return rows;
  }
  std::vector<std::string> Selected() const {
    std::vector<std::string> rows;
    for (int row = 0; row < View.topLevelItemCount(); ++row)
      if (View.topLevelItem(row)->isSelected()) rows.push_back(View.topLevelItem(row)->text(1).toStdString());
    return rows;
  }
  void Select(int row) {
    ASSERT_LT(row, View.topLevelItemCount());
    View.topLevelItem(row)->setSelected(true);
  }

  TRecordingMessageBoxes Boxes;
  TFakeConnectionSource Source;
  TConnectionListView View;
};

}  // namespace

TEST_F(ConnectionListViewTest, ReportViewWithItsColumnsAndNames) {
  EXPECT_EQ(View.objectName(), QStringLiteral("lvConnections"));
  ASSERT_EQ(View.columnCount(), 4);
  const struct {
    const char* Caption;
    int Width;
  } columns[] = {{"Protocol", 78}, {"Local Address", 209}, {"Remote Address", 209}, {"State", 157}};
  for (int column = 0; column < 4; ++column) {
    EXPECT_EQ(View.headerItem()->text(column).toStdString(), columns[column].Caption);
    EXPECT_EQ(View.columnWidth(column), ScaleToScreen(columns[column].Width)) << columns[column].Caption;
  }
  EXPECT_EQ(View.selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(View.selectionBehavior(), QAbstractItemView::SelectRows);
  EXPECT_FALSE(View.rootIsDecorated());

  QMenu* menu = View.ConnectionsMenu();
  EXPECT_EQ(menu->objectName(), QStringLiteral("pmConnections"));
  ASSERT_EQ(menu->actions().size(), 2);
  EXPECT_EQ(menu->actions()[0], View.ActionTerminateConnection());
  EXPECT_EQ(menu->actions()[1], View.ActionTerminateAll());
  EXPECT_EQ(View.ActionTerminateConnection()->text(), QStringLiteral("Terminate &Selected"));
  EXPECT_EQ(View.ActionTerminateAll()->text(), QStringLiteral("Terminate &All"));
  EXPECT_EQ(View.ActionTerminateConnection()->objectName(), QStringLiteral("ActionTerminateConnection"));
  EXPECT_EQ(View.ActionTerminateAll()->objectName(), QStringLiteral("ActionTerminateAll"));
  EXPECT_EQ(View.contextMenuPolicy(), Qt::CustomContextMenu);
}

TEST_F(ConnectionListViewTest, RowShowsTheEntrysTexts) {
  Show({kWeb, kV6a});
  ASSERT_EQ(View.topLevelItemCount(), 2);
  const QTreeWidgetItem* row = View.topLevelItem(0);
  EXPECT_EQ(row->text(0), QStringLiteral("TCP"));
  EXPECT_EQ(row->text(1), QStringLiteral("192.168.1.5 : 49731"));
  EXPECT_EQ(row->text(2), QStringLiteral("198.51.100.7 : 443")) << "port 443 in network byte order reads 443";
  EXPECT_EQ(row->text(3), QStringLiteral("ESTABLISHED"));
  EXPECT_EQ(View.topLevelItem(1)->text(2), QStringLiteral("2001:db8::80 : 443"));
}

TEST_F(ConnectionListViewTest, ConnectionsThatStayKeepTheirRowAndSelection) {
  Show({kWeb, kMail, kShell});
  Select(1);
  Select(2);
  // The snapshot comes in another order, one connection ended and a new one
  // began: the rows that stay do not move, the new one comes last.
  Show({kShell, kV6a, kMail});
  EXPECT_EQ(Rows(), (std::vector<std::string>{"192.168.1.5 : 49800", "192.168.1.5 : 50022", "2001:db8::5 : 40000"}));
  EXPECT_EQ(Selected(), (std::vector<std::string>{"192.168.1.5 : 49800", "192.168.1.5 : 50022"}));
}

TEST_F(ConnectionListViewTest, ARowIsRewrittenFromItsConnectionAndKeepsItsOwnCopy) {
  Show({kWeb});
  TNetStatEntry closing = kWeb;
  closing.FState = 8;  // CLOSE_WAIT, same endpoints
  Show({closing});
  ASSERT_EQ(View.topLevelItemCount(), 1) << "a connection is one row whatever its state";
  EXPECT_EQ(View.topLevelItem(0)->text(3), QStringLiteral("CLOSE_WAIT"));
  EXPECT_EQ(View.RowEntry(0).FState, 8u);
  // The row's copy does not depend on the source's snapshot.
  Source.Next = {kMail};
  Source.Reload();
  EXPECT_EQ(View.RowEntry(0).LocalText(), kWeb.LocalText());
}

TEST_F(ConnectionListViewTest, AnEmptySnapshotRemovesEveryRow) {
  Show({kWeb, kMail});
  Select(0);
  Show({});
  EXPECT_EQ(View.topLevelItemCount(), 0);
  EXPECT_FALSE(View.ActionTerminateConnection()->isEnabled());
  EXPECT_FALSE(View.ActionTerminateAll()->isEnabled());
}

TEST_F(ConnectionListViewTest, NothingIsReadWhileTheListIsNotShown) {
  View.SetDisplayConnections(false);
  Source.Next = {kWeb};
  View.RefreshConnections();
  EXPECT_EQ(Source.Reloads, 0);
  EXPECT_EQ(View.topLevelItemCount(), 0);
}

TEST_F(ConnectionListViewTest, TogglingTheListAndStoppingEmptyIt) {
  Show({kWeb, kMail});
  View.SetDisplayConnections(false);
  EXPECT_EQ(View.topLevelItemCount(), 0);
  View.SetDisplayConnections(true);
  Show({kWeb});
  EXPECT_EQ(View.topLevelItemCount(), 1);
  View.ClearConnections();
  EXPECT_EQ(View.topLevelItemCount(), 0);
  EXPECT_TRUE(View.DisplayConnections()) << "stopping does not untick the list";
}

TEST_F(ConnectionListViewTest, CommandsAreEnabledByTheTickRowsAndSelection) {
  const struct {
    bool Ticked;
    int Rows;
    bool SelectFirst;
    bool Selected;
    bool All;
  } cases[] = {
      {true, 0, false, false, false}, {true, 2, false, false, true}, {true, 2, true, true, true},
      {false, 0, false, false, false},
  };
  for (const auto& c : cases) {
    View.SetDisplayConnections(true);
    std::vector<TNetStatEntry> entries = {kWeb, kMail};
    entries.resize(static_cast<size_t>(c.Rows));
    Show(entries);
    if (c.SelectFirst) Select(0);
    if (!c.Ticked) View.SetDisplayConnections(false);
    EXPECT_EQ(View.ActionTerminateConnection()->isEnabled(), c.Selected)
        << "ticked " << c.Ticked << ", rows " << c.Rows << ", selected " << c.SelectFirst;
    EXPECT_EQ(View.ActionTerminateAll()->isEnabled(), c.All)
        << "ticked " << c.Ticked << ", rows " << c.Rows << ", selected " << c.SelectFirst;
  }
  // Selecting and deselecting by hand follows at once.
  View.SetDisplayConnections(true);
  Show({kWeb, kMail});
  Select(1);
  EXPECT_TRUE(View.ActionTerminateConnection()->isEnabled());
  View.clearSelection();
  EXPECT_FALSE(View.ActionTerminateConnection()->isEnabled());
}

TEST_F(ConnectionListViewTest, TerminateSelectedCutsTheSelectedRowsFromTheLast) {
  Show({kWeb, kMail, kShell});
  Select(0);
  Select(2);
  View.ActionTerminateConnection()->trigger();
  EXPECT_EQ(Source.Terminated, (std::vector<std::string>{kShell.LocalText(), kWeb.LocalText()}));
  EXPECT_TRUE(Boxes.Shown.empty());
  EXPECT_EQ(View.topLevelItemCount(), 3) << "rows go with the next refresh";
}

TEST_F(ConnectionListViewTest, TerminateAllShowsTheIPv6MessagePerRowAndCutsTheIPv4Ones) {
  Show({kV6a, kWeb, kV6b});
  View.ActionTerminateAll()->trigger();
  EXPECT_EQ(Source.Terminated, (std::vector<std::string>{kWeb.LocalText()}));
  EXPECT_EQ(Boxes.Texts("error"), (std::vector<std::string>(2, "IPv6 connections cannot be terminated")));
  EXPECT_EQ(Boxes.Shown.size(), 2u);
}

TEST_F(ConnectionListViewTest, AFailedTerminateShowsTheSystemsErrorAndEndsTheCommand) {
  Show({kWeb, kMail, kShell});
  Source.Refuse[kMail.LocalText()] = "Unable to terminate the connection: Operation not permitted";
  View.ActionTerminateAll()->trigger();
  EXPECT_EQ(Source.Attempts, (std::vector<std::string>{kShell.LocalText(), kMail.LocalText()}))
      << "the first row is not tried after the failure";
  EXPECT_EQ(Boxes.Texts("error"),
            (std::vector<std::string>{"Unable to terminate the connection: Operation not permitted"}));
}

TEST_F(ConnectionListViewTest, ARefreshWhileAMessageIsOpenDoesNotChangeWhatIsCut) {
  // A real message box runs the event loop, so the 500 ms refresh can remove
  // the rows the command is walking through.
  Show({kWeb, kV6a, kShell});
  Boxes.OnBox = [this] { Show({}); };
  View.ActionTerminateAll()->trigger();
  EXPECT_EQ(Source.Terminated, (std::vector<std::string>{kShell.LocalText(), kWeb.LocalText()}));
  EXPECT_EQ(View.topLevelItemCount(), 0);
}

TEST_F(ConnectionListViewTest, AWindowsOwnActionsTakeThePlaceOfTheListsOwn) {
  QWidget window;
  auto* selected = new QAction(QStringLiteral("Terminate &Selected"), &window);
  auto* all = new QAction(QStringLiteral("Terminate &All"), &window);
  View.BindActions(selected, all);
  EXPECT_EQ(View.ActionTerminateConnection(), selected);
  EXPECT_EQ(View.ActionTerminateAll(), all);
  EXPECT_EQ(View.ConnectionsMenu()->actions(), (QList<QAction*>{selected, all}));
  EXPECT_EQ(View.findChildren<QAction*>(Qt::FindDirectChildrenOnly).size(), 0) << "the list's own actions are freed";
  EXPECT_FALSE(selected->isEnabled());
  EXPECT_FALSE(all->isEnabled());

  Show({kWeb, kMail});
  EXPECT_TRUE(all->isEnabled());
  EXPECT_EQ(all->isEnabled(), View.CanTerminateAll());
  Select(0);
  EXPECT_TRUE(selected->isEnabled());
  EXPECT_EQ(selected->isEnabled(), View.CanTerminateSelected());
  selected->trigger();
  all->trigger();
  EXPECT_EQ(Source.Terminated, (std::vector<std::string>{kWeb.LocalText(), kMail.LocalText(), kWeb.LocalText()}))
      << "each command runs once";
  View.SetDisplayConnections(false);
  EXPECT_FALSE(View.CanTerminateAll());
  EXPECT_FALSE(all->isEnabled());
}

TEST_F(ConnectionListViewTest, ScreenshotOfAFilledList) {
  QGroupBox group(QStringLiteral("Established Connections"));
  auto* layout = new QVBoxLayout(&group);
  auto* view = new TConnectionListView(Source, &group);
  layout->addWidget(view);
  view->SetDisplayConnections(true);
  Source.Next = {kWeb, kMail, kShell, kV6a, Connection("10.20.30.40", 3389, "10.20.30.1", 51515)};
  view->RefreshConnections();
  view->topLevelItem(1)->setSelected(true);
  view->topLevelItem(2)->setSelected(true);
  group.resize(ScaleToScreen(700), ScaleToScreen(180));
  group.show();
  SaveScreenshot(group, "about-connections");
}
