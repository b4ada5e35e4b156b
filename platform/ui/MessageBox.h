// Message boxes in the shape the system's code calls them. Who answers depends on where the core
// runs: the desktop program shows a dialog, the command line prints, tests record. So every
// message box goes to one process-wide handler that each of them installs for itself.
#pragma once

#include "platform/win/WinTypes.h"

#include <functional>

namespace twinleaf::win {

using HWND = void*;

// Buttons
inline constexpr UINT MB_OK = 0x00000000;
inline constexpr UINT MB_OKCANCEL = 0x00000001;
inline constexpr UINT MB_YESNOCANCEL = 0x00000003;
inline constexpr UINT MB_YESNO = 0x00000004;
inline constexpr UINT MB_TYPEMASK = 0x0000000F;
// Icons
inline constexpr UINT MB_ICONERROR = 0x00000010;
inline constexpr UINT MB_ICONQUESTION = 0x00000020;
inline constexpr UINT MB_ICONWARNING = 0x00000030;
inline constexpr UINT MB_ICONINFORMATION = 0x00000040;
inline constexpr UINT MB_ICONMASK = 0x000000F0;
// Answers
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

// text and caption are Windows-1252, as everywhere in the core.
using MessageBoxHandler =
    std::function<int(HWND owner, const char* text, const char* caption, UINT type)>;

// Asks the installed handler. The default one, for when nobody installed any, writes
// "Caption: text" to standard error and answers as a user who cannot be asked would: OK to a
// plain message, and the answer that changes nothing (Cancel, No) to a question.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

// Installs `handler` for the rest of the process (an empty one restores the default) and returns
// the one it replaces.
MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler);

// Installs a handler for the life of the object and puts the previous one back afterwards.
class ScopedMessageBoxHandler {
public:
    explicit ScopedMessageBoxHandler(MessageBoxHandler handler)
        : m_previous(setMessageBoxHandler(std::move(handler))) {}
    ~ScopedMessageBoxHandler() { setMessageBoxHandler(std::move(m_previous)); }
    ScopedMessageBoxHandler(const ScopedMessageBoxHandler&) = delete;
    ScopedMessageBoxHandler& operator=(const ScopedMessageBoxHandler&) = delete;

private:
    MessageBoxHandler m_previous;
};

} // namespace twinleaf::win
