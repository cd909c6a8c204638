// The page watcher on generated camera sequences: one photo of each new page,
// none of a moving picture, a hand or a page laid back; light changes, noise,
// JPEG artefacts and a trembling stand change nothing of that.

#include "PageSequence.h"

#include "capture_view/PageWatcher.h"
#include "image/cximage/CxImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using scriva::watch::PageWatcher;
using scriva::watch::ShrinkGrey;
using scriva::watch::SmallFrame;
using scriva::watch::WatchSettings;
using scriva::watch::WatchState;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;

struct Outcome
{
    std::vector<int> pages; // the page of each photo
    int unclean = 0;        // photos of a hand or a moving page
};

// Through a JPEG encoder and decoder at the camera's usual quality.
std::vector<uint8_t> ThroughJpeg(const std::vector<uint8_t>& bgr)
{
    CxImage image;
    image.Create(kWidth, kHeight, 24, CXIMAGE_FORMAT_BMP);
    for (int y = 0; y < kHeight; ++y) // the image keeps its rows bottom-up
        std::memcpy(image.GetBits(kHeight - 1 - y), &bgr[static_cast<size_t>(y) * kWidth * 3],
                    kWidth * 3);
    image.SetJpegQuality(70);
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(image.Encode(bytes, CXIMAGE_FORMAT_JPG));
    CxImage back;
    EXPECT_TRUE(back.Decode(bytes.data(), bytes.size(), CXIMAGE_FORMAT_JPG));
    std::vector<uint8_t> out(bgr.size());
    for (int y = 0; y < kHeight; ++y)
        std::memcpy(&out[static_cast<size_t>(y) * kWidth * 3], back.GetBits(kHeight - 1 - y),
                    kWidth * 3);
    return out;
}

Outcome Watch(const pageseq::Script& script, bool jpeg = false, WatchSettings settings = {})
{
    PageWatcher watcher(settings);
    Outcome outcome;
    SmallFrame small;
    for (size_t i = 0; i < script.frames.size(); ++i) {
        const pageseq::Frame& frame = script.frames[i];
        std::vector<uint8_t> bgr = pageseq::Draw(frame.shot, kWidth, kHeight);
        if (jpeg)
            bgr = ThroughJpeg(bgr);
        EXPECT_TRUE(ShrinkGrey(bgr.data(), kWidth, kHeight, kWidth * 3, 3, false, small));
        if (watcher.Feed(small, static_cast<double>(i) / script.fps)) {
            outcome.pages.push_back(frame.shot.page);
            if (!frame.clean)
                ++outcome.unclean;
            watcher.Taken();
        }
    }
    return outcome;
}

class PageWatcherScenario : public ::testing::TestWithParam<std::string>
{
};

TEST_P(PageWatcherScenario, OnePhotoOfEachNewPageAndNoneOfAnythingElse)
{
    const pageseq::Script script = pageseq::Scenario(GetParam());
    const Outcome outcome = Watch(script);
    EXPECT_EQ(outcome.pages, script.expected);
    EXPECT_EQ(outcome.unclean, 0);
}

TEST_P(PageWatcherScenario, JpegArtefactsChangeNothing)
{
    const pageseq::Script script = pageseq::Scenario(GetParam());
    const Outcome outcome = Watch(script, true);
    EXPECT_EQ(outcome.pages, script.expected);
    EXPECT_EQ(outcome.unclean, 0);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, PageWatcherScenario,
                         ::testing::ValuesIn(pageseq::ScenarioNames()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (c == ' ')
                                     c = '_';
                             return name;
                         });

TEST(PageWatcher, SettleTimeIsWaitedFromTheLastMovement)
{
    // Table: settle seconds -> the photo comes on the first frame still that long.
    for (const double settle : {0.4, 0.8, 1.5}) {
        pageseq::Script script;
        script.Still(1, 3.0, true);
        WatchSettings settings;
        settings.settleSeconds = settle;
        PageWatcher watcher(settings);
        SmallFrame small;
        double takenAt = -1;
        for (size_t i = 0; i < script.frames.size() && takenAt < 0; ++i) {
            const auto bgr = pageseq::Draw(script.frames[i].shot, kWidth, kHeight);
            ASSERT_TRUE(ShrinkGrey(bgr.data(), kWidth, kHeight, kWidth * 3, 3, false, small));
            const double t = static_cast<double>(i) / script.fps;
            if (watcher.Feed(small, t))
                takenAt = t;
        }
        // Still from the first frame on; the photo within one frame of the settle time.
        EXPECT_GE(takenAt, settle) << settle;
        EXPECT_LT(takenAt, settle + 1.0 / script.fps + 1e-9) << settle;
    }
}

