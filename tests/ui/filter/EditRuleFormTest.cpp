// The rule editor: what it shows per protocol and kind, every check with its
// message, page and focus, and rules stored and loaded through the window.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolButton>
#include <functional>

#include "tests/filter/AddressText.h"
#include "UiTestSupport.h"
#include "common/Assertion.h"
#include "widgets/IPEdit.h"
#include "engine/Engine.h"
#include "engine/SettingsApply.h"
#include "engine/SimulatorThread.h"
#include "filter/windows/EditRuleForm.h"
#include "platform/LabDriver.h"
#include "tests/engine/EngineTestDoubles.h"
#include "tests/filter/FrameBuilder.h"

namespace {

constexpr const char* kNoGroup = "Please choose a group. See Tools - Groups to define a group.";

// The editor over a rule of its own with two groups, recording message
// boxes and a MAC lookup window that answers from LookupAnswer.
struct TEditor {
  TFakeMessageBoxes Boxes;
  std::recursive_mutex Lock;
  TFilterSettings Filter;
  std::unique_ptr<TEditRuleForm> Form;
  std::optional<THWAddr> LookupAnswer;
  int Lookups = 0;

  TEditor() {
    Filter.Groups.Add("Servers", {Addr("10.0.0.1")});
    Filter.Groups.Add("Clients", {Addr("10.0.0.2")});
  }

  void Open() {
    Form = std::make_unique<TEditRuleForm>(Filter, Lock, [](const TIPAddr&, THWAddr&) { return false; });
    Form->SetMacLookupDialog([this](QWidget*, THWAddr& HWAddr) {
      ++Lookups;
      if (LookupAnswer) HWAddr = *LookupAnswer;
      return LookupAnswer.has_value();
    });
    ShowActive(*Form);
  }

  template <typename T = QWidget>
  T* W(const std::string& name) const {
    return Child<T>(*Form, name.c_str());
  }
  void Protocol(const char* label) {
    auto* list = W<QComboBox>("ProtocolCombobox");
    const int position = list->findText(QLatin1String(label));
    ASSERT_GE(position, 0) << label;
    list->setCurrentIndex(position);
  }
  void Click(const std::string& name) {
    auto* button = W<QAbstractButton>(name);
    EXPECT_TRUE(button->isEnabled()) << name << " cannot be clicked";
    button->click();
  }
  // Puts a text into a field: a line edit, or an address field.
  void Set(const std::string& name, const char* text) {
    QWidget* field = W(name);
    if (auto* ipv4 = qobject_cast<TIPv4Edit*>(field)) {
      if (*text)
        ipv4->SetEditAddr(Addr(text));
      else
        ipv4->Clear();
    } else if (auto* ipv6 = qobject_cast<TIPv6Edit*>(field)) {
      ipv6->LineEdit()->setText(QLatin1String(text));
    } else {
      qobject_cast<QLineEdit*>(field)->setText(QLatin1String(text));
    }
  }
  void AddPorts(const std::string& side, std::initializer_list<const char*> ports) {
    Click(side + "PortListRadio");
    for (const char* port : ports) {
      Boxes.Answers.push_back(QLatin1String(port));
      Click(side + "AddPortButton");
    }
  }
  // Shown on its side's page, whichever page is in front.
  bool Shown(const std::string& side, const std::string& name) const {
    return W(side + name)->isVisibleTo(W(side + "Page"));
  }
  int Page() const { return W<QTabWidget>("PageControl")->currentIndex(); }
  void Ok() { Click("OkButton"); }
  std::string Text(const std::string& name) const {
    QWidget* field = W(name);
    if (auto* ipv4 = qobject_cast<TIPv4Edit*>(field)) return ipv4->IsEmpty() ? "" : IPAddrToStr(ipv4->EditAddr());
    if (auto* ipv6 = qobject_cast<TIPv6Edit*>(field)) return ipv6->LineEdit()->text().toStdString();
    return qobject_cast<QLineEdit*>(field)->text().toStdString();
  }
  std::vector<std::string> PortList(const std::string& side) const {
    auto* list = W<QListWidget>(side + "PortListBox");
    std::vector<std::string> entries;
    for (int i = 0; i < list->count(); ++i) entries.push_back(list->item(i)->text().toStdString());
    return entries;
  }
};

using TSetup = std::function<void(TEditor&)>;

const char* const kAddressExtras[] = {"MacEdit",      "MacLookupButton", "FromLabel",    "ToLabel",      "FirstIPv4Edit",
                                      "FirstIPv6Edit", "LastIPv4Edit",    "LastIPv6Edit", "GroupCombobox"};

}  // namespace

