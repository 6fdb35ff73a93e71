#include "filter/Groups.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>

#include "common/Assertion.h"
#include "filter/FilterSettings.h"
#include "filter/LocalAddresses.h"
#include "tests/filter/AddressText.h"

namespace {

// ---------------------------------------------------------------- TGroupList

TEST(TGroupList, KeepsOrderDuplicateNamesAndDuplicateAddresses) {
  TGroupList groups;
  EXPECT_EQ(groups.Count(), 0);
  EXPECT_EQ(groups.Add("lab"), 0);
  EXPECT_EQ(groups.Add("lab", TIPAddrList{Addr("10.0.0.1"), Addr("10.0.0.1")}), 1);
  EXPECT_EQ(groups.Add("v6", TIPAddrList{Addr("fe80::1")}), 2);
  ASSERT_EQ(groups.Count(), 3);
  EXPECT_EQ(groups.Name(0), "lab");
  EXPECT_EQ(groups.Name(1), "lab");
  EXPECT_EQ(groups.GroupAddresses(0).Count(), 0);
  EXPECT_EQ(groups.GroupAddresses(1).Count(), 2);  // the same address twice
  EXPECT_EQ(groups.GroupAddresses(2)[0], Addr("fe80::1"));
}

TEST(TGroupList, RenameAppendToGroupDeleteAndClear) {
  TGroupList groups;
  groups.Add("a");
  groups.Add("b", TIPAddrList{Addr("10.0.0.2")});
  groups.Add("c", TIPAddrList{Addr("10.0.0.3")});
  groups.SetName(0, "first");
  EXPECT_EQ(groups.Name(0), "first");
  groups.GroupAddresses(0).Add(Addr("10.0.0.1"));
  EXPECT_EQ(groups.GroupAddresses(0).Count(), 1);
  groups.Delete(1);  // later groups move up
  ASSERT_EQ(groups.Count(), 2);
  EXPECT_EQ(groups.Name(1), "c");
  EXPECT_EQ(groups.GroupAddresses(1)[0], Addr("10.0.0.3"));
  groups.Clear();
  EXPECT_EQ(groups.Count(), 0);
}

TEST(TGroupList, IndexOutOfBoundsIsAnAssertion) {
  TGroupList groups;
  groups.Add("a");
  EXPECT_THROW((void)groups.Name(1), EAssertionFailed);
  EXPECT_THROW((void)groups.GroupAddresses(-1), EAssertionFailed);
  EXPECT_THROW(groups.SetName(3, "x"), EAssertionFailed);
  EXPECT_THROW(groups.Delete(1), EAssertionFailed);
}

TEST(TGroupList, AssignIsADeepCopy) {
  TGroupList source;
  source.Add("one", TIPAddrList{Addr("10.0.0.1")});
  source.Add("two", TIPAddrList{Addr("2001:db8::1"), Addr("10.0.0.2")});
  TGroupList target;
  target.Add("old", TIPAddrList{Addr("1.1.1.1")});
  target.Assign(source);
  EXPECT_EQ(target, source);
  ASSERT_EQ(target.Count(), 2);
  EXPECT_EQ(target.Name(0), "one");
  // The two lists share nothing afterwards.
  source.GroupAddresses(1).Replace(0, Addr("9.9.9.9"));
  source.SetName(0, "renamed");
  source.Delete(0);
  EXPECT_EQ(target.Name(0), "one");
  EXPECT_EQ(target.GroupAddresses(1)[0], Addr("2001:db8::1"));
  target.Assign(target);
  EXPECT_EQ(target.Count(), 2);
  TGroupList copy = target;  // value semantics: copying is the same deep copy
  copy.GroupAddresses(0).Clear();
  EXPECT_EQ(target.GroupAddresses(0).Count(), 1);
}

struct TRenumberCase {
  int32_t GroupId;
  int Deleted;
  int32_t Expected;
};

TEST(GroupIdAfterDeletion, KeepsNamingTheSameGroup) {
  const TRenumberCase cases[] = {
      {-1, 0, -1}, {0, 1, 0}, {1, 0, 0}, {5, 2, 4}, {2, 2, -1}, {3, 7, 3},
  };
  for (const TRenumberCase& c : cases)
    EXPECT_EQ(GroupIdAfterDeletion(c.GroupId, c.Deleted), c.Expected) << c.GroupId << " after " << c.Deleted;
}

// ---------------------------------------------------------------- TFilterSettings

TEST(TFilterSettings, DefaultIsTheProgramStartState) {
  TFilterSettings s;
  EXPECT_FALSE(s.Enabled);
  EXPECT_EQ(s.Protocol, fpAny);
  EXPECT_EQ(s.VlanId, 0);
  EXPECT_EQ(s.Groups.Count(), 0);
  for (const TFilterEndpoint* e : {&s.Source, &s.Destination}) {
    EXPECT_EQ(e->Addr1, TIPAddr());
    EXPECT_EQ(e->Addr2, TIPAddr());
    EXPECT_EQ(e->AddrType, akAnyIP);
    EXPECT_EQ(e->Mac, THWAddr());
    EXPECT_EQ(e->GroupId, -1);
    EXPECT_TRUE(e->Ports.empty());
    EXPECT_EQ(e->PortType, ptAny);
  }
}

TEST(TFilterSettings, ResetKeepsVlanAndGroups) {
  TFilterSettings s;
  s.Enabled = true;
  s.Protocol = fpIPv6UDP;
  s.VlanId = 42;
  s.Groups.Add("g", TIPAddrList{Addr("10.0.0.1")});
  for (TFilterEndpoint* e : {&s.Source, &s.Destination}) {
    e->Addr1 = Addr("10.0.0.1");
    e->Addr2 = Addr("2001:db8::1");
    e->AddrType = akGroup;
    e->Mac = THWAddr::Create("001A2B3C4D5E");
    e->GroupId = 0;
    e->Ports = {1, 2};
    e->PortType = ptRange;
  }
  ResetFilterSettings(s);
  TFilterSettings expected;
  expected.VlanId = 42;
  expected.Groups.Add("g", TIPAddrList{Addr("10.0.0.1")});
  EXPECT_EQ(s, expected);
}

TEST(TFilterSettings, LabelsFollowTheTables) {
  EXPECT_STREQ(kFilterProtocolLabels[fpIPv6ICMP], "IPv6 ICMP");
  EXPECT_STREQ(kFilterProtocolLabels[fpARP], "ARP");
  EXPECT_STREQ(kFilterAddrTypeLabels[akIPRange], "Whole IP range");
  EXPECT_STREQ(kFilterPortTypeLabels[ptList], "Port list");
  int ipv4 = 0, ipv6 = 0, port = 0;
  for (int p = 0; p < kFilterProtocolCount; ++p) {
    ipv4 += IsIPv4Protocol(static_cast<uint8_t>(p));
    ipv6 += IsIPv6Protocol(static_cast<uint8_t>(p));
    port += IsPortProtocol(static_cast<uint8_t>(p));
  }
  EXPECT_EQ(ipv4, 7);
  EXPECT_EQ(ipv6, 7);
  EXPECT_EQ(port, 6);
}

// ---------------------------------------------------------------- TLocalAddresses

TEST(TLocalAddresses, ReplaceContainsSnapshot) {
  std::recursive_mutex lock;
  TLocalAddresses local(lock);
  EXPECT_FALSE(local.Contains(Addr("127.0.0.1")));  // empty at start
  EXPECT_EQ(local.Snapshot().Count(), 0);
  TIPAddrList list{Addr("127.0.0.1"), Addr("::1")};
  local.Replace(list);
  list.Clear();  // the object keeps its own copy
  EXPECT_TRUE(local.Contains(Addr("127.0.0.1")));
  EXPECT_TRUE(local.Contains(Addr("::1")));
  EXPECT_FALSE(local.Contains(Addr("127.0.0.2")));
  EXPECT_FALSE(local.Contains(Addr("::ffff:7f00:1")));
  EXPECT_EQ(local.Snapshot().Count(), 2);
  {
    std::lock_guard held(lock);  // the lock is recursive: a holder may still ask
    EXPECT_TRUE(local.Contains(Addr("::1")));
  }
  local.Replace(TIPAddrList());
  EXPECT_FALSE(local.Contains(Addr("127.0.0.1")));
}

TEST(TLocalAddresses, RefreshWhileReaders) {
  std::recursive_mutex lock;
  TLocalAddresses local(lock);
  TIPAddrList a{Addr("10.0.0.1"), Addr("10.0.0.2")};
  TIPAddrList b{Addr("10.0.0.1"), Addr("10.0.0.3")};
  local.Replace(a);
  std::atomic<bool> stop{false};
  std::atomic<int> missing{0};
  std::thread reader([&] {
    while (!stop) {
      if (!local.Contains(Addr("10.0.0.1"))) ++missing;  // in both lists: never missing
      (void)local.Snapshot();
    }
  });
  for (int i = 0; i < 2000; ++i) local.Replace(i % 2 ? a : b);
  stop = true;
  reader.join();
  EXPECT_EQ(missing, 0);
}

TEST(TLocalAddresses, FilledByGetLocalHoldsLoopback) {
  std::recursive_mutex lock;
  TLocalAddresses local(lock);
  TIPAddrList list;
  list.GetLocal(true, true);
  local.Replace(list);
  EXPECT_TRUE(local.Contains(Addr("127.0.0.1")));
}

}  // namespace
