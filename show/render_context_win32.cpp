// The show's WGL rendering context (see render_context_win32.h). Windows only;
// the scene and the projection themselves are portable (scene.cpp, viewport.cpp).

#include "render_context_win32.h"

namespace sorvane {

// The pixel format request: all zero except the fields the show needs.
PIXELFORMATDESCRIPTOR ShowPixelFormatRequest(uint8_t ColourBits) {
  PIXELFORMATDESCRIPTOR Request{};
  Request.nSize = sizeof(PIXELFORMATDESCRIPTOR);
  Request.nVersion = 1;
  Request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
  Request.iPixelType = PFD_TYPE_RGBA;
  Request.cColorBits = ColourBits;
  Request.cDepthBits = 16;
  Request.iLayerType = PFD_MAIN_PLANE;
  return Request;
}

// Binds OpenGL to the window, shows it and sets up the scene.
bool OpenRenderContext(RenderContext& Context, HWND Window, uint8_t ColourBits, Scene& Show,
                       const std::string& BitmapPath, ShowRandom& Random) {
  if (Window == nullptr || !IsWindow(Window)) return false;
  Context.Window = Window;
  if (Context.DeviceContext == nullptr) Context.DeviceContext = GetDC(Window);
  if (Context.DeviceContext == nullptr) return false;

  const PIXELFORMATDESCRIPTOR Request = ShowPixelFormatRequest(ColourBits);
  const int Format = ChoosePixelFormat(Context.DeviceContext, &Request);
  if (Format == 0) return false;
  if (!SetPixelFormat(Context.DeviceContext, Format, &Request)) return false;
  Context.Context = wglCreateContext(Context.DeviceContext);
  if (Context.Context == nullptr) return false;
  if (!wglMakeCurrent(Context.DeviceContext, Context.Context)) return false;

  ShowWindow(Window, SW_SHOWNORMAL);
  SetForegroundWindow(Window);
  SetFocus(Window);

  RECT Client{};
  GetClientRect(Window, &Client);
  ResizeViewport(Client.right - Client.left, Client.bottom - Client.top);

  return Show.SetUpScene(BitmapPath, Random);
}

// Shows the back buffer.
void PresentFrame(const RenderContext& Context) {
  if (Context.DeviceContext != nullptr) SwapBuffers(Context.DeviceContext);
}

// Releases what OpenRenderContext made.
void CloseRenderContext(RenderContext& Context) {
  if (Context.Context != nullptr) {
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(Context.Context);
    Context.Context = nullptr;
  }
  if (Context.DeviceContext != nullptr) {
    ReleaseDC(Context.Window, Context.DeviceContext);
    Context.DeviceContext = nullptr;
  }
  Context.Window = nullptr;
}

}  // namespace sorvane
