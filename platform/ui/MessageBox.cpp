// The process-wide message box handler and its default, which prints.
#include "platform/ui/MessageBox.h"

#include "platform/codepage/Codepage.h"

#include <cstdio>
#include <string>

namespace twinleaf::win {
namespace {

int printToStandardError(HWND /*owner*/, const char* text, const char* caption, UINT type) {
    const std::string line = ansiToUtf8(caption != nullptr ? caption : "") + ": " +
                             ansiToUtf8(text != nullptr ? text : "") + "\n";
    std::fputs(line.c_str(), stderr);
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    default:
        return IDOK;
    }
}

MessageBoxHandler& installedHandler() {
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    // A copy, so a handler that installs another one while it runs does not destroy itself.
    const MessageBoxHandler handler = installedHandler();
    return handler ? handler(owner, text, caption, type)
                   : printToStandardError(owner, text, caption, type);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(installedHandler());
    installedHandler() = std::move(handler);
    return previous;
}

} // namespace twinleaf::win
