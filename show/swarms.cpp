// The show's swarms over every monitor (see swarms.h).

#include "swarms.h"

namespace sorvane {

namespace {

// Steps of one swarm: the missed ones undrawn, the last drawn.
bool RunSteps(Scene& Show, ShowRandom& Random, int Steps) {
  for (int i = 1; i < Steps; ++i) Show.StepFrame(Random);
  return Show.DrawFrame(Random);
}

}  // namespace

void Swarms::SetUp(const MonitorLayout& Layout, const Scene& Primary, uint32_t PrimarySeed) {
  others_.clear();
  if (Layout.Viewports.size() < 2) return;
  primaryArea_ = Layout.Viewports[0];
  others_.resize(Layout.Viewports.size() - 1);
  for (size_t i = 0; i < others_.size(); ++i) {
    Swarm& swarm = others_[i];
    swarm.Area = Layout.Viewports[i + 1];
    swarm.Random.Seed(SwarmSeed(PrimarySeed, static_cast<int>(i + 1)));
    swarm.Show.Calls = Primary.Calls;
    swarm.Show.PhotoTexture = Primary.PhotoTexture;
    swarm.Show.FillStars(swarm.Random);
  }
}

bool Swarms::DrawSteps(Scene& Primary, ShowRandom& PrimaryRandom, int Steps) {
  if (others_.empty()) return RunSteps(Primary, PrimaryRandom, Steps);
  Primary.Calls->MonitorViewport(primaryArea_.X, primaryArea_.Y, primaryArea_.Width, primaryArea_.Height);
  bool ok = RunSteps(Primary, PrimaryRandom, Steps);
  for (Swarm& swarm : others_) {
    swarm.Show.TiltAngle = Primary.TiltAngle;
    swarm.Show.ViewDistance = Primary.ViewDistance;
    swarm.Show.Calls->MonitorViewport(swarm.Area.X, swarm.Area.Y, swarm.Area.Width, swarm.Area.Height);
    ok = RunSteps(swarm.Show, swarm.Random, Steps) && ok;
  }
  // Whatever is drawn over the swarms before the frame is presented (the
  // frame-rate overlay) goes on the primary monitor.
  Primary.Calls->MonitorViewport(primaryArea_.X, primaryArea_.Y, primaryArea_.Width, primaryArea_.Height);
  return ok;
}

}  // namespace sorvane
