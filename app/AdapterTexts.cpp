#include "app/AdapterTexts.h"

std::vector<std::string> AdapterDisplayTexts(IPacketDriver& driver, const TTcpAdapterList& adapters) {
  std::vector<std::string> texts;
  for (uint32_t i = 0; i < adapters.AdapterCount && i < kMaxAdapters; ++i) {
    std::string text = driver.ConvertWindows2000AdapterName(adapters.AdapterNameList[i]);
    texts.push_back(text.empty() ? AdapterNameText(adapters.AdapterNameList[i]) : std::move(text));
  }
  return texts;
}
