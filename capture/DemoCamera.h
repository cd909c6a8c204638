#pragma once
// The demo camera's single picture: a printed A4 page lying sideways (its top
// to the left), turned 3 degrees, on a dark desk; 2592 x 1944 BGR, identical
// on every run. Decoded once from the PNG in the library's resources by the
// image object's own codec; any thread may ask
// for it.

#include "image/cximage/CxImage.h"

namespace DemoCamera {

constexpr int kWidth = 2592;
constexpr int kHeight = 1944;
constexpr int kFramesPerSecond = 15;
constexpr int kDefaultModel = 4;

// 24 bits per pixel, kWidth x kHeight, rows stored bottom-up as the image
// object keeps them; an invalid image if the resource is missing or broken.
const CxImage& Picture();

} // namespace DemoCamera
