// Straightening on a generated set of page photos with known turns and corners,
// refined and one-degree side by side: skew left, overlap of the crop with the
// true page (intersection over union) and time per photo (detect, turn, find
// the page, crop; one thread). Prints a Markdown table.
//   straighten_set [--quick] [--case N] [--angle A] [--photos] [--write DIR]
// --quick draws every fourth photo of each case; --case N only case N (from 0);
// --angle A turns every photo by A degrees (plus a hundredth per photo);
// --photos adds a line per photo;
// --write saves each photo as DIR/<case>-<n>.jpg for a look.

#include "CxImage.h"
#include "CxPageDetect.h"
#include "tests/image/cximage/page_scene.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

using namespace pagescene;

namespace {

struct Case
{
    std::string name;
    Scene base;
    int photos;
};

struct Outcome
{
    cxdetect::PageBox box;
    double skewLeft = 0;
    double overlap = 0;
    double ms = 0;
};

struct Tally
{
    double skewSum = 0, skewMax = 0, overlapMin = 1, msSum = 0;
    int n = 0;
    void Add(const Outcome& o)
    {
        skewSum += o.skewLeft;
        skewMax = std::max(skewMax, o.skewLeft);
        overlapMin = std::min(overlapMin, o.overlap);
        msSum += o.ms;
        ++n;
    }
};

// This thread's processor time: the machine may be shared, wall time would wander.
double CpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

Outcome Straighten(const CxImage& photo, const Truth& truth, bool fine)
{
    CxImage img(photo);
    Outcome o;
    const double start = CpuMs();
    double turn = 0;
    cxdetect::PageBox box;
    if (fine) {
        turn = cxdetect::DetectFineSkew(img).degrees;
        cxdetect::ApplyFineSkew(img, turn);
        box = cxdetect::DetectPageCrop(img);
    } else {
        turn = cxdetect::DetectSkew(img);
        cxdetect::ApplySkew(img, int(turn));
        box = cxdetect::DetectPageBox(img);
    }
    img.Crop(box.left, box.top, box.right, box.bottom);
    o.ms = CpuMs() - start;
    o.box = box;
    o.skewLeft = std::fabs(turn - truth.ccwDegrees);
    o.overlap = CropOverlap(truth, int(photo.GetWidth()), int(photo.GetHeight()), turn,
                            fine ? cxdetect::kMinTurnDegrees : 0.5, box.left, box.top, box.right,
                            box.bottom);
    return o;
}

std::vector<Case> Cases()
{
    const Scene mp5{2592, 1944};
    Scene mp13{4208, 3120};
    std::vector<Case> cases;
    auto add = [&cases](const char* name, Scene s, int photos) {
        cases.push_back({name, s, photos});
    };
    add("portrait, dark desk, 5 MP", mp5, 29);
    Scene s = mp5;
    s.landscape = true;
    add("landscape, dark desk, 5 MP", s, 11);
    s = mp5;
    s.desk = Desk::Grey;
    add("grey desk", s, 8);
    s.desk = Desk::Wood;
    add("wooden desk", s, 8);
    s.desk = Desk::OffWhite;
    add("off-white desk", s, 8);
    s = mp5;
    s.secondPage = true;
    add("second page beside", s, 8);
    s = mp5;
    s.brightObject = true;
    add("bright object touching", s, 6);
    s = mp5;
    s.offFrame = true;
    add("page off the frame's edge", s, 6);
    s = mp5;
    s.print = Print::Little;
    add("little text", s, 6);
    s.print = Print::None;
    add("blank page", s, 6);
    s = mp5;
    s.blurPx = 4;
    add("blurred", s, 6);
    s = mp5;
    s.vignetting = 0.5;
    s.desk = Desk::Grey;
    add("strong vignetting, grey desk", s, 6);
    add("portrait, 13 MP", mp13, 6);
    mp13.landscape = true;
    mp13.desk = Desk::Wood;
    mp13.vignetting = 0.35;
    add("landscape, wooden desk, vignetting, 13 MP", mp13, 4);
    s = mp5;
    s.picture = true;
    add("title over a large dark picture", s, 8);
    s.landscape = true;
    add("landscape, large dark picture", s, 4);
    s = mp5;
    s.lowerLeft = true;
    add("touching the frame's lower-left edge", s, 8);
    s.frameBorder = 0.04;
    add("lower-left, dark desk inside a dark frame border", s, 8);
    s.desk = Desk::Grey;
    add("lower-left, grey desk inside a dark frame border", s, 4);
    s = mp5;
    s.frameBorder = 0.04;
    add("dark desk inside a dark frame border", s, 4);
    return cases;
}

} // namespace

