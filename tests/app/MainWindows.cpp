// The application objects of these tests make the program's own main window, as
// main.cpp has them do, unless a test gives one windows of its own.

#include "app/frame/FrameWindows.h"
#include "app/shell/CScrivaApp.h"

namespace {
[[maybe_unused]] const bool kMainWindows =
    (CScrivaApp::SetDefaultWindowFactory(&FrameWindows::Make), true);
} // namespace
