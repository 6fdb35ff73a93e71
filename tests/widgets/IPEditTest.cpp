// The address fields: typing, moving between octets, paste, emptiness and the
// address they yield.
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QVBoxLayout>
#include <arpa/inet.h>

#include "common/Assertion.h"
#include "tests/ui/filter/UiTestSupport.h"
#include "widgets/IPEdit.h"

namespace {

uint32_t HostOrder(const char* text) {
  in_addr addr{};
  inet_pton(AF_INET, text, &addr);
  return ntohl(addr.s_addr);
}

TIn6_addr V6(const char* text) {
  TIn6_addr addr;
  EXPECT_TRUE(StrToIPv6(text, addr)) << text;
  return addr;
}

std::vector<std::string> OctetTexts(const TIPv4Edit& edit) {
  std::vector<std::string> texts;
  for (int i = 0; i < 4; ++i) texts.push_back(edit.Octet(i)->text().toStdString());
  return texts;
}

// Types key by key into whichever control has the focus, as a user does.
void TypeIntoFocus(const char* text) {
  for (const char* c = text; *c; ++c) QTest::keyClick(QApplication::focusWidget(), *c);
}

// A window with a field between two other controls, for focus tests.
template <typename TEdit>
struct TFieldWindow {
  QWidget Window;
  QLineEdit* Before = new QLineEdit(&Window);
  TEdit* Edit = new TEdit(&Window);
  QLineEdit* After = new QLineEdit(&Window);
  TFieldWindow() {
    auto* layout = new QVBoxLayout(&Window);
    layout->addWidget(Before);
    layout->addWidget(Edit);
    layout->addWidget(After);
  }
};

}  // namespace

TEST(IPv4EditTest, TypingFillsTheOctetsAndMovesOn) {
  struct {
    const char* Typed;
    std::vector<std::string> Octets;
    const char* Why;
  } const cases[] = {
      {"192.168.1.10", {"192", "168", "1", "10"}, "a dot moves to the next octet"},
      {"19216811", {"192", "168", "11", ""}, "three digits move on by themselves"},
      {"10..5", {"10", "5", "", ""}, "a dot in a blank octet does not skip it"},
      {"300", {"255", "", "", ""}, "an octet above 255 is cut to 255"},
      {"1a2", {"12", "", "", ""}, "letters are dropped"},
      {"1.2.3.4.5", {"1", "2", "3", "45"}, "a dot in the last octet stays there"},
  };
  for (const auto& c : cases) {
    TFieldWindow<TIPv4Edit> w;
    ShowActive(w.Window);
    w.Edit->setFocus();
    TypeIntoFocus(c.Typed);
    EXPECT_EQ(OctetTexts(*w.Edit), c.Octets) << c.Why;
    EXPECT_TRUE(w.Edit->Focused()) << c.Why;
  }
}

TEST(IPv4EditTest, TabWalksTheOctetsThenLeavesTheField) {
  TFieldWindow<TIPv4Edit> w;
  ShowActive(w.Window);
  w.Before->setFocus();
  QTest::keyClick(w.Before, Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w.Edit->Octet(0)) << "the field takes part in the tab order";
  for (int i = 1; i < 4; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), w.Edit->Octet(i));
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), w.After);
  EXPECT_FALSE(w.Edit->Focused());
}

TEST(IPv4EditTest, BackspaceAndArrowsCrossOctetBorders) {
  TFieldWindow<TIPv4Edit> w;
  ShowActive(w.Window);
  w.Edit->SetAddr(HostOrder("1.22.3.4"));
  w.Edit->Octet(2)->setFocus();
  w.Edit->Octet(2)->setCursorPosition(0);
  QTest::keyClick(w.Edit->Octet(2), Qt::Key_Backspace);
  EXPECT_EQ(QApplication::focusWidget(), w.Edit->Octet(1));
  EXPECT_EQ(w.Edit->Octet(1)->cursorPosition(), 2) << "the cursor lands at the end of the previous octet";
  QTest::keyClick(w.Edit->Octet(1), Qt::Key_Right);
  EXPECT_EQ(QApplication::focusWidget(), w.Edit->Octet(2));
  QTest::keyClick(w.Edit->Octet(2), Qt::Key_Left);
  EXPECT_EQ(QApplication::focusWidget(), w.Edit->Octet(1));
  EXPECT_EQ(w.Edit->Addr(), HostOrder("1.22.3.4")) << "moving deletes nothing";
}

