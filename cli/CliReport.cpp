#include "CliReport.h"

#include <cstdio>

namespace scriva::cli {

void PrintStraightenReport(const StraightenResult& r, bool fine, const CxImage& out)
{
    std::printf("{\"angle_deg\": %.3f, \"confidence\": %.2f, \"refined\": %s, \"crop\": "
                "{\"left\": %d, \"top\": %d, \"right\": %d, \"bottom\": %d}, \"width\": %u, "
                "\"height\": %u}\n",
                r.angle, r.confidence, fine ? "true" : "false", r.crop.left, r.crop.top,
                r.crop.right, r.crop.bottom, out.GetWidth(), out.GetHeight());
}

} // namespace scriva::cli
