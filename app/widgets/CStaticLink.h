#pragma once
// A text that opens a web address when clicked: blue and underlined until it
// was followed, purple afterwards, with the pointing-hand cursor. Without an
// address of its own it uses the string whose number is its control id
// (objectName "id_<n>"), then its own text. An address that cannot be opened
// beeps and keeps the blue colour. Where blue or purple would not read on the
// window's background (a dark palette) the link is drawn in a lighter shade of
// it. The keyboard reaches it with Tab; Enter or Space opens it as a click does.
// Emits navigated(ok). User-interface thread only.

#include "image/PackText.h"

#include <QLabel>

class CStaticLink : public QLabel
{
    Q_OBJECT
public:
    static inline const QColor Unvisited{0, 0, 255};
    static inline const QColor Visited{128, 0, 128};

    explicit CStaticLink(const QString& text = QString(), const QString& url = QString(),
                         QWidget* parent = nullptr);

    const QString& Url() const { return m_url; }
    void SetUrl(const QString& url) { m_url = url; }
    void SetStringLookup(PackText lookup) { m_strings = std::move(lookup); }
    QColor LinkColour() const { return m_colour; }
    // The colour the text is drawn in: the link colour made readable on the background.
    QColor ShownColour() const;

    // Opens the address; false (a beep, colour kept) when it cannot be opened.
    bool Navigate();

signals:
    void navigated(bool ok);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString resolvedUrl() const;
    void applyColour();

    QString m_url;
    QColor m_colour = Unvisited;
    PackText m_strings;
    bool m_colouring = false;
};
