#pragma once
// The floating search bar of the main frame: the search text (1084) with its
// search (1083) and show-all (1085) buttons. Hidden until the search command
// shows it; the buttons send their command ids through the frame's actions,
// and Enter in the text searches.
// User-interface thread only.

#include "image/PackText.h"

#include <QDockWidget>

class QLineEdit;
class QPushButton;

class SearchBar : public QDockWidget
{
    Q_OBJECT
public:
    SearchBar(const PackText& strings, QWidget* parent = nullptr);

    QLineEdit* searchEdit() const { return m_edit; }
    QPushButton* searchButton() const { return m_search; }
    QPushButton* showAllButton() const { return m_showAll; }

private:
    QLineEdit* m_edit;
    QPushButton* m_search;
    QPushButton* m_showAll;
};
