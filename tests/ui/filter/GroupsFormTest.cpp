// The groups window and its address dialog.
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "tests/filter/AddressText.h"
#include "UiTestSupport.h"
#include "widgets/IPEdit.h"
#include "filter/windows/AddIPForm.h"
#include "filter/windows/GroupsForm.h"

namespace {

std::vector<std::string> Lines(const QListWidget* list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list->count(); ++i) lines.push_back(list->item(i)->text().toStdString());
  return lines;
}

std::vector<std::string> Names(const TGroupList& groups) {
  std::vector<std::string> names;
  for (int i = 0; i < groups.Count(); ++i) names.push_back(groups.Name(i));
  return names;
}

// The window over a rule of its own, with recording message boxes and an
// address dialog that answers from a queue.
struct TGroupsWindow {
  TFakeMessageBoxes Boxes;
  std::recursive_mutex Lock;
  TFilterSettings Filter;
  std::unique_ptr<TGroupsForm> Form;
  std::vector<TIPAddr> DialogStarts;            // what each address dialog was opened with
  std::deque<std::optional<TIPAddr>> Addresses;  // nullopt = cancelled

  explicit TGroupsWindow(std::vector<std::string> names = {}, int32_t sourceGroup = -1, int32_t destinationGroup = -1) {
    for (const std::string& name : names) Filter.Groups.Add(name, {Addr("10.0.0.1")});
    Filter.Source.GroupId = sourceGroup;
    Filter.Destination.GroupId = destinationGroup;
    Form = std::make_unique<TGroupsForm>(Filter, Lock);
    Form->SetAddressDialog([this](QWidget*, TIPAddr& address) {
      DialogStarts.push_back(address);
      if (Addresses.empty() || !Addresses.front()) {
        if (!Addresses.empty()) Addresses.pop_front();
        return false;
      }
      address = *Addresses.front();
      Addresses.pop_front();
      return true;
    });
    Form->show();
  }

  QListWidget* GroupList() { return Child<QListWidget>(*Form, "GroupsListBox"); }
  QListWidget* AddressList() { return Child<QListWidget>(*Form, "AddressesListBox"); }
  void Click(const char* button) { Child<QPushButton>(*Form, button)->click(); }
  void SelectGroup(int row) { GroupList()->setCurrentRow(row); }
  void DoubleClick(QListWidget* list, int row) {
    list->setCurrentRow(row);
    emit list->itemDoubleClicked(list->item(row));
  }
};

}  // namespace

TEST(GroupsFormTest, OpensWithTheRulesGroupsAndNothingSelected) {
  TGroupsWindow w({"Servers", "Clients"});
  EXPECT_EQ(w.Form->windowTitle(), QStringLiteral("Groups"));
  EXPECT_EQ(Lines(w.GroupList()), (std::vector<std::string>{"Servers", "Clients"}));
  EXPECT_TRUE(w.AddressList()->count() == 0);
  EXPECT_TRUE(Child<QPushButton>(*w.Form, "NewGroupButton")->isEnabled());
  for (const char* button : {"DeleteGroupButton", "AddIPv4Button", "AddIPv6Button", "DeleteAddressButton"})
    EXPECT_FALSE(Child<QPushButton>(*w.Form, button)->isEnabled()) << button;

  w.SelectGroup(1);
  EXPECT_EQ(Lines(w.AddressList()), (std::vector<std::string>{"10.0.0.1"}));
  for (const char* button : {"DeleteGroupButton", "AddIPv4Button", "AddIPv6Button"})
    EXPECT_TRUE(Child<QPushButton>(*w.Form, button)->isEnabled()) << button;
  EXPECT_FALSE(Child<QPushButton>(*w.Form, "DeleteAddressButton")->isEnabled());
  w.AddressList()->setCurrentRow(0);
  EXPECT_TRUE(Child<QPushButton>(*w.Form, "DeleteAddressButton")->isEnabled());
}

TEST(GroupsFormTest, NewGroupsKeepTheirOrderAndDuplicateNames) {
  TGroupsWindow w;
  w.Boxes.Answers = {QStringLiteral("Lab"), QStringLiteral("Lab"), QStringLiteral(""), std::nullopt,
                     QStringLiteral(" ")};
  for (int i = 0; i < 5; ++i) w.Click("NewGroupButton");
  EXPECT_EQ(Lines(w.GroupList()), (std::vector<std::string>{"Lab", "Lab", " "}))
      << "an empty name and a cancel add nothing; blanks are a name";
  ASSERT_FALSE(w.Boxes.Shown.empty());
  EXPECT_EQ(w.Boxes.Shown[0].Text, "New Group");
  EXPECT_EQ(w.Boxes.Shown[0].Prompt, "Group Name");
  EXPECT_EQ(w.Boxes.Shown[0].InitialText, "");
  EXPECT_TRUE(w.Boxes.Errors().empty());
}

