// The WGL rendering context under Wine: the pixel format request, a context on
// a test window of its own class, the viewport, real pixels read back with
// glReadPixels, and the release. Windows build only.

#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "folder_photos.h"
#include "monitor_layout.h"
#include "render_context_win32.h"
#include "scene_pixel_checks.h"
#include "scene_recorder.h"
#include "swarms.h"
#include "temp_folder.h"

namespace sorvane {
namespace {

using testing::Rgb;

constexpr int kWidth = 320;
constexpr int kHeight = 240;

// A plain window procedure for the test window.
LRESULT CALLBACK TestWindowProc(HWND Window, UINT Message, WPARAM W, LPARAM L) {
  return DefWindowProcW(Window, Message, W, L);
}

// A popup window with its own device context, client area 320 x 240.
HWND MakeTestWindow() {
  WNDCLASSW Class{};
  Class.style = CS_OWNDC;
  Class.lpfnWndProc = TestWindowProc;
  Class.hInstance = GetModuleHandleW(nullptr);
  Class.lpszClassName = L"SorvaneRenderContextTest";
  RegisterClassW(&Class);  // a second registration fails harmlessly
  return CreateWindowExW(0, Class.lpszClassName, L"render context test", WS_POPUP, 0, 0, kWidth, kHeight, nullptr,
                         nullptr, Class.hInstance, nullptr);
}

// A test window with a rendering context and the scene set up on it.
class WglScene : public ::testing::Test {
 protected:
  void SetUp() override {
    Window = MakeTestWindow();
    ASSERT_NE(Window, nullptr);
  }
  void TearDown() override {
    CloseRenderContext(Context);
    if (Window != nullptr) DestroyWindow(Window);
  }
  // Opens the context with a bitmap painted by Colour.
  bool Open(const std::function<Rgb(int, int)>& Colour) {
    const std::string Path = Folder.File("Sorvane.bmp");
    testing::WriteTestBitmap(Path, 512, Colour);
    return OpenRenderContext(Context, Window, 16, Show, Path, Random);
  }

