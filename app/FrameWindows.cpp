// The main window the program runs with.

#include "CScrivaApp.h"

CScrivaApp::WindowFactory CScrivaApp::DefaultWindowFactory()
{
    return {};
}
