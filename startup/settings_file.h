// Settings file of Sorvane: an INI file "Sorvane.ini" beside the program.
//
// Portable: no platform header. The file is read and written by our own code,
// byte for byte in the layout that Windows' profile functions produce
// ("[Section]" line, "key=value" lines in first-written order, CRLF line ends),
// so a file means the same on every system. Key names are the code page 932
// bytes below and values the system's narrow encoding (the ANSI code page on
// Windows, the path's own bytes on Linux), unless the file is UTF-8 (it
// starts with a byte order mark, or spells its keys in UTF-8 only): then keys
// and values are UTF-8, read and written so.
#pragma once

#include <cstdint>
#include <string>

namespace sorvane {

// The program-wide settings record.
struct SettingsRecord {
  std::string PicturePath;    // photograph; empty means a built-in photograph
  std::string PictureFolder;  // folder the photo chooser opens in
  int16_t StarCount = 0;      // number shown at once (stored, edited, not shown)
  float StarSize = 0.0f;      // picture size; the show's view distance is StarSize - 25
  int16_t ChangeMinutes = 1;  // a folder's next photograph after this many minutes; 0: never
};

// Section and key names as stored in the file (code page 932 bytes).
extern const char* const kSettingsSection;  // "Section"
extern const char* const kKeyPicture;       // 画像ﾌｧｲﾙ
extern const char* const kKeyCount;         // 同時表示数
extern const char* const kKeySize;          // 画像の大きさ
extern const char* const kKeyChange;        // 画像の切替間隔

// Value under Key in the first matching Section of FileName, or "" when the
// file, section or key is missing. Names compare case-insensitively for ASCII
// letters; blanks around the value and one pair of surrounding quotes are
// removed, on lines of any length. A value is read whole up to 64 KiB and cut
// there; memory use does not grow with the file's size.
std::string ReadIniValue(const std::string& Section, const std::string& Key,
                         const std::string& FileName);

// Same, telling a missing key (false) from one that is present, even with an
// empty value (true).
bool FindIniValue(const std::string& Section, const std::string& Key, const std::string& FileName,
                  std::string& Value);

// Stores Value under Key in Section of FileName, creating file, section or key
// as needed and keeping every other line of the file byte for byte. The new
// file is written beside the old one, flushed to the disk and renamed over
// it, so a failed write or a power cut leaves the old file as it was. Returns
// false when nothing was written.
bool WriteIniValue(const std::string& Section, const std::string& Key,
                   const std::string& Value, const std::string& FileName);

// Number syntax of the settings file: blanks around, an optional sign, digits
// with an optional decimal fraction and an optional exponent; the decimal
// point is "." whatever the user's locale. False on any other text.
bool ParseSettingsNumber(const std::string& Text, double& Value);

// The three settings as the settings dialog writes them: the two numbers in
// decimal with one leading blank (a minus sign instead for negative values).
std::string FormatSettingsNumber(int Value);

// The ranges the settings are used in: a value read beyond them is taken as
// the nearest end.
constexpr int16_t kMinStarCount = 10;
constexpr int16_t kMaxStarCount = 100;
constexpr float kMinStarSize = 1.0f;
constexpr float kMaxStarSize = 20.0f;
constexpr int16_t kMinChangeMinutes = 0;
constexpr int16_t kMaxChangeMinutes = 1440;  // a day

// How a settings file spells its keys and values.
enum class SettingsEncoding {
  Narrow,  // code page 932 keys, values in the system's narrow encoding
  Utf8,    // a byte order mark, or keys in UTF-8 and none in code page 932
};
SettingsEncoding EncodingOfSettingsFile(const std::string& FileName);

// Stores one of the settings (Key is kKeyPicture, kKeyCount, kKeySize or
// kKeyChange; Value in the system's narrow encoding) in the file's own
// encoding, so that a UTF-8 file has its UTF-8 line rewritten rather than a
// second key added. As WriteIniValue otherwise; a missing file is made with
// the code page 932 keys.
bool WriteSettingsValue(const char* Key, const std::string& Value, const std::string& FileName);

// Fills Record from the settings file in ProgramFolderPath. The photograph
// is kept when it names a readable file or a folder of photographs, else the
// built-in one is used. Steps that fail
// leave their field as it was; missing keys give the defaults (built-in
// photograph, count 30, size 12, a new photograph of a folder every minute);
// the numbers end up inside their ranges whatever the file says. In a file that is not UTF-8 a key spelt in
// UTF-8 is read only when its code page 932 spelling is missing, and the
// other way round in a UTF-8 file; a value is converted from UTF-8 when it
// stands under a UTF-8 key or in a UTF-8 file.
void LoadSettings(SettingsRecord& Record, const std::string& ProgramFolderPath);

// Same, from the folder that holds the running program.
void LoadSettings(SettingsRecord& Record);

}  // namespace sorvane
