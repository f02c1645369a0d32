// The scene of the show: 50 photo squares, tinted, spinning, orbiting a centre
// whose plane tilts. Portable OpenGL 1.1; all state of one show in one object.
// Pairs with scene.cpp; the calls it makes go through scene_calls.h. It does
// not make or own the rendering context (render_context_*.h do that).
//
// Use: with a context current and the projection set (OpenRenderContext does
// both and then calls SetUpScene), set ViewDistance, then call DrawFrame once
// per frame and present the back buffer (StepFrame for a step not drawn).
// TiltAngle may change between frames.
//
// A new photograph comes in through the squares themselves: after
// BeginTurnover, every square that re-enters at the rim carries it, and once
// all do (at most one drift, 500 steps) the old photograph's texture is
// retired. A swarm so holds at most two textures.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "scene_calls.h"
#include "show_random.h"

namespace sorvane {

// One square.
struct StarRecord {
  int16_t Red = 0, Green = 0, Blue = 0;  // tint, 0 to 255
  float Radius = 0.0f;                   // distance from the orbit centre
  float OrbitAngle = 0.0f;               // degrees, never reduced modulo 360
  bool New = false;                      // carries NextTexture (the incoming photograph)
};

class Scene {
 public:
  static constexpr int kStarCount = 50;

  std::array<StarRecord, kStarCount> Stars{};
  float TiltAngle = 90.0f;     // orbit plane's rotation about x, swept 90..270 by the show's timer
  float SpinAngle = 0.0f;      // spin of the squares in their own plane
  float ViewDistance = -13.0f; // z of the orbit centre: StarSize - 25
  unsigned int PhotoTexture = 0;
  unsigned int NextTexture = 0;  // the incoming photograph during a turnover; 0 otherwise
  SceneCalls* Calls = &RealSceneCalls();  // where OpenGL calls go; tests put a recorder here

  // With a current context and projection: loads the texture from BitmapPath,
  // sets the fixed OpenGL state and fills the table. False when the texture
  // could not be loaded.
  bool SetUpScene(const std::string& BitmapPath, ShowRandom& Random);

  // The same with the photo square in memory (top-down rows), for a show
  // that could write no bitmap file.
  bool SetUpScene(const BgrImage& Square, ShowRandom& Random);

  // Fills the table of squares (radii, orbit angles, random tints) as
  // SetUpScene does, without touching OpenGL: a second swarm that shares the
  // photograph takes the texture name and fills its own table.
  void FillStars(ShowRandom& Random);

  // Draws one frame and advances the motion by one step. Always true.
  bool DrawFrame(ShowRandom& Random);

  // Advances the motion by one step without drawing: the state afterwards is
  // exactly that after DrawFrame (same arithmetic, same random numbers), so a
  // late frame can catch up on the steps it missed.
  void StepFrame(ShowRandom& Random);

  // Uploads Square as the incoming photograph; squares take it as they re-enter
  // at the rim. False (nothing changes) during a turnover or when the texture
  // could not be made.
  bool BeginTurnover(const BgrImage& Square);

  bool TurningOver() const { return NextTexture != 0; }

  // The texture of the photograph that went out with the last finished
  // turnover (0: none), handed over once: whoever owns it deletes it.
  unsigned int TakeRetiredTexture();

  // A random tint component: floor(256 r), 0 to 255.
  static int16_t RandomColour(ShowRandom& Random);

 private:
  void SetFixedStateAndFill(ShowRandom& Random);
  void AdvanceStar(int Index, ShowRandom& Random);
  void DrawSquare(const StarRecord& Star, float Spin);
  bool DrawGroupedByPhotograph(ShowRandom& Random);
  void FinishTurnoverWhenDone();

  int newStars_ = 0;             // squares carrying NextTexture
  unsigned int retired_ = 0;
};

}  // namespace sorvane
