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

void Swarms::ChangePhotographs(PhotoSupply* Supply, long StepsBetween) {
  supply_ = Supply;
  stepsBetween_ = StepsBetween > 0 ? StepsBetween : 0;
  primaryChanges_ = Turnover{};
  if (!supply_) return;
  // All asked first, so that the supply can work through them while the
  // first is uploaded.
  for (size_t i = 0; i < others_.size(); ++i) supply_->Ask(static_cast<int>(i + 1));
  for (size_t i = 0; i < others_.size(); ++i) {
    Swarm& swarm = others_[i];
    swarm.Changes = Turnover{};
    BgrImage square;
    unsigned int texture = 0;
    // A swarm whose own photograph cannot be had keeps the primary's.
    if (supply_->Wait(static_cast<int>(i + 1), square) == PhotoSupply::Answer::Ready &&
        swarm.Show.Calls->UploadPhotoTexture(square, texture) && texture != 0) {
      swarm.Show.PhotoTexture = texture;
    }
  }
}

// One swarm's schedule: asks when its time has come and starts the turnover
// once the photograph is ready and the last turnover is over.
void Swarms::Turn(Scene& Show, Turnover& Changes, int Index, int Steps) {
  if (!supply_ || stepsBetween_ == 0) return;
  Changes.Since += Steps;
  if (!Changes.Asked && Changes.Since >= stepsBetween_) {
    supply_->Ask(Index);
    Changes.Asked = true;
  }
  if (!Changes.Asked || Show.TurningOver()) return;
  BgrImage square;
  switch (supply_->Take(Index, square)) {
    case PhotoSupply::Answer::Waiting:
      return;
    case PhotoSupply::Answer::Ready:
      Show.BeginTurnover(square);  // a texture that cannot be made: the photograph stays
      break;
    case PhotoSupply::Answer::Unavailable:
      break;  // asked again after another interval
  }
  Changes.Asked = false;
  Changes.Since = 0;
}

// A texture that went out of a swarm is deleted unless another swarm still
// shows it (the further swarms start with the primary's).
void Swarms::GiveBackRetired(Scene& Show, Scene& Primary) {
  const unsigned int texture = Show.TakeRetiredTexture();
  if (!texture) return;
  auto uses = [texture](const Scene& Other) {
    return Other.PhotoTexture == texture || Other.NextTexture == texture;
  };
  bool used = uses(Primary);
  for (const Swarm& swarm : others_) used = used || uses(swarm.Show);
  if (!used) Show.Calls->DeleteTexture(texture);
}

bool Swarms::DrawSteps(Scene& Primary, ShowRandom& PrimaryRandom, int Steps) {
  Turn(Primary, primaryChanges_, 0, Steps);
  for (size_t i = 0; i < others_.size(); ++i) Turn(others_[i].Show, others_[i].Changes, static_cast<int>(i + 1), Steps);
  const bool ok = DrawEverySwarm(Primary, PrimaryRandom, Steps);
  GiveBackRetired(Primary, Primary);
  for (Swarm& swarm : others_) GiveBackRetired(swarm.Show, Primary);
  return ok;
}

bool Swarms::DrawEverySwarm(Scene& Primary, ShowRandom& PrimaryRandom, int Steps) {
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
