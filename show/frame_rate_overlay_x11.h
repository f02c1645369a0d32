// The -fps overlay of the Linux show: the frame rate and the load in the lower
// left corner, white text from the X server's "fixed" font on a dark
// translucent box, drawn with OpenGL 1.1 over the finished frame. Pairs with
// frame_rate_overlay_x11.cpp; the numbers come from frame_rate_meter.h. It
// sets every piece of OpenGL state it relies on and gives the scene back its
// own (attributes, matrices, matrix mode). It does not make the context.
#pragma once

#include <X11/Xlib.h>

#include <string>

#include "frame_rate_meter.h"

namespace sorvane {

class FrameRateOverlay {
 public:
  // With the show's context current: makes the font's display lists. False
  // (and a line on standard error) when the server has no usable font.
  bool Open(Display* Connection);

  // With the same context current, after the scene's frame and before the
  // swap: counts the frame and draws the text. Does nothing unless open.
  void Draw();

  // Draws Text (lines split at '\n') in the lower left corner of the
  // current viewport.
  void DrawText(const std::string& Text);

  // With the context still current: frees the display lists. Safe twice.
  void Close();

  bool IsOpen() const { return listBase_ != 0; }

 private:
  FrameRateMeter meter_;
  unsigned int listBase_ = 0;  // display list of character kFirstChar
  int charWidth_ = 0;          // the font is fixed-width
  int ascent_ = 0, descent_ = 0;
};

}  // namespace sorvane
