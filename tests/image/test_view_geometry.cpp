// The image view's arithmetic, the undo history and the file-type table, each
// through its public functions with hand-computed cases.
#include "config/FileTypeTable.h"
#include "image/CScrivaDoc.h"
#include "image/UndoHistory.h"
#include "image/ViewGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace scriva;

namespace {

struct FitCase
{
    int cw, ch, w, h;
    float zoom;
};

TEST(ViewGeometry, FitZoomTakesTheLargestStepThatFits)
{
    const FitCase cases[] = {
        {1000, 700, 4000, 3000, 0.20f},  // 0.25 would need 750 rows
        {1000, 700, 400, 300, 2.30f},    // the last 0.05 step whose height fits 700 rows
        {1000, 700, 1000, 700, 1.00f},   // exactly the pane
        {1000, 700, 10, 10, 16.0f},      // growth stops at 16
        {100, 100, 100000, 10, 0.0625f}, // nothing fits: the floor
        {1000, 700, 1200, 500, 0.80f},   // wider than the pane
        {800, 600, 2592, 1944, 0.30f},
    };
    for (const FitCase& c : cases) {
        const float zoom = view::FitZoom(c.cw, c.ch, c.w, c.h);
        EXPECT_NEAR(zoom, c.zoom, 1e-4) << c.w << "x" << c.h << " in " << c.cw << "x" << c.ch;
        const QSize zoomed = view::ZoomedSize(c.w, c.h, zoom);
        if (zoom > view::kZoomMin) {
            EXPECT_TRUE(zoomed.width() <= c.cw && zoomed.height() <= c.ch);
        }
    }
}

TEST(ViewGeometry, ZoomStepsStopAtTheirLimits)
{
    float zoom = 1.0f;
    int steps = 0;
    while (view::ZoomInStep(zoom))
        ++steps;
    EXPECT_EQ(steps, 13);
    EXPECT_NEAR(zoom, std::pow(1.25f, 13), 1e-3); // about 18.19: the first value not below 16
    zoom = 1.0f;
    steps = 0;
    while (view::ZoomOutStep(zoom))
        ++steps;
    EXPECT_EQ(steps, 13); // 0.8^12 = 0.0687 > 0.0625, 0.8^13 = 0.055
    EXPECT_LE(zoom, view::kZoomMin);
}

TEST(ViewGeometry, ClientPointsAndTrackersInImagePixels)
{
    // Zoom 0.5 on 1000 x 800: the scroll size is 500 x 400.
    EXPECT_EQ(view::ZoomedSize(1000, 800, 0.5f), QSize(500, 400));
    EXPECT_EQ(view::ClientToImage(QPoint(10, 21), QPoint(0, 0), 2.0f), QPoint(5, 10));
    EXPECT_EQ(view::ClientToImage(QPoint(10, 20), QPoint(30, 40), 2.0f), QPoint(20, 30));
    EXPECT_EQ(view::ImageToClient(QPoint(20, 30), QPoint(30, 40), 2.0f), QPoint(10, 20));

    struct Case
    {
        QRect tracker;
        QPoint scroll;
        float zoom;
        QRect image;
    } cases[] = {
        // At zoom 2 the image area is half the rectangle's client size.
        {QRect(20, 40, 100, 60), QPoint(0, 0), 2.0f, QRect(10, 20, 50, 30)},
        {QRect(20, 40, 100, 60), QPoint(100, 0), 2.0f, QRect(60, 20, 50, 30)},
        // Clamped to the 200 x 100 image on every side.
        {QRect(-50, -50, 1000, 1000), QPoint(0, 0), 1.0f, QRect(0, 0, 200, 100)},
        // Beside the image: nothing.
        {QRect(300, 10, 50, 50), QPoint(0, 0), 1.0f, QRect()},
        {QRect(-80, 10, 50, 50), QPoint(0, 0), 1.0f, QRect()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view::TrackerToImage(c.tracker, c.scroll, c.zoom, 200, 100), c.image)
            << c.tracker.x() << "," << c.tracker.y();
}

TEST(ViewGeometry, WheelKeepsThePointUnderTheCursor)
{
    // Cursor 100, scroll 50 at zoom 1 shows image x 150; at 1.25 that is 187.5.
    EXPECT_EQ(view::WheelScroll(100, 50, 1.25f), 87);
    EXPECT_EQ(view::WheelScroll(100, 50, 0.8f), 20);
    EXPECT_EQ(view::ClampScroll(-5, 1000, 400), 0);
    EXPECT_EQ(view::ClampScroll(900, 1000, 400), 600);
    EXPECT_EQ(view::ClampScroll(30, 300, 400), 0);
}

CxImage grey(int level)
{
    CxImage image(4, 3, 24);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            image.SetPixelColor(x, y, RGBQUAD{uint8_t(level), uint8_t(level), uint8_t(level), 0});
    return image;
}

int levelOf(const std::unique_ptr<CxImage>& image)
{
    return image ? image->GetPixelColor(0, 0).rgbBlue : -1;
}

TEST(UndoHistory, NineEditsKeepTheLastEight)
{
    UndoHistory history;
    auto current = std::make_unique<CxImage>(grey(0));
    for (int edit = 1; edit <= 9; ++edit) {
        ASSERT_TRUE(history.Push(current.get()));
        current = std::make_unique<CxImage>(grey(edit));
    }
    EXPECT_EQ(history.Position(), 8);
    // Each walk is bounded: a history that never says no fails here instead
    // of going round for ever.
    constexpr int kMostSteps = 2 * UndoHistory::kSlots;
    int undone = 0;
    while (undone < kMostSteps && history.Undo(current))
        ++undone;
    EXPECT_EQ(undone, 8);
    EXPECT_EQ(levelOf(current), 1); // the state after the first edit
    EXPECT_FALSE(history.CanUndo());
    // Redo walks forward again to the newest state.
    int redone = 0;
    while (redone < kMostSteps && history.Redo(current))
        ++redone;
    EXPECT_EQ(redone, 8);
    EXPECT_EQ(levelOf(current), 9);
    EXPECT_FALSE(history.CanRedo());
}

TEST(UndoHistory, ANewEditDiscardsTheRedoStates)
{
    UndoHistory history;
    auto current = std::make_unique<CxImage>(grey(0));
    for (int edit = 1; edit <= 3; ++edit) {
        history.Push(current.get());
        current = std::make_unique<CxImage>(grey(edit));
    }
    ASSERT_TRUE(history.Undo(current));
    ASSERT_TRUE(history.Undo(current));
    EXPECT_EQ(levelOf(current), 1);
    EXPECT_TRUE(history.CanRedo());
    history.Push(current.get());
    current = std::make_unique<CxImage>(grey(7));
    EXPECT_FALSE(history.CanRedo());
    EXPECT_EQ(history.Position(), 2);
    ASSERT_TRUE(history.Undo(current));
    EXPECT_EQ(levelOf(current), 1);
    ASSERT_TRUE(history.Undo(current));
    EXPECT_EQ(levelOf(current), 0);
    // No image is never kept.
    EXPECT_FALSE(history.Push(nullptr));
    CxImage invalid;
    EXPECT_FALSE(history.Push(&invalid));
    EXPECT_FALSE(history.CanRedo()); // the push discarded the redo states all the same
}

// Steps on a history: 'e' an edit, 'u' undo, 'r' redo, 'c' cleared (opened or
// saved in place); then whether the image differs from the clean state.
struct ModifiedCase
{
    const char* steps;
    bool modified;
};

// Undo or redo with nothing to step to, at every edge of the history: refused,
// and the picture stays (never swapped for an empty slot).
TEST(UndoHistory, StepsWithNothingThereKeepThePicture)
{
    struct Case
    {
        const char* steps; // as below: 'e' edit, 'u' undo, 'r' redo, 'c' cleared
        bool canUndo;
        bool canRedo;
    };
    const Case cases[] = {
        {"", false, false},
        {"e", true, false},
        {"eu", false, true},
        {"eur", true, false},
        {"eeu", true, true},
        {"eeeeeeee", true, false}, // every slot taken
        {"eeeeeeeee", true, false},
        {"eeeeeeee"
         "uuuuuuuu",
         false, true},
        {"eeeeeeee"
         "uuuuuuuu"
         "rrrrrrrr",
         true, false},
        {"eeuc", false, false},
        {"eeuue", true, false},
    };
    for (const Case& c : cases) {
        UndoHistory history;
        auto current = std::make_unique<CxImage>(grey(0));
        int level = 0;
        for (const char* step = c.steps; *step; ++step) {
            if (*step == 'e') {
                ASSERT_TRUE(history.Push(current.get())) << c.steps;
                current = std::make_unique<CxImage>(grey(++level));
            } else if (*step == 'u') {
                ASSERT_TRUE(history.Undo(current)) << c.steps;
            } else if (*step == 'r') {
                ASSERT_TRUE(history.Redo(current)) << c.steps;
            } else {
                history.Clear();
            }
        }
        const int shown = levelOf(current);
        ASSERT_GE(shown, 0) << c.steps;
        EXPECT_EQ(history.CanUndo(), c.canUndo) << c.steps;
        EXPECT_EQ(history.CanRedo(), c.canRedo) << c.steps;
        if (!c.canRedo) {
            EXPECT_FALSE(history.Redo(current)) << c.steps;
            EXPECT_EQ(levelOf(current), shown) << c.steps;
        }
        if (!c.canUndo) {
            EXPECT_FALSE(history.Undo(current)) << c.steps;
            EXPECT_EQ(levelOf(current), shown) << c.steps;
        }
    }
}

TEST(UndoHistory, ModifiedFollowsTheCleanStateBeyondDroppedSlots)
{
    const ModifiedCase cases[] = {
        {"", false},
        {"e", true},
        {"eu", false},
        {"eur", true},
        {"eeeeeeee", true},
        {"eeeeeeee"
         "uuuuuuuu",
         false}, // eight edits, all undone: as opened
        {"eeeeeeeee"
         "uuuuuuuu",
         true}, // nine edits, eight undone: the first stays
        {"eeeeeeeee"
         "uuuuuuuu"
         "r",
         true}, // and again after a redo
        {"eeeeeeeeec", false},
        {"ece", true},
        {"eceu", false}, // back to the saved state
        {"eeuue", true},
        {"eue", true},
        {"eeuec", false},
        {"ec"
         "eeeeeeeee"
         "uuuuuuuu",
         true}, // the saved state was dropped
    };
    for (const ModifiedCase& c : cases) {
        UndoHistory history;
        auto current = std::make_unique<CxImage>(grey(0));
        int level = 0;
        for (const char* step = c.steps; *step; ++step) {
            switch (*step) {
            case 'e':
                ASSERT_TRUE(history.Push(current.get()));
                current = std::make_unique<CxImage>(grey(++level));
                break;
            case 'u':
                ASSERT_TRUE(history.Undo(current)) << c.steps;
                break;
            case 'r':
                ASSERT_TRUE(history.Redo(current)) << c.steps;
                break;
            default:
                history.Clear();
                break;
            }
        }
        EXPECT_EQ(history.IsModified(), c.modified) << c.steps;
    }
}

TEST(FileTypes, TableFiltersPositionsAndExtensions)
{
    const QStringList open = FileTypeTable::NameFilters(true);
    const QStringList save = FileTypeTable::NameFilters(false);
    ASSERT_EQ(open.size(), 5);
    ASSERT_EQ(save.size(), 6);
    EXPECT_EQ(open.at(1), QStringLiteral("BMP files (*.bmp)"));
    EXPECT_EQ(open.at(2), QStringLiteral("JPG files (*.jpg *.jpeg)"));
    EXPECT_EQ(open.at(3), QStringLiteral("PNG files (*.png)"));
    EXPECT_EQ(open.at(4), QStringLiteral("TIF files (*.tif *.tiff)"));
    EXPECT_EQ(save.mid(1, 4), open.mid(1, 4));
    EXPECT_EQ(save.at(5), QStringLiteral("PDF files (*.pdf)"));
    EXPECT_TRUE(open.at(0).startsWith(QStringLiteral("Supported files (*.bmp *.gif *.jpg")));
    EXPECT_TRUE(open.at(0).endsWith(QStringLiteral("*.mef *.orf)")));
    EXPECT_EQ(FileTypeTable::FilterPosition(false, 21), 6);
    EXPECT_EQ(FileTypeTable::FilterPosition(true, 21), 1); // not offered for opening
    EXPECT_EQ(FileTypeTable::FilterPosition(false, 3), 3);
    EXPECT_EQ(FileTypeTable::TypeAtPosition(false, 6), 21);
    EXPECT_EQ(FileTypeTable::TypeAtPosition(true, 6), 0);
    EXPECT_EQ(FileTypeTable::DefaultExtension(21), QStringLiteral("pdf"));
    EXPECT_EQ(FileTypeTable::DefaultExtension(3), QStringLiteral("jpg"));
    EXPECT_EQ(FileTypeTable::DefaultExtension(6), QStringLiteral("tif"));
    EXPECT_EQ(FileTypeTable::DefaultExtension(9), QString());
    for (int type : {-1, 1, 3, 4, 6, 21})
        EXPECT_TRUE(FileTypeTable::CanSave(type)) << type;
    EXPECT_FALSE(FileTypeTable::CanSave(0));
    EXPECT_FALSE(FileTypeTable::CanOpen(21));
}

} // namespace
