// Settings file: our own INI reader and writer (see settings_file.h).

#include "settings_file.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "paths.h"

namespace sorvane {

const char* const kSettingsSection = "Section";
const char* const kKeyPicture = "\x89\xE6\x91\x9C\xCC\xA7\xB2\xD9";
const char* const kKeyCount = "\x93\xAF\x8E\x9E\x95\x5C\x8E\xA6\x90\x94";
const char* const kKeySize = "\x89\xE6\x91\x9C\x82\xCC\x91\xE5\x82\xAB\x82\xB3";
const char* const kKeyChange = "\x89\xE6\x91\x9C\x82\xCC\x90\xD8\x91\xD6\x8A\xD4\x8A\x75";

namespace {

// The same key names in UTF-8, accepted when reading so that a file
// edited by hand on a UTF-8 system still means what it says.
const char* const kKeyPictureUtf8 = "\xE7\x94\xBB\xE5\x83\x8F\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99";
const char* const kKeyCountUtf8 = "\xE5\x90\x8C\xE6\x99\x82\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x95\xB0";
const char* const kKeySizeUtf8 = "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x95";
const char* const kKeyChangeUtf8 =
    "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\x88\x87\xE6\x9B\xBF\xE9\x96\x93\xE9\x9A\x94";

// Bytes of a line that are kept for parsing. A value is read whole up to this
// length (a long path typed by hand), and cut there; the rest of a longer
// line is streamed past rather than held, so memory stays bounded whatever
// the file holds.
constexpr size_t kLineLimitBytes = 65536;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Removes blanks at both ends.
std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return s.substr(b, e - b);
}

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Compares a name from the file with the name we look for, ignoring the case
// of ASCII letters. The second byte of a Shift-JIS character is compared
// exactly, so two different double-byte characters never match.
bool NamesMatch(const std::string& fromFile, const std::string& wanted) {
  if (fromFile.size() != wanted.size()) return false;
  bool trailByte = false;
  for (size_t i = 0; i < wanted.size(); ++i) {
    const unsigned char w = static_cast<unsigned char>(wanted[i]);
    if (trailByte) {
      if (fromFile[i] != wanted[i]) return false;
      trailByte = false;
      continue;
    }
    if (AsciiUpper(fromFile[i]) != AsciiUpper(wanted[i])) return false;
    trailByte = (w >= 0x81 && w <= 0x9F) || (w >= 0xE0 && w <= 0xFC);
  }
  return true;
}

// One line of the file as the scanner sees it.
struct Line {
  long start = 0;          // offset of the first byte
  long contentEnd = 0;     // offset just past the content (before CR LF / LF)
  long end = 0;            // offset just past the line ending
  std::string prefix;      // first bytes of the content (at most kLineLimitBytes)
  long length = 0;         // bytes of the whole content (the byte order mark not counted)
  long lastNonBlankAt = -1;  // index in the whole content of its last non-blank byte
  char lastNonBlank = 0;   // that byte
};

// Reads a file line by line with bounded memory.
class LineScanner {
 public:
  explicit LineScanner(std::FILE* f) : file_(f) {}

  // True once the first line has begun with a UTF-8 byte order mark.
  bool SawByteOrderMark() const { return sawByteOrderMark_; }

  bool Next(Line& line) {
    line = Line();
    line.start = offset_;
    int c = Get();
    if (c == EOF) return false;
    long contentEnd = offset_ - 1;
    bool sawCr = false;
    while (c != EOF && c != '\n') {
      if (sawCr) Append(line, '\r');
      sawCr = (c == '\r');
      if (!sawCr) Append(line, static_cast<char>(c));
      c = Get();
    }
    if (c == '\n') {
      contentEnd = offset_ - 1 - (sawCr ? 1 : 0);
    } else {
      if (sawCr) Append(line, '\r');  // a lone CR at the very end is content
      contentEnd = offset_;
    }
    line.contentEnd = contentEnd;
    line.end = offset_;
    if (line.start == 0) StripByteOrderMark(line);
    return true;
  }

