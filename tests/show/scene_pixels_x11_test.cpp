// Real pixels from real OpenGL on Linux: the GLX rendering context on a window
// of the X display (Mesa's llvmpipe under Xvfb in the test run), the scene
// drawn into it and read back. Skipped when no X display is reachable.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include <time.h>

#include "render_context_x11.h"
#include "scene_pixel_checks.h"
#include "scene_recorder.h"
#include "temp_folder.h"

namespace sorvane {
namespace {

using testing::Rgb;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// Connects to $DISPLAY; a busy Xvfb now and then refuses a connection for a
// moment (EAGAIN), so a few attempts are made.
Display* OpenDisplayPatiently() {
  for (int Attempt = 0; Attempt < 50; ++Attempt) {
    if (Display* Connection = XOpenDisplay(nullptr)) return Connection;
    const timespec Pause{0, 20 * 1000 * 1000};
    nanosleep(&Pause, nullptr);
  }
  return nullptr;
}

// A display, a 320 x 240 window of the show's own visual and a rendering
// context on it with the scene set up from a test bitmap.
class GlxScene : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* Name = std::getenv("DISPLAY");
    if (Name == nullptr || *Name == 0) GTEST_SKIP() << "no X display";
    Connection = OpenDisplayPatiently();
    ASSERT_NE(Connection, nullptr) << "cannot connect to " << Name;
    XVisualInfo* Visual = ChooseShowVisual(Connection, DefaultScreen(Connection));
    ASSERT_NE(Visual, nullptr) << "no double-buffered RGBA visual with depth";
    XSetWindowAttributes Attributes{};
    Attributes.colormap = XCreateColormap(Connection, RootWindow(Connection, Visual->screen), Visual->visual, AllocNone);
    Attributes.override_redirect = True;
    Attributes.background_pixel = 0;
    Attributes.border_pixel = 0;
    Win = XCreateWindow(Connection, RootWindow(Connection, Visual->screen), 0, 0, kWidth, kHeight, 0, Visual->depth,
                        InputOutput, Visual->visual, CWColormap | CWOverrideRedirect | CWBackPixel | CWBorderPixel,
                        &Attributes);
    Colormap = Attributes.colormap;
    XFree(Visual);
  }

  void TearDown() override {
    if (Connection == nullptr) return;
    CloseRenderContext(Context);
    if (Win != 0) XDestroyWindow(Connection, Win);
    if (Colormap != 0) XFreeColormap(Connection, Colormap);
    XCloseDisplay(Connection);
  }

  // Opens the context with a bitmap painted by Colour.
  bool Open(const std::function<Rgb(int, int)>& Colour) {
    const std::string Path = Folder.File("Sorvane.bmp");
    testing::WriteTestBitmap(Path, 512, Colour);
    return OpenRenderContext(Context, Connection, Win, RenderWindowKind::Own, Show, Path, Random);
  }
  bool OpenWhite() {
    return Open([](int, int) { return Rgb{255, 255, 255}; });
  }

  sorvane::testing::TempFolder Folder;
  Display* Connection = nullptr;
  ::Window Win = 0;
  ::Colormap Colormap = 0;
  RenderContext Context;
  Scene Show;
  ShowRandom Random{77};
};

TEST_F(GlxScene, FirstFrameHasSquareZeroAtTheCentre) {
  ASSERT_TRUE(OpenWhite());
  testing::CheckSquareZeroAtCentre(Show, Random, kWidth, kHeight);
}

TEST_F(GlxScene, EdgeOnTiltPutsAllCentresOnTheHorizontalLine) {
  ASSERT_TRUE(OpenWhite());
  testing::CheckEdgeOnTilt(Show, Random, kWidth, kHeight);
}

TEST_F(GlxScene, OverlappingSquaresAddUpTowardsWhite) {
  ASSERT_TRUE(OpenWhite());
  testing::CheckOverlapAddsUp(Show, Random, kWidth, kHeight);
}

TEST_F(GlxScene, FrameDoesNotDependOnTheDepthBuffer) {
  ASSERT_TRUE(Open([](int x, int y) { return Rgb{(x * 255) / 511, (y * 255) / 511, 128}; }));
  testing::CheckDepthBufferIsNotUsed(Show, Random, kWidth, kHeight);
}

