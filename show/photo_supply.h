// Where a show's further photographs come from once it runs: the show asks
// for the next photograph of one swarm and takes it when it is ready, so that
// decoding never holds up a frame. Portable interface; a folder of
// photographs is the real supply (photos/folder_photos.h), tests hand in
// their own. It does not draw nor make textures (scene.h does).
#pragma once

#include "picture_file.h"

namespace sorvane {

class PhotoSupply {
 public:
  enum class Answer {
    Waiting,  // asked, not ready yet
    Ready,    // Square holds the photograph's 512 x 512 square
    Unavailable,  // nothing to give (no photograph could be read); ask again later
  };

  virtual ~PhotoSupply() = default;

  // Asks for the next photograph of swarm Swarm (0: the primary monitor's);
  // returns at once. Asking again before taking changes nothing.
  virtual void Ask(int Swarm) = 0;

  // The photograph asked for, when there is an answer; never waits.
  virtual Answer Take(int Swarm, BgrImage& Square) = 0;

  // The same, waiting until there is an answer (Ready or Unavailable).
  virtual Answer Wait(int Swarm, BgrImage& Square) = 0;
};

}  // namespace sorvane
