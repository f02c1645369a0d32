// The scene of the show (see scene.h): fixed OpenGL state, the table of 50
// squares and one frame of drawing and motion. Also the real OpenGL side of
// scene_calls.h. Does not make the rendering context or the projection.
//
// Arithmetic: every stored single-precision value is updated in extended
// precision (long double) from the single value and a double constant (or a
// single quotient) and rounded to single once, when stored. The constants are
// doubles widened, e.g. (long double)0.01, which differs from 0.01L.
//
// Angles are kept below 3600 degrees by taking them modulo 360 when they pass
// it: left to grow, a single-precision angle loses the 0.01-degree steps (the
// spin turns unevenly from about 65,536 degrees and stops at 262,144, about
// 524,288 frames into a show, minutes on fast hardware). Until an angle first
// reaches 3600 the values are exactly those of plain growth.

#include "scene.h"

#include <cmath>

#if defined(_WIN32)
#include <windows.h>
#endif
#include <GL/gl.h>

#include "photo_texture.h"
#include "viewport.h"

namespace sorvane {
namespace {

constexpr long double kSpinStep = static_cast<long double>(0.01);    // degrees per square drawn
constexpr long double kDriftStep = static_cast<long double>(0.01);   // radius lost per frame
constexpr long double kRimRadius = static_cast<long double>(5.0);    // re-entry adds this
constexpr float kAngleLimit = 3600.0f;                                // angles are reduced from here

// Angle reduced modulo 360 once it reaches kAngleLimit (exact: fmod rounds nothing).
float KeepAngleSmall(float Angle) { return Angle >= kAngleLimit ? std::fmod(Angle, 360.0f) : Angle; }

// Square i's orbit step in degrees per frame: i / 50 in single precision.
float OrbitStep(int Index) { return static_cast<float>(Index) / 50.0f; }

// Real OpenGL 1.1 on whatever context is current; no state of its own.
class RealCalls final : public SceneCalls {
 public:
  bool LoadPhotoTexture(const std::string& BitmapPath, unsigned int& PhotoTexture) override {
    return sorvane::LoadPhotoTexture(BitmapPath, PhotoTexture);
  }
  bool UploadPhotoTexture(const BgrImage& Square, unsigned int& PhotoTexture) override {
    return sorvane::UploadPhotoTexture(Square, PhotoTexture);
  }
  void DeleteTexture(unsigned int Texture) override {
    const GLuint name = Texture;
    glDeleteTextures(1, &name);
  }
  void Enable(unsigned int Capability) override { glEnable(Capability); }
  void ShadeModel(unsigned int Mode) override { glShadeModel(Mode); }
  void ClearColor(float Red, float Green, float Blue, float Alpha) override {
    glClearColor(Red, Green, Blue, Alpha);
  }
  void ClearDepth(double Depth) override { glClearDepth(Depth); }
  void Hint(unsigned int Target, unsigned int Mode) override { glHint(Target, Mode); }
  void BlendFunc(unsigned int Source, unsigned int Destination) override { glBlendFunc(Source, Destination); }
  void Clear(unsigned int Mask) override { glClear(Mask); }
  void BindTexture(unsigned int Target, unsigned int Texture) override { glBindTexture(Target, Texture); }
  void LoadIdentity() override { glLoadIdentity(); }
  void Translatef(float X, float Y, float Z) override { glTranslatef(X, Y, Z); }
  void Rotatef(float Angle, float X, float Y, float Z) override { glRotatef(Angle, X, Y, Z); }
  void Color4ub(unsigned char Red, unsigned char Green, unsigned char Blue, unsigned char Alpha) override {
    glColor4ub(Red, Green, Blue, Alpha);
  }
  void Begin(unsigned int Mode) override { glBegin(Mode); }
  void TexCoord2f(float S, float T) override { glTexCoord2f(S, T); }
  void Vertex3f(float X, float Y, float Z) override { glVertex3f(X, Y, Z); }
  void End() override { glEnd(); }
  void MonitorViewport(int X, int Y, int Width, int Height) override {
    sorvane::MonitorViewport(X, Y, Width, Height);
  }
};

}  // namespace

// The one shared, stateless real-OpenGL table.
SceneCalls& RealSceneCalls() {
  static RealCalls Calls;
  return Calls;
}

// floor(256 r) for the next random number r in [0, 1).
int16_t Scene::RandomColour(ShowRandom& Random) {
  const double Component = std::floor(256.0 * Random.Next());
  if (Component < 0.0) return 0;
  if (Component > 255.0) return 255;
  return static_cast<int16_t>(Component);
}

// Loads the texture, sets the fixed OpenGL state and fills the table.
bool Scene::SetUpScene(const std::string& BitmapPath, ShowRandom& Random) {
  if (!Calls->LoadPhotoTexture(BitmapPath, PhotoTexture)) return false;
  SetFixedStateAndFill(Random);
  return true;
}

bool Scene::SetUpScene(const BgrImage& Square, ShowRandom& Random) {
  if (!Calls->UploadPhotoTexture(Square, PhotoTexture)) return false;
  SetFixedStateAndFill(Random);
  return true;
}

// Everything of the set-up after the texture.
void Scene::SetFixedStateAndFill(ShowRandom& Random) {
  Calls->Enable(GL_TEXTURE_2D);
  Calls->ShadeModel(GL_SMOOTH);
  Calls->ClearColor(0.0f, 0.0f, 0.0f, 0.5f);
  Calls->ClearDepth(1.0);
  Calls->Hint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
  Calls->BlendFunc(GL_SRC_ALPHA, GL_ONE);
  Calls->Enable(GL_BLEND);

  FillStars(Random);
}

// The table of squares at the start: radius i/50 x 5, random tints.
void Scene::FillStars(ShowRandom& Random) {
  for (int i = 0; i < kStarCount; ++i) {
    StarRecord& Star = Stars[i];
    Star.OrbitAngle = 0.0f;
    Star.New = false;
    Star.Radius = static_cast<float>(static_cast<long double>(OrbitStep(i)) * kRimRadius);
    Star.Red = RandomColour(Random);
    Star.Green = RandomColour(Random);
    Star.Blue = RandomColour(Random);
  }
}

// Advances square Index by one step, after it was drawn (or would have been):
// the spin that the next square is drawn with, the orbit, the drift and the
// re-entry at the rim with new colours, in that order.
void Scene::AdvanceStar(int Index, ShowRandom& Random) {
  StarRecord& Star = Stars[Index];
  SpinAngle = KeepAngleSmall(static_cast<float>(static_cast<long double>(SpinAngle) + kSpinStep));
  Star.OrbitAngle = KeepAngleSmall(static_cast<float>(static_cast<long double>(Star.OrbitAngle) +
                                                      static_cast<long double>(OrbitStep(Index))));
  Star.Radius = static_cast<float>(static_cast<long double>(Star.Radius) - kDriftStep);
  if (Star.Radius < 0.0f) {
    Star.Radius = static_cast<float>(static_cast<long double>(Star.Radius) + kRimRadius);
    Star.Red = RandomColour(Random);
    Star.Green = RandomColour(Random);
    Star.Blue = RandomColour(Random);
    if (NextTexture && !Star.New) {
      Star.New = true;
      ++newStars_;
    }
  }
}

bool Scene::BeginTurnover(const BgrImage& Square) {
  if (TurningOver()) return false;
  unsigned int texture = 0;
  if (!Calls->UploadPhotoTexture(Square, texture) || texture == 0) return false;
  NextTexture = texture;
  newStars_ = 0;
  return true;
}

unsigned int Scene::TakeRetiredTexture() {
  const unsigned int texture = retired_;
  retired_ = 0;
  return texture;
}

// Once every square carries the incoming photograph it is the photograph.
void Scene::FinishTurnoverWhenDone() {
  if (!NextTexture || newStars_ < kStarCount) return;
  if (retired_) Calls->DeleteTexture(retired_);  // never taken: ours to give back
  retired_ = PhotoTexture;
  PhotoTexture = NextTexture;
  NextTexture = 0;
  newStars_ = 0;
  for (StarRecord& Star : Stars) Star.New = false;
}

// One step without drawing: the same updates, square by square, as DrawFrame.
void Scene::StepFrame(ShowRandom& Random) {
  for (int i = 0; i < kStarCount; ++i) AdvanceStar(i, Random);
  FinishTurnoverWhenDone();
}

// One square at its place, facing the viewer, spun by Spin.
void Scene::DrawSquare(const StarRecord& Star, float Spin) {
  Calls->LoadIdentity();
  Calls->Translatef(0.0f, 0.0f, ViewDistance);
  Calls->Rotatef(TiltAngle, 1.0f, 0.0f, 0.0f);
  Calls->Rotatef(Star.OrbitAngle, 0.0f, 1.0f, 0.0f);
  Calls->Translatef(Star.Radius, 0.0f, 0.0f);
  // Undo the orbit's orientation so the square faces the viewer.
  Calls->Rotatef(-Star.OrbitAngle, 0.0f, 1.0f, 0.0f);
  Calls->Rotatef(-TiltAngle, 1.0f, 0.0f, 0.0f);
  Calls->Rotatef(Spin, 0.0f, 0.0f, 1.0f);
  Calls->Color4ub(static_cast<unsigned char>(Star.Red & 0xFF), static_cast<unsigned char>(Star.Green & 0xFF),
                  static_cast<unsigned char>(Star.Blue & 0xFF), 255);

  Calls->Begin(GL_QUADS);
  Calls->TexCoord2f(0.0f, 0.0f);
  Calls->Vertex3f(-1.0f, -1.0f, 0.0f);
  Calls->TexCoord2f(1.0f, 0.0f);
  Calls->Vertex3f(1.0f, -1.0f, 0.0f);
  Calls->TexCoord2f(1.0f, 1.0f);
  Calls->Vertex3f(1.0f, 1.0f, 0.0f);
  Calls->TexCoord2f(0.0f, 1.0f);
  Calls->Vertex3f(-1.0f, 1.0f, 0.0f);
  Calls->End();
}

// During a turnover: every square is placed as the plain loop would place it
// (each with the spin it would be drawn with), then the squares are drawn in
// two groups, one per texture, so that each texture is bound once. Additive
// blending onto black adds the same values in any order, so the picture is
// the one the plain loop would give.
bool Scene::DrawGroupedByPhotograph(ShowRandom& Random) {
  std::array<StarRecord, kStarCount> placed;
  std::array<float, kStarCount> spin;
  for (int i = 0; i < kStarCount; ++i) {
    placed[i] = Stars[i];
    spin[i] = SpinAngle;
    AdvanceStar(i, Random);
  }
  Calls->Clear(GL_COLOR_BUFFER_BIT);
  for (const bool incoming : {false, true}) {
    Calls->BindTexture(GL_TEXTURE_2D, incoming ? NextTexture : PhotoTexture);
    for (int i = 0; i < kStarCount; ++i) {
      if (placed[i].New == incoming) DrawSquare(placed[i], spin[i]);
    }
  }
  FinishTurnoverWhenDone();
  return true;
}

// Draws the 50 squares, each facing the viewer, and moves them one step.
bool Scene::DrawFrame(ShowRandom& Random) {
  if (TurningOver()) return DrawGroupedByPhotograph(Random);
  // Colour only: no depth test is ever on, so the depth buffer is neither read
  // nor written, and clearing it would cost a full-screen pass each frame on
  // a software renderer (about 2 ms of 25 at 1920 x 1080 on llvmpipe).
  Calls->Clear(GL_COLOR_BUFFER_BIT);
  Calls->BindTexture(GL_TEXTURE_2D, PhotoTexture);

  for (int i = 0; i < kStarCount; ++i) {
    DrawSquare(Stars[i], SpinAngle);
    AdvanceStar(i, Random);
  }
  return true;
}

}  // namespace sorvane
