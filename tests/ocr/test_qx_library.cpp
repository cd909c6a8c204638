// The engine library's C interface as the program calls it: image records,
// argument checks, errors per handle and per thread, and engines on several
// threads at once.

#include "OcrTestSupport.h"
#include "ocr/QxLibrary.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

using scriva::ocr::QxLibrary;

namespace {

const QxLibrary& qx()
{
    return QxLibrary::Shared();
}

std::string lastError(void* handle, int* code = nullptr)
{
    char buffer[512] = "untouched";
    const int c = qx().GetLastErr(handle, buffer, sizeof buffer);
    if (code)
        *code = c;
    return buffer;
}

TEST(QxLibrary, ImageRecordsHaveTheirSizeRowsAndFill)
{
    ASSERT_TRUE(qx().IsLoaded()) << qx().LoadError().toStdString();
    struct Case
    {
        int w, h;
        bool ok;
    };
    for (const Case& c : {Case{1, 1, true}, Case{640, 3, true}, Case{32767, 2, true},
                          Case{0, 5, false}, Case{5, -1, false}, Case{32768, 1, false}}) {
        OcrImage* image = reinterpret_cast<OcrImage*>(1);
        EXPECT_EQ(qx().allocImage(0, &image, c.w, c.h, 255) != 0, c.ok) << c.w << "x" << c.h;
        if (!c.ok) {
            EXPECT_EQ(image, nullptr);
            continue;
        }
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, c.w);
        EXPECT_EQ(image->height, c.h);
        EXPECT_EQ(image->right, c.w - 1);
        EXPECT_EQ(image->bottom, c.h - 1);
        EXPECT_EQ(image->rows[c.h - 1][c.w - 1], 255);
        EXPECT_EQ(image->rows[1 % c.h] - image->rows[0], (1 % c.h) * c.w);
        qx().freeImage(0, &image);
        EXPECT_EQ(image, nullptr);
    }
}

TEST(QxLibrary, StartFailuresAreKeptPerThread)
{
    void* handle = reinterpret_cast<void*>(1);
    EXPECT_EQ(qx().StartOCR(&handle, "", "", 7, 3), 0);
    EXPECT_EQ(handle, nullptr);
    int code = 0;
    EXPECT_EQ(lastError(nullptr, &code), "bad start arguments");
    EXPECT_EQ(code, 2);
    // Another thread has its own last failure: none yet.
    std::thread([&] { EXPECT_EQ(lastError(nullptr, &code), "untouched"); }).join();
    EXPECT_EQ(code, 0);
}

TEST(QxLibrary, BadCallsFailWithoutTouchingMemory)
{
    EXPECT_EQ(qx().DoImageOCR(nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(qx().EnableMultiLine(nullptr, 1), 0);
    EXPECT_EQ(qx().CloseOCR(nullptr), 0);
    EXPECT_EQ(qx().freeImage(0, nullptr), 0);
    EXPECT_EQ(qx().SetLanguages(nullptr, "eng"), 0);
    char small[4];
    ASSERT_NE(qx().GetVersionString(small, sizeof small), 0);
    EXPECT_EQ(std::strlen(small), 3u); // cut with its terminator inside the buffer
}

TEST(QxLibrary, ImageOutOfShapeIsRefusedWithAnErrorThatTheNextCallClears)
{
    ASSERT_NE(qx().SetLanguages("chi_sim+eng", "eng"), 0);
    void* handle = nullptr;
    ASSERT_NE(qx().StartOCR(&handle, "", "", 2, 3), 0) << lastError(nullptr);
    OcrImage* image = nullptr;
    ASSERT_NE(qx().allocImage(0, &image, 50, 20, 255), 0);
    image->right = 50; // one past the last column
    BField* fields = nullptr;
    EXPECT_EQ(qx().DoImageOCR(handle, image, &fields), 0);
    int code = 0;
    EXPECT_EQ(lastError(handle, &code), "no engine, no image or an image out of shape");
    EXPECT_EQ(code, 2);
    // A later call that succeeds leaves no error behind.
    image->right = 49;
    ASSERT_NE(qx().DoImageOCR(handle, image, &fields), 0);
    lastError(handle, &code);
    EXPECT_EQ(code, 0);
    qx().freeBField(handle, fields, 0);
    qx().freeImage(0, &image);
    EXPECT_NE(qx().CloseOCR(&handle), 0);
    EXPECT_EQ(handle, nullptr);
}

TEST(QxLibrary, EnginesOnTwoThreadsReadTheirOwnImages)
{
    const CxImage first = ocrtest::renderText({QStringLiteral("Northern lights")});
    const CxImage second = ocrtest::renderText({QStringLiteral("Southern cross")});
    auto read = [](const CxImage& page, std::string& out) {
        void* handle = nullptr;
        if (!qx().StartOCR(&handle, "", "", 2, 3))
            return;
        const int w = int(page.GetWidth()), h = int(page.GetHeight());
        OcrImage* image = nullptr;
        qx().allocImage(0, &image, w, h, 255);
        for (int y = 0; y < h; ++y)
            std::memcpy(image->rows[y], page.GetBits(uint32_t(h - 1 - y)), size_t(w));
        BField* fields = nullptr;
        if (qx().DoImageOCR(handle, image, &fields))
            for (BField* f = fields; f; f = f->next)
                out += f->text ? f->text : "";
        qx().freeBField(handle, fields, 0);
        qx().freeImage(0, &image);
        qx().CloseOCR(&handle);
    };
    std::string a, b;
    std::thread ta(read, std::cref(first), std::ref(a)), tb(read, std::cref(second), std::ref(b));
    ta.join();
    tb.join();
    EXPECT_EQ(a, "Northern lights");
    EXPECT_EQ(b, "Southern cross");
}

} // namespace
