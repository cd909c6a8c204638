#include "app/widgets/CSplitterWndEx.h"

#include <QMouseEvent>
#include <QSplitterHandle>

namespace {

class ReleaseReportingHandle : public QSplitterHandle
{
public:
    ReleaseReportingHandle(Qt::Orientation orientation, CSplitterWndEx* parent)
        : QSplitterHandle(orientation, parent), m_owner(parent)
    {
    }

protected:
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        QSplitterHandle::mouseReleaseEvent(event); // the drag is finished first
        if (event->button() == Qt::LeftButton)
            emit m_owner->barReleased();
    }

private:
    CSplitterWndEx* m_owner;
};

} // namespace

CSplitterWndEx::CSplitterWndEx(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent)
{
}

QSplitterHandle* CSplitterWndEx::createHandle()
{
    return new ReleaseReportingHandle(orientation(), this);
}