TEST(EditRuleFormTest, AFreshRuleOpensWithItsDefaults) {
  TEditor e;
  e.Open();
  EXPECT_EQ(e.Form->windowTitle(), QStringLiteral("Filter Settings"));
  EXPECT_EQ(e.W<QComboBox>("ProtocolCombobox")->currentText(), QStringLiteral("Any"));
  EXPECT_EQ(e.W<QComboBox>("ProtocolCombobox")->count(), 17);
  EXPECT_EQ(e.W<QSpinBox>("VlanIdEdit")->text(), QStringLiteral("0"));
  EXPECT_EQ(e.W<QSpinBox>("VlanIdEdit")->maximum(), 4095);
  EXPECT_FALSE(e.W<QCheckBox>("EnableFilterCheckBox")->isChecked());
  EXPECT_EQ(e.W<QCheckBox>("EnableFilterCheckBox")->text(), QStringLiteral("Enable this filter"));
  for (const std::string side : {"Source", "Destination"}) {
    EXPECT_TRUE(e.W<QRadioButton>(side + "AnyIPRadio")->isChecked()) << side;
    EXPECT_TRUE(e.W<QRadioButton>(side + "AnyPortRadio")->isChecked()) << side;
    EXPECT_FALSE(e.W(side + "AddressPanel")->isEnabled()) << "protocol Any examines no addresses";
    EXPECT_FALSE(e.W(side + "PortPanel")->isEnabled());
    EXPECT_EQ(e.W<QComboBox>(side + "GroupCombobox")->count(), 2);
    EXPECT_EQ(e.W<QComboBox>(side + "GroupCombobox")->currentIndex(), -1);
  }
}

TEST(EditRuleFormTest, EnablingAndAddressFieldsFollowTheProtocol) {
  TEditor e;
  e.Open();
  e.Protocol("Any IPv4");
  for (const std::string side : {"Source", "Destination"}) e.Click(side + "IPRangeRadio");
  const QStringList labels = [&] {
    QStringList all;
    for (int i = 0; i < 17; ++i) all << e.W<QComboBox>("ProtocolCombobox")->itemText(i);
    return all;
  }();
  for (int position = 0; position < 17; ++position) {
    e.W<QComboBox>("ProtocolCombobox")->setCurrentIndex(position);
    const bool ipv4 = position >= 1 && position <= 7, ipv6 = position >= 8 && position <= 14;
    const bool ports = (position >= 2 && position <= 4) || (position >= 9 && position <= 11);
    const std::string label = labels[position].toStdString();
    for (const std::string side : {"Source", "Destination"}) {
      EXPECT_EQ(e.W(side + "AddressPanel")->isEnabled(), ipv4 || ipv6) << label << ' ' << side;
      EXPECT_EQ(e.W(side + "MacEdit")->isEnabled(), ipv4 || ipv6) << label;
      EXPECT_EQ(e.W(side + "PortPanel")->isEnabled(), ports) << label << ' ' << side;
      EXPECT_EQ(e.W(side + "PortEdit")->isEnabled(), ports) << label;
      EXPECT_EQ(e.Shown(side, "FirstIPv4Edit"), ipv4) << label;
      EXPECT_EQ(e.Shown(side, "LastIPv4Edit"), ipv4) << label;
      EXPECT_EQ(e.Shown(side, "FirstIPv6Edit"), ipv6) << label;
      EXPECT_EQ(e.Shown(side, "LastIPv6Edit"), ipv6) << label;
    }
  }
}

TEST(EditRuleFormTest, EachAddressKindShowsItsFields) {
  struct {
    const char* Radio;
    std::vector<std::string> Shown;
  } const cases[] = {
      {"LocalHostRadio", {}},
      {"MacRadio", {"MacEdit", "MacLookupButton"}},
      {"SingleIPRadio", {"FirstIPv4Edit"}},
      {"IPRangeRadio", {"FromLabel", "ToLabel", "FirstIPv4Edit", "LastIPv4Edit"}},
      {"AnyIPRadio", {}},
      {"GroupRadio", {"GroupCombobox"}},
  };
  TEditor e;
  e.Open();
  e.Protocol("IPv4 UDP");
  for (const auto& c : cases) {
    for (const std::string side : {"Source", "Destination"}) {
      e.W<QTabWidget>("PageControl")->setCurrentIndex(side == "Source" ? 1 : 2);
      e.Click(side + c.Radio);
      for (const char* extra : kAddressExtras) {
        const bool shown = std::find(c.Shown.begin(), c.Shown.end(), extra) != c.Shown.end();
        EXPECT_EQ(e.W(side + extra)->isVisible(), shown) << side << c.Radio << ": " << extra;
      }
    }
  }
}

TEST(EditRuleFormTest, EachPortKindShowsItsPageAndFocusesItsField) {
  struct {
    const char* Radio;
    int Page;
    const char* Focus;
  } const cases[] = {
      {"SinglePortRadio", 1, "PortEdit"},
      {"PortRangeRadio", 2, "PortFromEdit"},
      {"PortListRadio", 3, nullptr},
      {"AnyPortRadio", 0, nullptr},
  };
  TEditor e;
  e.Open();
  e.Protocol("IPv6 TCP/UDP");
  for (const std::string side : {"Source", "Destination"}) {
    e.W<QTabWidget>("PageControl")->setCurrentIndex(side == "Source" ? 1 : 2);
    for (const auto& c : cases) {
      e.Click(side + c.Radio);
      EXPECT_EQ(e.W<QStackedWidget>(side + "PortPages")->currentIndex(), c.Page) << side << c.Radio;
      if (c.Focus) {
        EXPECT_TRUE(HasFocusWithin(e.W(side + c.Focus))) << side << c.Radio;
      }
    }
  }
}

