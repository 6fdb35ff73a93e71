// The MAC lookup window over a fake neighbour table.
#include <QPushButton>

#include "UiTestSupport.h"
#include "filter/windows/LookupMacForm.h"
#include "widgets/IPEdit.h"

namespace {

// Answers for one address; records what it was asked.
struct TFakeNeighbours {
  std::vector<std::string> Asked;
  THWAddrLookup Lookup() {
    return [this](const TIPAddr& address, THWAddr& HWAddr) {
      Asked.push_back(IPAddrToStr(address));
      HWAddr = THWAddr();
      if (IPAddrToStr(address) != "192.168.1.20") return false;
      HWAddr = THWAddr::Create("001a2b3c4d5e");
      return true;
    };
  }
};

void TypeAddress(const char* text) {
  for (const char* k = text; *k; ++k) QTest::keyClick(QApplication::focusWidget(), *k);
}

}  // namespace

TEST(LookupMacFormTest, AFoundAddressClosesTheWindowWithIt) {
  TFakeMessageBoxes boxes;
  TFakeNeighbours neighbours;
  TLookupMacForm form(neighbours.Lookup());
  EXPECT_EQ(form.windowTitle(), QStringLiteral("MAC Address Lookup"));
  ShowActive(form);
  EXPECT_TRUE(HasFocusWithin(form.AddressEdit())) << "the address field takes the focus";
  TypeAddress("192.168.1.20");
  Child<QPushButton>(form, "LookupButton")->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
  EXPECT_FALSE(form.isVisible());
  EXPECT_EQ(HWAddrToStr(form.HWAddr()), "001A2B3C4D5E");
  EXPECT_EQ(neighbours.Asked, std::vector<std::string>{"192.168.1.20"});
  EXPECT_TRUE(boxes.Shown.empty());
}

TEST(LookupMacFormTest, AFailedLookupKeepsTheWindowOpen) {
  TFakeMessageBoxes boxes;
  TFakeNeighbours neighbours;
  TLookupMacForm form(neighbours.Lookup());
  ShowActive(form);
  Child<QPushButton>(form, "LookupButton")->click();  // blank field
  TypeAddress("10.0.0.50");
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);  // Lookup is the default button
  EXPECT_EQ(neighbours.Asked, (std::vector<std::string>{"0.0.0.0", "10.0.0.50"}))
      << "a blank field is looked up as 0.0.0.0";
  EXPECT_EQ(boxes.Errors(), (std::vector<std::string>(2, "Unable to convert the IP address to a MAC address")));
  EXPECT_TRUE(form.isVisible());

  // The user corrects the address and tries again.
  form.AddressEdit()->Clear();
  form.AddressEdit()->setFocus();
  TypeAddress("192.168.1.20");
  Child<QPushButton>(form, "LookupButton")->click();
  EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST(LookupMacFormTest, CancelGivesNoResult) {
  TFakeMessageBoxes boxes;
  TFakeNeighbours neighbours;
  for (bool escape : {false, true}) {
    TLookupMacForm form(neighbours.Lookup());
    ShowActive(form);
    TypeAddress("192.168.1.20");
    if (escape)
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    else
      Child<QPushButton>(form, "CancelButton")->click();
    EXPECT_EQ(form.result(), QDialog::Rejected);
    EXPECT_FALSE(form.isVisible());
  }
  EXPECT_TRUE(neighbours.Asked.empty());
}

TEST(LookupMacFormTest, Screenshot) {
  TFakeNeighbours neighbours;
  TLookupMacForm form(neighbours.Lookup());
  form.AddressEdit()->SetAddr(0xC0A80114);
  form.show();
  SaveScreenshot(form, "filter-lookupmac");
}
