#pragma once
// Connects the document to the main frame: its boxes and prompts through the
// frame's services, the right-area mode and switch, the result pane, the
// recent files and the thumbnail column. User-interface thread only.

#include "image/DocumentHost.h"

class CMainFrame;
struct FrameServices;

DocumentHost MakeDocumentHost(CMainFrame& frame, const FrameServices& services);
