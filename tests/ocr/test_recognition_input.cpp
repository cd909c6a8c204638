// What recognition is given to read: a result of nothing but white space
// counts as no text.

#include "ocr/FileRecognition.h"

#include <gtest/gtest.h>

using namespace scriva::ocr;

namespace {

const QString kFailure = QStringLiteral("No text could be recognised.");

TEST(StoredText, OnlyWhiteSpaceIsTheFailureText)
{
    struct Case
    {
        const char* name;
        QString text;
        bool isText;
    };
    const Case cases[] = {
        {"nothing", QString(), false},
        {"spaces", QStringLiteral("   \r\n"), false},
        {"lines of spaces and tabs", QStringLiteral(" \t \r\n  \r\n"), false},
        {"no-break space", QStringLiteral("\u00a0\r\n"), false},
        {"a word among spaces", QStringLiteral("  a  \r\n"), true},
    };
    for (const Case& c : cases) {
        FileResult r;
        r.ok = true;
        r.done = true;
        r.text = c.text;
        EXPECT_EQ(StoredTextFor(r, kFailure).toStdString(),
                  (c.isText ? c.text : kFailure).toStdString())
            << c.name;
    }
}

} // namespace