TEST(IPv4EditTest, PasteOfAWholeAddressFillsAllOctets) {
  struct {
    const char* Clipboard;
    std::vector<std::string> Octets;
    bool Refused;
  } const cases[] = {
      {"  10.20.30.40 ", {"10", "20", "30", "40"}, false},
      {"0.0.0.0", {"0", "0", "0", "0"}, false},
      {"12", {"", "12", "", ""}, false},  // digits go into the octet that has the focus
      {"1.2.3", {"", "", "", ""}, true},
      {"1.2.3.256", {"", "", "", ""}, true},
      {"fe80::1", {"", "", "", ""}, true},
      {"abc", {"", "", "", ""}, true},
  };
  for (const auto& c : cases) {
    TFieldWindow<TIPv4Edit> w;
    ShowActive(w.Window);
    QSignalSpy refused(w.Edit, &TIPEdit::InputRefused);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(c.Clipboard));
    w.Edit->Octet(1)->setFocus();
    QTest::keyClick(w.Edit->Octet(1), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(OctetTexts(*w.Edit), c.Octets) << c.Clipboard;
    EXPECT_EQ(refused.count(), c.Refused ? 1 : 0) << c.Clipboard;
  }
}

TEST(IPv4EditTest, BlankOrZeroIsEmpty) {
  TIPv4Edit edit;
  EXPECT_TRUE(edit.IsEmpty()) << "all four octets blank";
  EXPECT_EQ(edit.Addr(), 0u);
  edit.SetAddr(HostOrder("0.0.0.0"));
  EXPECT_TRUE(edit.IsEmpty());
  EXPECT_EQ(OctetTexts(edit), (std::vector<std::string>{"0", "0", "0", "0"}));
  edit.Octet(3)->setText(QStringLiteral("1"));
  EXPECT_FALSE(edit.IsEmpty());
  edit.Clear();
  EXPECT_EQ(OctetTexts(edit), (std::vector<std::string>{"", "", "", ""}));
  EXPECT_TRUE(edit.IsEmpty());
}

TEST(IPv4EditTest, EditAddrIsInNetworkOrder) {
  TIPv4Edit edit;
  QSignalSpy changes(&edit, &TIPEdit::OnChange);
  edit.SetAddr(HostOrder("192.168.1.10"));
  EXPECT_EQ(changes.count(), 1) << "one change for a whole address";
  const TIPAddr addr = edit.EditAddr();
  EXPECT_EQ(addr.Ver, atIPv4);
  EXPECT_EQ(std::vector<uint8_t>(addr.Bytes(), addr.Bytes() + 4), (std::vector<uint8_t>{0xC0, 0xA8, 0x01, 0x0A}));
  EXPECT_EQ(IPAddrToStr(addr), "192.168.1.10");

  edit.SetEditAddr(TIPAddr::Create(htonl(HostOrder("10.255.0.7"))));
  EXPECT_EQ(edit.Addr(), HostOrder("10.255.0.7"));
  EXPECT_THROW(edit.SetEditAddr(TIPAddr::Create(V6("::1"))), EAssertionFailed);
}

TEST(IPv6EditTest, TypingTakesOnlyWhatAnAddressIsWrittenWith) {
  struct {
    const char* Typed;
    const char* Text;
    int Refusals;
  } const cases[] = {
      {"FE80", "fe80", 0},
      {"fe80::1", "fe80::1", 0},
      {"g", "", 1},
      {" ", "", 1},
      {"1.2", "12", 1},
      {"2001:DB8::aBc", "2001:db8::abc", 0},
      {"1111:2222:3333:4444:5555:6666:7777:88889", "1111:2222:3333:4444:5555:6666:7777:8888", 0},
  };
  for (const auto& c : cases) {
    TIPv6Edit edit;
    QSignalSpy refused(&edit, &TIPEdit::InputRefused);
    QTest::keyClicks(edit.LineEdit(), c.Typed);
    EXPECT_EQ(edit.LineEdit()->text().toStdString(), c.Text) << c.Typed;
    EXPECT_EQ(refused.count(), c.Refusals) << c.Typed;
  }
}

