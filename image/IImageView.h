#pragma once
// What the document needs from the image view while one exists: its client
// size (for the fit zoom), its scroll position, and the end of the view's own
// tool state (the crop rectangle, the lasso animation). The view registers
// itself with CScrivaDoc::SetImageView. User-interface thread only.

#include <QPoint>
#include <QSize>

class IImageView
{
public:
    virtual ~IImageView() = default;
    virtual QSize ClientSize() const = 0;
    virtual QPoint ScrollPosition() const = 0;
    virtual void EmptyTracker() = 0; // the rectangle tools' tracker
    virtual void StopLasso() = 0;    // the outline animation
    virtual void Repaint() = 0;
};