TEST(PageWatcher, StatesFollowThePicture)
{
    pageseq::Script script;
    script.Still(1, 1.5, true);
    script.Hand(1, 0.4, 1.5, 0.4);
    script.Still(1, 0.5, false);
    script.Turn(1, 2, 0.6);
    PageWatcher watcher;
    SmallFrame small;
    std::vector<WatchState> seen;
    for (size_t i = 0; i < script.frames.size(); ++i) {
        const auto bgr = pageseq::Draw(script.frames[i].shot, kWidth, kHeight);
        ASSERT_TRUE(ShrinkGrey(bgr.data(), kWidth, kHeight, kWidth * 3, 3, false, small));
        if (watcher.Feed(small, static_cast<double>(i) / script.fps))
            watcher.Taken();
        if (seen.empty() || seen.back() != watcher.State())
            seen.push_back(watcher.State());
    }
    // Page 1 settles and is taken; the hand moves in, rests (blocked), leaves
    // (back to the photographed page); the turn moves.
    const std::vector<WatchState> want = {
        WatchState::Moving,  WatchState::Settling, WatchState::Waiting, WatchState::Moving,
        WatchState::Blocked, WatchState::Moving,   WatchState::Waiting, WatchState::Moving};
    EXPECT_EQ(seen, want);
}

TEST(PageWatcher, SensitivityDecidesWhetherAFewChangedLinesAreANewPage)
{
    // A form sheet whose three filled-in lines differ: a new page from the
    // middle sensitivity up, but the coarsest setting wants clearly different pages.
    const pageseq::Script script = pageseq::Scenario("form sheets");
    for (const auto& [sensitivity, photos] :
         std::vector<std::pair<int, size_t>>{{1, 1}, {5, 4}, {10, 4}}) {
        WatchSettings settings;
        settings.sensitivity = sensitivity;
        EXPECT_EQ(Watch(script, false, settings).pages.size(), photos) << sensitivity;
    }
}

TEST(ShrinkGrey, AveragesCellsInEitherRowOrderAndRefusesBadSizes)
{
    // Left half black, right half white, top quarter grey 100 (BGRA rows).
    const int w = 640;
    const int h = 480;
    std::vector<uint8_t> bgra(static_cast<size_t>(w) * h * 4);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            uint8_t* p = &bgra[(static_cast<size_t>(y) * w + x) * 4];
            const uint8_t v = y < h / 4 ? 100 : (x < w / 2 ? 0 : 255);
            p[0] = p[1] = p[2] = v;
        }
    SmallFrame top;
    ASSERT_TRUE(ShrinkGrey(bgra.data(), w, h, w * 4, 4, false, top));
    ASSERT_EQ(top.width, 64);
    ASSERT_EQ(top.height, 48);
    EXPECT_NEAR(top.cells[0], 100, 0.6);
    EXPECT_NEAR(top.cells[47 * 64], 0, 0.6);
    EXPECT_NEAR(top.cells[47 * 64 + 63], 255, 1.0);
    SmallFrame bottom;
    ASSERT_TRUE(ShrinkGrey(bgra.data(), w, h, w * 4, 4, true, bottom));
    EXPECT_NEAR(bottom.cells[47 * 64], 100, 0.6); // the rows read from the other end
    EXPECT_NEAR(bottom.cells[0], 0, 0.6);
    SmallFrame tiny;
    ASSERT_TRUE(ShrinkGrey(bgra.data(), 10, 8, w * 4, 4, false, tiny));
    EXPECT_EQ(tiny.width * tiny.height, 80);
    EXPECT_FALSE(ShrinkGrey(bgra.data(), w, h, w * 3, 4, false, tiny));
    EXPECT_FALSE(ShrinkGrey(bgra.data(), w, h, w * 4, 2, false, tiny));
    EXPECT_FALSE(ShrinkGrey(nullptr, w, h, w * 4, 4, false, tiny));
    EXPECT_FALSE(ShrinkGrey(bgra.data(), 0, h, w * 4, 4, false, tiny));
}

} // namespace
