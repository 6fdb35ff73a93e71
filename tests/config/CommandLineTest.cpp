#include "config/CommandLine.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using TWords = std::vector<std::string>;

TEST(CommandLine, SplittingDropsQuotesAndEmptyWords) {
  const std::pair<const char*, TWords> cases[] = {
      {"prog a b", {"prog", "a", "b"}},
      {"  prog   a  ", {"prog", "a"}},
      {"prog \"/tmp/my profile.xml\" x", {"prog", "/tmp/my profile.xml", "x"}},
      {"prog a\"b c\"d", {"prog", "ab cd"}},
      {"prog \"\" b", {"prog", "b"}},
      {"prog \"unterminated quote", {"prog", "unterminated quote"}},
      {"", {}},
  };
  for (const auto& [text, words] : cases) EXPECT_EQ(SplitCommandLine(text), words) << text;
}

TEST(CommandLine, JoinedWordsSplitBackUnchanged) {
  const TWords words{"/usr/bin/ovelda-tarnwick", "/tmp/with blanks/p 1.xml", "-runtime:5", "plain.xml"};
  EXPECT_EQ(SplitCommandLine(JoinCommandLine(words)), words);
}

TEST(CommandLine, QuitSwitchIsTheWholeWordInAnyCase) {
  for (const char* yes : {"/quit", "-quit", "/QUIT", "-QuIt"}) EXPECT_TRUE(IsQuitSwitch(yes)) << yes;
  for (const char* no : {"quit", "/quit2", "--quit", "/qui", "\\quit"}) EXPECT_FALSE(IsQuitSwitch(no)) << no;
}

TEST(CommandLine, RuntimeSwitchValues) {
  struct TCase {
    const char* Word;
    bool IsSwitch;
    int32_t Seconds;
  };
  const TCase cases[] = {
      {"/runtime:30", true, 30},  {"-RUNTIME:5", true, 5},   {"/runtime:abc", true, 0}, {"/runtime:", true, 0},
      {"/runtime:-5", true, 0},   {"/runtime:+7", true, 7},  {"/runtime:5s", true, 0},
      {"/runtime:99999999999", true, 0},                     {"/runtime", false, 0},    {"runtime:5", false, 0},
  };
  for (const TCase& c : cases) {
    int32_t seconds = -1;
    EXPECT_EQ(IsRuntimeSwitch(c.Word, seconds), c.IsSwitch) << c.Word;
    if (c.IsSwitch) EXPECT_EQ(seconds, c.Seconds) << c.Word;
  }
}

TEST(CommandLine, RunTimeLimitIsTheLastSwitchWhereverItStands) {
  const std::tuple<TWords, bool, int32_t> cases[] = {
      {{"a.xml", "/runtime:7"}, true, 7},
      {{"/runtime:3", "a.xml", "-RUNTIME:9", "b.xml"}, true, 9},
      {{"/runtime:3", "/runtime:x"}, true, 0},
      {{"a.xml", "/quit"}, false, -1},
  };
  for (const auto& [parameters, found, seconds] : cases) {
    int32_t limit = -1;
    EXPECT_EQ(RunTimeLimitOf(parameters, limit), found) << JoinCommandLine(parameters);
    EXPECT_EQ(limit, seconds) << JoinCommandLine(parameters);
  }
}

TEST(CommandLine, ProfilePathsForTheFirstInstanceAreAbsolute) {
  const TWords parameters{"a.xml", "sub/b c.xml", "../up.xml", "/abs/d.xml", "/runtime:5", "-QUIT", ""};
  const TWords expected{"/home/u/a.xml",  "/home/u/sub/b c.xml", "/home/u/../up.xml", "/abs/d.xml",
                        "/runtime:5",     "-QUIT",               ""};
  EXPECT_EQ(WithAbsoluteProfilePaths(parameters, "/home/u"), expected);
  EXPECT_EQ(WithAbsoluteProfilePaths({"p.xml"}, "/"), TWords{"/p.xml"});
}

TEST(CommandLine, CodeOfTheSecondInstance) {
  EXPECT_EQ(InstanceCodeFor({}), kInstanceActivate);
  EXPECT_EQ(InstanceCodeFor({"a.xml", "/Quit"}), kInstanceQuit);
  EXPECT_EQ(InstanceCodeFor({"a.xml", "/runtime:3"}), kInstanceCommandLine);
}

}  // namespace
