// The Linux program's command line (startup/linux_options.h).

#include "linux_options.h"

#include <gtest/gtest.h>

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
