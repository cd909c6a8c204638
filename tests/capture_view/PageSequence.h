#pragma once
// Generated camera pictures of pages under a document camera, for the page
// watcher's tests and benchmark: a dark stand with a white page of text lines,
// a hand-like shape reaching in from the right, page turns (the new page
// sliding in, smeared along its motion), light flicker and drift, camera
// noise, JPEG artefacts and a shaking stand. Nothing is stored: every picture
// is drawn from its description.

#include <cstdint>
#include <string>
#include <vector>

namespace pageseq {

struct Shot
{
    int page = 0;       // content of the page (sheets of a form: kFormBase + n)
    double slide = 0.0; // page moved left by this fraction of the width (a turn)
    int blur = 0;       // horizontal smear in pixels
    double hand = -1.0; // < 0: no hand; 0..1: how far it reaches in
    double gain = 1.0;  // light level
    double tilt = 0.0;  // light falling off from left to right by this fraction
    double noise = 0.0; // standard deviation of the camera noise (grey levels)
    int shakeX = 0;     // the whole picture shifted (pixels)
    int shakeY = 0;
    unsigned seed = 1; // of the noise
};

// Sheets of the same form: kFormBase + n differs from kFormBase + m in three lines.
constexpr int kFormBase = 1000;

// Draws a shot as 24-bit BGR rows, top row first, stride width * 3.
std::vector<uint8_t> Draw(const Shot& shot, int width, int height);

// The page alone, filling width x height, grey rows top first.
std::vector<uint8_t> DrawPage(int page, int width, int height);

// The page a photo shows, from its grey values (rows top first): the nearest
// of `pages` drawn alone at the photo's size on a coarse grid of brightness
// divided by its mean, when it is nearer than half the distance between any
// two of them; -1 when it is not (a hand or a smeared page is near none).
int PageShown(const std::vector<double>& grey, int width, int height,
              const std::vector<int>& pages);

// A labelled sequence of shots at a frame rate.
struct Frame
{
    Shot shot;
    bool clean = false; // no hand, nothing moving: a photo of it is a good photo
};

struct Script
{
    double fps = 15.0;
    std::vector<Frame> frames;
    // Pages that a reader of the sequence must photograph, in order.
    std::vector<int> expected;

    // Effects laid on every later frame.
    double noise = 2.0;
    bool flicker = false; // the light beating 10 % up and down
    bool drift = false;   // the light slowly changing in level and slant
    bool shake = false;   // the stand trembling by a pixel or two

    void Still(int page, double seconds, bool isNew);
    void Turn(int from, int to, double seconds);
    void Hand(int page, double in, double rest, double out);
    void Frames(const Shot& shot, int count, bool clean);

private:
    Shot Finish(Shot shot);
    int m_index = 0;
};

// The named scenarios of the tests and the benchmark.
Script Scenario(const std::string& name);
std::vector<std::string> ScenarioNames();

} // namespace pageseq
