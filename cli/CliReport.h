#pragma once
// The JSON line that "straighten --report" and "process --report" print: the
// turn undone, how sure it is, whether it was refined, the crop to the page
// and the size of the result. The calling thread only.

#include "capture_view/PageStraightening.h"

namespace scriva::cli {

void PrintStraightenReport(const StraightenResult& result, bool fine, const CxImage& out);

} // namespace scriva::cli
