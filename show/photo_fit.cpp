// Fitting a photograph into the square (FitPhotoToSquare in photo_square.h):
// the arithmetic alone, apart from decoding and files, so the fuzzers and
// the tests can use it on its own.

#include <cmath>

#include "numeric.h"
#include "photo_square.h"

namespace sorvane {

// W and H as single precision, products and quotients in extended precision,
// every result rounded to the nearest integer, ties to even.
PhotoFit FitPhotoToSquare(int Width, int Height) {
  PhotoFit fit;
  if (Width < 1 || Height < 1) return fit;
  const float w = static_cast<float>(Width);
  const float h = static_cast<float>(Height);
  const long double side = kPhotoSquareSide;
  if (w > h) {
    fit.Width = kPhotoSquareSide;
    fit.Height = static_cast<int>(std::nearbyint(side * h / w));
  } else {
    fit.Width = static_cast<int>(std::nearbyint(side * w / h));
    fit.Height = kPhotoSquareSide;
  }
  fit.X = static_cast<int>(RoundHalfEven((kPhotoSquareSide - fit.Width) / 2.0));
  fit.Y = static_cast<int>(RoundHalfEven((kPhotoSquareSide - fit.Height) / 2.0));
  return fit;
}

}  // namespace sorvane
