// The show's swarms over every monitor: the primary monitor's swarm is the
// show's scene as it always was; each further monitor gets a swarm of its own
// (its own table and random numbers, the same photograph, size and tilt),
// drawn in that monitor's viewport of the one window. Portable; pairs with
// swarms.cpp, drives scene.h and takes its layout from monitor_layout.h. It
// does not find the monitors nor own the primary scene.
#pragma once

#include <cstdint>
#include <vector>

#include "monitor_layout.h"
#include "scene.h"
#include "show_random.h"

namespace sorvane {

class Swarms {
 public:
  // After the primary scene was set up over the whole window: one further
  // swarm per further viewport of Layout, sharing Primary's texture, seeded
  // from PrimarySeed with SwarmSeed. With one monitor nothing changes: the
  // primary scene keeps the window's whole viewport.
  void SetUp(const MonitorLayout& Layout, const Scene& Primary, uint32_t PrimarySeed);

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
  struct Swarm {
    Scene Show;
    ShowRandom Random;
    SwarmViewport Area;
  };
  std::vector<Swarm> others_;
  SwarmViewport primaryArea_;
};

}  // namespace sorvane
