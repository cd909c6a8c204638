#include "SearchBar.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

SearchBar::SearchBar(const std::function<QString(int)>& strings, QWidget* parent)
    : QDockWidget(parent)
{
    auto text = [&](int id) { return strings ? strings(id) : QString(); };
    setObjectName(QStringLiteral("id_%1").arg(TemplateId));
    setWindowTitle(text(TemplateId * 10000));
    setAllowedAreas(Qt::AllDockWidgetAreas);
    auto* content = new QWidget(this);
    auto* row = new QHBoxLayout(content);
    m_edit = new QLineEdit(content);
    m_edit->setObjectName(QStringLiteral("id_%1").arg(EditId));
    m_search = new QPushButton(text(TemplateId * 10000 + SearchId), content);
    m_search->setObjectName(QStringLiteral("id_%1").arg(SearchId));
    m_showAll = new QPushButton(text(TemplateId * 10000 + ShowAllId), content);
    m_showAll->setObjectName(QStringLiteral("id_%1").arg(ShowAllId));
    row->addWidget(m_edit, 1);
    row->addWidget(m_search);
    row->addWidget(m_showAll);
    setWidget(content);
}
