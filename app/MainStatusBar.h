#pragma once
// The status bar of the main frame: five text panes (thumbnail position, file
// name, data size, dimensions, zoom), named id_59149, id_59145, id_59147,
// id_59146 and id_59148 after their indicator ids, each as wide as its text.
// User-interface thread only.

#include <QStatusBar>
#include <array>
#include <functional>

class QLabel;

class MainStatusBar : public QStatusBar
{
    Q_OBJECT
public:
    static constexpr std::array<int, 5> Indicators = {59149, 59145, 59147, 59146, 59148};
    static constexpr int ZoomPane = 4;

    MainStatusBar(const std::function<QString(int)>& strings, QWidget* parent = nullptr);

    QLabel* pane(int index) const;
    // what = 11: all panes; 12: the zoom pane only.
    void SetPaneTexts(int what, const QStringList& texts);

private:
    void setPane(int index, const QString& text);
    std::array<QLabel*, 5> m_panes{};
};
