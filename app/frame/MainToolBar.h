#pragma once
// The main toolbar: the buttons of a toolbar resource (command ids, 0 for a
// separator) as the shared command actions, with images sliced from the
// pack's normal, hot and disabled toolbar bitmaps, on the skin's tiled
// background. Without bitmaps the buttons show their texts. User-interface
// thread only.

#include "app/widgets/CSkinReBar.h"
#include <QIcon>
#include <QJsonValue>
#include <QPixmap>
#include <vector>

class ActionRegistry;

class MainToolBar : public CSkinReBar
{
    Q_OBJECT
public:
    static constexpr int ImageWidth = 28;
    static inline const QColor MaskColour{77, 176, 236};

    explicit MainToolBar(QWidget* parent = nullptr);

    // Adds one button per id of the resource; false when the resource holds
    // no button list.
    bool Load(const QJsonValue& buttons, ActionRegistry& actions);
    // Gives the buttons their images (one per button, in button order);
    // false when the normal bitmap gives no image.
    bool SetToolBarImages(const QPixmap& normal, const QPixmap& hot, const QPixmap& disabled);

    // Cuts a bitmap into images of the given width, the mask colour made
    // transparent. Empty for an empty bitmap or a width of 0.
    static std::vector<QPixmap> SliceBitmap(const QPixmap& bitmap, int imageWidth);

private:
    std::vector<QAction*> m_buttons;
};
