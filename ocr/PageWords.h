#pragma once
// The words of a recognised page with their places: what a searchable PDF lays
// over the picture. Pure data and pure functions; any thread.

#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

namespace scriva::ocr {

struct RecognizedWord
{
    QString text;
    QRect box;          // the word in image pixels, rows counted from the top
    int confidence = 0; // 0..100
    int line = 0;       // its text line in reading order, from 0
    QRect lineBox;      // the whole line
    int baseline = 0;   // image row under the line's letters
};

using PageWords = std::vector<RecognizedWord>;

// The page's text as the program stores it: the words of a line joined by one
// space, each line ending in "\r\n".
QString PageWordsText(const PageWords& words);

// Places a text the program holds for a page (perhaps edited by the user) where the
// page's words were recognised, for a text layer: a text that reads as the
// recognition keeps its words and boxes; otherwise line n of the text goes over
// recognised line n when both have as many lines (word by word when the line has
// as many words, else its words spread over the line's box by their lengths);
// when the line counts differ the text's lines share the recognised lines' area
// (the whole image without recognised lines) in equal bands, top to bottom.
PageWords LayTextOverWords(const QString& text, const PageWords& recognised, QSize image);

} // namespace scriva::ocr
