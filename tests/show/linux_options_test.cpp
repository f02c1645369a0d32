// The Linux program's command line (startup/linux_options.h).

#include "linux_options.h"

#include <gtest/gtest.h>

#include "../support/temp_folder.h"
#include "settings_file.h"

namespace sorvane {
namespace {

LinuxOptions Parse(std::vector<std::string> args, const char* env = nullptr) {
  return ParseLinuxOptions(args, env);
}

TEST(LinuxOptions, ScreenSaverSwitchesAsOnWindows) {
  EXPECT_EQ(Parse({}).Mode, LinuxMode::Show);
  EXPECT_FALSE(Parse({}).HideCursor);
  EXPECT_EQ(Parse({"-s"}).Mode, LinuxMode::Show);
  EXPECT_TRUE(Parse({"-s"}).HideCursor);
  EXPECT_TRUE(Parse({"/S"}).HideCursor);
  EXPECT_EQ(Parse({"-c"}).Mode, LinuxMode::Settings);
  EXPECT_EQ(Parse({"/c:1234"}).Mode, LinuxMode::Settings);
  EXPECT_EQ(Parse({"-a"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"s"}).Mode, LinuxMode::End);  // a lone letter has no switch
  EXPECT_EQ(Parse({"--bogus"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"--help"}).Mode, LinuxMode::Usage);
  EXPECT_EQ(Parse({"-help"}).Mode, LinuxMode::Usage);
  EXPECT_EQ(Parse({"-s", "-h"}).Mode, LinuxMode::Usage);
}

TEST(LinuxOptions, WholeNamesOnlyAndUnknownOptionsAreNamed) {
  // Options that share a first letter with a switch are not that switch.
  for (std::vector<std::string> args : std::vector<std::vector<std::string>>{
           {"-count", "30"}, {"-speed", "2"}, {"-sx"}, {"-cycles", "3"}, {"-png"}, {"--sizes", "3"}, {"-imagex", "a"},
           {"-fpsx"}, {"-Fps"}, {"/fps"}, {"/root"}, {"-"}, {"--"}, {"photo.jpg"}}) {
    const LinuxOptions o = Parse(args);
    EXPECT_EQ(o.Mode, LinuxMode::End) << args[0];
    EXPECT_NE(o.Error.find(args[0]), std::string::npos) << "the reason names the option: " << o.Error;
  }
  // Flags take no value; valued options need one.
  EXPECT_EQ(Parse({"-fps=1"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"--root=yes"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-s=1"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-visual"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-visual="}).Mode, LinuxMode::End);
  // Upper-case screen-saver switches, as Windows writes them, still count.
  EXPECT_EQ(Parse({"-S"}).Mode, LinuxMode::Show);
  EXPECT_EQ(Parse({"/C"}).Mode, LinuxMode::Settings);
  EXPECT_EQ(Parse({"/p:1234"}).PreviewWindow, 1234u);
}

TEST(LinuxOptions, XScreenSaverCommonOptionsAreAccepted) {
  // Everything the daemon and its settings window pass, in one and two-dash spellings.
  const LinuxOptions all = Parse({"-root", "-fps", "-delay", "20000", "-window", "-install", "-visual", "default",
                                  "-mono", "-pair", "--image", "/p.jpg", "-size", "3", "--change-every", "45"},
                                 "0x400007");
  EXPECT_EQ(all.Mode, LinuxMode::IntoWindow);
  EXPECT_EQ(all.TargetWindow, 0x400007u);
  EXPECT_TRUE(all.ShowFrameRate);
  ASSERT_TRUE(all.DelayMicroseconds.has_value());
  EXPECT_EQ(*all.DelayMicroseconds, 20000);
  EXPECT_EQ(all.ImagePath, "/p.jpg");
  EXPECT_EQ(all.Size, 3.0f);
  EXPECT_EQ(all.ChangeEverySeconds.value_or(-1), 45);

  const LinuxOptions two = Parse({"--fps", "--delay=0", "--visual=0x21", "--window", "--install", "--mono", "--pair",
                                  "-change-every=0"});
  EXPECT_EQ(two.Mode, LinuxMode::Show);
  EXPECT_TRUE(two.ShowFrameRate);
  EXPECT_EQ(two.DelayMicroseconds.value_or(-1), 0);
  EXPECT_EQ(two.ChangeEverySeconds.value_or(-1), 0);  // never

  // The last of -fps and -no-fps counts; without -delay there is no delay.
  EXPECT_FALSE(Parse({"-fps", "-no-fps"}).ShowFrameRate);
  EXPECT_TRUE(Parse({"--no-fps", "-fps"}).ShowFrameRate);
  EXPECT_FALSE(Parse({"-root"}).DelayMicroseconds.has_value());
  EXPECT_FALSE(Parse({"-root"}).ShowFrameRate);
  EXPECT_FALSE(Parse({"-root"}).ChangeEverySeconds.has_value());
  EXPECT_EQ(Parse({"-delay", "10000000"}).DelayMicroseconds.value_or(-1), kMaxDelayMicroseconds);
  EXPECT_EQ(Parse({"-change-every", "86400"}).ChangeEverySeconds.value_or(-1), kMaxChangeSeconds);

  // Whole units within the limit, nothing else; the reason names the option.
  for (const char* option : {"-delay", "-change-every"}) {
    for (const char* bad : {"", "-1", "1.5", "abc", "99999999999999999999", " 5", "5 "}) {
      const LinuxOptions o = Parse({option, bad});
      EXPECT_EQ(o.Mode, LinuxMode::End) << option << " " << bad;
      EXPECT_NE(o.Error.find(option), std::string::npos) << option << " " << bad;
    }
    EXPECT_EQ(Parse({option}).Mode, LinuxMode::End) << option;
  }
  EXPECT_EQ(Parse({"-delay", "10000001"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-change-every", "86401"}).Mode, LinuxMode::End);
}

TEST(LinuxOptions, UnderXScreenSaverTheCommandLineAloneGivesTheSettings) {
  // A settings file that would say otherwise must not matter: the defaults
  // are those of an empty settings file.
  testing::TempFolder empty;
  SettingsRecord fromEmptyFile;
  LoadSettings(fromEmptyFile, empty.Path());
  const SettingsRecord none = CommandLineSettings(Parse({"-root"}));
  EXPECT_EQ(none.PicturePath, fromEmptyFile.PicturePath);
  EXPECT_EQ(none.StarCount, fromEmptyFile.StarCount);
  EXPECT_EQ(none.StarSize, fromEmptyFile.StarSize);
  EXPECT_EQ(none.ChangeMinutes, fromEmptyFile.ChangeMinutes);  // the settings window's default, a minute

  const SettingsRecord given = CommandLineSettings(Parse({"-root", "-image", "/a b/c.jpg", "-size", "4.5"}));
  EXPECT_EQ(given.PicturePath, "/a b/c.jpg");
  EXPECT_EQ(given.StarSize, 4.5f);
  EXPECT_EQ(given.StarCount, fromEmptyFile.StarCount);
}

TEST(LinuxOptions, PreviewTakesDecimalOrHexWindowIds) {
  LinuxOptions o = Parse({"-p", "1234"});
  EXPECT_EQ(o.Mode, LinuxMode::Preview);
  EXPECT_EQ(o.PreviewWindow, 1234u);
  o = Parse({"-p", "0x4a00007"});
  EXPECT_EQ(o.Mode, LinuxMode::Preview);
  EXPECT_EQ(o.PreviewWindow, 0x4a00007u);
  EXPECT_EQ(Parse({"-p"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-p", "0"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-p", "12x"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"-p", "99999999999"}).Mode, LinuxMode::End);
}

TEST(LinuxOptions, XScreenSaverWindowFromOptionsOrEnvironment) {
  LinuxOptions o = Parse({"--window-id", "0x1e00003"});
  EXPECT_EQ(o.Mode, LinuxMode::IntoWindow);
  EXPECT_EQ(o.TargetWindow, 0x1e00003u);
  EXPECT_FALSE(o.HideCursor);
  EXPECT_EQ(Parse({"-window-id", "31457283"}).TargetWindow, 31457283u);
  EXPECT_EQ(Parse({"--window-id=77"}).TargetWindow, 77u);

  o = Parse({"--root"});
  EXPECT_EQ(o.Mode, LinuxMode::IntoWindow);
  EXPECT_EQ(o.TargetWindow, 0u);  // the root window
  o = Parse({"-root"}, "0x600001");
  EXPECT_EQ(o.TargetWindow, 0x600001u);
  o = Parse({}, "12345");
  EXPECT_EQ(o.Mode, LinuxMode::IntoWindow);
  EXPECT_EQ(o.TargetWindow, 12345u);
  // An explicit window beats the environment.
  EXPECT_EQ(Parse({"--window-id", "99"}, "12345").TargetWindow, 99u);
  // A broken environment value: the root window with --root, else an error.
  EXPECT_EQ(Parse({"--root"}, "junk").TargetWindow, 0u);
  EXPECT_EQ(Parse({}, "junk").Mode, LinuxMode::End);
  EXPECT_EQ(Parse({}, "").Mode, LinuxMode::Show);
}

TEST(LinuxOptions, BadWindowIdsEndWithAReason) {
  for (const char* bad : {"", "0", "-5", "0x", "0xZZ", "12 34", "4294967296", "1e3"}) {
    const LinuxOptions o = Parse({"--window-id", bad});
    EXPECT_EQ(o.Mode, LinuxMode::End) << bad;
    EXPECT_FALSE(o.Error.empty()) << bad;
  }
  EXPECT_EQ(Parse({"--window-id"}).Mode, LinuxMode::End);
}

TEST(LinuxOptions, ImageAndSizeOverrideTheSettings) {
  LinuxOptions o = Parse({"--image", "/photos/sea.jpg", "--size", "20"});
  EXPECT_EQ(o.Mode, LinuxMode::Show);
  EXPECT_TRUE(o.ImageGiven);
  EXPECT_EQ(o.ImagePath, "/photos/sea.jpg");
  EXPECT_TRUE(o.SizeGiven);
  EXPECT_EQ(o.Size, 20.0f);
  o = Parse({"--root", "--image=", "--size=1"});
  EXPECT_TRUE(o.ImageGiven);
  EXPECT_EQ(o.ImagePath, "");  // a built-in photograph
  EXPECT_EQ(o.Size, 1.0f);
  EXPECT_EQ(Parse({"-s", "--size", "7.5"}).Size, 7.5f);

  for (const char* bad : {"0", "21", "abc", "", "nan", "inf", "1e30", "5x"}) {
    EXPECT_EQ(Parse({"--size", bad}).Mode, LinuxMode::End) << bad;
  }
  EXPECT_EQ(Parse({"--size"}).Mode, LinuxMode::End);
  EXPECT_EQ(Parse({"--image"}).Mode, LinuxMode::End);
}

}  // namespace
}  // namespace sorvane