TEST(IPv6EditTest, EditingKeysStillWork) {
  TIPv6Edit edit;
  QTest::keyClicks(edit.LineEdit(), "fe80::12");
  QTest::keyClick(edit.LineEdit(), Qt::Key_Backspace);
  QTest::keyClick(edit.LineEdit(), Qt::Key_Home);
  QTest::keyClick(edit.LineEdit(), Qt::Key_Delete);
  EXPECT_EQ(edit.LineEdit()->text(), QStringLiteral("e80::1"));
}

TEST(IPv6EditTest, PasteReplacesTheTextOnlyWithAnAddress) {
  struct {
    const char* Clipboard;
    const char* Text;
    bool Refused;
  } const cases[] = {
      {"  fe80::1  ", "fe80::1", false},
      {"FE80::ABCD", "fe80::abcd", false},
      {"1.2.3.4", "2001:db8::5", true},
      {"1:2:3:4:5:6:7:8:9", "2001:db8::5", true},
      {"::ffff:1.2.3.4", "2001:db8::5", true},
      {"0000:0000:0000:0000:0000:0000:0000:00001", "2001:db8::5", true},  // longer than the field
      {"", "2001:db8::5", true},
  };
  for (const auto& c : cases) {
    TIPv6Edit edit;
    edit.LineEdit()->setText(QStringLiteral("2001:db8::5"));
    QSignalSpy refused(&edit, &TIPEdit::InputRefused);
    QGuiApplication::clipboard()->setText(QString::fromLatin1(c.Clipboard));
    QTest::keyClick(edit.LineEdit(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.LineEdit()->text().toStdString(), c.Text) << c.Clipboard;
    EXPECT_EQ(refused.count(), c.Refused ? 1 : 0) << c.Clipboard;
  }
}

TEST(IPv6EditTest, EmptyMeansNoUsableAddress) {
  struct {
    const char* Text;
    bool Empty;
  } const cases[] = {
      {"", true},
      {"::", true},
      {"0:0::0", true},
      {"::1", false},
      {"fe80::1", false},
      {"1:2:3:4:5:6:7:8:9", true},  // the parser refuses it
      {"1:fffffffff::", true},      // refused after reading a group: not the address typed
  };
  for (const auto& c : cases) {
    TIPv6Edit edit;
    edit.LineEdit()->setText(QString::fromLatin1(c.Text));
    EXPECT_EQ(edit.IsEmpty(), c.Empty) << '"' << c.Text << '"';
  }
}

TEST(IPv6EditTest, EditAddrShowsTheCompressedFormAndReadsBack) {
  TIPv6Edit edit;
  const TIPAddr addr = TIPAddr::Create(V6("2001:db8:0:0:0:0:0:1"));
  edit.SetEditAddr(addr);
  EXPECT_EQ(edit.LineEdit()->text(), QStringLiteral("2001:db8::1"));
  EXPECT_EQ(edit.EditAddr(), addr);
  EXPECT_EQ(edit.EditAddr().Ver, atIPv6);
  EXPECT_THROW(edit.SetEditAddr(TIPAddr()), EAssertionFailed);
}

TEST(IPEditTest, CanFocusOnlyWhenEnabledAndShown) {
  TFieldWindow<TIPv4Edit> four;
  TFieldWindow<TIPv6Edit> six;
  for (TIPEdit* edit : std::initializer_list<TIPEdit*>{four.Edit, six.Edit}) {
    EXPECT_FALSE(edit->CanFocus()) << "window not shown";
    edit->window()->show();
    EXPECT_TRUE(edit->CanFocus());
    edit->setEnabled(false);
    EXPECT_FALSE(edit->CanFocus());
    edit->setEnabled(true);
    edit->hide();
    EXPECT_FALSE(edit->CanFocus());
  }
}

TEST(IPEditTest, Screenshot) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* four = new TIPv4Edit(&window);
  four->SetAddr(HostOrder("192.168.100.254"));
  auto* blank = new TIPv4Edit(&window);
  auto* disabled = new TIPv4Edit(&window);
  disabled->SetAddr(HostOrder("10.0.0.1"));
  disabled->setEnabled(false);
  auto* six = new TIPv6Edit(&window);
  six->SetAddr(V6("2001:db8::1"));
  for (QWidget* w : std::initializer_list<QWidget*>{four, blank, disabled, six}) layout->addWidget(w);
  window.show();
  SaveScreenshot(window, "filter-ipedit");
}
