#pragma once
// Hands-free scanning: watches the live picture at low resolution and says
// when to take one photo of a page that is new and lies still.
//
// Each frame is shrunk to a small grey picture (ShrinkGrey: the average of a
// grid of samples in each cell) and divided by its own mean, so a change of
// light over the whole picture (a cloud, a lamp's flicker, a slow drift) is
// no change. A cell moved when it differs from the same cell of the last
// frame by more than a threshold that follows the camera's noise. The
// watcher then goes:
//   Waiting  -- the picture is the one last photographed (or nothing moved);
//   Moving   -- cells moved (a hand, a page being turned, the arm bumped);
//   Settling -- the picture is still and differs from the last photo;
//               after the settle time Feed says Take;
//   Blocked  -- still and different, but only part of the picture's edge
//               changed: something reaches in from outside (a hand resting).
// The caller takes the photo and calls Taken; the reference becomes that
// picture, so returning to it (hands withdrawn, nothing turned) takes none.
// Before the first photo any still picture counts as new.
// No Qt; one thread at a time.

#include <cstdint>
#include <vector>

namespace scriva::watch {

constexpr int kSmallWidth = 64;
constexpr int kSmallHeight = 48;

// A small grey picture, top row first, values as the frame's 0..255.
struct SmallFrame
{
    int width = 0;
    int height = 0;
    std::vector<float> cells;
    bool IsValid() const { return width > 0 && height > 0 && !cells.empty(); }
};

// Shrinks a frame of 3 (BGR) or 4 (BGRA) bytes per pixel to kSmallWidth x
// kSmallHeight cells (fewer for a smaller frame), each the average of up to
// 8 x 8 evenly spread samples of its area. `bottomUp`: the first row in memory
// is the picture's bottom row. False for sizes that do not fit.
bool ShrinkGrey(const uint8_t* data, int width, int height, int stride, int bytesPerPixel,
                bool bottomUp, SmallFrame& out);

enum class WatchState { Waiting, Moving, Settling, Blocked };

struct WatchSettings
{
    double settleSeconds = 0.8;
    // 1 (coarse: only clearly different pages) .. 10 (a few changed words).
    int sensitivity = 5;
};

class PageWatcher
{
public:
    explicit PageWatcher(const WatchSettings& settings = {});

    // Forgets the reference and the motion history (mode started again).
    void Reset();
    void SetSettings(const WatchSettings& settings);

    // One frame at `seconds` (any steadily rising clock). True: take the photo
    // now, of this still picture.
    bool Feed(const SmallFrame& frame, double seconds);
    // The photo of the last Feed's picture was taken: it becomes the reference.
    void Taken();
    // Whether `frame` still shows the picture Feed last called still (checked
    // on the frame a photo is actually made of).
    bool SameAsLast(const SmallFrame& frame) const;

    WatchState State() const { return m_state; }
    // The time the picture has been still, in seconds.
    double StillFor() const { return m_stillFor; }
    // The cell threshold in force (after the noise estimate), as a fraction.
    double CellThreshold() const;

private:
    struct Diff
    {
        int changed = 0; // cells beyond the threshold
        int edgeChanged = 0;
    };
    Diff Compare(const std::vector<float>& a, const std::vector<float>& b, double threshold) const;
    void Normalise(const SmallFrame& frame, std::vector<float>& out) const;
    void LearnNoise(const std::vector<float>& a, const std::vector<float>& b);
    int MotionCells() const;
    int ChangeCells() const;

    WatchSettings m_settings;
    int m_width = 0;
    int m_height = 0;
    int m_edgeCells = 0;
    std::vector<float> m_current;
    std::vector<float> m_previous;
    std::vector<float> m_anchor; // the picture when it became still
    std::vector<float> m_reference;
    bool m_hasPrevious = false;
    bool m_hasReference = false;
    double m_stillSince = 0.0;
    double m_stillFor = 0.0;
    double m_noise = 0.0; // typical cell difference of a still picture (fraction)
    int m_noiseFrames = 0;
    WatchState m_state = WatchState::Waiting;
};

} // namespace scriva::watch
