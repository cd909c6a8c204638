#pragma once
// Events posted to the application object from any thread, carrying the
// program's historic message codes (0x7E8 button, 0x7E9 edit done, 0x7EA
// recognition done) and their two parameters. Handled in CScrivaApp::customEvent
// on the user-interface thread.

#include "config/CommandIds.h"

#include <QEvent>
#include <QVariant>
#include <cstdint>

// The codes are scriva::msg's. RecognizeDone's payload is a QVariantMap from
// full image path to recognised text, merged into the document's texts on the
// user-interface thread.

class AppEvent : public QEvent
{
public:
    AppEvent(int code, uintptr_t wParam, intptr_t lParam, QVariant payload = {})
        : QEvent(QEvent::Type(code)), m_wParam(wParam), m_lParam(lParam),
          m_payload(std::move(payload))
    {
    }
    uintptr_t wParam() const { return m_wParam; }
    intptr_t lParam() const { return m_lParam; }
    const QVariant& payload() const { return m_payload; } // a worker's results, if any

private:
    uintptr_t m_wParam;
    intptr_t m_lParam;
    QVariant m_payload;
};
