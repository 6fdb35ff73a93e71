#include "config/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <cctype>
#include <filesystem>

namespace {

bool IsSwitchChar(char c) { return c == '/' || c == '-'; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

constexpr std::string_view kRuntimePrefix = "runtime:";

// Blanks as the command line knows them.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

bool IsQuitSwitch(const std::string& word) {
  return word.size() == 5 && IsSwitchChar(word[0]) && EqualsIgnoringCase(std::string_view(word).substr(1), "quit");
}

bool IsRuntimeSwitch(const std::string& word, int32_t& seconds) {
  if (word.size() < 1 + kRuntimePrefix.size() || !IsSwitchChar(word[0])) return false;
  if (!EqualsIgnoringCase(std::string_view(word).substr(1, kRuntimePrefix.size()), kRuntimePrefix)) return false;
  const char* first = word.data() + 1 + kRuntimePrefix.size();
  const char* last = word.data() + word.size();
  if (first != last && *first == '+') ++first;
  int32_t value = 0;
  const auto [end, error] = std::from_chars(first, last, value);
  // A negative limit could never be reached; it means no limit, as any
  // other value that is not a number of seconds.
  seconds = (error == std::errc() && end == last && first != last && value > 0) ? value : 0;
  return true;
}

bool IsRuntimeSwitch(const std::string& word) {
  int32_t ignored = 0;
  return IsRuntimeSwitch(word, ignored);
}

bool RunTimeLimitOf(const std::vector<std::string>& parameters, int32_t& seconds) {
  bool found = false;
  for (const std::string& parameter : parameters) found = IsRuntimeSwitch(parameter, seconds) || found;
  return found;
}

std::vector<std::string> WithAbsoluteProfilePaths(const std::vector<std::string>& parameters,
                                                  const std::string& directory) {
  std::vector<std::string> result;
  for (const std::string& parameter : parameters) {
    const bool path = !parameter.empty() && !IsRuntimeSwitch(parameter) && !IsQuitSwitch(parameter);
    if (path && parameter.front() != '/') {
      result.push_back((std::filesystem::path(directory) / parameter).string());
    } else {
      result.push_back(parameter);
    }
  }
  return result;
}

std::vector<std::string> SplitCommandLine(const std::string& text) {
  std::vector<std::string> words;
  std::string word;
  bool quoted = false;
  for (char c : text) {
    if (c == '"') {
      quoted = !quoted;
    } else if (IsBlank(c) && !quoted) {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) words.push_back(std::move(word));
  return words;
}

std::string JoinCommandLine(const std::vector<std::string>& words) {
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    const bool quote = std::any_of(word.begin(), word.end(), IsBlank);
    if (quote) text += '"';
    // A double quote inside a word cannot be carried: the splitter drops
    // every quote. Paths with quotes are rare enough to accept that.
    for (char c : word) {
      if (c != '"') text += c;
    }
    if (quote) text += '"';
  }
  return text;
}

uint32_t InstanceCodeFor(const std::vector<std::string>& parameters) {
  if (parameters.empty()) return kInstanceActivate;
  if (std::any_of(parameters.begin(), parameters.end(), [](const std::string& p) { return IsQuitSwitch(p); })) {
    return kInstanceQuit;
  }
  return kInstanceCommandLine;
}
