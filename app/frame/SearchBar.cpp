#include "app/frame/SearchBar.h"
#include "config/CommandIds.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

SearchBar::SearchBar(const PackText& strings, QWidget* parent) : QDockWidget(parent)
{
    auto text = [&](int id) { return strings ? strings(id) : QString(); };
    setObjectName(QStringLiteral("id_%1").arg(scriva::form::kSearchBar));
    setWindowTitle(text(scriva::str::DialogText(scriva::form::kSearchBar)));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* content = new QWidget(this);
    auto* row = new QHBoxLayout(content);
    m_edit = new QLineEdit(content);
    m_edit->setObjectName(QStringLiteral("id_%1").arg(scriva::ctl::kSearchEdit));
    m_search = new QPushButton(
        text(scriva::str::DialogText(scriva::form::kSearchBar, scriva::ctl::kSearch)), content);
    m_search->setObjectName(QStringLiteral("id_%1").arg(scriva::ctl::kSearch));
    m_showAll = new QPushButton(
        text(scriva::str::DialogText(scriva::form::kSearchBar, scriva::ctl::kShowAll)), content);
    m_showAll->setObjectName(QStringLiteral("id_%1").arg(scriva::ctl::kShowAll));
    row->addWidget(m_edit, 1);
    row->addWidget(m_search);
    row->addWidget(m_showAll);
    setWidget(content);
    // Enter in the text searches, as the button does.
    connect(m_edit, &QLineEdit::returnPressed, m_search, &QPushButton::click);
}