TEST_F(GlxScene, PhotographIsUprightInTrueColours) {
  ASSERT_TRUE(Open([](int x, int y) { return testing::QuarterColour(x, y, 512); }));
  testing::CheckPhotoUpright(Show, Random, kWidth, kHeight);
}

// A picture of many colours and the square of it in memory (top-down,
// blue-green-red).
Rgb ManyColours(int x, int y) { return Rgb{(x * 255) / 511, (y * 255) / 511, (x * 3 + y) & 0xFF}; }

BgrImage SquareOf(const std::function<Rgb(int, int)>& Colour) {
  BgrImage Square;
  Square.Width = Square.Height = 512;
  for (int y = 0; y < 512; ++y)
    for (int x = 0; x < 512; ++x) {
      const Rgb C = Colour(x, y);
      Square.Pixels.insert(Square.Pixels.end(), {static_cast<uint8_t>(C.B), static_cast<uint8_t>(C.G),
                                                 static_cast<uint8_t>(C.R)});
    }
  return Square;
}

// With no bitmap file, the square goes to the texture from memory: the frame
// is the very one that the bitmap file of the same picture gives.
TEST_F(GlxScene, SquareFromMemoryDrawsWhatItsBitmapFileDraws) {
  const auto Colour = ManyColours;
  const BgrImage Square = SquareOf(Colour);
  ASSERT_TRUE(OpenRenderContext(Context, Connection, Win, RenderWindowKind::Own, Show, Square, Random));
  const std::string Path = Folder.File("Sorvane.bmp");
  testing::WriteTestBitmap(Path, 512, Colour);
  Scene FromFile;
  ShowRandom FileRandom{77};
  ASSERT_TRUE(FromFile.SetUpScene(Path, FileRandom));
  for (Scene* S : {&Show, &FromFile}) S->TiltAngle = 150.0f;  // squares seen at many sizes
  const testing::Frame Memory = testing::DrawAndRead(Show, Random, kWidth, kHeight);
  const testing::Frame File = testing::DrawAndRead(FromFile, FileRandom, kWidth, kHeight);
  int Lit = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) Lit += Memory.Lit(x, y);
  EXPECT_GT(Lit, kWidth * kHeight / 20);
  EXPECT_TRUE(Memory.Rgba == File.Rgba) << "the square from memory draws another picture than its file";
}

// During a turnover the squares are drawn grouped by texture: with both
// textures of one photograph the frame is the very one of a single texture.
TEST_F(GlxScene, ATurnoverOfOnePhotographDrawsTheSinglePhotographsFrame) {
  ASSERT_TRUE(Open(ManyColours));
  Show.TiltAngle = 150.0f;
  Scene Grouped = Show;
  ShowRandom GroupedRandom = Random;
  ASSERT_TRUE(Grouped.BeginTurnover(SquareOf(ManyColours)));
  for (int i = 0; i < Scene::kStarCount; i += 2) Grouped.Stars[i].New = true;  // every other square
  const testing::Frame Single = testing::DrawAndRead(Show, Random, kWidth, kHeight);
  const testing::Frame Two = testing::DrawAndRead(Grouped, GroupedRandom, kWidth, kHeight);
  EXPECT_TRUE(Grouped.TurningOver());
  int Lit = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) Lit += Single.Lit(x, y);
  EXPECT_GT(Lit, kWidth * kHeight / 20);
  EXPECT_TRUE(Single.Rgba == Two.Rgba) << "the grouped drawing gives another picture";
}