int main(int argc, char** argv)
{
    bool quick = false, perPhoto = false;
    int only = -1;
    double angle = 1000; // none given

    std::string writeDir;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--quick"))
            quick = true;
        else if (!std::strcmp(argv[i], "--photos"))
            perPhoto = true;
        else if (!std::strcmp(argv[i], "--angle") && i + 1 < argc)
            angle = std::atof(argv[++i]);
        else if (!std::strcmp(argv[i], "--case") && i + 1 < argc)
            only = std::atoi(argv[++i]);
        else if (!std::strcmp(argv[i], "--write") && i + 1 < argc)
            writeDir = argv[++i];
        else {
            std::fprintf(stderr, "usage: straighten_set [--quick] [--case N] [--angle A] "
                                 "[--photos] [--write DIR]\n");
            return 2;
        }
    }
    Tally allFine, allCoarse;
    std::printf("| case | photos | refined: mean / max skew left (deg) | refined: min overlap | "
                "refined: ms | one-degree: mean / max skew left (deg) | one-degree: min overlap "
                "| one-degree: ms |\n|---|--:|--:|--:|--:|--:|--:|--:|\n");
    int caseNo = 0;
    for (const Case& c : Cases()) {
        if (only >= 0 && caseNo != only) {
            ++caseNo;
            continue;
        }
        Tally fine, coarse;
        for (int i = 0; i < c.photos; ++i) {
            if (quick && i % 4 != 0)
                continue;
            Scene s = c.base;
            // Angles spread over -10 ... 10 with a different fraction in every case.
            s.ccwDegrees = -10 + 20 * (i + 0.37 + 0.13 * caseNo) / c.photos;
            if (s.ccwDegrees > 10)
                s.ccwDegrees -= 20;
            if (angle < 1000)
                s.ccwDegrees = angle + 0.01 * i;
            s.seed = uint32_t(1000 * caseNo + i + 1);
            Truth truth;
            const CxImage photo = Render(s, truth);
            if (!writeDir.empty()) {
                CxImage copy(photo);
                copy.Save(writeDir + "/" + std::to_string(caseNo) + "-" + std::to_string(i) +
                              ".jpg",
                          CXIMAGE_FORMAT_JPG);
            }
            const Outcome f = Straighten(photo, truth, true);
            const Outcome k = Straighten(photo, truth, false);
            fine.Add(f);
            coarse.Add(k);
            allFine.Add(f);
            allCoarse.Add(k);
            if (perPhoto) {
                char line[256];
                std::snprintf(line, sizeof line,
                              "%-44s %2d angle %7.3f | refined skew %.3f iou %.3f %.0f ms | "
                              "one-degree skew %.3f iou %.3f %.0f ms\n",
                              c.name.c_str(), i, s.ccwDegrees, f.skewLeft, f.overlap, f.ms,
                              k.skewLeft, k.overlap, k.ms);
                std::fputs(line, stderr);
                std::snprintf(line, sizeof line, "    refined box %d %d %d %d, page %.0f x %.0f\n",
                              f.box.left, f.box.top, f.box.right, f.box.bottom, truth.width,
                              truth.height);
                std::fputs(line, stderr);
            }
        }
        std::printf("| %s | %d | %.3f / %.2f | %.3f | %.0f | %.3f / %.2f | %.3f | %.0f |\n",
                    c.name.c_str(), fine.n, fine.skewSum / fine.n, fine.skewMax, fine.overlapMin,
                    fine.msSum / fine.n, coarse.skewSum / coarse.n, coarse.skewMax,
                    coarse.overlapMin, coarse.msSum / coarse.n);
        std::fflush(stdout);
        ++caseNo;
    }
    std::printf("| **all** | %d | %.3f / %.2f | %.3f | %.0f | %.3f / %.2f | %.3f | %.0f |\n",
                allFine.n, allFine.skewSum / allFine.n, allFine.skewMax, allFine.overlapMin,
                allFine.msSum / allFine.n, allCoarse.skewSum / allCoarse.n, allCoarse.skewMax,
                allCoarse.overlapMin, allCoarse.msSum / allCoarse.n);
    return 0;
}
