// The MAC lookup window over the host's real neighbour table, with a peer in
// a network namespace of its own.
#include <QPushButton>

#include "UiTestSupport.h"
#include "filter/windows/LookupMacForm.h"
#include "platform/linux/NeighbourTable.h"
#include "tests/platform/linux/NetnsLab.h"
#include "widgets/IPEdit.h"

namespace {

void TypeAddress(const char* text) {
  for (const char* k = text; *k; ++k) QTest::keyClick(QApplication::focusWidget(), *k);
}

}  // namespace

TEST(LookupMacNetnsTest, TheWindowFindsANeighboursAddress) {
  OT_REQUIRE_NETNS();
  TNetnsLab lab;
  const std::string host = lab.AddNamespace("mh");
  const std::string peer = lab.AddNamespace("mp");
  lab.AddVeth(host, "h0", peer, "p0");
  lab.Run(host, "ip addr add 10.77.0.1/24 dev h0");
  lab.Run(peer, "ip addr add 10.77.0.2/24 dev p0");
  lab.Run(peer, "ip link set p0 address 02:00:5e:10:00:02");
  TNetnsEnter inHost(host);

  TFakeMessageBoxes boxes;
  TLookupMacForm found(GetHWAddr);
  ShowActive(found);
  TypeAddress("10.77.0.2");
  Child<QPushButton>(found, "LookupButton")->click();
  EXPECT_EQ(found.result(), QDialog::Accepted);
  EXPECT_EQ(HWAddrToStr(found.HWAddr()), "02005E100002");

  TLookupMacForm missing(GetHWAddr);
  ShowActive(missing);
  TypeAddress("10.77.0.50");  // nobody answers there
  Child<QPushButton>(missing, "LookupButton")->click();
  EXPECT_TRUE(missing.isVisible());
  EXPECT_EQ(boxes.Errors(), std::vector<std::string>{"Unable to convert the IP address to a MAC address"});
}
