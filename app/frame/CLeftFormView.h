#pragma once
// The form under the thumbnails: four rounded command buttons (switch the
// right area, browse a folder, capture settings, take a photo) on the skin's
// background picture. It handles the browse command itself; the other buttons
// are routed through the frame's command router with this form first. Emits
// folderChosen when the user picked a folder to browse. User-interface thread only.

#include "app/frame/FrameServices.h"
#include "config/CommandIds.h"
#include "image/CommandTarget.h"

#include <QPixmap>
#include <QWidget>
#include <array>

class CSkinButton;

class CLeftFormView : public QWidget, public ICommandTarget
{
    Q_OBJECT
public:
    // The form's buttons, in the order they are laid out.
    static constexpr std::array<int, 4> ButtonIds = {
        scriva::cmd::kSwitchRightArea, scriva::cmd::kBrowseFolder, scriva::cmd::kCaptureSettings,
        scriva::cmd::kTakePhoto};

    explicit CLeftFormView(FrameServices& services, QWidget* parent = nullptr);

    CSkinButton* button(int id) const;
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // Browse: asks for a folder starting at the photo folder (created first).
    void BrowseFolder();

    bool OnCommand(int id) override;
    std::optional<CommandState> OnUpdateCommand(int id) const override;

signals:
    void folderChosen(const QString& folder);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QString caption(int id) const;
    int buttonHeight() const;
    void layoutButtons();

    FrameServices& m_services;
    std::array<CSkinButton*, 4> m_buttons{};
    QPixmap m_background;
    bool m_backgroundTried = false;
};
