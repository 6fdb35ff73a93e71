#include "platform/linux/InterceptionTag.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <sstream>

namespace {

constexpr char kTagWord[] = "ovelda-tarnwick";

bool IsDigits(const std::string& text, size_t from) {
  return from < text.size() &&
         std::all_of(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(),
                     [](unsigned char c) { return std::isdigit(c); });
}

// otinN or otoutN, the names the kernel gives our templates.
bool NamedAsInterceptionDevice(const std::string& name) {
  for (const std::string prefix : {"otin", "otout"})
    if (name.rfind(prefix, 0) == 0 && IsDigits(name, prefix.size())) return true;
  return false;
}

template <typename T>
bool ParseNumber(const std::string& text, T& value) {
  const char* end = text.data() + text.size();
  auto [stop, error] = std::from_chars(text.data(), end, value);
  return error == std::errc() && stop == end;
}

// "key=value" with the expected key; the value goes to value.
bool ReadField(std::istringstream& words, const std::string& key, std::string& value) {
  std::string word;
  if (!(words >> word) || word.rfind(key + "=", 0) != 0) return false;
  value = word.substr(key.size() + 1);
  return true;
}

}  // namespace

bool TInterceptionTag::Claims(uint32_t programId) const {
  return std::find(Programs.begin(), Programs.end(), programId) != Programs.end();
}

std::string FormatInterceptionTag(const TInterceptionTag& tag) {
  std::string text = std::string(kTagWord) + " adapter=" + std::to_string(tag.Adapter) +
                     " process=" + std::to_string(tag.Process) + " programs=";
  for (size_t i = 0; i < tag.Programs.size(); ++i) text += (i ? "," : "") + std::to_string(tag.Programs[i]);
  return text;
}

std::optional<TInterceptionTag> ParseInterceptionTag(const std::string& alias) {
  std::istringstream words(alias);
  std::string word, adapter, process, programs;
  if (!(words >> word) || word != kTagWord) return std::nullopt;
  if (!ReadField(words, "adapter", adapter) || !ReadField(words, "process", process) ||
      !ReadField(words, "programs", programs) || (words >> word))
    return std::nullopt;
  TInterceptionTag tag;
  if (!ParseNumber(adapter, tag.Adapter) || !ParseNumber(process, tag.Process)) return std::nullopt;
  std::istringstream ids(programs);
  for (std::string id; std::getline(ids, id, ',');) {
    uint32_t value = 0;
    if (!ParseNumber(id, value)) return std::nullopt;
    tag.Programs.push_back(value);
  }
  return tag;
}

bool IsInterceptionDevice(const TLinkInfo& link) {
  return link.Kind == "tun" && (NamedAsInterceptionDevice(link.Name) || ParseInterceptionTag(link.Alias));
}

std::vector<TInterceptionTag> InterceptionTags(const std::vector<TLinkInfo>& links) {
  std::vector<TInterceptionTag> tags;
  for (const TLinkInfo& link : links) {
    if (link.Kind != "tun") continue;
    if (auto tag = ParseInterceptionTag(link.Alias)) tags.push_back(std::move(*tag));
  }
  return tags;
}
