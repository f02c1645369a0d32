// The calls the scene makes to the outside: OpenGL 1.1 and the texture loader.
// Pairs with scene.h/scene.cpp. By default the scene talks to real OpenGL
// through RealSceneCalls(); a test hands it a recorder instead, so the exact
// order and arguments of the calls can be checked without a display.
// Portable; this header names no OpenGL types, only the plain C types behind
// them (GLenum = unsigned int, GLfloat = float, ...).
#pragma once

#include <string>

namespace sorvane {

struct BgrImage;  // picture_file.h

class SceneCalls {
 public:
  virtual ~SceneCalls() = default;

  // Loads the temporary bitmap as the show's texture (LoadPhotoTexture).
  virtual bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture) = 0;

  // Uploads the photo square from memory as the show's texture, the same
  // texture its bitmap file would give (UploadPhotoTexture).
  virtual bool UploadPhotoTexture(const BgrImage& Square, unsigned int& PhotoTexture) = 0;

  // Gives back a texture no square carries any more.
  virtual void DeleteTexture(unsigned int Texture) = 0;

  virtual void Enable(unsigned int Capability) = 0;
  virtual void ShadeModel(unsigned int Mode) = 0;
  virtual void ClearColor(float Red, float Green, float Blue, float Alpha) = 0;
  virtual void ClearDepth(double Depth) = 0;
  virtual void Hint(unsigned int Target, unsigned int Mode) = 0;
  virtual void BlendFunc(unsigned int Source, unsigned int Destination) = 0;
  virtual void Clear(unsigned int Mask) = 0;
  virtual void BindTexture(unsigned int Target, unsigned int Texture) = 0;
  virtual void LoadIdentity() = 0;
  virtual void Translatef(float X, float Y, float Z) = 0;
  virtual void Rotatef(float Angle, float X, float Y, float Z) = 0;
  virtual void Color4ub(unsigned char Red, unsigned char Green, unsigned char Blue, unsigned char Alpha) = 0;
  virtual void Begin(unsigned int Mode) = 0;
  virtual void TexCoord2f(float S, float T) = 0;
  virtual void Vertex3f(float X, float Y, float Z) = 0;
  virtual void End() = 0;

  // The viewport for one monitor's area of the window (from its bottom-left
  // corner), the same rectangle as the scissor box so that a clear stays
  // inside it, and the 45-degree projection for its aspect (viewport.h).
  virtual void MonitorViewport(int X, int Y, int Width, int Height) = 0;
};

// Real OpenGL on the current context and the real texture loader. The object
// holds no state, so every scene may share it.
SceneCalls& RealSceneCalls();

}  // namespace sorvane
