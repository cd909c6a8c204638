// Speed of the editing commands on a 13-megapixel photo (4208 x 3120, 24-bit), as
// the editing worker runs them: a copy of the document's image, then the edit.
// The copy is timed too, since the user waits for both.

#include "image/EditOperation.h"
#include "image/cximage/CxImage.h"
#include "tests/image/cximage/test_ops_support.h"

#include <benchmark/benchmark.h>

namespace {

using namespace scriva;

const CxImage& Photo13()
{
    static const CxImage photo = opstest::PagePhoto(4208, 3120, 4208 * 0.62, 3120 * 0.85, 3.0);
    return photo;
}

void RunEdit(benchmark::State& state, const image::EditRequest& request)
{
    const CxImage& source = Photo13();
    for (auto _ : state) {
        CxImage copy(source);
        if (image::ApplyEdit(copy, request) != image::EditResult::Done)
            state.SkipWithError(copy.GetLastError());
        benchmark::DoNotOptimize(copy.GetBits(0));
    }
    state.counters["Mpx"] = double(source.GetWidth()) * source.GetHeight() / 1e6;
}

void BM_QuarterTurn13MP(benchmark::State& state)
{
    RunEdit(state, {cmd::kRotateRight90});
}

// Free rotation by 7 degrees; range 1 keeps the canvas (the dialog's default),
// range 0 grows it to hold the whole turned picture.
void BM_FreeRotation7Degrees13MP(benchmark::State& state)
{
    image::EditRequest request{cmd::kRotateFree};
    request.angle = 7.0f;
    request.keepSize = state.range(0) != 0;
    RunEdit(state, request);
}

void BM_CopyOnly13MP(benchmark::State& state)
{
    for (auto _ : state) {
        CxImage copy(Photo13());
        benchmark::DoNotOptimize(copy.GetBits(0));
    }
}

} // namespace

BENCHMARK(BM_CopyOnly13MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_QuarterTurn13MP)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FreeRotation7Degrees13MP)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);
