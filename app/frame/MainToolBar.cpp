#include "app/frame/MainToolBar.h"

#include "app/commands/ActionRegistry.h"
#include "config/CommandIds.h"

#include <QAction>
#include <QBitmap>
#include <QJsonArray>

MainToolBar::MainToolBar(QWidget* parent) : CSkinReBar(parent)
{
    setObjectName(QStringLiteral("toolbar_%1").arg(scriva::res::kMainToolBar));
    setMovable(false);
    setFloatable(false);
    setToolButtonStyle(Qt::ToolButtonTextOnly);
}

bool MainToolBar::Load(const QJsonValue& buttons, ActionRegistry& actions)
{
    if (!buttons.isArray())
        return false;
    for (const auto& entry : buttons.toArray()) {
        const int id = entry.toInt(0);
        if (id == 0) {
            addSeparator();
            continue;
        }
        QAction* action = actions.action(id);
        addAction(action);
        m_buttons.push_back(action);
    }
    return true;
}

std::vector<QPixmap> MainToolBar::SliceBitmap(const QPixmap& bitmap, int imageWidth)
{
    std::vector<QPixmap> images;
    if (bitmap.isNull() || imageWidth <= 0)
        return images;
    QPixmap masked = bitmap;
    masked.setMask(bitmap.createMaskFromColor(MaskColour, Qt::MaskInColor));
    const int count = bitmap.width() / imageWidth;
    for (int i = 0; i < count; ++i)
        images.push_back(masked.copy(i * imageWidth, 0, imageWidth, bitmap.height()));
    return images;
}

bool MainToolBar::SetToolBarImages(const QPixmap& normal, const QPixmap& hot,
                                   const QPixmap& disabled)
{
    const std::vector<QPixmap> normals = SliceBitmap(normal, ImageWidth);
    if (normals.empty())
        return false;
    const std::vector<QPixmap> hots = SliceBitmap(hot, ImageWidth);
    const std::vector<QPixmap> disableds = SliceBitmap(disabled, ImageWidth);
    for (size_t i = 0; i < m_buttons.size() && i < normals.size(); ++i) {
        QIcon icon(normals[i]);
        if (i < hots.size())
            icon.addPixmap(hots[i], QIcon::Active);
        if (i < disableds.size())
            icon.addPixmap(disableds[i], QIcon::Disabled);
        m_buttons[i]->setIcon(icon);
    }
    setIconSize(QSize(ImageWidth, normal.height()));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    return true;
}
