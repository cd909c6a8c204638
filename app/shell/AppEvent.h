#pragma once
// Events posted to the application object from any thread, carrying the
// program's historic message codes (0x7E8 button, 0x7E9 edit done) and their
// two parameters. Handled in CScrivaApp::customEvent on the user-interface
// thread.

#include "config/CommandIds.h"

#include <QEvent>
#include <cstdint>

// The codes are scriva::msg's.

class AppEvent : public QEvent
{
public:
    AppEvent(int code, uintptr_t wParam, intptr_t lParam)
        : QEvent(QEvent::Type(code)), m_wParam(wParam), m_lParam(lParam)
    {
    }
    uintptr_t wParam() const { return m_wParam; }
    intptr_t lParam() const { return m_lParam; }

private:
    uintptr_t m_wParam;
    intptr_t m_lParam;
};
