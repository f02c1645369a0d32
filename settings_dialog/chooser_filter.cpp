// Building the photo chooser's filter from decoder extensions (see
// chooser_filter.h).

#include "chooser_filter.h"

#include <algorithm>

namespace sorvane {
namespace {

// At most this many extensions are offered: a bound on the filter's length
// whatever the machine has installed.
constexpr size_t kMaxExtensions = 200;

bool ExtensionCharacter(char C) {
  return (C >= 'a' && C <= 'z') || (C >= '0' && C <= '9') || C == '-' || C == '_';
}

// One extension in lower case without "*" or "."; empty when it has other
// characters or none.
std::string CleanExtension(std::string Text) {
  const size_t first = Text.find_first_not_of(" \t*.");
  const size_t last = Text.find_last_not_of(" \t");
  Text = first == std::string::npos ? std::string() : Text.substr(first, last - first + 1);
  for (char& c : Text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return std::all_of(Text.begin(), Text.end(), ExtensionCharacter) ? Text : std::string();
}

std::wstring Upper(const std::string& Extension) {
  std::wstring text;
  for (char c : Extension) text += static_cast<wchar_t>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return text;
}

}  // namespace

// Splits at commas (Windows) or semicolons (Wine), cleans, sorts and removes
// repeats; bmp and jpg lead.
std::vector<std::string> ChooserExtensions(const std::vector<std::string>& Lists) {
  std::vector<std::string> found;
  for (const std::string& list : Lists) {
    for (size_t start = 0; start <= list.size();) {
      size_t end = list.find_first_of(",;", start);
      if (end == std::string::npos) end = list.size();
      const std::string extension = CleanExtension(list.substr(start, end - start));
      if (!extension.empty() && extension != "bmp" && extension != "jpg") found.push_back(extension);
      start = end + 1;
    }
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  if (found.size() > kMaxExtensions - 2) found.resize(kMaxExtensions - 2);
  found.insert(found.begin(), {"bmp", "jpg"});
  return found;
}

// 画像ﾌｧｲﾙ (NAMES) / patterns, then すべてのﾌｧｲﾙ (*.*) / *.*.
std::wstring ChooserFilter(const std::vector<std::string>& Extensions) {
  std::wstring names, patterns;
  for (const std::string& extension : Extensions) {
    names += (names.empty() ? L"" : L" ") + Upper(extension);
    patterns += (patterns.empty() ? L"" : L";") + std::wstring(extension == "jpg" ? L"*" : L"*.") + Upper(extension);
  }
  std::wstring filter = L"\u753B\u50CF\uFF8C\uFF67\uFF72\uFF99 (" + names + L")";
  filter += L'\0';
  filter += patterns;
  filter += L'\0';
  filter += L"\u3059\u3079\u3066\u306E\uFF8C\uFF67\uFF72\uFF99 (*.*)";  // すべてのﾌｧｲﾙ
  filter += L'\0';
  filter += L"*.*";
  filter += L'\0';
  return filter;
}

}  // namespace sorvane
