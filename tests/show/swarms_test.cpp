// Tests of the layout over several monitors (show/monitor_layout.h) and of
// the swarms drawn into it (show/swarms.h), through the scene recorder.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "float_bits.h"
#include "monitor_layout.h"
#include "scene_recorder.h"
#include "swarms.h"

namespace sorvane {
namespace {

using testing::SceneRecorder;

bool SameArea(const SwarmViewport& V, int X, int Y, int W, int H) {
  return V.X == X && V.Y == Y && V.Width == W && V.Height == H;
}

TEST(MonitorLayout, WindowCoversEveryMonitorAndViewportsCountFromTheBottom) {
  // Primary 1920x1080 at the origin, a 1280x1024 monitor to its left and
  // 200 pixels lower (negative x), and one above it (negative y).
  const MonitorLayout L = LayOutMonitors({{0, 0, 1920, 1080}, {-1280, 200, 1280, 1024}, {0, -768, 1024, 768}});
  EXPECT_EQ(L.Window.X, -1280);
  EXPECT_EQ(L.Window.Y, -768);
  EXPECT_EQ(L.Window.Width, 3200);
  EXPECT_EQ(L.Window.Height, 768 + 1224);  // from -768 down to 1224
  ASSERT_EQ(L.Viewports.size(), 3u);
  EXPECT_TRUE(SameArea(L.Viewports[0], 1280, 1992 - 768 - 1080, 1920, 1080));  // primary first
  EXPECT_TRUE(SameArea(L.Viewports[1], 0, 0, 1280, 1024));                      // reaches the bottom
  EXPECT_TRUE(SameArea(L.Viewports[2], 1280, 1992 - 768, 1024, 768));           // reaches the top
}

TEST(MonitorLayout, OneMonitorIsTheWholeWindowAndMirrorsAndEmptyOnesDrop) {
  MonitorLayout L = LayOutMonitors({{0, 0, 1024, 768}});
  EXPECT_EQ(L.Window.Width, 1024);
  EXPECT_EQ(L.Window.Height, 768);
  ASSERT_EQ(L.Viewports.size(), 1u);
  EXPECT_TRUE(SameArea(L.Viewports[0], 0, 0, 1024, 768));

  // Side by side, as Xinerama reports two 800x600 screens, a mirror of the
  // first and an output without a mode.
  L = LayOutMonitors({{0, 0, 800, 600}, {800, 0, 640, 480}, {0, 0, 800, 600}, {0, 0, 0, 0}});
  EXPECT_EQ(L.Window.X, 0);
  EXPECT_EQ(L.Window.Width, 1440);
  EXPECT_EQ(L.Window.Height, 600);
  ASSERT_EQ(L.Viewports.size(), 2u);
  EXPECT_TRUE(SameArea(L.Viewports[1], 800, 120, 640, 480));  // top-aligned: 120 from the bottom

  EXPECT_TRUE(LayOutMonitors({}).Viewports.empty());
  EXPECT_TRUE(LayOutMonitors({{5, 5, -1, 10}}).Viewports.empty());
}

// Into the root window, which may reach beyond the monitors (a screen made
// larger than its outputs): viewports count from the root's bottom-left.
TEST(MonitorLayout, ViewportsInAGivenWindowCountFromItsCorner) {
  const std::vector<ScreenArea> Heads = {{0, 0, 800, 600}, {800, 0, 640, 480}, {1440, 0, 1024, 768}};
  MonitorLayout L = LayOutMonitorsIn(Heads, {0, 0, 2464, 768});
  ASSERT_EQ(L.Viewports.size(), 3u);
  EXPECT_TRUE(SameArea(L.Viewports[0], 0, 168, 800, 600));
  EXPECT_TRUE(SameArea(L.Viewports[1], 800, 288, 640, 480));
  EXPECT_TRUE(SameArea(L.Viewports[2], 1440, 0, 1024, 768));
  L = LayOutMonitorsIn({{100, 50, 800, 600}}, {0, 0, 1000, 1000});
  EXPECT_EQ(L.Window.Width, 1000);
  ASSERT_EQ(L.Viewports.size(), 1u);
  EXPECT_TRUE(SameArea(L.Viewports[0], 100, 350, 800, 600));
}

TEST(MonitorLayout, EachFurtherSwarmHasASeedOfItsOwn) {
  for (uint32_t Seed : {0u, 1u, 43199u, 86399u}) {
    std::vector<uint32_t> Seen{Seed};
    for (int i = 1; i <= 8; ++i) {
      const uint32_t S = SwarmSeed(Seed, i);
      for (uint32_t Before : Seen) EXPECT_NE(S, Before) << "seed " << Seed << ", monitor " << i;
      Seen.push_back(S);
    }
  }
}

using sorvane::testing::BitsOf;

// A primary scene set up against Recorder with seed Seed.
struct Primary {
  SceneRecorder Recorder;
  Scene Show;
  ShowRandom Random;
  explicit Primary(uint32_t Seed) : Random(Seed) {
    Show.Calls = &Recorder;
    EXPECT_TRUE(Show.SetUpScene("photo.bmp", Random));
    Show.ViewDistance = -20.0f;
    Recorder.Calls.clear();
  }
};

TEST(Swarms, OneMonitorDrawsExactlyAsTheSceneAlone) {
  Primary Alone(777), Laid(777);
  Swarms S;
  S.SetUp(LayOutMonitors({{0, 0, 1024, 768}}), Laid.Show, 777);
  EXPECT_EQ(S.Count(), 1);
  for (int Frame = 0; Frame < 40; ++Frame) {
    const int Steps = 1 + Frame % 3;
    for (int i = 1; i < Steps; ++i) Alone.Show.StepFrame(Alone.Random);
    ASSERT_TRUE(Alone.Show.DrawFrame(Alone.Random));
    ASSERT_TRUE(S.DrawSteps(Laid.Show, Laid.Random, Steps));
  }
  EXPECT_EQ(Laid.Recorder.Calls, Alone.Recorder.Calls);  // no viewport changes either
}

TEST(Swarms, TheSecondMonitorGetsItsOwnSwarmAndThePrimaryStaysAsItWas) {
  constexpr uint32_t kSeed = 4242;
  Primary Alone(kSeed), Laid(kSeed);
  Swarms S;
  const MonitorLayout Layout = LayOutMonitors({{0, 0, 800, 600}, {800, 0, 640, 480}});
  S.SetUp(Layout, Laid.Show, kSeed);
  ASSERT_EQ(S.Count(), 2);
  EXPECT_TRUE(Laid.Recorder.Calls.empty());  // the further swarm reuses the texture: no OpenGL at set-up

  // The further swarm: same radii, its own colours.
  int SameColours = 0;
  for (int i = 0; i < Scene::kStarCount; ++i) {
    EXPECT_EQ(BitsOf(S.Other(0).Stars[i].Radius), BitsOf(Alone.Show.Stars[i].Radius));
    const StarRecord &A = S.Other(0).Stars[i], &B = Alone.Show.Stars[i];
    if (A.Red == B.Red && A.Green == B.Green && A.Blue == B.Blue) ++SameColours;
  }
  EXPECT_LT(SameColours, 3);
  EXPECT_EQ(S.Other(0).PhotoTexture, Laid.Show.PhotoTexture);

  Laid.Show.TiltAngle = 135.5f;
  Alone.Show.TiltAngle = 135.5f;
  for (int Frame = 0; Frame < 700; ++Frame) {  // every square re-enters at least once
    const int Steps = 1 + Frame % 2;
    for (int i = 1; i < Steps; ++i) Alone.Show.StepFrame(Alone.Random);
    ASSERT_TRUE(Alone.Show.DrawFrame(Alone.Random));
    Laid.Recorder.Calls.clear();
    ASSERT_TRUE(S.DrawSteps(Laid.Show, Laid.Random, Steps));
  }
  // The primary's swarm: the same state to the bit as the scene alone, and
  // the same random numbers taken.
  EXPECT_EQ(BitsOf(Laid.Show.SpinAngle), BitsOf(Alone.Show.SpinAngle));
  for (int i = 0; i < Scene::kStarCount; ++i) {
    EXPECT_EQ(BitsOf(Laid.Show.Stars[i].Radius), BitsOf(Alone.Show.Stars[i].Radius));
    EXPECT_EQ(BitsOf(Laid.Show.Stars[i].OrbitAngle), BitsOf(Alone.Show.Stars[i].OrbitAngle));
    EXPECT_EQ(Laid.Show.Stars[i].Red, Alone.Show.Stars[i].Red);
    EXPECT_EQ(Laid.Show.Stars[i].Blue, Alone.Show.Stars[i].Blue);
  }
  EXPECT_EQ(Laid.Random.Next(), Alone.Random.Next());
  // The further swarm moved as many steps and shares tilt and distance.
  EXPECT_EQ(BitsOf(S.Other(0).SpinAngle), BitsOf(Alone.Show.SpinAngle));
  EXPECT_EQ(S.Other(0).TiltAngle, 135.5f);
  EXPECT_EQ(S.Other(0).ViewDistance, -20.0f);

  // The last frame: each swarm in its own viewport, from its own clear.
  const std::vector<std::string>& C = Laid.Recorder.Calls;
  const size_t PerSwarm = 1 + 2 + 50 * 19;
  ASSERT_EQ(C.size(), 2 * PerSwarm + 1);
  EXPECT_EQ(C[0], "MonitorViewport(0,0,800,600)");
  EXPECT_EQ(C[1], "Clear(16384)");
  EXPECT_EQ(C[PerSwarm], "MonitorViewport(800,120,640,480)");
  EXPECT_EQ(C[PerSwarm + 1], "Clear(16384)");
  EXPECT_EQ(C[PerSwarm + 5], "Rotatef(135.5,1,0,0)");
  EXPECT_EQ(C.back(), "MonitorViewport(0,0,800,600)");  // an overlay goes on the primary monitor
}

// A supply that answers at once: Ready with a 512 x 512 square while it has
// answers for the swarm, else Unavailable.
class ReadySupply final : public PhotoSupply {
 public:
  std::map<int, int> Asked;        // asks per swarm
  std::map<int, int> Photographs;  // Ready answers left per swarm
  void Ask(int Swarm) override { ++Asked[Swarm]; }
  Answer Take(int Swarm, BgrImage& Square) override {
    if (Photographs[Swarm] == 0) return Answer::Unavailable;
    --Photographs[Swarm];
    Square.Width = Square.Height = 512;
    Square.Pixels.assign(512 * 512 * 3, 0xFF);
    return Answer::Ready;
  }
  Answer Wait(int Swarm, BgrImage& Square) override { return Take(Swarm, Square); }
};

// The textures bound for the squares of one recorded frame: the texture of
// each Begin in order.
std::vector<unsigned> SquareTextures(const std::vector<std::string>& Calls) {
  std::vector<unsigned> textures;
  unsigned bound = 0;
  for (const std::string& call : Calls) {
    if (call.rfind("BindTexture(3553,", 0) == 0) bound = static_cast<unsigned>(std::stoul(call.substr(17)));
    if (call == "Begin(7)") textures.push_back(bound);
  }
  return textures;
}

// After the interval the swarm asks; once the photograph is there, every
// square that re-enters at the rim carries it, drawn grouped by texture, and
// within one drift (500 steps) all do and the old texture is deleted. The
// arithmetic stays that of the scene alone.
TEST(Turnover, SquaresTakeTheNewPhotographAtTheRimAndTheOldTextureGoesAfterOneDrift) {
  constexpr uint32_t kSeed = 99;
  Primary Alone(kSeed), Laid(kSeed);
  Swarms S;
  S.SetUp(LayOutMonitors({{0, 0, 800, 600}}), Laid.Show, kSeed);
  ReadySupply Supply;
  Supply.Photographs[0] = 2;
  S.ChangePhotographs(&Supply, 120);
  Laid.Recorder.TextureName = 8;
  int Step = 0, Began = -1, Finished = -1;
  size_t LastNew = 0;
  for (; Step < 2000 && Finished < 0; ++Step) {
    ASSERT_TRUE(Alone.Show.DrawFrame(Alone.Random));
    Laid.Recorder.Calls.clear();
    ASSERT_TRUE(S.DrawSteps(Laid.Show, Laid.Random, 1));
    const std::vector<unsigned> textures = SquareTextures(Laid.Recorder.Calls);
    ASSERT_EQ(textures.size(), 50u);
    const size_t New = static_cast<size_t>(std::count(textures.begin(), textures.end(), 8u));
    // Grouped: the old texture's squares first, then the new one's.
    EXPECT_TRUE(std::is_sorted(textures.begin(), textures.end())) << "step " << Step;
    EXPECT_GE(New, LastNew) << "step " << Step;
    LastNew = New;
    if (Began < 0 && Laid.Show.TurningOver()) Began = Step;
    if (Began >= 0 && !Laid.Show.TurningOver()) Finished = Step;
  }
  EXPECT_EQ(Began, 119);
  ASSERT_GE(Finished, 0);
  EXPECT_LE(Finished - Began, 501);
  EXPECT_EQ(Laid.Show.PhotoTexture, 8u);
  EXPECT_EQ(std::count(Laid.Recorder.Calls.begin(), Laid.Recorder.Calls.end(), "DeleteTexture(7)"), 1);
  for (int i = 0; i < Scene::kStarCount; ++i) {
    EXPECT_EQ(BitsOf(Laid.Show.Stars[i].Radius), BitsOf(Alone.Show.Stars[i].Radius));
    EXPECT_EQ(Laid.Show.Stars[i].Green, Alone.Show.Stars[i].Green);
  }
  // The next interval counts from the turnover's start: the photograph asked
  // for meanwhile waits until the turnover is over and then comes in.
  EXPECT_EQ(Supply.Asked[0], 2);
  Laid.Recorder.TextureName = 11;
  ASSERT_TRUE(S.DrawSteps(Laid.Show, Laid.Random, 1));
  EXPECT_EQ(Laid.Show.NextTexture, 11u);
}

// A further monitor takes a photograph of its own at once; one that cannot
// have one keeps the primary's, whose texture then outlives the primary's
// turnover.
TEST(Turnover, FurtherMonitorsShowTheirOwnPhotographOrKeepThePrimarys) {
  for (const int Own : {1, 0}) {
    Primary Laid(5);
    Swarms S;
    S.SetUp(LayOutMonitors({{0, 0, 800, 600}, {800, 0, 800, 600}}), Laid.Show, 5);
    ReadySupply Supply;
    Supply.Photographs[0] = 1;
    Supply.Photographs[1] = Own;
    Laid.Recorder.TextureName = 9;
    S.ChangePhotographs(&Supply, 60);
    EXPECT_EQ(S.Other(0).PhotoTexture, Own ? 9u : 7u);
    Laid.Recorder.TextureName = 10;
    for (int i = 0; i < 600; ++i) ASSERT_TRUE(S.DrawSteps(Laid.Show, Laid.Random, 1));
    EXPECT_EQ(Laid.Show.PhotoTexture, 10u);
    EXPECT_EQ(std::count(Laid.Recorder.Calls.begin(), Laid.Recorder.Calls.end(), "DeleteTexture(7)"), Own)
        << (Own ? "own photograph" : "the primary's kept");
  }
}

}  // namespace
}  // namespace sorvane
