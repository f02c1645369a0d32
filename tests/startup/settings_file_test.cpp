// Reading and writing the settings file, and loading the settings record.

#include "settings_file.h"

#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "paths.h"
#include "../support/temp_folder.h"

namespace sorvane {
namespace {

using testing::TempFolder;

const std::string kSection = "Section";
const std::string kPic = kKeyPicture;
const std::string kCount = kKeyCount;
const std::string kSize = kKeySize;

TEST(ReadIniValue, FindsValuesTheWayTheProfileFunctionsDo) {
  TempFolder t;
  t.Write("a.ini",
          "; comment\r\n"
          "orphan=before any section\r\n"
          "[Other]\r\nkey=other\r\n"
          "[ section ]\r\n"
          "  KEY  =   spaced value \t\r\n"
          "key=second\r\n"
          "quoted=\"in quotes\"\r\n"
          "single='x'\r\n"
          "mismatch=\"x'\r\n"
          "noequals\r\n"
          "empty=\r\n"
          "[Section]\r\nkey=later section\r\n");
  const std::string f = t.File("a.ini");
  EXPECT_EQ(ReadIniValue("Section", "key", f), "spaced value");  // first section and key, case-blind
  EXPECT_EQ(ReadIniValue("SECTION", "Key", f), "spaced value");
  EXPECT_EQ(ReadIniValue("Section", "quoted", f), "in quotes");
  EXPECT_EQ(ReadIniValue("Section", "single", f), "x");
  EXPECT_EQ(ReadIniValue("Section", "mismatch", f), "\"x'");
  EXPECT_EQ(ReadIniValue("Section", "noequals", f), "");
  EXPECT_EQ(ReadIniValue("Section", "empty", f), "");
  EXPECT_EQ(ReadIniValue("Section", "orphan", f), "");
  EXPECT_EQ(ReadIniValue("Other", "key", f), "other");
  EXPECT_EQ(ReadIniValue("Missing", "key", f), "");
  EXPECT_EQ(ReadIniValue("Section", "missing", f), "");
}

TEST(ReadIniValue, MissingFilesFoldersAndOddLineEnds) {
  TempFolder t;
  EXPECT_EQ(ReadIniValue("Section", "key", t.File("none.ini")), "");
  EXPECT_EQ(ReadIniValue("Section", "key", t.Path()), "");  // a folder
  EXPECT_EQ(ReadIniValue("Section", "key", ""), "");

  t.Write("lf.ini", "[Section]\nkey=lf only\nnext=2");
  EXPECT_EQ(ReadIniValue("Section", "key", t.File("lf.ini")), "lf only");
  EXPECT_EQ(ReadIniValue("Section", "next", t.File("lf.ini")), "2");  // no final line break

  t.Write("bom.ini", "\xEF\xBB\xBF[Section]\r\nkey=after bom\r\n");
  EXPECT_EQ(ReadIniValue("Section", "key", t.File("bom.ini")), "after bom");
}

TEST(ReadIniValue, SameRulesOnAnyLineLengthAndWholeValues) {
  TempFolder t;
  const std::string longValue(10000, 'v');
  const std::string blanks(5000, ' ');
  t.Write("long.ini", "[Section]\r\n"
                      "key=" + longValue + "\r\n"
                      "quoted=\"" + longValue + "\"\r\n"
                      // short values on lines made long by blanks
                      "padded=short" + blanks + "\t\r\n"
                      "padquoted=  \"short\"" + blanks + "\r\n"
                      "longquoted=\"" + longValue + "\"" + blanks + "\r\n"
                      "unmatched=\"" + longValue + blanks + "\r\n"
                      "onlyblanks=" + blanks + "\r\n"
                      "after=ok\r\n");
  const std::string f = t.File("long.ini");
  // Read whole: a long path typed by hand is not cut.
  EXPECT_EQ(ReadIniValue("Section", "key", f), longValue);
  EXPECT_EQ(ReadIniValue("Section", "quoted", f), longValue);
  // The closing quote and the trailing blanks go as on a short line.
  EXPECT_EQ(ReadIniValue("Section", "padded", f), "short");
  EXPECT_EQ(ReadIniValue("Section", "padquoted", f), "short");
  EXPECT_EQ(ReadIniValue("Section", "longquoted", f), longValue);
  EXPECT_EQ(ReadIniValue("Section", "unmatched", f), "\"" + longValue);
  EXPECT_EQ(ReadIniValue("Section", "onlyblanks", f), "");
  EXPECT_EQ(ReadIniValue("Section", "after", f), "ok");

  // Beyond the line limit the value is cut there, and the rules still hold.
  const std::string huge(200000, 'h');
  t.Write("huge.ini", "[Section]\r\nkey=" + huge + "\r\nquoted=\"" + huge + "\"   \r\nafter=ok\r\n");
  const std::string cut = ReadIniValue("Section", "key", t.File("huge.ini"));
  EXPECT_GT(cut.size(), 60000u);
  EXPECT_LT(cut.size(), huge.size());
  EXPECT_EQ(cut, huge.substr(0, cut.size()));
  EXPECT_EQ(ReadIniValue("Section", "quoted", t.File("huge.ini")), huge.substr(0, cut.size() - 4));
  EXPECT_EQ(ReadIniValue("Section", "after", t.File("huge.ini")), "ok");
}

TEST(ReadIniValue, TellsAMissingKeyFromAnEmptyOne) {
  TempFolder t;
  t.Write("a.ini", "[Section]\r\nempty=\r\nblank=   \r\n");
  std::string v = "x";
  EXPECT_TRUE(FindIniValue("Section", "empty", t.File("a.ini"), v));
  EXPECT_EQ(v, "");
  EXPECT_TRUE(FindIniValue("Section", "blank", t.File("a.ini"), v));
  v = "x";
  EXPECT_FALSE(FindIniValue("Section", "missing", t.File("a.ini"), v));
  EXPECT_EQ(v, "");
  EXPECT_FALSE(FindIniValue("Section", "empty", t.File("none.ini"), v));
}

TEST(ReadIniValue, ShiftJisNamesMatchOnlyThemselves) {
  TempFolder t;
  // 0x95 0x5C and 0x95 0x7C differ only in a trail byte that looks like ASCII.
  t.Write("sjis.ini", "[Section]\r\n\x95\x7C=wrong\r\n\x95\x5C=right\r\n" + kCount + "=30\r\n");
  EXPECT_EQ(ReadIniValue("Section", "\x95\x5C", t.File("sjis.ini")), "right");
  EXPECT_EQ(ReadIniValue("Section", kCount, t.File("sjis.ini")), "30");
}

TEST(ReadIniValue, SurvivesGarbageAndHugeFiles) {
  TempFolder t;
  std::mt19937 rng(7);
  std::string garbage(1 << 20, '\0');
  for (char& c : garbage) c = static_cast<char>(rng());
  t.Write("garbage.ini", garbage);
  ReadIniValue("Section", "key", t.File("garbage.ini"));  // any result, no crash

  // 50 MB of lines; the key sits at the very end.
  {
    std::ofstream out(t.File("big.ini"), std::ios::binary);
    out << "[Section]\r\n";
    const std::string filler = "filler=" + std::string(1000, 'x') + "\r\n";
    for (int i = 0; i < 50 * 1024; ++i) out << filler;
    out << std::string(200000, 'y') << "\r\n";  // one very long line without "="
    out << "key=found\r\n";
  }
  EXPECT_EQ(ReadIniValue("Section", "key", t.File("big.ini")), "found");
}

TEST(WriteIniValue, NewFileHasTheProfileLayout) {
  TempFolder t;
  const std::string f = t.File("Sorvane.ini");
  ASSERT_TRUE(WriteIniValue(kSection, kPic, "C:\\photos\\sea.jpg", f));
  ASSERT_TRUE(WriteIniValue(kSection, kCount, FormatSettingsNumber(30), f));
  ASSERT_TRUE(WriteIniValue(kSection, kSize, FormatSettingsNumber(12), f));
  EXPECT_EQ(t.Read("Sorvane.ini"),
            "[Section]\r\n" + kPic + "=C:\\photos\\sea.jpg\r\n" + kCount + "= 30\r\n" + kSize + "= 12\r\n");

  // Writing again replaces values in place and keeps the order.
  ASSERT_TRUE(WriteIniValue(kSection, kPic, "", f));
  ASSERT_TRUE(WriteIniValue(kSection, kCount, FormatSettingsNumber(100), f));
  EXPECT_EQ(t.Read("Sorvane.ini"),
            "[Section]\r\n" + kPic + "=\r\n" + kCount + "= 100\r\n" + kSize + "= 12\r\n");
  // What was written reads back.
  EXPECT_EQ(ReadIniValue(kSection, kCount, f), "100");
}

TEST(WriteIniValue, KeepsEveryOtherLineOfAnExistingFile) {
  TempFolder t;
  const std::string before =
      "\xEF\xBB\xBF; hand-written\n"
      "[Other]\r\nkey=1\r\n\r\n"
      "[section]\r\n"
      "first = kept as it was \r\n"
      "; a comment\r\n"
      "target=old\r\n"
      "last=z\r\n"
      "\r\n"
      "[Tail]\nx=y";
  t.Write("a.ini", before);
  ASSERT_TRUE(WriteIniValue("Section", "TARGET", "new", t.File("a.ini")));
  std::string expected = before;
  expected.replace(expected.find("target=old"), 10, "TARGET=new");
  EXPECT_EQ(t.Read("a.ini"), expected);

  // A new key goes after the section's last non-blank line.
  ASSERT_TRUE(WriteIniValue("Section", "added", "v", t.File("a.ini")));
  expected.insert(expected.find("last=z\r\n") + 8, "added=v\r\n");
  EXPECT_EQ(t.Read("a.ini"), expected);

  // A new section goes at the end, after a line break the file lacked.
  ASSERT_TRUE(WriteIniValue("New", "k", "v", t.File("a.ini")));
  EXPECT_EQ(t.Read("a.ini"), expected + "\r\n[New]\r\nk=v\r\n");

  // A key in a last section without a final line break.
  t.Write("b.ini", "[Section]\r\nk=1");
  ASSERT_TRUE(WriteIniValue("Section", "j", "2", t.File("b.ini")));
  EXPECT_EQ(t.Read("b.ini"), "[Section]\r\nk=1\r\nj=2\r\n");
}

TEST(WriteIniValue, AValueStaysOnOneLine) {
  TempFolder t;
  ASSERT_TRUE(WriteIniValue("Section", "k", "a\r\n[Evil]\r\nx=1", t.File("a.ini")));
  EXPECT_EQ(t.Read("a.ini"), "[Section]\r\nk=a\r\n");
}

TEST(WriteIniValue, AFailedWriteLeavesTheOldFileAsItWas) {
  TempFolder t;
  // The target is a folder: nothing can be renamed over it.
  std::filesystem::create_directories(t.File("folder.ini"));
  EXPECT_FALSE(WriteIniValue("Section", "k", "v", t.File("folder.ini")));
  EXPECT_TRUE(std::filesystem::is_directory(t.File("folder.ini")));
  // A missing folder: no file appears anywhere.
  EXPECT_FALSE(WriteIniValue("Section", "k", "v", t.File("missing/a.ini")));
  EXPECT_FALSE(std::filesystem::exists(t.File("missing")));
  // No temporary file is left behind.
  size_t files = 0;
  for (const auto& e : std::filesystem::directory_iterator(t.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 0u);
}

TEST(WriteIniValue, WritesLongValuesThatReadBackWhole) {
  TempFolder t;
  const std::string path = "/photos/" + std::string(5000, 'p') + "/sea.jpg";
  ASSERT_TRUE(WriteIniValue(kSection, kPic, path, t.File("a.ini")));
  ASSERT_TRUE(WriteIniValue(kSection, kCount, " 30", t.File("a.ini")));
  EXPECT_EQ(ReadIniValue(kSection, kPic, t.File("a.ini")), path);
  EXPECT_EQ(ReadIniValue(kSection, kCount, t.File("a.ini")), "30");
}

#ifndef _WIN32
// A FIFO named as the settings file is neither waited on nor read: reading
// gives nothing, writing fails, and both return at once.
TEST(SettingsFile, AFifoIsRefusedWithoutWaiting) {
  TempFolder t;
  ASSERT_EQ(mkfifo(t.File("Sorvane.ini").c_str(), 0600), 0);
  EXPECT_EQ(ReadIniValue(kSection, kPic, t.File("Sorvane.ini")), "");
  SettingsRecord r;
  LoadSettings(r, t.Path());
  EXPECT_EQ(r.StarCount, 30);
  EXPECT_EQ(r.StarSize, 12.0f);
  EXPECT_FALSE(FileExists(t.File("Sorvane.ini")));
  EXPECT_EQ(OpenFile(t.File("Sorvane.ini"), "rb"), nullptr);
  // Writing: the FIFO is kept, the new file is not written through it.
  EXPECT_EQ(OpenFile(t.File("Sorvane.ini"), "wb"), nullptr);
  // A link planted under a name we create is not followed.
  ASSERT_EQ(symlink(t.File("target").c_str(), t.File("link").c_str()), 0);
  EXPECT_EQ(OpenFile(t.File("link"), "wb"), nullptr);
  EXPECT_FALSE(std::filesystem::exists(t.File("target")));
}
#endif

TEST(SettingsNumbers, AcceptOnlyNumbers) {
  double v = -1;
  EXPECT_TRUE(ParseSettingsNumber(" 30", v));
  EXPECT_EQ(v, 30);
  EXPECT_TRUE(ParseSettingsNumber("\t-2.5 ", v));
  EXPECT_EQ(v, -2.5);
  EXPECT_TRUE(ParseSettingsNumber("+.5", v));
  EXPECT_EQ(v, 0.5);
  EXPECT_TRUE(ParseSettingsNumber("1e3", v));
  EXPECT_EQ(v, 1000);
  for (const char* bad : {"", " ", "abc", "12abc", "1 2", ".", "-", "1e", "0x10", "1e400", "nan", "inf"}) {
    EXPECT_FALSE(ParseSettingsNumber(bad, v)) << bad;
  }
  EXPECT_TRUE(ParseSettingsNumber("12.5", v));
  EXPECT_EQ(v, 12.5);
  EXPECT_TRUE(ParseSettingsNumber("-.25e1", v));
  EXPECT_EQ(v, -2.5);
  for (const char* bad : {"12,5", "+-1", "1.2.3", "1e+", "++1"}) EXPECT_FALSE(ParseSettingsNumber(bad, v)) << bad;
  EXPECT_EQ(FormatSettingsNumber(30), " 30");
  EXPECT_EQ(FormatSettingsNumber(0), " 0");
  EXPECT_EQ(FormatSettingsNumber(-5), "-5");
}

class LoadSettingsTest : public ::testing::Test {
 protected:
  SettingsRecord Load(const std::string& contents) {
    t.Write("Sorvane.ini", contents);
    SettingsRecord r;
    LoadSettings(r, t.Path());
    return r;
  }
  std::string Ini(const std::string& pic, const std::string& count, const std::string& size) {
    return "[Section]\r\n" + kPic + "=" + pic + "\r\n" + kCount + "=" + count + "\r\n" + kSize + "=" + size +
           "\r\n";
  }
  TempFolder t;
};

TEST_F(LoadSettingsTest, NoFileGivesTheDefaults) {
  SettingsRecord r;
  LoadSettings(r, t.Path());
  EXPECT_EQ(r.PicturePath, "");
  EXPECT_EQ(r.PictureFolder, t.Path());
  EXPECT_EQ(r.StarCount, 30);
  EXPECT_EQ(r.StarSize, 12.0f);
}

// Counts are rounded down, sizes keep their fractions, and both end up in the
// ranges the show and the dialog use (10 to 100, 1 to 20): beyond them, and
// for text that is no number, the nearest end.
TEST_F(LoadSettingsTest, ReadsNumbersWithTheirRulesIntoTheirRanges) {
  const struct {
    const char* Count;
    const char* Size;
    int16_t StarCount;
    float StarSize;
  } cases[] = {
      {" 30", " 12", 30, 12.0f},     {"30", "12.5", 30, 12.5f},    {"12.7", "", 12, 12.0f},
      {"101", "21", 100, 20.0f},     {"-5", "0.5", 10, 1.0f},      {"0", "1E+10", 10, 20.0f},
      {"-2.5", "0.1", 10, 1.0f},     {"32768", "1e39", 100, 20.0f}, {"-32769", "-1e39", 10, 1.0f},
      {"abc", "x", 10, 1.0f},        {"100", "19.75", 100, 19.75f}, {"10", "1", 10, 1.0f},
  };
  for (const auto& c : cases) {
    const SettingsRecord r = Load(Ini("", c.Count, c.Size));
    EXPECT_EQ(r.StarCount, c.StarCount) << c.Count;
    EXPECT_EQ(r.StarSize, c.StarSize) << c.Size;
  }
}

// The change interval: whole minutes from 0 (never) to a day; a missing key
// (every older file) is a minute, a UTF-8 key counts as the others do.
TEST_F(LoadSettingsTest, ReadsTheChangeIntervalInWholeMinutes) {
  const std::string key = kKeyChange;
  const struct {
    std::string Line;
    int16_t Minutes;
  } cases[] = {
      {"", 1},
      {key + "= 5\r\n", 5},
      {key + "=0\r\n", 0},
      {key + "=2.9\r\n", 2},
      {key + "=-3\r\n", 0},
      {key + "=99999\r\n", 1440},
      {key + "=soon\r\n", 1},
      {"\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\x88\x87\xE6\x9B\xBF\xE9\x96\x93\xE9\x9A\x94=7\r\n", 7},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Load(Ini("", "30", "12") + c.Line).ChangeMinutes, c.Minutes) << c.Line;
  }
}

TEST_F(LoadSettingsTest, DropsAPictureThatIsNotAReadableFile) {
  t.Write("sea.jpg", "not really a photo");
  const std::string photo = t.File("sea.jpg");
  SettingsRecord r = Load(Ini(photo, "30", "12"));
  EXPECT_EQ(r.PicturePath, photo);
  EXPECT_EQ(r.PictureFolder, FolderOfPath(photo));
  EXPECT_EQ(r.PictureFolder, t.Path());

  r = Load(Ini(photo + PathSeparator(), "30", "12"));  // a trailing separator is ignored by the test
  EXPECT_EQ(r.PicturePath, photo + PathSeparator());

  r = Load(Ini(t.File("missing.jpg"), "30", "12"));
  EXPECT_EQ(r.PicturePath, "");
  EXPECT_EQ(r.PictureFolder, t.Path());

  r = Load(Ini(t.Path(), "30", "12"));  // a folder of photographs is kept
  EXPECT_EQ(r.PicturePath, t.Path());
  EXPECT_EQ(r.PictureFolder, t.Path());
}

TEST_F(LoadSettingsTest, AcceptsKeysSavedInUtf8OnlyWhenTheirKeyIsMissing) {
  const std::string utf8Count = "\xE5\x90\x8C\xE6\x99\x82\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x95\xB0";
  const std::string utf8Size = "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x95";
  const std::string utf8Pic = "\xE7\x94\xBB\xE5\x83\x8F\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99";
  SettingsRecord r = Load("[Section]\r\n" + utf8Count + "=50\r\n" + utf8Size + "=7\r\n");
  EXPECT_EQ(r.StarCount, 50);
  EXPECT_EQ(r.StarSize, 7.0f);

  // A hand-written UTF-8 photograph, then the dialog's empty one (the
  // built-in photograph): the empty code page 932 value wins.
  t.Write("sea.jpg", "x");
  r = Load("[Section]\r\n" + utf8Pic + "=" + t.File("sea.jpg") + "\r\n");
  EXPECT_EQ(r.PicturePath, t.File("sea.jpg"));
  r = Load("[Section]\r\n" + utf8Pic + "=" + t.File("sea.jpg") + "\r\n" + kPic + "=\r\n" + kCount + "=\r\n" +
           utf8Count + "=50\r\n");
  EXPECT_EQ(r.PicturePath, "");
  EXPECT_EQ(r.StarCount, 30);  // empty: the default, not the UTF-8 line's 50
}

const std::string kUtf8Pic = "\xE7\x94\xBB\xE5\x83\x8F\xEF\xBE\x8C\xEF\xBD\xA7\xEF\xBD\xB2\xEF\xBE\x99";
const std::string kUtf8Count = "\xE5\x90\x8C\xE6\x99\x82\xE8\xA1\xA8\xE7\xA4\xBA\xE6\x95\xB0";
const std::string kBom = "\xEF\xBB\xBF";

TEST(SettingsEncoding, AByteOrderMarkOrKeysInUtf8OnlyMakeAUtf8File) {
  TempFolder t;
  const struct {
    const char* Name;
    std::string Contents;
    SettingsEncoding Expected;
  } cases[] = {
      {"code page 932 keys", "[Section]\r\n" + kCount + "=30\r\n", SettingsEncoding::Narrow},
      {"UTF-8 keys", "[Section]\r\n" + kUtf8Count + "=30\r\n", SettingsEncoding::Utf8},
      {"a byte order mark", kBom + "[Section]\r\nx=1\r\n", SettingsEncoding::Utf8},
      {"both spellings", "[Section]\r\n" + kUtf8Count + "=30\r\n" + kCount + "=\r\n", SettingsEncoding::Narrow},
      {"UTF-8 keys in another section", "[Other]\r\n" + kUtf8Count + "=30\r\n", SettingsEncoding::Narrow},
  };
  for (const auto& c : cases) {
    t.Write("Sorvane.ini", c.Contents);
    EXPECT_EQ(EncodingOfSettingsFile(t.File("Sorvane.ini")), c.Expected) << c.Name;
  }
  EXPECT_EQ(EncodingOfSettingsFile(t.File("missing.ini")), SettingsEncoding::Narrow);
}

// 写真.bmp in Folder; returns its path in the narrow encoding (what the
// settings record holds) and, in Utf8, in UTF-8 (what a UTF-8 file holds).
std::string JapanesePhoto(const TempFolder& Folder, std::string& Utf8) {
  const std::string name = "\xE5\x86\x99\xE7\x9C\x9F.bmp";
  Utf8 = Folder.Path() + PathSeparator() + name;
#ifdef _WIN32
  std::ofstream(std::filesystem::path(Folder.Path()) / L"\u5199\u771F.bmp", std::ios::binary) << "x";
  return Folder.Path() + PathSeparator() + "\x8E\xCA\x90\x5E.bmp";  // code page 932
#else
  Folder.Write(name, "x");
  return Utf8;
#endif
}

// A file saved as UTF-8 (with or without a byte order mark): the Japanese
// path reads back as the system names it, and writing a setting rewrites the
// UTF-8 line in UTF-8, the mark kept, no code page 932 key added.
TEST_F(LoadSettingsTest, AUtf8FileKeepsItsJapanesePathAndStaysUtf8) {
  std::string utf8Path;
  const std::string narrowPath = JapanesePhoto(t, utf8Path);
  for (const std::string& mark : {kBom, std::string()}) {
    SCOPED_TRACE(mark.empty() ? "without a byte order mark" : "with a byte order mark");
    const SettingsRecord r = Load(mark + "[Section]\r\n" + kUtf8Pic + "=" + utf8Path + "\r\n" + kUtf8Count + "=40\r\n");
    EXPECT_EQ(r.PicturePath, narrowPath);
    EXPECT_EQ(r.StarCount, 40);
    const std::string file = t.File("Sorvane.ini");
    ASSERT_TRUE(WriteSettingsValue(kKeyPicture, narrowPath, file));
    ASSERT_TRUE(WriteSettingsValue(kKeyCount, FormatSettingsNumber(50), file));
    ASSERT_TRUE(WriteSettingsValue(kKeySize, FormatSettingsNumber(12), file));
    const std::string utf8Size = "\xE7\x94\xBB\xE5\x83\x8F\xE3\x81\xAE\xE5\xA4\xA7\xE3\x81\x8D\xE3\x81\x95";
    EXPECT_EQ(t.Read("Sorvane.ini"), mark + "[Section]\r\n" + kUtf8Pic + "=" + utf8Path + "\r\n" + kUtf8Count +
                                         "= 50\r\n" + utf8Size + "= 12\r\n");
    EXPECT_EQ(Load(t.Read("Sorvane.ini")).PicturePath, narrowPath);
  }
  // A file in code page 932 keeps its keys.
  t.Write("Sorvane.ini", Ini("", "30", "12"));
  ASSERT_TRUE(WriteSettingsValue(kKeyCount, FormatSettingsNumber(45), t.File("Sorvane.ini")));
  EXPECT_EQ(t.Read("Sorvane.ini"), Ini("", " 45", "12"));
}

// The number rules hold whatever the user's locale says about decimal points.
TEST_F(LoadSettingsTest, NumbersUseADotInEveryLocale) {
#ifdef _WIN32
  const char* german = "German_Germany.1252";
#else
  const char* german = "de_DE.UTF-8";
#endif
  const std::string before = std::setlocale(LC_ALL, nullptr);
  ASSERT_NE(std::setlocale(LC_ALL, german), nullptr) << "locale " << german << " is not installed";
  double v = 0;
  const bool dot = ParseSettingsNumber("12.5", v);
  const double dotValue = v;
  const bool comma = ParseSettingsNumber("12,5", v);
  const SettingsRecord r = Load(Ini("", "12.7", "12.5"));
  std::setlocale(LC_ALL, before.c_str());
  EXPECT_TRUE(dot);
  EXPECT_EQ(dotValue, 12.5);
  EXPECT_FALSE(comma);
  EXPECT_EQ(r.StarCount, 12);
  EXPECT_EQ(r.StarSize, 12.5f);
}

TEST(Paths, FolderOfPathAndFileExists) {
  EXPECT_EQ(FolderOfPath("C:\\photos\\sea.jpg"), "C:\\photos");
  EXPECT_EQ(FolderOfPath("C:\\sea.jpg"), "C:");
  EXPECT_EQ(FolderOfPath("C:sea.jpg"), "C:");
  EXPECT_EQ(FolderOfPath("sea.jpg"), "");
  EXPECT_EQ(FolderOfPath(""), "");
  EXPECT_EQ(FolderOfPath("\\\\server\\share\\sea.jpg"), "\\\\server\\share");
  EXPECT_EQ(FolderOfPath("C:\\photos\\"), "C:\\photos");
  EXPECT_EQ(FolderOfPath("/home/user/sea.jpg"), "/home/user");

  TempFolder t;
  t.Write("a.jpg", "x");
  EXPECT_TRUE(FileExists(t.File("a.jpg")));
  EXPECT_TRUE(FileExists(t.File("a.jpg") + PathSeparator()));
  EXPECT_FALSE(FileExists(t.File("b.jpg")));
  EXPECT_FALSE(FileExists(t.Path()));
  EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace sorvane