TEST(GroupsFormTest, DoubleClickRenamesAGroup) {
  TGroupsWindow w({"Servers", "Clients"});
  w.Boxes.Answers = {QStringLiteral("Web servers"), QStringLiteral("")};
  w.DoubleClick(w.GroupList(), 0);
  ASSERT_EQ(w.Boxes.Shown.size(), 1u);
  EXPECT_EQ(w.Boxes.Shown[0].Text, "Edit Group");
  EXPECT_EQ(w.Boxes.Shown[0].Prompt, "Group Name");
  EXPECT_EQ(w.Boxes.Shown[0].InitialText, "Servers");
  w.DoubleClick(w.GroupList(), 1);  // confirmed empty: ignored
  EXPECT_EQ(Lines(w.GroupList()), (std::vector<std::string>{"Web servers", "Clients"}));
  EXPECT_EQ(Names(w.Form->Groups()), (std::vector<std::string>{"Web servers", "Clients"}));
}

TEST(GroupsFormTest, AddressesAreAddedEditedAndDeleted) {
  TGroupsWindow w({"Lab"});
  w.SelectGroup(0);
  w.Addresses = {Addr("10.0.0.1"), Addr("2001:db8::1"), std::nullopt};
  w.Click("AddIPv4Button");
  w.Click("AddIPv6Button");
  w.Click("AddIPv4Button");  // cancelled
  EXPECT_EQ(Lines(w.AddressList()), (std::vector<std::string>{"10.0.0.1", "10.0.0.1", "2001:db8::1"}))
      << "the same address twice is kept";
  ASSERT_EQ(w.DialogStarts.size(), 3u);
  EXPECT_EQ(w.DialogStarts[0], TIPAddr()) << "IPv4 starts at 0.0.0.0";
  EXPECT_EQ(w.DialogStarts[1], TIPAddr::Create(TIn6_addr())) << "IPv6 starts at ::";

  w.Addresses = {Addr("fe80::2")};
  w.DoubleClick(w.AddressList(), 2);
  EXPECT_EQ(w.DialogStarts.back(), Addr("2001:db8::1")) << "the dialog shows the address edited";
  EXPECT_EQ(Lines(w.AddressList()), (std::vector<std::string>{"10.0.0.1", "10.0.0.1", "fe80::2"}));

  w.AddressList()->setCurrentRow(0);
  w.Click("DeleteAddressButton");
  EXPECT_EQ(Lines(w.AddressList()), (std::vector<std::string>{"10.0.0.1", "fe80::2"}));
  EXPECT_EQ(w.Form->Groups().GroupAddresses(0), (TIPAddrList{Addr("10.0.0.1"), Addr("fe80::2")}));
  EXPECT_EQ(w.Filter.Groups.GroupAddresses(0), TIPAddrList{Addr("10.0.0.1")}) << "the rule changes at the close";
}

TEST(GroupsFormTest, TheRulesGroupsCannotBeDeleted) {
  struct {
    int32_t SourceGroup, DestinationGroup;
    int Deleted;
    bool Refused;
  } const cases[] = {
      {1, -1, 1, true},  // the source's group, although its kind is "Any IP address"
      {-1, 2, 2, true},
      {1, 2, 0, false},
      {-1, -1, 1, false},
  };
  for (const auto& c : cases) {
    TGroupsWindow w({"A", "B", "C"}, c.SourceGroup, c.DestinationGroup);
    w.SelectGroup(c.Deleted);
    w.Click("DeleteGroupButton");
    if (c.Refused) {
      EXPECT_EQ(w.Boxes.Errors(), (std::vector<std::string>{"This group is being used in the filter and cannot be deleted"}));
      EXPECT_EQ(w.Form->Groups().Count(), 3);
    } else {
      EXPECT_TRUE(w.Boxes.Errors().empty());
      EXPECT_EQ(w.Form->Groups().Count(), 2);
      EXPECT_EQ(w.AddressList()->count(), 0) << "no group is selected after a deletion";
    }
  }
}

// Deleting a group moves the later ones up; the rule's group numbers follow
// their groups when the list is copied back, and the protection follows too.
TEST(GroupsFormTest, DeletionsRenumberTheRulesGroups) {
  TGroupsWindow w({"A", "B", "C", "D"}, 2, 3);
  w.SelectGroup(0);
  w.Click("DeleteGroupButton");  // B C D
  w.SelectGroup(1);
  w.Click("DeleteGroupButton");  // C is protected at its new position
  EXPECT_EQ(w.Boxes.Errors().size(), 1u);
  w.SelectGroup(0);
  w.Click("DeleteGroupButton");  // C D
  EXPECT_EQ(w.Filter.Source.GroupId, 2) << "nothing changes before the close";
  w.Form->close();
  EXPECT_EQ(Names(w.Filter.Groups), (std::vector<std::string>{"C", "D"}));
  EXPECT_EQ(w.Filter.Source.GroupId, 0);
  EXPECT_EQ(w.Filter.Groups.Name(w.Filter.Source.GroupId), "C");
  EXPECT_EQ(w.Filter.Destination.GroupId, 1);
  EXPECT_EQ(w.Filter.Groups.Name(w.Filter.Destination.GroupId), "D");
}

