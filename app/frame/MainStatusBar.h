#pragma once
// The status bar of the main frame: five text panes (thumbnail position, file
// name, data size, dimensions, zoom), each named id_<indicator id> after
// scriva::status::kIndicators and as wide as its text.
// User-interface thread only.

#include "config/CommandIds.h"
#include "image/PackText.h"

#include <QStatusBar>
#include <array>

class QLabel;

class MainStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr int ZoomPane = 4;

    MainStatusBar(const PackText& strings, QWidget* parent = nullptr);

    QLabel* pane(int index) const;
    // what: scriva::status::kAllPanes or kZoomPane.
    void SetPaneTexts(int what, const QStringList& texts);

private:
    void setPane(int index, const QString& text);
    std::array<QLabel*, 5> m_panes{};
};
