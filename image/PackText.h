#pragma once
// How dialogs and controls get their texts: a numbered string of the loaded
// language pack (the window's Text, for one). A dialog D's title is
// string D x 10000, its control C's text string D x 10000 + C. An unset lookup
// gives empty texts. User-interface thread only.

#include "config/CommandIds.h"

#include <QString>
#include <functional>

using PackText = std::function<QString(int id)>;

inline QString PackString(const PackText& text, int id)
{
    return text ? text(id) : QString();
}

inline QString ControlText(const PackText& text, int dialog, int control)
{
    return PackString(text, scriva::str::DialogText(dialog, control));
}
