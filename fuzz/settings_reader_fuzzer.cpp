// libFuzzer target for the settings file's reader: any bytes as Sorvane.ini,
// read for the three settings (both key spellings), for names taken from the
// input itself, and loaded into a settings record. Checks that a value never
// holds a line break, stays within the line limit, that the reader answers
// the same twice, and that the record's count and size are in their ranges
// whatever the file says. Built and run by scripts/fuzz.sh.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_work_folder.h"
#include "paths.h"
#include "settings_file.h"

namespace {

void Check(bool Condition) {
  if (!Condition) std::abort();
}

// Reads Key of Section and checks what comes back.
void Probe(const std::string& File, const std::string& Section, const std::string& Key) {
  std::string value;
  const bool found = sorvane::FindIniValue(Section, Key, File, value);
  Check(found || value.empty());
  Check(value.find('\n') == std::string::npos);
  Check(value.size() <= 65536);
  Check(sorvane::ReadIniValue(Section, Key, File) == value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string folder = fuzz_support::WorkFolder("reader");
  const std::string file = sorvane::SettingsFileIn(folder);
  std::FILE* out = std::fopen(file.c_str(), "wb");
  if (!out) std::abort();
  std::fwrite(Data, 1, Size, out);
  std::fclose(out);

  for (const char* key : {sorvane::kKeyPicture, sorvane::kKeyCount, sorvane::kKeySize, "key", ""})
    Probe(file, sorvane::kSettingsSection, key);
  // Names from the input: its first bytes as a section and as a key.
  const std::string text(reinterpret_cast<const char*>(Data), Size < 16 ? Size : 16);
  Probe(file, text, text);
  Probe(file, sorvane::kSettingsSection, text.substr(0, text.find('=')));

  sorvane::SettingsRecord record;
  sorvane::LoadSettings(record, folder);
  Check(record.StarCount >= sorvane::kMinStarCount && record.StarCount <= sorvane::kMaxStarCount);
  Check(record.StarSize >= sorvane::kMinStarSize && record.StarSize <= sorvane::kMaxStarSize);
  std::remove(file.c_str());
  return 0;
}
