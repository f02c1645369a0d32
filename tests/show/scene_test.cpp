// Tests of the scene's arithmetic and its exact OpenGL call sequence, through
// the recorder (no display needed; runs in both builds). Real pixels are
// checked in scene_pixels_x11_test.cpp and render_context_win32_test.cpp.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "float_bits.h"
#include "picture_file.h"
#include "scene.h"
#include "scene_recorder.h"

namespace sorvane {
namespace {

using testing::SceneRecorder;

// The float whose bits are Bits (expected values were worked out with exact
// rational arithmetic, independently of the code under test).
float FromBits(uint32_t Bits) {
  float Value;
  std::memcpy(&Value, &Bits, sizeof Value);
  return Value;
}

using sorvane::testing::BitsOf;

// A scene set up against the recorder, with the set-up calls cleared.
struct RecordedScene {
  SceneRecorder Recorder;
  Scene Show;
  ShowRandom Random{1234};
  RecordedScene() {
    Show.Calls = &Recorder;
    EXPECT_TRUE(Show.SetUpScene("photo.bmp", Random));
    Recorder.Calls.clear();
  }
  // Draws Count frames.
  void Frames(int Count) {
    for (int k = 0; k < Count; ++k) ASSERT_TRUE(Show.DrawFrame(Random));
  }
};

// From the bitmap file or, when none could be written, from the square in
// memory: the texture first, then the same fixed state and the same table.
TEST(SceneSetUp, LoadsTextureThenSetsFixedStateInOrder) {
  BgrImage Square;
  Square.Width = Square.Height = 512;
  Square.Pixels.assign(512 * 512 * 3, 0);
  const struct {
    bool FromMemory;
    const char* TextureCall;
  } Ways[] = {{false, "LoadPhotoTexture(/tmp/x/Sorvane.bmp)"}, {true, "UploadPhotoTexture(512x512)"}};
  Scene First;
  for (const auto& Way : Ways) {
    SCOPED_TRACE(Way.TextureCall);
    SceneRecorder Recorder;
    Scene Show;
    Show.Calls = &Recorder;
    ShowRandom Random(5);
    ASSERT_TRUE(Way.FromMemory ? Show.SetUpScene(Square, Random) : Show.SetUpScene("/tmp/x/Sorvane.bmp", Random));
    const std::vector<std::string> Expected = {
        Way.TextureCall,
        "Enable(3553)",          // GL_TEXTURE_2D
        "ShadeModel(7425)",      // GL_SMOOTH
        "ClearColor(0,0,0,0.5)",
        "ClearDepth(1)",
        "Hint(3152,4354)",       // GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST
        "BlendFunc(770,1)",      // GL_SRC_ALPHA, GL_ONE
        "Enable(3042)",          // GL_BLEND
    };
    EXPECT_EQ(Recorder.Calls, Expected);
    EXPECT_EQ(Show.PhotoTexture, 7u);
    if (!Way.FromMemory) First = Show;
    for (int i = 0; i < Scene::kStarCount; ++i) {
      EXPECT_EQ(Show.Stars[i].Red, First.Stars[i].Red);
      EXPECT_EQ(Show.Stars[i].Blue, First.Stars[i].Blue);
      EXPECT_EQ(Show.Stars[i].Radius, First.Stars[i].Radius);
    }
  }
}

TEST(SceneSetUp, FailedTextureLeavesStateAndTableAlone) {
  SceneRecorder Recorder;
  Recorder.TextureLoads = false;
  Scene Show;
  Show.Calls = &Recorder;
  Show.Stars[3].Radius = 42.0f;
  ShowRandom Random(5);
  EXPECT_FALSE(Show.SetUpScene("missing.bmp", Random));
  EXPECT_EQ(Recorder.Calls, std::vector<std::string>{"LoadPhotoTexture(missing.bmp)"});
  EXPECT_EQ(Show.Stars[3].Radius, 42.0f);
}

TEST(SceneSetUp, RadiiComeFromSingleQuotientTimesFive) {
  RecordedScene S;
  EXPECT_EQ(S.Show.Stars[0].Radius, 0.0f);
  // 1/50 in single is just under 0.02, so the radius is just under 0.1f.
  EXPECT_EQ(BitsOf(S.Show.Stars[1].Radius), 0x3dccccccu);
  EXPECT_EQ(S.Show.Stars[25].Radius, 2.5f);
  EXPECT_EQ(BitsOf(S.Show.Stars[49].Radius), 0x409ccccdu);
  for (const StarRecord& Star : S.Show.Stars) EXPECT_EQ(Star.OrbitAngle, 0.0f);
}

TEST(SceneSetUp, ColoursAreDrawnRedGreenBlueStarByStar) {
  RecordedScene S;
  ShowRandom Same(1234);
  for (const StarRecord& Star : S.Show.Stars) {
    EXPECT_EQ(Star.Red, static_cast<int16_t>(std::floor(256.0 * Same.Next())));
    EXPECT_EQ(Star.Green, static_cast<int16_t>(std::floor(256.0 * Same.Next())));
    EXPECT_EQ(Star.Blue, static_cast<int16_t>(std::floor(256.0 * Same.Next())));
  }
  // Seeds give different swarms; colours stay within 0..255.
  RecordedScene Other;
  Scene Third;
  SceneRecorder Recorder;
  Third.Calls = &Recorder;
  ShowRandom Random(99);
  ASSERT_TRUE(Third.SetUpScene("p", Random));
  int Differences = 0;
  for (int i = 0; i < Scene::kStarCount; ++i) {
    const StarRecord& Star = Third.Stars[i];
    for (int16_t C : {Star.Red, Star.Green, Star.Blue}) {
      EXPECT_GE(C, 0);
      EXPECT_LE(C, 255);
    }
    if (Star.Red != S.Show.Stars[i].Red) ++Differences;
  }
  EXPECT_GT(Differences, 40);
}

// Copies of the show started in the same second (one per monitor under
// XScreenSaver) must not draw the same swarm: the process and the window are
// mixed into the seed, and the same three values give the same swarm again.
TEST(SceneSetUp, CopiesStartedInTheSameSecondDiffer) {
  auto TintsOf = [](uint32_t Seconds, uint64_t Process, uint64_t Window) {
    SceneRecorder Recorder;
    Scene Show;
    Show.Calls = &Recorder;
    ShowRandom Random;
    Random.SeedMixed(Seconds, Process, Window);
    EXPECT_TRUE(Show.SetUpScene("p", Random));
    std::vector<int> Tints;
    for (const StarRecord& Star : Show.Stars) Tints.insert(Tints.end(), {Star.Red, Star.Green, Star.Blue});
    return Tints;
  };
  auto Differing = [](const std::vector<int>& A, const std::vector<int>& B) {
    int N = 0;
    for (size_t i = 0; i < A.size(); ++i) N += A[i] != B[i];
    return N;
  };
  const std::vector<int> First = TintsOf(43200, 4711, 0x1e00003);
  EXPECT_EQ(First, TintsOf(43200, 4711, 0x1e00003));
  // Neighbouring process ids and windows (the daemon starts copies one after
  // another) and the next second each change nearly every tint.
  for (const auto& Other : {TintsOf(43200, 4712, 0x1e00003), TintsOf(43200, 4711, 0x1e00004),
                            TintsOf(43201, 4711, 0x1e00003), TintsOf(43200, 4712, 0x1e00004)}) {
    EXPECT_GT(Differing(First, Other), 140);
  }
}

TEST(SceneFrame, OneFrameCallSequence) {
  RecordedScene S;
  S.Show.TiltAngle = 123.5f;
  S.Show.ViewDistance = -24.0f;
  S.Show.Stars[1].OrbitAngle = 30.0f;
  S.Show.Stars[1].Red = 10;
  S.Show.Stars[1].Green = 200;
  S.Show.Stars[1].Blue = 255;
  S.Frames(1);

  const std::vector<std::string>& C = S.Recorder.Calls;
  ASSERT_EQ(C.size(), 2u + 50u * 19u);
  EXPECT_EQ(C[0], "Clear(16384)");  // GL_COLOR_BUFFER_BIT alone: no depth test reads the depth buffer
  EXPECT_EQ(C[1], "BindTexture(3553,7)");

  // Square 1, drawn after square 0 has added 0.01 to the spin.
  const std::vector<std::string> Square1 = {
      "LoadIdentity()",
      "Translatef(0,0,-24)",
      "Rotatef(123.5,1,0,0)",
      "Rotatef(30,0,1,0)",
      "Translatef(" + SceneRecorder::Num(FromBits(0x3dccccccu)) + ",0,0)",
      "Rotatef(-30,0,1,0)",
      "Rotatef(-123.5,1,0,0)",
      "Rotatef(" + SceneRecorder::Num(0.01f) + ",0,0,1)",
      "Color4ub(10,200,255,255)",
      "Begin(7)",  // GL_QUADS
      "TexCoord2f(0,0)", "Vertex3f(-1,-1,0)",
      "TexCoord2f(1,0)", "Vertex3f(1,-1,0)",
      "TexCoord2f(1,1)", "Vertex3f(1,1,0)",
      "TexCoord2f(0,1)", "Vertex3f(-1,1,0)",
      "End()",
  };
  const std::vector<std::string> Recorded(C.begin() + 2 + 19, C.begin() + 2 + 19 + Square1.size());
  EXPECT_EQ(Recorded, Square1);
  // Square 0 is drawn with spin 0 at radius 0.
  EXPECT_EQ(C[2 + 4], "Translatef(0,0,0)");
  EXPECT_EQ(C[2 + 7], "Rotatef(0,0,0,1)");

  // A second frame draws again from the clear.
  S.Recorder.Calls.clear();
  S.Frames(1);
  EXPECT_EQ(S.Recorder.Calls[0], "Clear(16384)");
  EXPECT_EQ(S.Recorder.Calls.size(), 2u + 50u * 19u);
}

TEST(SceneFrame, SpinGrowsThroughExtendedPrecision) {
  RecordedScene S;
  S.Frames(1);
  // 50 additions of the double 0.01 rounded to single each time; adding a
  // single 0.01f instead would give 0x3efffff9.
  EXPECT_EQ(BitsOf(S.Show.SpinAngle), 0x3efffffau);
  S.Frames(999);
  EXPECT_EQ(BitsOf(S.Show.SpinAngle), 0x43fa16a1u);  // about 500.18 after 1000 frames
}

TEST(SceneFrame, AnglesKeepTurningInLongShows) {
  RecordedScene S;
  // Plain growth would freeze the spin here: 262144 + 0.01 rounds back to 262144.
  S.Show.SpinAngle = 262144.0f;
  S.Frames(1);
  EXPECT_LT(S.Show.SpinAngle, 3600.0f);
  const float Before = S.Show.SpinAngle;
  S.Frames(1);
  EXPECT_NEAR(S.Show.SpinAngle - Before, 0.5f, 0.001f);

  // Passing 3600 takes the angle modulo 360: the same turn, drawn the same.
  S.Show.SpinAngle = 3599.75f;
  S.Show.Stars[49].OrbitAngle = 3599.5f;
  S.Frames(1);
  EXPECT_NEAR(S.Show.SpinAngle, 0.25f, 0.0005f);
  EXPECT_NEAR(S.Show.Stars[49].OrbitAngle, 0.48f, 0.0005f);
}

TEST(SceneFrame, SquareZeroReentersAfterFirstFrameWithNewColours) {
  RecordedScene S;
  ShowRandom Same(1234);
  for (int k = 0; k < 3 * Scene::kStarCount; ++k) Same.Next();  // the set-up colours
  const int16_t Red = static_cast<int16_t>(std::floor(256.0 * Same.Next()));
  const int16_t Green = static_cast<int16_t>(std::floor(256.0 * Same.Next()));
  const int16_t Blue = static_cast<int16_t>(std::floor(256.0 * Same.Next()));
  const StarRecord Before1 = S.Show.Stars[1];

  S.Frames(1);
  const StarRecord& Zero = S.Show.Stars[0];
  EXPECT_EQ(BitsOf(Zero.Radius), 0x409fae14u);  // 4.99
  EXPECT_EQ(Zero.OrbitAngle, 0.0f);
  EXPECT_EQ(Zero.Red, Red);
  EXPECT_EQ(Zero.Green, Green);
  EXPECT_EQ(Zero.Blue, Blue);

  // Square 1 only drifted: same colour, one step nearer, 1/50 degree along.
  const StarRecord& One = S.Show.Stars[1];
  EXPECT_EQ(BitsOf(One.Radius), 0x3db851ebu);  // 0.09
  EXPECT_EQ(One.OrbitAngle, 1.0f / 50.0f);
  EXPECT_EQ(One.Red, Before1.Red);
  EXPECT_EQ(One.Green, Before1.Green);
  EXPECT_EQ(One.Blue, Before1.Blue);
}

TEST(SceneFrame, OrbitAnglesAdvanceByIndexOverFifty) {
  RecordedScene S;
  S.Frames(1);
  for (int i = 0; i < Scene::kStarCount; ++i) EXPECT_EQ(S.Show.Stars[i].OrbitAngle, static_cast<float>(i) / 50.0f);
  S.Frames(2);
  EXPECT_EQ(BitsOf(S.Show.Stars[49].OrbitAngle), 0x403c28f6u);  // 2.94
  EXPECT_EQ(BitsOf(S.Show.Stars[7].OrbitAngle), 0x3ed70a3eu);   // 0.42
  S.Frames(497);
  EXPECT_EQ(BitsOf(S.Show.Stars[49].OrbitAngle), 0x43f5004au);  // about 490.002 after 500 frames
  EXPECT_EQ(S.Show.Stars[0].OrbitAngle, 0.0f);                  // square 0 never moves along its orbit
  EXPECT_EQ(BitsOf(S.Show.Stars[49].Radius), 0x409ccca5u);
}

TEST(SceneFrame, SquaresReenterAtTheRimAboutEveryFiveHundredFrames) {
  RecordedScene S;
  std::vector<int> FirstReentry(Scene::kStarCount, 0);
  for (int Frame = 1; Frame <= 1100; ++Frame) {
    std::array<StarRecord, Scene::kStarCount> Before = S.Show.Stars;
    S.Frames(1);
    for (int i = 0; i < Scene::kStarCount; ++i) {
      const StarRecord& Now = S.Show.Stars[i];
      const bool Reentered = Now.Radius > Before[i].Radius;
      if (Reentered) {
        EXPECT_GE(Now.Radius, 4.98f);
        EXPECT_LE(Now.Radius, 5.0f);  // -0.00000x + 5 may round to 5
        if (FirstReentry[i] == 0) FirstReentry[i] = Frame;
      } else {
        // Colours change only on re-entry.
        EXPECT_EQ(Now.Red, Before[i].Red);
        EXPECT_EQ(Now.Green, Before[i].Green);
        EXPECT_EQ(Now.Blue, Before[i].Blue);
        EXPECT_GE(Now.Radius, 0.0f);
      }
    }
  }
  for (int i = 0; i < Scene::kStarCount; ++i) {
    EXPECT_NEAR(FirstReentry[i], 10 * i + 1, 1) << "square " << i;
  }
  // Exact first re-entries where the single-precision radii fall just short.
  EXPECT_EQ(FirstReentry[0], 1);
  EXPECT_EQ(FirstReentry[1], 10);
  EXPECT_EQ(FirstReentry[4], 41);
  EXPECT_EQ(FirstReentry[42], 420);
  EXPECT_EQ(FirstReentry[49], 490);
}

// Counts the calls a scene makes, without recording them (long runs).
class CountingCalls final : public SceneCalls {
 public:
  long Count = 0;
  bool LoadPhotoTexture(const std::string&, unsigned int& PhotoTexture) override {
    ++Count;
    PhotoTexture = 7;
    return true;
  }
  bool UploadPhotoTexture(const BgrImage&, unsigned int& PhotoTexture) override {
    ++Count;
    PhotoTexture = 7;
    return true;
  }
  void DeleteTexture(unsigned int) override { ++Count; }
  void Enable(unsigned int) override { ++Count; }
  void ShadeModel(unsigned int) override { ++Count; }
  void ClearColor(float, float, float, float) override { ++Count; }
  void ClearDepth(double) override { ++Count; }
  void Hint(unsigned int, unsigned int) override { ++Count; }
  void BlendFunc(unsigned int, unsigned int) override { ++Count; }
  void Clear(unsigned int) override { ++Count; }
  void BindTexture(unsigned int, unsigned int) override { ++Count; }
  void LoadIdentity() override { ++Count; }
  void Translatef(float, float, float) override { ++Count; }
  void Rotatef(float, float, float, float) override { ++Count; }
  void Color4ub(unsigned char, unsigned char, unsigned char, unsigned char) override { ++Count; }
  void Begin(unsigned int) override { ++Count; }
  void TexCoord2f(float, float) override { ++Count; }
  void Vertex3f(float, float, float) override { ++Count; }
  void End() override { ++Count; }
  void MonitorViewport(int, int, int, int) override { ++Count; }
};

// A scene of seed 1234 set up against a counter.
struct CountedScene {
  CountingCalls Counter;
  Scene Show;
  ShowRandom Random{1234};
  CountedScene() {
    Show.Calls = &Counter;
    EXPECT_TRUE(Show.SetUpScene("photo.bmp", Random));
    Counter.Count = 0;
  }
};

// Steps run without drawing catch a late frame up: whatever mix of drawn and
// undrawn steps, the state after N steps is the same to the bit, including
// the random numbers taken for re-entries, and undrawn steps call nothing.
TEST(SceneStep, UndrawnStepsLeaveExactlyTheStateOfDrawnOnes) {
  constexpr int kSteps = 1300;  // every square re-enters at least twice
  CountedScene Drawn;
  for (int Step = 0; Step < kSteps; ++Step) ASSERT_TRUE(Drawn.Show.DrawFrame(Drawn.Random));
  EXPECT_EQ(Drawn.Counter.Count, kSteps * (2L + 50L * 19L));

  for (int Every : {2, 3, 7, kSteps + 1}) {  // one drawn step in Every; kSteps + 1: only the first drawn
    CountedScene Mixed;
    int DrawnSteps = 0;
    for (int Step = 0; Step < kSteps; ++Step) {
      if (Step % Every == 0) {
        ASSERT_TRUE(Mixed.Show.DrawFrame(Mixed.Random));
        ++DrawnSteps;
      } else {
        const long CallsBefore = Mixed.Counter.Count;
        Mixed.Show.StepFrame(Mixed.Random);
        ASSERT_EQ(Mixed.Counter.Count, CallsBefore) << "an undrawn step called OpenGL";
      }
    }
    EXPECT_EQ(Mixed.Counter.Count, DrawnSteps * (2L + 50L * 19L));
    EXPECT_EQ(DrawnSteps, (kSteps + Every - 1) / Every);
    EXPECT_EQ(BitsOf(Mixed.Show.SpinAngle), BitsOf(Drawn.Show.SpinAngle)) << "one drawn in " << Every;
    for (int i = 0; i < Scene::kStarCount; ++i) {
      const StarRecord& A = Drawn.Show.Stars[i];
      const StarRecord& B = Mixed.Show.Stars[i];
      EXPECT_EQ(BitsOf(B.Radius), BitsOf(A.Radius)) << "square " << i << ", one drawn in " << Every;
      EXPECT_EQ(BitsOf(B.OrbitAngle), BitsOf(A.OrbitAngle)) << "square " << i << ", one drawn in " << Every;
      EXPECT_EQ(B.Red, A.Red) << "square " << i;
      EXPECT_EQ(B.Green, A.Green) << "square " << i;
      EXPECT_EQ(B.Blue, A.Blue) << "square " << i;
    }
    // Both generators gave out the same count of numbers.
    ShowRandom DrawnNext = Drawn.Random, MixedNext = Mixed.Random;
    EXPECT_EQ(MixedNext.Next(), DrawnNext.Next()) << "one drawn in " << Every;
  }
}

// A swarm that shares another's photograph fills its own table without any
// OpenGL call: same radii, its own colours.
TEST(SceneStep, FillStarsMakesAnotherSwarmWithoutOpenGL) {
  RecordedScene First;
  SceneRecorder Recorder;
  Scene Second;
  Second.Calls = &Recorder;
  ShowRandom Other(4321);
  Second.FillStars(Other);
  EXPECT_TRUE(Recorder.Calls.empty());
  int SameColour = 0;
  for (int i = 0; i < Scene::kStarCount; ++i) {
    EXPECT_EQ(BitsOf(Second.Stars[i].Radius), BitsOf(First.Show.Stars[i].Radius));
    EXPECT_EQ(Second.Stars[i].OrbitAngle, 0.0f);
    if (Second.Stars[i].Red == First.Show.Stars[i].Red && Second.Stars[i].Green == First.Show.Stars[i].Green)
      ++SameColour;
  }
  EXPECT_LT(SameColour, 3);
}

}  // namespace
}  // namespace sorvane
