#pragma once
// A splitter that reports the end of a bar drag (the mouse release on its
// handle), not every intermediate move: the frame rebuilds the thumbnails for
// the new size once. Emits barReleased. User-interface thread only.

#include <QSplitter>

class CSplitterWndEx : public QSplitter
{
    Q_OBJECT
public:
    explicit CSplitterWndEx(Qt::Orientation orientation, QWidget* parent = nullptr);

signals:
    void barReleased();

protected:
    QSplitterHandle* createHandle() override;
};
