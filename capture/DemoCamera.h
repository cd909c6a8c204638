#pragma once
// The demo camera's single picture: a printed page turned 3 degrees on a dark
// desk, 2592 x 1944 BGR, identical on every run. Loaded once from the
// library's resources; any thread may ask for it.

#include <QImage>

namespace DemoCamera {

constexpr int kWidth = 2592;
constexpr int kHeight = 1944;
constexpr int kFramesPerSecond = 15;
constexpr int kDefaultModel = 4;

// Format_BGR888, kWidth x kHeight; a null image if the resource is missing.
const QImage& Picture();

} // namespace DemoCamera
