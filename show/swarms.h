// The show's swarms over every monitor: the primary monitor's swarm is the
// show's scene as it always was; each further monitor gets a swarm of its own
// (its own table and random numbers, the same photograph, size and tilt),
// drawn in that monitor's viewport of the one window. With a folder of
// photographs each swarm shows a photograph of its own and turns over to a new
// one every so many steps. Portable; pairs with swarms.cpp, drives scene.h,
// takes its layout from monitor_layout.h and its photographs from
// photo_supply.h. It does not find the monitors, decode photographs nor own
// the primary scene.
#pragma once

#include <cstdint>
#include <vector>

#include "monitor_layout.h"
#include "photo_supply.h"
#include "scene.h"
#include "show_random.h"

namespace sorvane {

class Swarms {
 public:
  // The motion's steps per second (the frame pacer's rate).
  static constexpr long kStepsPerSecond = 60;

  // After the primary scene was set up over the whole window: one further
  // swarm per further viewport of Layout, sharing Primary's texture, seeded
  // from PrimarySeed with SwarmSeed. With one monitor nothing changes: the
  // primary scene keeps the window's whole viewport.
  void SetUp(const MonitorLayout& Layout, const Scene& Primary, uint32_t PrimarySeed);

  // After SetUp, with a folder of photographs: every further swarm takes a
  // photograph of its own from Supply at once (waiting for it), and every
  // swarm asks for a new one each StepsBetween steps (0: never), counted from
  // the start of its last turnover; the new one comes in as its squares
  // re-enter at the rim. Supply must outlive the swarms' drawing; null ends
  // the changes.
  void ChangePhotographs(PhotoSupply* Supply, long StepsBetween);

  // Runs Steps steps (at least one) of every swarm: all but the last undrawn,
  // the last drawn, each swarm in its monitor's viewport. The further swarms
  // take Primary's tilt and view distance first. Afterwards the primary's
  // viewport is current again, for anything drawn over the swarms before the
  // frame is presented. False when a frame failed.
  bool DrawSteps(Scene& Primary, ShowRandom& PrimaryRandom, int Steps);

  // The number of swarms, the primary's included.
  int Count() const { return 1 + static_cast<int>(others_.size()); }

  // Further swarm Index (0 for the second monitor's).
  const Scene& Other(int Index) const { return others_[static_cast<size_t>(Index)].Show; }

 private:
  // One swarm's photograph changes.
  struct Turnover {
    long Since = 0;      // steps since its last turnover began (or the show's start)
    bool Asked = false;  // a photograph is asked for and not taken yet
  };
  struct Swarm {
    Scene Show;
    ShowRandom Random;
    SwarmViewport Area;
    Turnover Changes;
  };

  bool DrawEverySwarm(Scene& Primary, ShowRandom& PrimaryRandom, int Steps);
  void Turn(Scene& Show, Turnover& Changes, int Index, int Steps);
  void GiveBackRetired(Scene& Show, Scene& Primary);

  std::vector<Swarm> others_;
  SwarmViewport primaryArea_;
  Turnover primaryChanges_;
  PhotoSupply* supply_ = nullptr;
  long stepsBetween_ = 0;
};

}  // namespace sorvane
