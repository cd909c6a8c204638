#pragma once
// A thumbnail builder's signals gathered on the test thread, queued as the
// program receives them. A QSignalSpy would record them on the thread that
// emits, the builder's workers: two workers appending to its one list at once
// corrupt the heap (and a crash inside malloc can then hang the test for good).

#include "thumbs/ThumbBuilder.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <vector>

namespace thumbtest {

struct BuilderResults : QObject
{
    struct Ready // thumbnailReady
    {
        quint64 generation;
        quint64 id;
        QImage image;
    };
    struct Picture // pictureReady
    {
        quint64 generation;
        quint64 id;
        QByteArray jpeg;
        QImage cell;
    };
    std::vector<Ready> ready;
    std::vector<Picture> pictures;
    std::vector<quint64> finished;

    explicit BuilderResults(scriva::thumbs::ThumbBuilder& builder)
    {
        using scriva::thumbs::ThumbBuilder;
        connect(
            &builder, &ThumbBuilder::thumbnailReady, this,
            [this](quint64 g, quint64 id, const QImage& image) {
                ready.push_back({g, id, image});
            },
            Qt::QueuedConnection);
        connect(
            &builder, &ThumbBuilder::pictureReady, this,
            [this](quint64 g, quint64 id, const QByteArray& jpeg, const QImage& cell) {
                pictures.push_back({g, id, jpeg, cell});
            },
            Qt::QueuedConnection);
        connect(
            &builder, &ThumbBuilder::finished, this, [this](quint64 g) { finished.push_back(g); },
            Qt::QueuedConnection);
    }
};

} // namespace thumbtest