TEST(EditRuleFormTest, AddressFieldsKeepTheirContentsAcrossProtocols) {
  TEditor e;
  e.Open();
  e.Protocol("IPv4 TCP");
  e.Click("SourceIPRangeRadio");
  e.Set("SourceFirstIPv4Edit", "10.0.0.1");
  e.Set("SourceLastIPv4Edit", "10.0.0.9");
  e.Protocol("IPv6 TCP");
  EXPECT_TRUE(e.Shown("Source", "FirstIPv6Edit"));
  EXPECT_FALSE(e.Shown("Source", "FirstIPv4Edit"));
  e.Set("SourceFirstIPv6Edit", "fe80::1");
  e.Protocol("ARP");
  e.Protocol("Any IPv4");
  EXPECT_TRUE(e.Shown("Source", "FirstIPv4Edit"));
  EXPECT_EQ(e.Text("SourceFirstIPv4Edit"), "10.0.0.1");
  EXPECT_EQ(e.Text("SourceLastIPv4Edit"), "10.0.0.9");
  e.Protocol("Any IPv6");
  EXPECT_EQ(e.Text("SourceFirstIPv6Edit"), "fe80::1");
}

// Every check of OK, in order: the first failure names its message, its page
// and the field that gets the focus; the window stays open and the rule is
// untouched.
TEST(EditRuleFormTest, EveryCheckWithItsMessagePageAndFocus) {
  struct TCase {
    const char* Name;
    const char* Protocol;
    TSetup Setup;
    const char* Message;
    int Page;
    const char* Focus;  // nullptr: no field
    int StartPage = 0;
  };
  const auto range = [](const std::string& side, const char* first, const char* last, bool ipv6 = false) {
    return [=](TEditor& e) {
      e.Click(side + "IPRangeRadio");
      e.Set(side + (ipv6 ? "FirstIPv6Edit" : "FirstIPv4Edit"), first);
      e.Set(side + (ipv6 ? "LastIPv6Edit" : "LastIPv4Edit"), last);
    };
  };
  const auto single = [](const std::string& side, const char* address, bool ipv6 = false) {
    return [=](TEditor& e) {
      e.Click(side + "SingleIPRadio");
      e.Set(side + (ipv6 ? "FirstIPv6Edit" : "FirstIPv4Edit"), address);
    };
  };
  const auto mac = [](const std::string& side, const char* text) {
    return [=](TEditor& e) {
      e.Click(side + "MacRadio");
      e.Set(side + "MacEdit", text);
    };
  };
  const auto noGroup = [](const std::string& side) { return [=](TEditor& e) { e.Click(side + "GroupRadio"); }; };
  const auto port = [](const std::string& side, const char* text) {
    return [=](TEditor& e) {
      e.Click(side + "SinglePortRadio");
      e.Set(side + "PortEdit", text);
    };
  };
  const auto portRange = [](const std::string& side, const char* from, const char* to) {
    return [=](TEditor& e) {
      e.Click(side + "PortRangeRadio");
      e.Set(side + "PortFromEdit", from);
      e.Set(side + "PortToEdit", to);
    };
  };
  const auto emptyList = [](const std::string& side) { return [=](TEditor& e) { e.Click(side + "PortListRadio"); }; };
  const auto both = [](TSetup a, TSetup b) {
    return [=](TEditor& e) {
      a(e);
      b(e);
    };
  };
  const TSetup localHosts = [](TEditor& e) {
    e.Click("SourceLocalHostRadio");
    e.Click("DestinationLocalHostRadio");
  };
  const char* kLocal = "Please select another source or destination IP address";

  const TCase cases[] = {
      {"1 both local host", "IPv4 TCP", localHosts, kLocal, 0, nullptr},
      {"1 stays on the current page", "Any IPv6", localHosts, kLocal, 2, nullptr, 2},
      {"1 comes before the ports", "IPv4 UDP", both(localHosts, port("Source", "x")), kLocal, 0, nullptr},
      {"2 source MAC", "IPv4 TCP", mac("Source", "00-1A"), "Please specify a correct source MAC address", 1, "SourceMacEdit"},
      {"2 source MAC empty", "IPv6 ICMP", mac("Source", ""), "Please specify a correct source MAC address", 1, "SourceMacEdit"},
      {"3 source group", "IPv4 GRE", noGroup("Source"), kNoGroup, 1, "SourceGroupCombobox"},
      {"4 source IPv4", "IPv4 TCP", single("Source", ""), "Please specify a source IPv4 address", 1, "SourceFirstIPv4Edit"},
      {"5 source IPv6", "IPv6 TCP", single("Source", "", true), "Please specify a source IPv6 address", 1, "SourceFirstIPv6Edit"},
      {"5 source IPv6 ::", "Any IPv6", single("Source", "::", true), "Please specify a source IPv6 address", 1, "SourceFirstIPv6Edit"},
      {"6 from IPv4", "Any IPv4", range("Source", "", "10.0.0.9"), "Please specify a from IPv4 address", 1, "SourceFirstIPv4Edit"},
      {"7 to IPv4", "Any IPv4", range("Source", "10.0.0.1", ""), "Please specify a to IPv4 address", 1, "SourceLastIPv4Edit"},
      {"8 one-address range", "IPv4 ICMP", range("Source", "10.0.0.5", "10.0.0.5"), "Please specify a correct IPv4 range", 1, nullptr},
      {"8 in host order", "IPv4 ICMP", range("Source", "10.0.1.0", "10.0.0.255"), "Please specify a correct IPv4 range", 1, nullptr},
      {"9 from IPv6", "IPv6 UDP", range("Source", "", "fe80::9", true), "Please specify a from IPv6 address", 1, "SourceFirstIPv6Edit"},
      {"10 to IPv6", "IPv6 UDP", range("Source", "fe80::1", "", true), "Please specify a to IPv6 address", 1, "SourceLastIPv6Edit"},
      {"11 reversed IPv6", "IPv6 UDP", range("Source", "fe80::2", "fe80::1", true), "Please specify a correct IPv6 range", 1, nullptr},
      {"11 first byte counts most", "Any IPv6", range("Source", "1::", "0:ffff::", true), "Please specify a correct IPv6 range", 1, nullptr},
      {"12 source port", "IPv4 TCP", port("Source", "abc"), "Please specify a source port number", 1, "SourcePortEdit"},
      {"12 source port 65536", "IPv6 TCP", port("Source", "65536"), "Please specify a source port number", 1, "SourcePortEdit"},
      {"13 from port", "IPv4 TCP/UDP", portRange("Source", "", "80"), "Please specify a from port number", 1, "SourcePortFromEdit"},
      {"14 to port", "IPv4 TCP/UDP", portRange("Source", "80", "x"), "Please specify a to port number", 1, "SourcePortToEdit"},
      {"15 one-port range", "IPv4 TCP/UDP", portRange("Source", "80", "80"), "Please specify a correct port range", 1, nullptr},
      {"15 reversed ports", "IPv6 UDP", portRange("Source", "81", "80"), "Please specify a correct port range", 1, nullptr},
      {"16 empty source list", "IPv4 UDP", emptyList("Source"), "Please specify at least one source port", 1, "SourceAddPortButton"},
      {"17 destination group", "IPv4 TCP", noGroup("Destination"), kNoGroup, 2, "DestinationGroupCombobox"},
      {"18 destination MAC", "IPv6 GRE", mac("Destination", "0011223344GG"), "Please specify a destination source MAC address", 2, "DestinationMacEdit"},
      {"19 destination IPv4", "IPv4 AH/ESP", single("Destination", ""), "Please specify a destination IPv4 address", 2, "DestinationFirstIPv4Edit"},
      {"20 destination IPv6", "IPv6 AH/ESP", single("Destination", "", true), "Please specify a destination IPv6 address", 2, "DestinationFirstIPv6Edit"},
      {"21 destination from IPv4", "IPv4 UDP", range("Destination", "", "10.0.0.9"), "Please specify a from IPv4 address", 2, "DestinationFirstIPv4Edit"},
      {"22 destination to IPv4", "IPv4 UDP", range("Destination", "10.0.0.1", ""), "Please specify a to IPv4 address", 2, "DestinationLastIPv4Edit"},
      {"23 destination IPv4 range", "IPv4 UDP", range("Destination", "10.0.0.9", "10.0.0.1"), "Please specify a correct IPv4 range", 2, nullptr},
      {"24 destination from IPv6", "IPv6 TCP", range("Destination", "", "::9", true), "Please specify a from IPv6 address", 2, "DestinationFirstIPv6Edit"},
      {"25 destination to IPv6", "IPv6 TCP", range("Destination", "::1", "", true), "Please specify a to IPv6 address", 2, "DestinationLastIPv6Edit"},
      {"26 destination IPv6 range", "IPv6 TCP", range("Destination", "::1", "::1", true), "Please specify a correct IPv6 range", 2, nullptr},
      {"27 destination port", "IPv4 TCP", port("Destination", ""), "Please specify a destination port number", 2, "DestinationPortEdit"},
      {"28 destination from port", "IPv6 TCP/UDP", portRange("Destination", "-1", "80"), "Please specify a from port number", 2, "DestinationPortFromEdit"},
      {"29 destination to port", "IPv6 TCP/UDP", portRange("Destination", "1", "70000"), "Please specify a to port number", 2, "DestinationPortToEdit"},
      {"30 destination port range", "IPv6 TCP/UDP", portRange("Destination", "443", "443"), "Please specify a correct port range", 2, nullptr},
      {"31 empty destination list", "IPv6 UDP", emptyList("Destination"), "Please specify at least one destination port", 2, "DestinationAddPortButton"},
      {"the source before the destination", "IPv4 TCP", both(noGroup("Destination"), single("Source", "")), "Please specify a source IPv4 address", 1, "SourceFirstIPv4Edit"},
      {"addresses before ports", "IPv4 TCP", both(port("Source", "x"), range("Source", "10.0.0.2", "10.0.0.1")), "Please specify a correct IPv4 range", 1, nullptr},
      {"source ports before destination addresses", "IPv4 TCP", both(mac("Destination", ""), emptyList("Source")), "Please specify at least one source port", 1, "SourceAddPortButton"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditor e;
    e.Open();
    const TFilterSettings before = e.Filter;
    e.Protocol(c.Protocol);
    c.Setup(e);
    e.W<QTabWidget>("PageControl")->setCurrentIndex(c.StartPage);
    e.W("OkButton")->setFocus();
    e.Ok();
    EXPECT_EQ(e.Boxes.Errors(), std::vector<std::string>{c.Message});
    EXPECT_EQ(e.Page(), c.Page);
    if (c.Focus)
      EXPECT_TRUE(HasFocusWithin(e.W(c.Focus))) << "focus on " << c.Focus << ", not "
                                                << QApplication::focusWidget()->objectName().toStdString();
    else
      EXPECT_EQ(QApplication::focusWidget(), e.W("OkButton"));
    EXPECT_TRUE(e.Form->isVisible());
    EXPECT_EQ(e.Filter, before);
  }
}

TEST(EditRuleFormTest, OkStoresWhatPassesTheChecks) {
  struct TCase {
    const char* Name;
    const char* Protocol;
    TSetup Setup;
    std::function<void(const TFilterSettings&)> Expect;
  };
  const TCase cases[] = {
      {"both local host without an IP protocol", "Any",
       [](TEditor& e) {
         e.Click("SourceLocalHostRadio");
         e.Click("DestinationLocalHostRadio");
       },
       [](const TFilterSettings& r) {
         EXPECT_EQ(r.Protocol, fpAny);
         EXPECT_EQ(r.Source.AddrType, akLocalHost);
         EXPECT_EQ(r.Destination.AddrType, akLocalHost);
       }},
      {"ARP checks nothing", "ARP",
       [](TEditor& e) {
         e.Click("SourceMacRadio");
         e.Set("SourceMacEdit", "bad");
         e.Click("DestinationSinglePortRadio");
         e.Set("DestinationPortEdit", "bad");
       },
       [](const TFilterSettings& r) {
         EXPECT_EQ(r.Protocol, fpARP);
         EXPECT_EQ(r.Source.AddrType, akMac);
         EXPECT_EQ(r.Destination.PortType, ptAny) << "a protocol without ports stores Any";
         EXPECT_TRUE(r.Destination.Ports.empty());
       }},
      {"ICMP ignores the port fields", "IPv4 ICMP",
       [](TEditor& e) {
         e.Click("SourcePortRangeRadio");
         e.Set("SourcePortFromEdit", "x");
       },
       [](const TFilterSettings& r) {
         EXPECT_EQ(r.Source.PortType, ptAny);
         EXPECT_TRUE(r.Source.Ports.empty());
       }},
      {"the whole port range", "IPv4 TCP",
       [](TEditor& e) {
         e.Click("DestinationPortRangeRadio");
         e.Set("DestinationPortFromEdit", "0");
         e.Set("DestinationPortToEdit", "65535");
       },
       [](const TFilterSettings& r) {
         EXPECT_EQ(r.Destination.PortType, ptRange);
         EXPECT_EQ(r.Destination.Ports, (std::vector<uint16_t>{0, 65535}));
       }},
      {"a range across an octet", "Any IPv4",
       [](TEditor& e) {
         e.Click("SourceIPRangeRadio");
         e.Set("SourceFirstIPv4Edit", "10.0.0.255");
         e.Set("SourceLastIPv4Edit", "10.0.1.0");
       },
       [](const TFilterSettings& r) {
         EXPECT_EQ(r.Source.Addr1, Addr("10.0.0.255"));
         EXPECT_EQ(r.Source.Addr2, Addr("10.0.1.0"));
       }},
      {"the IPv6 fields for an IPv6 protocol", "IPv6 UDP",
       [](TEditor& e) {
         e.Click("SourceSingleIPRadio");
         e.Set("SourceFirstIPv4Edit", "10.0.0.1");
         e.Set("SourceFirstIPv6Edit", "2001:db8::1");
         e.AddPorts("Destination", {"53", "5353"});
         e.Click("DestinationGroupRadio");
         e.W<QComboBox>("DestinationGroupCombobox")->setCurrentIndex(1);
         e.W<QSpinBox>("VlanIdEdit")->setValue(100);
         e.Click("EnableFilterCheckBox");
       },
       [](const TFilterSettings& r) {
         EXPECT_TRUE(r.Enabled);
         EXPECT_EQ(r.VlanId, 100);
         EXPECT_EQ(r.Source.Addr1, Addr("2001:db8::1"));
         EXPECT_EQ(r.Destination.AddrType, akGroup);
         EXPECT_EQ(r.Destination.GroupId, 1);
         EXPECT_EQ(r.Destination.Ports, (std::vector<uint16_t>{53, 5353}));
         EXPECT_EQ(r.Groups.Count(), 2) << "the groups stay";
       }},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditor e;
    e.Open();
    e.Protocol("IPv4 TCP");  // every control can be set, then the protocol decides
    c.Setup(e);
    e.Protocol(c.Protocol);
    e.Ok();
    EXPECT_TRUE(e.Boxes.Errors().empty());
    EXPECT_FALSE(e.Form->isVisible());
    EXPECT_EQ(e.Form->result(), QDialog::Accepted);
    c.Expect(e.Filter);
  }
}

TEST(EditRuleFormTest, StoredRulesComeBackThroughTheEditor) {
  std::vector<TFilterSettings> rules(3);
  rules[0].Enabled = true;
  rules[0].Protocol = fpIPv4TCP;
  rules[0].VlanId = 100;
  rules[0].Source = {Addr("10.0.0.1"), Addr("10.0.0.200"), akIPRange, THWAddr::Create("020000000001"), 1, {1000, 2000}, ptRange};
  rules[0].Destination = {Addr("192.168.1.1"), TIPAddr(), akSingleIP, THWAddr(), 0, {80}, ptSingle};
  rules[1].Enabled = true;
  rules[1].Protocol = fpIPv6TCPUDP;
  rules[1].Source = {Addr("fe80::1"), Addr("fe80::ff"), akIPRange, THWAddr(), -1, {443, 80, 8080}, ptList};
  rules[1].Destination = {Addr("2001:db8::1"), TIPAddr::Create(TIn6_addr()), akSingleIP, THWAddr(), -1, {}, ptAny};
  rules[2].Protocol = fpAnyIPv4;
  rules[2].Source.AddrType = akMac;
  rules[2].Source.Mac = THWAddr::Create("001A2B3C4D5E");
  rules[2].Destination.AddrType = akLocalHost;
  for (TFilterSettings& rule : rules) {
    SCOPED_TRACE(kFilterProtocolLabels[rule.Protocol]);
    TEditor e;
    rule.Groups.Assign(e.Filter.Groups);
    e.Filter = rule;
    e.Open();
    e.Ok();
    EXPECT_TRUE(e.Boxes.Errors().empty());
    EXPECT_EQ(e.Filter, rule);
  }

  // Reopened, an IPv6 rule shows its addresses in the IPv6 fields.
  TEditor e;
  rules[1].Groups.Assign(e.Filter.Groups);
  e.Filter = rules[1];
  e.Open();
  EXPECT_EQ(e.Text("SourceFirstIPv6Edit"), "fe80::1");
  EXPECT_EQ(e.Text("SourceLastIPv6Edit"), "fe80::ff");
  EXPECT_EQ(e.Text("DestinationFirstIPv6Edit"), "2001:db8::1");
  EXPECT_EQ(e.Text("SourceFirstIPv4Edit"), "");
  EXPECT_EQ(e.PortList("Source"), (std::vector<std::string>{"443", "80", "8080"}));
  EXPECT_EQ(e.W<QComboBox>("ProtocolCombobox")->currentText(), QStringLiteral("IPv6 TCP/UDP"));
}

TEST(EditRuleFormTest, CancelLeavesTheRuleUntouched) {
  TEditor e;
  e.Filter.Protocol = fpIPv4UDP;
  const TFilterSettings before = e.Filter;
  e.Open();
  e.Protocol("ARP");
  e.Click("EnableFilterCheckBox");
  e.Click("CancelButton");
  EXPECT_EQ(e.Form->result(), QDialog::Rejected);
  EXPECT_EQ(e.Filter, before);
}

TEST(EditRuleFormTest, GroupListsShowTheGroupsInOrder) {
  TEditor e;
  e.Filter.Groups.Add("Servers");  // a second group of the same name
  e.Filter.Source.GroupId = 2;
  e.Filter.Destination.GroupId = 3;  // past the list
  e.Open();
  auto* source = e.W<QComboBox>("SourceGroupCombobox");
  ASSERT_EQ(source->count(), 3);
  EXPECT_EQ(source->itemText(2), QStringLiteral("Servers"));
  EXPECT_EQ(source->currentIndex(), 2);
  EXPECT_EQ(e.W<QComboBox>("DestinationGroupCombobox")->currentIndex(), -1);
  EXPECT_EQ(source->maxVisibleItems(), 20);
}

TEST(EditRuleFormTest, PortListAddAndRemove) {
  TEditor e;
  e.Filter.Protocol = fpIPv4TCP;
  e.Open();
  e.AddPorts("Source", {"80", "70000", "abc", "", "443", "65535"});
  e.Boxes.Answers.push_back(std::nullopt);
  e.Click("SourceAddPortButton");  // cancelled
  EXPECT_EQ(e.PortList("Source"), (std::vector<std::string>{"80", "443", "65535"}));
  EXPECT_TRUE(e.Boxes.Errors().empty()) << "a text that is no port is ignored without a message";
  ASSERT_FALSE(e.Boxes.Shown.empty());
  EXPECT_EQ(e.Boxes.Shown[0].Text, "Add port");
  EXPECT_EQ(e.Boxes.Shown[0].Prompt, "Enter a port number");
  EXPECT_TRUE(e.PortList("Destination").empty());

  auto* list = e.W<QListWidget>("SourcePortListBox");
  list->item(0)->setSelected(true);
  list->item(2)->setSelected(true);
  e.Click("SourceRemovePortButton");
  EXPECT_EQ(e.PortList("Source"), std::vector<std::string>{"443"});
}

TEST(EditRuleFormTest, MacLookupFillsTheFieldOfItsSide) {
  TEditor e;
  e.Filter.Protocol = fpAnyIPv4;
  e.Filter.Source.AddrType = akMac;
  e.Filter.Destination.AddrType = akMac;
  e.Open();
  e.LookupAnswer = THWAddr::Create("00:1a:2b:3c:4d:5e");
  e.Click("DestinationMacLookupButton");
  EXPECT_EQ(e.Text("DestinationMacEdit"), "001A2B3C4D5E");
  EXPECT_EQ(e.Text("SourceMacEdit"), "000000000000");
  e.LookupAnswer.reset();  // cancelled
  e.Click("DestinationMacLookupButton");
  EXPECT_EQ(e.Text("DestinationMacEdit"), "001A2B3C4D5E");
  EXPECT_EQ(e.Lookups, 2);
  EXPECT_EQ(e.W<QLineEdit>("SourceMacEdit")->maxLength(), 12);
}

TEST(EditRuleFormTest, ARuleOutsideTheTablesIsAnInternalError) {
  TEditor e;
  e.Filter.Protocol = 17;
  EXPECT_THROW(e.Open(), EAssertionFailed);
}

TEST(EditRuleFormTest, Screenshots) {
  TEditor e;
  e.Filter.Enabled = true;
  e.Filter.Protocol = fpIPv4TCP;
  e.Filter.Source = {Addr("10.0.0.1"), Addr("10.0.0.200"), akIPRange, THWAddr(), -1, {1000, 2000}, ptRange};
  e.Filter.Destination = {TIPAddr(), TIPAddr(), akMac, THWAddr::Create("001A2B3C4D5E"), -1, {80, 443}, ptList};
  e.Open();
  SaveScreenshot(*e.Form, "filter-rule-general");
  e.W<QTabWidget>("PageControl")->setCurrentIndex(1);
  SaveScreenshot(*e.Form, "filter-rule-source");
  e.W<QTabWidget>("PageControl")->setCurrentIndex(2);
  SaveScreenshot(*e.Form, "filter-rule-destination");
  e.Protocol("IPv6 UDP");
  e.W<QTabWidget>("PageControl")->setCurrentIndex(1);
  e.Set("SourceFirstIPv6Edit", "2001:db8:85a3::8a2e:370:7334");
  SaveScreenshot(*e.Form, "filter-rule-source-ipv6");
  e.Protocol("ARP");
  SaveScreenshot(*e.Form, "filter-rule-source-arp");
}

// Rules built in the editor and put in force in an engine on a lab adapter:
// every frame the rule selects is impaired (lost, here), every other frame
// passes untouched.
namespace {

using frame_builder::TFrameBuilder;
const frame_builder::TMac kMacOne = {2, 0, 0, 0, 0, 1}, kMacTwo = {2, 0, 0, 0, 0, 2};

std::vector<uint8_t> Tcp4(const char* from, const char* to, uint16_t toPort, uint16_t fromPort = 4000) {
  return TFrameBuilder().Ethernet(kMacTwo, kMacOne).IPv4(from, to, frame_builder::kProtoTcp).Tcp(fromPort, toPort).Build();
}
std::vector<uint8_t> Udp4(const char* from, const char* to, uint16_t toPort) {
  return TFrameBuilder().Ethernet(kMacTwo, kMacOne).IPv4(from, to, frame_builder::kProtoUdp).Udp(4000, toPort).Build();
}
std::vector<uint8_t> Udp6(const char* from, const char* to) {
  return TFrameBuilder().Ethernet(kMacTwo, kMacOne).IPv6(from, to, frame_builder::kProtoUdp).Udp(4000, 53).Build();
}
std::vector<uint8_t> Arp() {
  return TFrameBuilder().Ethernet(frame_builder::kBroadcastMac, kMacOne).Arp(1, kMacOne, "10.0.0.1", {}, "10.0.0.2").Build();
}

// True when the frame came out of the engine untouched by the rule's loss.
bool PassesThrough(TEngine& engine, TLabDriver& driver, TAdapterHandle adapter, TSimulatorThread& thread,
                   const std::vector<uint8_t>& bytes) {
  TFrameBuffer buffer{};
  std::copy(bytes.begin(), bytes.end(), buffer.Data);
  buffer.Length = static_cast<uint32_t>(bytes.size());
  buffer.DeviceFlags = kPacketFlagOutgoing;
  TFrameRequest request{adapter, &buffer};
  engine.DispatchFrame(thread, request, TReinjectMode::rmNatural);
  return driver.TakeSentToWire(adapter).size() == 1;
}

}  // namespace

TEST(EditRuleFormTest, RulesBuiltInTheEditorSelectTheirFramesInASimulation) {
  struct TCase {
    const char* Name;
    const char* Protocol;
    TSetup Setup;
    std::vector<std::vector<uint8_t>> Selected, Passed;
  };
  const std::vector<TCase> cases = {
      {"destination address and port", "IPv4 TCP",
       [](TEditor& e) {
         e.Click("DestinationSingleIPRadio");
         e.Set("DestinationFirstIPv4Edit", "10.0.0.2");
         e.Click("DestinationSinglePortRadio");
         e.Set("DestinationPortEdit", "80");
       },
       {Tcp4("10.0.0.1", "10.0.0.2", 80), Tcp4("10.0.0.2", "10.0.0.1", 4000, 80) /* the answer: sides exchanged */},
       {Tcp4("10.0.0.1", "10.0.0.2", 81), Udp4("10.0.0.1", "10.0.0.2", 80), Tcp4("10.0.0.1", "10.0.0.3", 80)}},
      {"IPv6 source range", "IPv6 UDP",
       [](TEditor& e) {
         e.Click("SourceIPRangeRadio");
         e.Set("SourceFirstIPv6Edit", "2001:db8::1");
         e.Set("SourceLastIPv6Edit", "2001:db8::ff");
       },
       {Udp6("2001:db8::10", "2001:db8:1::1")},
       {Udp6("2001:db8::1:0", "2001:db8:1::1"), Udp4("10.0.0.1", "10.0.0.2", 53)}},
      {"group of sources", "Any IPv4",
       [](TEditor& e) {
         e.Click("SourceGroupRadio");
         e.W<QComboBox>("SourceGroupCombobox")->setCurrentIndex(0);  // "Servers": 10.0.0.1
       },
       {Udp4("10.0.0.1", "10.0.0.7", 9)},
       {Udp4("10.0.0.3", "10.0.0.7", 9)}},
      {"this host", "Any IPv4", [](TEditor& e) { e.Click("SourceLocalHostRadio"); },
       {Udp4("10.0.0.9", "10.0.0.7", 9), Udp4("10.0.0.7", "10.0.0.9", 9)},
       {Udp4("10.0.0.3", "10.0.0.7", 9)}},
      {"ARP only", "ARP", [](TEditor&) {}, {Arp()}, {Udp4("10.0.0.1", "10.0.0.2", 9)}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TEditor e;
    e.Open();
    e.Protocol(c.Protocol);
    c.Setup(e);
    e.Click("EnableFilterCheckBox");
    e.Ok();
    ASSERT_TRUE(e.Boxes.Errors().empty()) << e.Boxes.Errors().front();

    TFakeClock clock;
    TLabDriver driver(clock);
    const TAdapterHandle adapter = driver.AddAdapter("lab0", kMacOne);
    TCollectingSink sink;
    TErrorChannel errors(sink);
    errors.SetWakeOwner([&] { errors.ServePending(); });
    TEngine engine(driver, clock, 1);
    engine.LocalAddressSource = [] {
      TIPAddrList local;
      local.Add(Addr("10.0.0.9"));
      return local;
    };
    engine.RefreshLocalAddresses();
    TSettingsModel model;
    model.SetDefaults(0);
    model.LossEnabled = true;
    model.LossPosition = 1000;  // every selected frame is lost
    ApplySettings(engine, TSettingsPart::spAll, model);
    {
      TLockGuard lock(engine.Locks.SettingsLock);
      engine.Settings.Filter = e.Filter;
    }
    TIdleThread thread(errors);
    for (const auto& frame : c.Selected) EXPECT_FALSE(PassesThrough(engine, driver, adapter, thread, frame));
    for (const auto& frame : c.Passed) EXPECT_TRUE(PassesThrough(engine, driver, adapter, thread, frame));
    EXPECT_EQ(engine.Counters().DroppedOut, c.Selected.size());
    EXPECT_TRUE(sink.Messages.empty());
  }
}
