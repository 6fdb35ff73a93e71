#include "settings/SettingAssignment.h"

#include <gtest/gtest.h>

#include "settings/SettingsDescription.h"

namespace {

TSettingsModel Defaults() {
  TSettingsModel model;
  model.SetDefaults(0);
  return model;
}

std::vector<TSettingAssignment> Words(std::initializer_list<const char*> words) {
  std::vector<TSettingAssignment> assignments;
  for (const char* word : words) assignments.push_back(ParseSettingAssignment(word));
  return assignments;
}

TEST(SettingAssignment, ValuesGoInAndEachChangedPartAppliesOnce) {
  TSettingsModel model = Defaults();
  const auto parts = AssignSettings(
      model, Words({"loss/enabled=true", "loss/impact=1000", "latency/delayfrom=0", "loss/bursthi=7",
                    "capture/before=/tmp/a=b.pcap", "general/cardindex=-1"}),
      2);
  EXPECT_EQ(parts, (std::vector<TSettingsPart>{TSettingsPart::spLatency, TSettingsPart::spLoss}));
  EXPECT_TRUE(model.LossEnabled);
  EXPECT_EQ(model.LossPosition, 1000);
  EXPECT_EQ(model.DelayFrom, 0);
  EXPECT_EQ(model.LossHi, 7);
  EXPECT_EQ(model.CaptureBefore, "/tmp/a=b.pcap");
  EXPECT_EQ(model.CardIndex, -1);
}

// One refused value refuses the request: nothing of it reaches the model.
TEST(SettingAssignment, ARefusedValueChangesNothing) {
  struct TCase {
    std::vector<const char*> Words;
    const char* Message;
  };
  const TCase cases[] = {
      {{"loss/enabled=1", "loss/impact=1001"}, "\"loss/impact\" must be from 1 to 1000, not 1001"},
      {{"loss/enabled=1", "latency/delayto=-1"}, "\"latency/delayto\" must be from 0 to 60000, not -1"},
      {{"loss/enabled=yes"}, "\"loss/enabled\": 'yes' is not a valid boolean value"},
      {{"loss/enabled=1", "reordering/gap=1x"}, "\"reordering/gap\": '1x' is not a valid integer value"},
      {{"general/direction=3"}, "\"general/direction\" must be from 0 to 2, not 3"},
      {{"general/cardindex=2"}, "\"general/cardindex\" must be from 0 to 1, not 2"},
      {{"loss/enabled=1", "nothing/here=1"}, "There is no setting named \"nothing/here\""},
      {{"corruption/type=1", "corruption/berval=0"},
       "\"corruption/berval\": '0' is not a usable value for a number of bit errors (1 to 10000)"},
      {{"loss/enabled=1", "blocking/portlist=80-70"}, "\"blocking/portlist\": in ranges from must be less than to"},
  };
  for (const TCase& c : cases) {
    std::vector<TSettingAssignment> assignments;
    for (const char* word : c.Words) assignments.push_back(ParseSettingAssignment(word));
    TSettingsModel model = Defaults();
    try {
      AssignSettings(model, assignments, 2);
      ADD_FAILURE() << c.Message << ": accepted";
    } catch (const ESettingRefused& refused) {
      EXPECT_EQ(std::string(refused.what()), c.Message);
    }
    EXPECT_FALSE(model.LossEnabled) << c.Message;
    EXPECT_EQ(model.CorruptionChoice, kCorruptPercent) << c.Message;
  }
  EXPECT_THROW(ParseSettingAssignment("loss/enabled"), ESettingRefused);
  EXPECT_THROW(ParseSettingAssignment("=1"), ESettingRefused);
}

// A value the window already holds and the request leaves alone does not
// refuse it: a half-typed port list stays the window's business.
TEST(SettingAssignment, UntouchedSectionsAreNotChecked) {
  TSettingsModel model = Defaults();
  model.PortList = "80-70";
  EXPECT_NO_THROW(AssignSettings(model, Words({"loss/enabled=1"}), 1));
  EXPECT_TRUE(model.LossEnabled);
}

}  // namespace