TEST(GroupsFormTest, EveryWayOfClosingKeepsTheChanges) {
  for (auto close : {+[](QDialog& form) { form.close(); }, +[](QDialog& form) { form.reject(); },
                     +[](QDialog& form) { Child<QPushButton>(form, "CloseButton")->click(); }}) {
    TGroupsWindow w({"A"});
    w.Boxes.Answers = {QStringLiteral("B")};
    w.Click("NewGroupButton");
    EXPECT_EQ(w.Filter.Groups.Count(), 1);
    close(*w.Form);
    EXPECT_FALSE(w.Form->isVisible());
    EXPECT_EQ(Names(w.Filter.Groups), (std::vector<std::string>{"A", "B"}));
  }
}

TEST(GroupsFormTest, Screenshot) {
  TGroupsWindow w({"Web servers", "Build farm", "Printers"});
  w.Filter.Groups.GroupAddresses(1).Add(Addr("2001:db8::17"));
  w.Form = std::make_unique<TGroupsForm>(w.Filter, w.Lock);
  w.Form->show();
  w.SelectGroup(1);
  w.AddressList()->setCurrentRow(1);
  SaveScreenshot(*w.Form, "filter-groups");
}

TEST(AddIPFormTest, CaptionAndFieldFollowTheAddressVersion) {
  struct {
    TIPAddr Address;
    const char* Caption;
    bool IPv6;
    const char* Shown;
  } const cases[] = {
      {TIPAddr(), "Add an IPv4 address", false, ""},
      {Addr("10.0.0.7"), "Add an IPv4 address", false, "10.0.0.7"},
      {TIPAddr::Create(TIn6_addr()), "Add an IPv6 address", true, ""},
      {Addr("2001:DB8:0:0:0:0:0:1"), "Add an IPv6 address", true, "2001:db8::1"},  // editing shows it compressed
  };
  for (const auto& c : cases) {
    TAddIPForm form(c.Address);
    EXPECT_EQ(form.windowTitle().toStdString(), c.Caption);
    auto* ipv6 = qobject_cast<TIPv6Edit*>(form.AddressEdit());
    auto* ipv4 = qobject_cast<TIPv4Edit*>(form.AddressEdit());
    ASSERT_EQ(ipv6 != nullptr, c.IPv6) << c.Caption;
    ASSERT_EQ(ipv4 != nullptr, !c.IPv6) << c.Caption;
    if (ipv6) {
      EXPECT_EQ(ipv6->LineEdit()->text().toStdString(), c.Shown);
    } else if (*c.Shown) {
      EXPECT_EQ(IPAddrToStr(ipv4->EditAddr()), c.Shown);
    } else {
      EXPECT_TRUE(ipv4->Octet(0)->text().isEmpty()) << "a new address starts blank";
    }
  }
}

TEST(AddIPFormTest, OkRefusesAnEmptyAddress) {
  struct {
    TIPAddr Start;
    const char* Typed;
    bool Accepted;
  } const cases[] = {
      {TIPAddr(), "", false},
      {TIPAddr(), "0.0.0.0", false},
      {TIPAddr(), "10.0.0.1", true},
      {TIPAddr::Create(TIn6_addr()), "", false},
      {TIPAddr::Create(TIn6_addr()), "::", false},
      {TIPAddr::Create(TIn6_addr()), "fe80::1", true},
  };
  for (const auto& c : cases) {
    TFakeMessageBoxes boxes;
    TAddIPForm form(c.Start);
    ShowActive(form);
    for (const char* k = c.Typed; *k; ++k) QTest::keyClick(QApplication::focusWidget(), *k);
    Child<QPushButton>(form, "OkButton")->click();
    EXPECT_EQ(form.isVisible(), !c.Accepted) << c.Typed;
    EXPECT_EQ(form.result() == QDialog::Accepted, c.Accepted) << c.Typed;
    if (c.Accepted) {
      EXPECT_TRUE(boxes.Errors().empty());
      EXPECT_EQ(IPAddrToStr(form.Address()), c.Typed);
    } else {
      EXPECT_EQ(boxes.Errors(), std::vector<std::string>{"Incorrect address"}) << c.Typed;
    }
  }
}

TEST(AddIPFormTest, CancelAndEscapeChangeNothing) {
  TFakeMessageBoxes boxes;
  TAddIPForm form(Addr("10.0.0.1"));
  ShowActive(form);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(form.result(), QDialog::Rejected);
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(AddIPFormTest, Screenshot) {
  TAddIPForm four(Addr("192.168.1.20"));
  four.show();
  SaveScreenshot(four, "filter-addip-v4");
  TAddIPForm six(Addr("fe80::1"));
  six.show();
  SaveScreenshot(six, "filter-addip-v6");
}