 private:
  int Get() {
    if (pos_ == len_) {
      len_ = std::fread(buf_, 1, sizeof buf_, file_);
      pos_ = 0;
      if (len_ == 0) return EOF;
    }
    ++offset_;
    return static_cast<unsigned char>(buf_[pos_++]);
  }

  static void Append(Line& line, char c) {
    if (line.prefix.size() < kLineLimitBytes) line.prefix.push_back(c);
    if (!IsBlank(c)) {
      line.lastNonBlankAt = line.length;
      line.lastNonBlank = c;
    }
    ++line.length;
  }

  void StripByteOrderMark(Line& line) {
    if (line.prefix.compare(0, 3, "\xEF\xBB\xBF") != 0) return;
    sawByteOrderMark_ = true;
    line.prefix.erase(0, 3);
    line.length -= 3;
    line.lastNonBlankAt -= 3;
    if (line.lastNonBlankAt < 0) line.lastNonBlankAt = -1;
  }

  std::FILE* file_;
  char buf_[8192];
  size_t pos_ = 0, len_ = 0;
  long offset_ = 0;
  bool sawByteOrderMark_ = false;
};

// "[name]" lines: the name between "[" and the last "]", blanks trimmed.
bool SectionName(const Line& line, std::string& name) {
  const std::string t = Trim(line.prefix);
  if (t.empty() || t[0] != '[') return false;
  const size_t close = t.rfind(']');
  if (close == std::string::npos || close == 0) return false;
  name = Trim(t.substr(1, close - 1));
  return true;
}

// "key=value" lines. Comment lines (";") and lines without "=" are not keys.
bool KeyName(const Line& line, std::string& key) {
  const size_t eq = line.prefix.find('=');
  if (eq == std::string::npos) return false;
  key = Trim(line.prefix.substr(0, eq));
  return !(key.empty() || key[0] == ';');
}

// The value of a key line: blanks trimmed and one pair of quotes removed, by
// the same rules on any line length (the end of the value is known from the
// whole line, not only from the kept bytes); cut at the line limit.
std::string KeyValue(const Line& line) {
  const std::string& p = line.prefix;
  size_t begin = p.find('=') + 1;
  while (begin < p.size() && IsBlank(p[begin])) ++begin;
  const long lastAt = line.lastNonBlankAt;
  if (lastAt < static_cast<long>(begin)) return std::string();  // nothing but blanks
  size_t end = static_cast<size_t>(lastAt) + 1;  // just past the value in the whole line
  const char first = p[begin];
  if (end - begin >= 2 && (first == '"' || first == '\'') && line.lastNonBlank == first) {
    ++begin;
    --end;
  }
  if (end > p.size()) end = p.size();  // the rest lies beyond the kept bytes
  return begin < end ? p.substr(begin, end - begin) : std::string();
}

bool IsBlankLine(const Line& line) { return line.lastNonBlankAt < 0; }

// Copies bytes [from, to) of in to out.
bool CopyRange(std::FILE* in, std::FILE* out, long from, long to) {
  if (std::fseek(in, from, SEEK_SET) != 0) return false;
  char buf[8192];
  long left = to - from;
  while (left > 0) {
    const size_t want = left < static_cast<long>(sizeof buf) ? static_cast<size_t>(left) : sizeof buf;
    const size_t got = std::fread(buf, 1, want, in);
    if (got != want) return false;
    if (std::fwrite(buf, 1, got, out) != got) return false;
    left -= static_cast<long>(got);
  }
  return true;
}

bool WriteText(std::FILE* out, const std::string& s) {
  return std::fwrite(s.data(), 1, s.size(), out) == s.size();
}

// A value is one line of the file: anything from the first line break on
// would become lines of its own.
std::string OneLine(const std::string& value) {
  const size_t br = value.find_first_of("\r\n");
  return br == std::string::npos ? value : value.substr(0, br);
}

// The UTF-8 spelling of one of the keys (nullptr for any other name).
const char* Utf8KeyFor(const char* key) {
  if (std::strcmp(key, kKeyPicture) == 0) return kKeyPictureUtf8;
  if (std::strcmp(key, kKeyCount) == 0) return kKeyCountUtf8;
  if (std::strcmp(key, kKeySize) == 0) return kKeySizeUtf8;
  if (std::strcmp(key, kKeyChange) == 0) return kKeyChangeUtf8;
  return nullptr;
}

// A setting under the file's own spelling of its key, else under the other
// one. In a code page 932 file an empty value (the built-in photograph)
// written by the settings dialog so wins over a hand-written UTF-8 line. A
// value under a UTF-8 key is UTF-8 and comes back in the narrow encoding.
std::string ReadSettingsValue(const std::string& file, const char* key, SettingsEncoding encoding) {
  const char* utf8Key = Utf8KeyFor(key);
  const bool utf8First = encoding == SettingsEncoding::Utf8;
  std::string v;
  bool underUtf8 = utf8First;
  if (!FindIniValue(kSettingsSection, utf8First ? utf8Key : key, file, v)) {
    underUtf8 = !utf8First;
    FindIniValue(kSettingsSection, utf8First ? key : utf8Key, file, v);
  }
  if (!underUtf8 && encoding != SettingsEncoding::Utf8) return v;
  std::string narrow;
  Utf8ToNarrow(v, narrow);
  return narrow;
}

}  // namespace

