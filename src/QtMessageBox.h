// The desktop program's answer to the core's message boxes: a QMessageBox owned by the window
// the core names (or the active one), with the caption, icon and buttons the type asks for.
#pragma once

#include "platform/ui/MessageBox.h"

namespace twinleaf {

int answerWithQMessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type);

} // namespace twinleaf