  sorvane::testing::TempFolder Folder;
  HWND Window = nullptr;
  RenderContext Context;
  Scene Show;
  ShowRandom Random{77};
};

TEST(PixelFormatRequest, AsksForDoubleBufferedRgbaWithDepth) {
  const PIXELFORMATDESCRIPTOR Request = ShowPixelFormatRequest(16);
  EXPECT_EQ(Request.nSize, 40);
  EXPECT_EQ(Request.nVersion, 1);
  EXPECT_EQ(Request.dwFlags, 0x25u);
  EXPECT_EQ(Request.iPixelType, 0);
  EXPECT_EQ(Request.cColorBits, 16);
  EXPECT_EQ(Request.cDepthBits, 16);
  EXPECT_EQ(Request.iLayerType, 0);
  EXPECT_EQ(Request.cAlphaBits + Request.cAccumBits + Request.cStencilBits + Request.cAuxBuffers, 0);
}

TEST_F(WglScene, OpensShowsAndSetsTheViewport) {
  ASSERT_TRUE(Open([](int, int) { return Rgb{255, 255, 255}; }));
  EXPECT_NE(wglGetCurrentContext(), nullptr);
  EXPECT_TRUE(IsWindowVisible(Window));
  PIXELFORMATDESCRIPTOR Chosen{};
  DescribePixelFormat(Context.DeviceContext, GetPixelFormat(Context.DeviceContext), sizeof Chosen, &Chosen);
  EXPECT_TRUE(Chosen.dwFlags & PFD_DOUBLEBUFFER);
  EXPECT_TRUE(Chosen.dwFlags & PFD_SUPPORT_OPENGL);
  GLint Viewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, Viewport);
  EXPECT_EQ(Viewport[2], kWidth);
  EXPECT_EQ(Viewport[3], kHeight);
  GLdouble Projection[16] = {};
  glGetDoublev(GL_PROJECTION_MATRIX, Projection);
  EXPECT_NEAR(Projection[0], (1.0 / std::tan(22.5 * 3.14159265358979 / 180.0)) / (4.0 / 3.0), 1e-5);
}

TEST_F(WglScene, DrawsSquareZeroAtTheCentre) {
  ASSERT_TRUE(Open([](int, int) { return Rgb{255, 255, 255}; }));
  testing::CheckSquareZeroAtCentre(Show, Random, kWidth, kHeight);
  PresentFrame(Context);
}

TEST_F(WglScene, PhotographIsUprightAndOverlapsAddUp) {
  ASSERT_TRUE(Open([](int x, int y) { return testing::QuarterColour(x, y, 512); }));
  testing::CheckPhotoUpright(Show, Random, kWidth, kHeight);
}

TEST_F(WglScene, EdgeOnTiltPutsAllCentresOnTheHorizontalLine) {
  ASSERT_TRUE(Open([](int, int) { return Rgb{255, 255, 255}; }));
  testing::CheckEdgeOnTilt(Show, Random, kWidth, kHeight);
  testing::CheckOverlapAddsUp(Show, Random, kWidth, kHeight);
}

TEST_F(WglScene, UnreadableTextureFailsAndCloseReleasesEverything) {
  // The loader's own error report (a message box on Windows) stays out of the
  // way: a recorder answers that the texture could not be loaded.
  testing::SceneRecorder Recorder;
  Recorder.TextureLoads = false;
  Show.Calls = &Recorder;
  EXPECT_FALSE(OpenRenderContext(Context, Window, 16, Show, "missing.bmp", Random));
  EXPECT_NE(Context.Context, nullptr);
  CloseRenderContext(Context);
  EXPECT_EQ(Context.Context, nullptr);
  EXPECT_EQ(Context.DeviceContext, nullptr);
  EXPECT_EQ(wglGetCurrentContext(), nullptr);
  CloseRenderContext(Context);  // twice: nothing happens
}

TEST_F(WglScene, NoWindowGivesFalse) {
  RenderContext None;
  EXPECT_FALSE(OpenRenderContext(None, nullptr, 16, Show, "x.bmp", Random));
  CloseRenderContext(None);
}

// Lit pixels of the back buffer that are red alone and blue alone.
std::pair<int, int> RedAndBluePixels() {
  glFinish();
  std::vector<unsigned char> rgba(static_cast<size_t>(kWidth) * kHeight * 4);
  glReadBuffer(GL_BACK);
  glPixelStorei(GL_PACK_ALIGNMENT, 1);
  glReadPixels(0, 0, kWidth, kHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  int red = 0, blue = 0;
  for (size_t i = 0; i < rgba.size(); i += 4) {
    red += rgba[i] > 8 && rgba[i + 1] <= 3 && rgba[i + 2] <= 3;
    blue += rgba[i + 2] > 8 && rgba[i] <= 3 && rgba[i + 1] <= 3;
  }
  return {red, blue};
}

// The show's own turnover with WIC decoding on the supply's thread and real
// textures: a show of a folder that began with its red photograph turns
// over to the blue one, both seen during the turnover, blue alone after it.
TEST_F(WglScene, AFolderTurnsOverToItsOtherPhotographThroughTheSquares) {
  _putenv_s("LOCALAPPDATA", Folder.Path().c_str());
  const std::string photos = Folder.File("photos");
  ASSERT_TRUE(CreateDirectoryA(photos.c_str(), nullptr));
  const std::string red = photos + "\\red.bmp";
  testing::WriteTestBitmap(red, 64, [](int, int) { return Rgb{255, 0, 0}; });
  testing::WriteTestBitmap(photos + "\\blue.bmp", 64, [](int, int) { return Rgb{0, 0, 255}; });
  ASSERT_TRUE(Open([](int, int) { return Rgb{255, 0, 0}; }));
  FolderPhotos Supply(photos, red, 1);
  Swarms S;
  S.SetUp(LayOutMonitors({{0, 0, kWidth, kHeight}}), Show, 77);
  S.ChangePhotographs(&Supply, 30);
  bool Began = false, Both = false;
  std::pair<int, int> Pixels{0, 0};
  for (int Step = 0; Step < 3000 && !(Began && !Show.TurningOver()); ++Step) {
    ASSERT_TRUE(S.DrawSteps(Show, Random, 1));
    Began = Began || Show.TurningOver();
    if (Step % 25 == 0) {
      Pixels = RedAndBluePixels();
      Both = Both || (Pixels.first > 0 && Pixels.second > 0);
      if (Step == 0) {
        EXPECT_TRUE(Pixels.first > 0 && Pixels.second == 0) << "the first frame is not red alone";
      }
    }
    if (!Began) Sleep(2);  // the supply's thread decodes meanwhile
  }
  ASSERT_TRUE(S.DrawSteps(Show, Random, 1));  // the first frame after it
  Pixels = RedAndBluePixels();
  EXPECT_TRUE(Began) << "no turnover";
  EXPECT_TRUE(Both) << "never both photographs at once";
  EXPECT_EQ(Pixels.first, 0);
  EXPECT_GT(Pixels.second, kWidth * kHeight / 50);
  S.ChangePhotographs(nullptr, 0);
}

}  // namespace
}  // namespace sorvane
