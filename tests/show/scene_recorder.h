// A stand-in for OpenGL and the texture loader that writes every call the
// scene makes as one line of text, so tests can compare exact sequences.
// Test-only; pairs with scene_calls.h. Draws nothing.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "picture_file.h"
#include "scene_calls.h"

namespace sorvane::testing {

class SceneRecorder final : public SceneCalls {
 public:
  std::vector<std::string> Calls;
  bool TextureLoads = true;       // what LoadPhotoTexture and UploadPhotoTexture answer
  unsigned int TextureName = 7;   // the name it hands out

  // Float as its shortest exact text ("%.9g" round-trips a float).
  static std::string Num(double Value) {
    char Text[40];
    std::snprintf(Text, sizeof Text, "%.9g", Value);
    return Text;
  }

  // Each call below records its name and arguments.
  bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture) override {
    Calls.push_back("LoadPhotoTexture(" + BitmapPath + ")");
    if (TextureLoads) PhotoTexture = TextureName;
    return TextureLoads;
  }
  bool UploadPhotoTexture(const BgrImage& Square, unsigned int& PhotoTexture) override {
    Calls.push_back("UploadPhotoTexture(" + std::to_string(Square.Width) + "x" + std::to_string(Square.Height) + ")");
    if (TextureLoads) PhotoTexture = TextureName;
    return TextureLoads;
  }
  void DeleteTexture(unsigned int Texture) override { Add("DeleteTexture", {double(Texture)}); }
  void Enable(unsigned int Capability) override { Add("Enable", {double(Capability)}); }
  void ShadeModel(unsigned int Mode) override { Add("ShadeModel", {double(Mode)}); }
  void ClearColor(float R, float G, float B, float A) override { Add("ClearColor", {R, G, B, A}); }
  void ClearDepth(double Depth) override { Add("ClearDepth", {Depth}); }
  void Hint(unsigned int Target, unsigned int Mode) override { Add("Hint", {double(Target), double(Mode)}); }
  void BlendFunc(unsigned int S, unsigned int D) override { Add("BlendFunc", {double(S), double(D)}); }
  void Clear(unsigned int Mask) override { Add("Clear", {double(Mask)}); }
  void BindTexture(unsigned int Target, unsigned int Texture) override {
    Add("BindTexture", {double(Target), double(Texture)});
  }
  void LoadIdentity() override { Add("LoadIdentity", {}); }
  void Translatef(float X, float Y, float Z) override { Add("Translatef", {X, Y, Z}); }
  void Rotatef(float Angle, float X, float Y, float Z) override { Add("Rotatef", {Angle, X, Y, Z}); }
  void Color4ub(unsigned char R, unsigned char G, unsigned char B, unsigned char A) override {
    Add("Color4ub", {double(R), double(G), double(B), double(A)});
  }
  void Begin(unsigned int Mode) override { Add("Begin", {double(Mode)}); }
  void TexCoord2f(float S, float T) override { Add("TexCoord2f", {S, T}); }
  void Vertex3f(float X, float Y, float Z) override { Add("Vertex3f", {X, Y, Z}); }
  void End() override { Add("End", {}); }
  void MonitorViewport(int X, int Y, int Width, int Height) override {
    Add("MonitorViewport", {double(X), double(Y), double(Width), double(Height)});
  }

 private:
  // Appends "Name(a,b,...)".
  void Add(const char* Name, std::initializer_list<double> Arguments) {
    std::string Line = std::string(Name) + "(";
    bool First = true;
    for (double Argument : Arguments) {
      if (!First) Line += ",";
      Line += Num(Argument);
      First = false;
    }
    Calls.push_back(Line + ")");
  }
};

}  // namespace sorvane::testing
