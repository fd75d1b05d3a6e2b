// The settings file reader: whatever the file holds, reading it, writing
// the record and reading that again gives the same record.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine/picture/settings_text.h"
#include "settings/settings_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
  using namespace lumivane;
  const std::string disk(reinterpret_cast<const char*>(data), size);
  ProcessingSettings first;
  ParseSettingsText(DecodeSettingsFile(disk), first);
  ProcessingSettings second;
  ParseSettingsText(DecodeSettingsFile(EncodeSettingsFile(ComposeSettingsText(first))), second);
  if (!(first == second)) std::abort();
  return 0;
}
