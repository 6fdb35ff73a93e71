// Any bytes as a profile document: the reader either fills the model or
// refuses the document with a message; it never crashes, never reads out of
// bounds and never loops on hostile XML (entities, deep nesting). A rule it
// takes can be matched, and a document it refuses leaves the rule as it was.

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <stdexcept>

#include "config/ProfileReader.h"
#include "settings/SettingsModel.h"
#include "filter/FilterSettings.h"
#include "filter/RuleConsistency.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  TSettingsModel model;
  TFilterSettings filter;
  ResetFilterSettings(filter);
  std::recursive_mutex lock;
  TAdapterChoices adapters{{"lab0", "lab1 (second)"}, 0};
  const TFilterSettings before = filter;
  try {
    if (ReadProfileDocument(bytes, model, adapters, filter, lock) && !RuleInconsistency(filter).empty()) {
      __builtin_trap();
    }
  } catch (const std::runtime_error&) {
    // A refused document: the message is what the user would see.
    if (!(filter == before)) __builtin_trap();
  }
  return 0;
}