bool FindIniValue(const std::string& Section, const std::string& Key, const std::string& FileName,
                  std::string& Value) {
  Value.clear();
  std::FILE* f = OpenFile(FileName, "rb");
  if (!f) return false;
  LineScanner scanner(f);
  Line line;
  bool inSection = false, sectionSeen = false, found = false;
  std::string name;
  while (scanner.Next(line)) {
    if (SectionName(line, name)) {
      if (inSection) break;  // only the first matching section counts
      inSection = !sectionSeen && NamesMatch(name, Section);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (inSection && KeyName(line, name) && NamesMatch(name, Key)) {
      Value = KeyValue(line);
      found = true;
      break;
    }
  }
  std::fclose(f);
  return found;
}

std::string ReadIniValue(const std::string& Section, const std::string& Key,
                         const std::string& FileName) {
  std::string value;
  FindIniValue(Section, Key, FileName, value);
  return value;
}

bool WriteIniValue(const std::string& Section, const std::string& Key,
                   const std::string& Value, const std::string& FileName) {
  const std::string newLine = Key + "=" + OneLine(Value);

  // Pass 1: find where the key line goes.
  long replaceFrom = -1, replaceTo = -1;  // an existing key line (content only)
  long insertAt = -1;                     // end of the last non-blank line of the section
  bool insertNeedsBreak = false;          // that line has no line ending
  bool sectionFound = false, fileEndsWithBreak = true;
  long fileEnd = 0;
  std::FILE* in = OpenFile(FileName, "rb");
  if (in) {
    LineScanner scanner(in);
    Line line;
    bool inSection = false;
    std::string name;
    while (scanner.Next(line)) {
      fileEndsWithBreak = line.end > line.contentEnd;
      if (SectionName(line, name)) {
        if (inSection) {
          inSection = false;
          if (replaceFrom < 0) break;
        }
        if (!sectionFound && NamesMatch(name, Section)) {
          sectionFound = inSection = true;
          insertAt = line.end;
          insertNeedsBreak = !fileEndsWithBreak;
        }
        continue;
      }
      if (!inSection) continue;
      if (KeyName(line, name) && NamesMatch(name, Key)) {
        replaceFrom = line.start;
        replaceTo = line.contentEnd;
        break;
      }
      if (!IsBlankLine(line)) {
        insertAt = line.end;
        insertNeedsBreak = !fileEndsWithBreak;
      }
    }
    // The scan may have stopped early; the copy runs to the real end.
    std::fseek(in, 0, SEEK_END);
    fileEnd = std::ftell(in);
  }

  // Pass 2: write the new file beside the old one.
  const std::string tempName = SiblingTempName(FileName);
  std::FILE* out = OpenFile(tempName, "wb");
  if (!out) {
    if (in) std::fclose(in);
    return false;
  }
  bool ok = true;
  if (replaceFrom >= 0) {
    ok = CopyRange(in, out, 0, replaceFrom) && WriteText(out, newLine) &&
         CopyRange(in, out, replaceTo, fileEnd);
  } else if (sectionFound) {
    ok = CopyRange(in, out, 0, insertAt) &&
         WriteText(out, std::string(insertNeedsBreak ? "\r\n" : "") + newLine + "\r\n") &&
         CopyRange(in, out, insertAt, fileEnd);
  } else {
    if (in) ok = CopyRange(in, out, 0, fileEnd);
    const bool needBreak = in && fileEnd > 0 && !fileEndsWithBreak;
    ok = ok && WriteText(out, std::string(needBreak ? "\r\n" : "") + "[" + Section + "]\r\n" +
                                  newLine + "\r\n");
  }
  if (in) std::fclose(in);
  // On the disk before it takes the old file's name: a power cut then leaves
  // either the old file or the new one, never an empty one.
  ok = ok && FlushToDisk(out);
  ok = (std::fclose(out) == 0) && ok;
  if (ok) ok = ReplaceFileWith(tempName, FileName);
  if (!ok) DeleteFileAt(tempName);
  return ok;
}

SettingsEncoding EncodingOfSettingsFile(const std::string& FileName) {
  std::FILE* f = OpenFile(FileName, "rb");
  if (!f) return SettingsEncoding::Narrow;
  LineScanner scanner(f);
  Line line;
  bool inSection = false, sectionSeen = false, narrowKey = false, utf8Key = false;
  std::string name;
  while (scanner.Next(line)) {
    if (SectionName(line, name)) {
      if (inSection) break;  // only the first matching section counts
      inSection = !sectionSeen && NamesMatch(name, kSettingsSection);
      sectionSeen = sectionSeen || inSection;
      continue;
    }
    if (!inSection || !KeyName(line, name)) continue;
    for (const char* key : {kKeyPicture, kKeyCount, kKeySize, kKeyChange}) {
      narrowKey = narrowKey || NamesMatch(name, key);
      utf8Key = utf8Key || NamesMatch(name, Utf8KeyFor(key));
    }
  }
  const bool mark = scanner.SawByteOrderMark();
  std::fclose(f);
  return mark || (utf8Key && !narrowKey) ? SettingsEncoding::Utf8 : SettingsEncoding::Narrow;
}

bool WriteSettingsValue(const char* Key, const std::string& Value, const std::string& FileName) {
  const char* utf8Key = Utf8KeyFor(Key);
  if (!utf8Key || EncodingOfSettingsFile(FileName) != SettingsEncoding::Utf8) {
    return WriteIniValue(kSettingsSection, Key, Value, FileName);
  }
  std::string utf8;
  NarrowToUtf8(Value, utf8);
  return WriteIniValue(kSettingsSection, utf8Key, utf8, FileName);
}

bool ParseSettingsNumber(const std::string& Text, double& Value) {
  const std::string t = Trim(Text);
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  size_t digits = 0;
  while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  if (i < t.size() && t[i] == '.') {
    ++i;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    size_t expDigits = 0;
    while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i, ++expDigits;
    if (expDigits == 0) return false;
  }
  if (i != t.size()) return false;
  // from_chars reads this syntax with "." as the decimal point whatever the
  // user's locale (strtod would follow LC_NUMERIC); it takes no "+".
  const char* first = t.data();
  const char* last = t.data() + t.size();
  if (*first == '+') ++first;
  double v = 0;
  const auto result = std::from_chars(first, last, v, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != last || !std::isfinite(v)) return false;
  Value = v;
  return true;
}

std::string FormatSettingsNumber(int Value) {
  return (Value >= 0 ? " " : "") + std::to_string(Value);
}

void LoadSettings(SettingsRecord& Record, const std::string& ProgramFolderPath) {
  const std::string file = SettingsFileIn(ProgramFolderPath);
  const SettingsEncoding encoding = EncodingOfSettingsFile(file);
  Record.PictureFolder = ProgramFolderPath;

  const std::string picture = ReadSettingsValue(file, kKeyPicture, encoding);
  Record.PicturePath = picture;
  if (!picture.empty()) {
    if (FileExists(picture)) {
      Record.PictureFolder = FolderOfPath(picture);
    } else if (FolderExists(picture)) {
      Record.PictureFolder = picture;  // a folder of photographs: the chooser opens in it
    } else {
      Record.PicturePath.clear();
    }
  }

  // A number beyond a setting's range is taken as the nearest end: 101 shows
  // 100 at once, a size of 1E+10 is 20. Text that is no number leaves the
  // field as it was, which is then pulled into the range too.
  const std::string count = ReadSettingsValue(file, kKeyCount, encoding);
  double number = 0;
  if (count.empty()) {
    Record.StarCount = 30;
  } else if (ParseSettingsNumber(count, number)) {
    Record.StarCount = static_cast<int16_t>(std::clamp(std::floor(number), double{kMinStarCount}, double{kMaxStarCount}));
  }
  Record.StarCount = std::clamp(Record.StarCount, kMinStarCount, kMaxStarCount);

  const std::string size = ReadSettingsValue(file, kKeySize, encoding);
  if (size.empty()) {
    Record.StarSize = 12.0f;
  } else if (ParseSettingsNumber(size, number)) {
    Record.StarSize = static_cast<float>(std::clamp(number, double{kMinStarSize}, double{kMaxStarSize}));
  }
  if (!(Record.StarSize >= kMinStarSize)) Record.StarSize = kMinStarSize;  // also a record holding no number
  if (Record.StarSize > kMaxStarSize) Record.StarSize = kMaxStarSize;

  // Whole minutes; older files have no such key and mean a minute.
  const std::string change = ReadSettingsValue(file, kKeyChange, encoding);
  if (change.empty()) {
    Record.ChangeMinutes = 1;
  } else if (ParseSettingsNumber(change, number)) {
    Record.ChangeMinutes = static_cast<int16_t>(
        std::clamp(std::floor(number), double{kMinChangeMinutes}, double{kMaxChangeMinutes}));
  }
  Record.ChangeMinutes = std::clamp(Record.ChangeMinutes, kMinChangeMinutes, kMaxChangeMinutes);
}

void LoadSettings(SettingsRecord& Record) { LoadSettings(Record, ProgramFolder()); }

std::string FolderOfPath(const std::string& Path) {
  size_t last = std::string::npos;
  for (size_t i = 0; i < Path.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(Path[i]))) {
      ++i;  // the second byte of a double-byte character is never a separator
      continue;
    }
    if (Path[i] == ':' || Path[i] == '\\' || Path[i] == '/') last = i;
  }
  if (last == std::string::npos) return std::string();
  std::string folder = Path.substr(0, last + 1);
  if (folder.back() == '\\' || folder.back() == '/') folder.pop_back();
  return folder;
}

std::string SettingsFileIn(const std::string& Folder) { return Folder + PathSeparator() + "Sorvane.ini"; }

std::string SettingsFileName() { return SettingsFileIn(ProgramFolder()); }

}  // namespace sorvane