TEST_F(GlxScene, OpeningMapsFocusesAndSetsViewportAndProjection) {
  ASSERT_TRUE(OpenWhite());
  XWindowAttributes Attributes{};
  XGetWindowAttributes(Connection, Win, &Attributes);
  EXPECT_EQ(Attributes.map_state, IsViewable);
  ::Window Focus = 0;
  int Revert = 0;
  XGetInputFocus(Connection, &Focus, &Revert);
  EXPECT_EQ(Focus, Win);

  GLint Viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, Viewport);
  EXPECT_EQ(Viewport[2], kWidth);
  EXPECT_EQ(Viewport[3], kHeight);
  GLdouble Projection[16] = {}, ModelView[16] = {};
  glGetDoublev(GL_PROJECTION_MATRIX, Projection);
  glGetDoublev(GL_MODELVIEW_MATRIX, ModelView);
  const double F = 1.0 / std::tan(22.5 * 3.14159265358979 / 180.0);
  EXPECT_NEAR(Projection[0], F / (4.0 / 3.0), 1e-5);
  EXPECT_NEAR(Projection[5], F, 1e-5);
  EXPECT_NEAR(Projection[10], -(100.0 + 0.1) / (100.0 - 0.1), 1e-5);
  for (int k = 0; k < 16; ++k) EXPECT_EQ(ModelView[k], k % 5 == 0 ? 1.0 : 0.0);

  // 1280 x 1024 gives 1.25; a height of 0 is taken as 1.
  ResizeViewport(1280, 1024);
  glGetDoublev(GL_PROJECTION_MATRIX, Projection);
  EXPECT_NEAR(Projection[0], F / 1.25, 1e-5);
  ResizeViewport(200, 0);
  glGetIntegerv(GL_VIEWPORT, Viewport);
  EXPECT_EQ(Viewport[3], 1);
  glGetDoublev(GL_PROJECTION_MATRIX, Projection);
  EXPECT_NEAR(Projection[0], F / 200.0, 1e-6);
  GLint Mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &Mode);
  EXPECT_EQ(Mode, GL_MODELVIEW);
}

TEST_F(GlxScene, UnreadableTextureFailsAndCloseReleasesTheContext) {
  // The loader's own error report (a message box on Windows) stays out of the
  // way: a recorder answers that the texture could not be loaded.
  testing::SceneRecorder Recorder;
  Recorder.TextureLoads = false;
  Show.Calls = &Recorder;
  EXPECT_FALSE(OpenRenderContext(Context, Connection, Win, RenderWindowKind::Own, Show,
                                 "missing.bmp", Random));
  EXPECT_NE(Context.Context, nullptr);
  CloseRenderContext(Context);
  EXPECT_EQ(Context.Context, nullptr);
  EXPECT_EQ(glXGetCurrentContext(), nullptr);
  CloseRenderContext(Context);  // twice: nothing happens
}

TEST_F(GlxScene, ForeignWindowIsUsedWithItsOwnVisualAndLeftUnmapped) {
  // A window as XScreenSaver would hand it over: default visual, made elsewhere.
  const ::Window Foreign = XCreateSimpleWindow(Connection, DefaultRootWindow(Connection), 0, 0, kWidth, kHeight, 0,
                                               0, 0);
  const std::string Path = Folder.File("Sorvane.bmp");
  testing::WriteTestBitmap(Path, 512, [](int, int) { return Rgb{255, 255, 255}; });
  ASSERT_TRUE(OpenRenderContext(Context, Connection, Foreign, RenderWindowKind::Foreign, Show, Path, Random));
  XWindowAttributes Attributes{};
  XGetWindowAttributes(Connection, Foreign, &Attributes);
  EXPECT_EQ(Attributes.map_state, IsUnmapped);
  XMapWindow(Connection, Foreign);
  XSync(Connection, False);
  testing::CheckSquareZeroAtCentre(Show, Random, kWidth, kHeight);
  CloseRenderContext(Context);
  XDestroyWindow(Connection, Foreign);
}

// Draws a few hundred frames of the full swarm; with SORVANE_SCENE_SNAPSHOT
// set, the last one is written there as a PPM to look at.
TEST_F(GlxScene, FullSwarmLightsTheScreen) {
  ASSERT_TRUE(Open([](int x, int y) {
    return Rgb{(x * 255) / 511, (y * 255) / 511, ((x + y) % 64) < 32 ? 200 : 60};
  }));
  testing::Frame F;
  for (int k = 0; k < 300; ++k) {
    F = testing::DrawAndRead(Show, Random, kWidth, kHeight);
    PresentFrame(Context);
  }
  int Lit = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) Lit += F.Lit(x, y);
  EXPECT_GT(Lit, kWidth * kHeight / 10);
  if (const char* Path = std::getenv("SORVANE_SCENE_SNAPSHOT")) F.SavePpm(Path);
}

}  // namespace
}  // namespace sorvane
