// Which rows a new snapshot of connections keeps, adds and removes, and the
// order in which the terminate commands visit rows.
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "ui/about/ConnectionRows.h"

namespace {

// A key per letter: rows and entries are written as "ABC".
std::vector<TConnectionKey> Keys(const std::string& letters) {
  std::vector<TConnectionKey> keys;
  for (char letter : letters)
    keys.push_back({"TCP", std::string("10.0.0.1 : ") + letter, std::string("10.0.0.2 : ") + letter});
  return keys;
}

// Applies a plan to rows of letters, the way the list view does.
std::string Apply(const std::string& rows, const std::string& entries, const TRefreshPlan& plan) {
  std::string result = rows;
  for (size_t i = 0; i < plan.Updates.size(); ++i) {
    const TRowUpdate& update = plan.Updates[i];
    if (update.Append) {
      EXPECT_EQ(update.Row, static_cast<int>(result.size())) << "appended rows go to the end";
      result += entries[i];
    } else {
      EXPECT_EQ(result.at(update.Row), entries[i]) << "an entry rewrites the row with its own key";
    }
  }
  for (int row : plan.StaleRows) result.erase(static_cast<size_t>(row), 1);
  return result;
}

}  // namespace

TEST(ConnectionRows, RowsThatStayKeepTheirPlaceAndNewOnesComeLast) {
  const struct {
    const char* Rows;
    const char* Entries;
    const char* After;
    std::vector<int> Stale;
  } cases[] = {
      {"", "AB", "AB", {}},
      {"AB", "AB", "AB", {}},
      {"AB", "BA", "AB", {}},           // order of the snapshot does not move rows
      {"ABC", "BD", "BD", {2, 0}},      // stale rows, last row first
      {"ABC", "CXA", "ACX", {1}},
      {"ABC", "", "", {2, 1, 0}},       // an empty snapshot removes every row
      {"", "", "", {}},
      {"ABCD", "D", "D", {2, 1, 0}},
      {"AB", "CAD", "ACD", {1}},
  };
  for (const auto& c : cases) {
    const TRefreshPlan plan = PlanRefresh(Keys(c.Rows), Keys(c.Entries));
    EXPECT_EQ(plan.Updates.size(), std::string(c.Entries).size()) << c.Rows << " <- " << c.Entries;
    EXPECT_EQ(plan.StaleRows, c.Stale) << c.Rows << " <- " << c.Entries;
    EXPECT_EQ(Apply(c.Rows, c.Entries, plan), c.After) << c.Rows << " <- " << c.Entries;
  }
}

TEST(ConnectionRows, AKeyGoesToItsFirstRow) {
  // Two entries with one key share the row the first one made; of two rows
  // with one key only the first is matched, the other is stale.
  TRefreshPlan plan = PlanRefresh({}, Keys("AA"));
  ASSERT_EQ(plan.Updates.size(), 2u);
  EXPECT_TRUE(plan.Updates[0].Append);
  EXPECT_FALSE(plan.Updates[1].Append);
  EXPECT_EQ(plan.Updates[1].Row, 0);

  plan = PlanRefresh(Keys("ABA"), Keys("A"));
  ASSERT_EQ(plan.Updates.size(), 1u);
  EXPECT_EQ(plan.Updates[0].Row, 0);
  EXPECT_EQ(plan.StaleRows, (std::vector<int>{2, 1}));
}

TEST(ConnectionRows, AllThreeColumnsIdentifyARow) {
  const std::vector<TConnectionKey> rows = {{"TCP", "10.0.0.1 : 80", "10.0.0.2 : 5000"}};
  const std::vector<TConnectionKey> others = {
      {"UDP", "10.0.0.1 : 80", "10.0.0.2 : 5000"},
      {"TCP", "10.0.0.1 : 81", "10.0.0.2 : 5000"},
      {"TCP", "10.0.0.1 : 80", "10.0.0.3 : 5000"},
  };
  for (const TConnectionKey& other : others) {
    const TRefreshPlan plan = PlanRefresh(rows, {other});
    EXPECT_TRUE(plan.Updates.at(0).Append) << other.Protocol << " " << other.Local << " " << other.Remote;
    EXPECT_EQ(plan.StaleRows, (std::vector<int>{0}));
  }
}

TEST(ConnectionRows, KeyOfAnEntryIsItsColumnTexts) {
  TNetStatEntry entry;
  entry.FLocalAddr = TIPAddr::Create(htonl(0xC0A80105));  // 192.168.1.5
  entry.FRemoteAddr = TIPAddr::Create(htonl(0x0A000001));
  entry.FLocalPort = htons(49731);
  entry.FRemotePort = htons(443);
  EXPECT_EQ(KeyOf(entry), (TConnectionKey{"TCP", "192.168.1.5 : 49731", "10.0.0.1 : 443"}));
}

TEST(ConnectionRows, TerminateVisitsRowsFromTheLast) {
  const struct {
    std::vector<bool> Selected;
    bool SelectedOnly;
    std::vector<int> Rows;
  } cases[] = {
      {{false, true, false, true}, true, {3, 1}},
      {{false, true, false, true}, false, {3, 2, 1, 0}},
      {{false, false}, true, {}},
      {{}, false, {}},
      {{true}, true, {0}},
  };
  for (const auto& c : cases) EXPECT_EQ(RowsToTerminate(c.Selected, c.SelectedOnly), c.Rows);
}
