#pragma once
// The camera's own settings (brightness, exposure and the like) as the V4L2
// driver offers them: a slider with spin box per integer control, a check box
// per boolean, a combo box per menu, a push button per button control. Each
// change goes to the camera at once; nothing is stored. User-interface thread.

#include "capture/V4l2Device.h"

#include <QDialog>

class CameraControlsDialog : public QDialog
{
    Q_OBJECT
public:
    static constexpr int kOffsetFromParent = 30;

    // Takes ownership of fd (closed with the dialog); fd -1 shows the controls
    // without a device behind them.
    CameraControlsDialog(int fd, const QList<V4l2::Control>& controls, QWidget* parent = nullptr);
    ~CameraControlsDialog() override;

    // Opens the node a second time and runs the dialog modally at the
    // parent's position + (30, 30). False, with nothing shown, when the node
    // cannot be opened or has no controls (demo camera, test pattern, none).
    static bool ShowFor(const QString& devicePath, QWidget* parent);
    // Runs a dialog over fd (taken over) and its controls modally at the
    // parent's position + (30, 30); safe when the parent is destroyed meanwhile.
    static void RunModal(int fd, const QList<V4l2::Control>& controls, QWidget* parent);

signals:
    void controlApplied(quint32 id, int value, bool ok);

private:
    QWidget* EditorFor(const V4l2::Control& c);
    QWidget* IntegerEditor(const V4l2::Control& c);
    void Apply(quint32 id, int value);

    int m_fd;
};
