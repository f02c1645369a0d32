// libFuzzer target for the settings file's writer: a section, a key, a value
// and an existing file, all from the input. Checks properties, not only
// survival: every byte of the old file outside the written key's line is
// kept; the value reads back as written (values without line breaks, by the
// reader's rules of trimmed blanks and one pair of quotes); and every other
// key of the file reads the same before and after. Built and run by
// scripts/fuzz.sh.

#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_work_folder.h"
#include "settings_file.h"

namespace {

void Check(bool Condition, const char* What) {
  if (!Condition) {
    std::fprintf(stderr, "property broken: %s\n", What);
    std::abort();
  }
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

// What the reader makes of a value written on one line: blanks around
// trimmed, then one pair of matching quotes removed.
std::string AsRead(const std::string& Value) {
  std::string v = Trim(Value);
  if (v.size() >= 2 && (v[0] == '"' || v[0] == '\'') && v.back() == v[0]) v = v.substr(1, v.size() - 2);
  return v;
}

// A name that a line of the file can carry: not empty, one line, no "=",
// not starting like a section, a comment or a byte order mark, no blanks at
// its ends.
bool UsableName(const std::string& Name) {
  return !Name.empty() && Name.find_first_of("\r\n=") == std::string::npos && Name[0] != '[' && Name[0] != ';' &&
         Trim(Name) == Name && Name.rfind("\xEF\xBB\xBF", 0) != 0;
}
bool UsableSection(const std::string& Name) {
  return !Name.empty() && Name.find_first_of("\r\n[]") == std::string::npos && Trim(Name) == Name;
}

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
bool SameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

// Section and key names that lines of Text carry, by a plain reading of the
// layout (the reader's own rules decide what they mean).
std::vector<std::pair<std::string, std::string>> NamesIn(const std::string& Text) {
  std::vector<std::pair<std::string, std::string>> names;
  std::string section;
  size_t start = 0;
  while (start < Text.size() && names.size() < 32) {
    size_t end = Text.find('\n', start);
    if (end == std::string::npos) end = Text.size();
    std::string line = Text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string t = Trim(line);
    if (!t.empty() && t[0] == '[' && t.rfind(']') != std::string::npos && t.rfind(']') > 0) {
      section = Trim(t.substr(1, t.rfind(']') - 1));
    } else if (line.find('=') != std::string::npos) {
      names.emplace_back(section, Trim(line.substr(0, line.find('='))));
    }
    start = end + 1;
  }
  return names;
}

std::string ReadAll(const std::string& File) {
  std::ifstream in(File, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  FuzzedDataProvider in(Data, Size);
  const std::string section = in.ConsumeBool() ? std::string(sorvane::kSettingsSection) : in.ConsumeRandomLengthString(24);
  const std::string key = in.ConsumeBool() ? std::string(sorvane::kKeyPicture) : in.ConsumeRandomLengthString(24);
  const std::string value = in.ConsumeRandomLengthString(4096);
  const std::string before = in.ConsumeRemainingBytesAsString();
  if (!UsableSection(section) || !UsableName(key)) return 0;

  const std::string file = fuzz_support::WorkFolder("writer") + "/Sorvane.ini";
  {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << before;
  }
  // What every other key of the file reads before the write.
  std::vector<std::pair<std::string, std::string>> probes = NamesIn(before);
  probes.emplace_back(sorvane::kSettingsSection, sorvane::kKeyCount);
  std::vector<std::pair<bool, std::string>> was;
  for (const auto& p : probes) {
    std::string v;
    const bool found = sorvane::FindIniValue(p.first, p.second, file, v);
    was.emplace_back(found, v);
  }

  Check(sorvane::WriteIniValue(section, key, value, file), "the write succeeds");
  const std::string after = ReadAll(file);

  // Outside the written line, every byte of the old file is kept: what
  // differs lies within one line of it.
  size_t head = 0;
  while (head < before.size() && head < after.size() && before[head] == after[head]) ++head;
  size_t tail = 0;
  while (tail < before.size() - head && tail < after.size() - head &&
         before[before.size() - 1 - tail] == after[after.size() - 1 - tail])
    ++tail;
  Check(before.substr(head, before.size() - head - tail).find('\n') == std::string::npos,
        "only the key's line of the old file changes");

  // The value reads back as written.
  const bool oneLine = value.find_first_of("\r\n") == std::string::npos;
  if (oneLine && key.size() + 1 + value.size() <= 65536) {
    std::string read;
    Check(sorvane::FindIniValue(section, key, file, read), "the written key is found");
    Check(read == AsRead(value), "the value reads back as written");
  }

  // Every other key reads the same.
  for (size_t i = 0; i < probes.size(); ++i) {
    if (SameIgnoringCase(probes[i].first, section) && SameIgnoringCase(probes[i].second, key)) continue;
    std::string v;
    const bool found = sorvane::FindIniValue(probes[i].first, probes[i].second, file, v);
    Check(found == was[i].first && v == was[i].second, "another key reads the same");
  }
  std::remove(file.c_str());
  return 0;
}
