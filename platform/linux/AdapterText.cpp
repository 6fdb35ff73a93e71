#include "platform/linux/AdapterText.h"

#include <filesystem>
#include <fstream>

namespace {

std::string ReadLine(const std::filesystem::path& path) {
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\n' || line.back() == '\r')) line.pop_back();
  return line;
}

// A bus's numeric vendor or device id ("0x8086") says nothing to a reader.
bool IsReadable(const std::string& text) { return !text.empty() && text.rfind("0x", 0) != 0; }

std::string JoinReadable(const std::string& a, const std::string& b) {
  std::string text = IsReadable(a) ? a : "";
  if (IsReadable(b)) text += (text.empty() ? "" : " ") + b;
  return text;
}

// sysfs shows the namespace it was mounted in, which need not be ours: its
// entry counts only when it names the same interface index.
std::string SysfsDescription(const TLinkInfo& link) {
  std::error_code error;
  std::filesystem::path base = std::filesystem::path("/sys/class/net") / link.Name;
  if (ReadLine(base / "ifindex") != std::to_string(link.Index)) return {};
  std::filesystem::path device = base / "device";
  if (!std::filesystem::exists(device, error)) return {};
  std::string text = JoinReadable(ReadLine(device / "vendor"), ReadLine(device / "model"));
  if (text.empty()) text = JoinReadable(ReadLine(device / ".." / "manufacturer"), ReadLine(device / ".." / "product"));
  if (text.empty() && std::filesystem::is_symlink(device / "driver", error))
    text = std::filesystem::read_symlink(device / "driver", error).filename().string();
  return text;
}

}  // namespace

std::string AdapterDescription(const TLinkInfo& link) {
  if (!link.Alias.empty()) return link.Alias;
  std::string text = SysfsDescription(link);
  if (text.empty()) text = link.Kind;
  return text;
}

std::string AdapterDisplayText(const TLinkInfo& link) {
  std::string description = AdapterDescription(link);
  return description.empty() ? link.Name : link.Name + " (" + description + ")";
}
