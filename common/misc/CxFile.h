// Small helpers around files and the shell that several units share: CxFile, the owner of one
// standard I/O stream for line-oriented text output (the Outlook log); the program's folder, where
// the settings file, the help and the log are; the version stored in a program file; and opening
// a document or web address with the desktop's default handler.
#pragma once

#include "platform/win/WinTypes.h"

#include <cstddef>
#include <cstdio>

namespace twinleaf {

class CxFile {
public:
    CxFile() = default;
    virtual ~CxFile();
    CxFile(const CxFile&) = delete;
    CxFile& operator=(const CxFile&) = delete;

    // False for a missing or empty path or mode; otherwise whether fopen succeeded. A stream that
    // is already open is closed first.
    bool Open(const char* szPath, const char* szMode);
    bool Close();
    // The text (nothing for a missing one) and "\r\n". The stream must be open.
    bool WriteLine(const char* szText);

private:
    FILE* m_fp = nullptr;
};

// The program's folder ending in '/', into a buffer of `size` bytes; callers append a file name
// such as "corvane.ini". The module handle is not used: every module of ours lives in the program.
// False, with an empty buffer when there is one, for a missing buffer or a folder that does not
// fit (a cut path would name another folder).
bool GetModuleFolder(const void* hModule, char* szBuf, std::size_t size = win::MAX_PATH);

// The file version of a program file's version resource: major and minor from its most
// significant half, build and revision from its least significant half. False, with all four 0,
// for a missing or empty path and a file without a version resource.
bool GetFileVersion(const char* szPath, win::DWORD& nMajor, win::DWORD& nMinor, win::DWORD& nBuild,
                    win::DWORD& nRevision);

// Opens a document, folder or web address with the desktop's default handler. False for a
// missing or empty argument and when the handler cannot be started; what the handler does
// afterwards is not waited for.
bool OpenWithShell(const char* szTarget);

} // namespace twinleaf
