// File and shell helpers.
#include "common/misc/CxFile.h"

#include "platform/Assert.h"
#include "platform/files/ProgramFolder.h"
#include "platform/pe/VersionResource.h"
#include "platform/shell/ShellOpen.h"

#include <cstring>
#include <string>

namespace twinleaf {

CxFile::~CxFile() {
    Close();
}

bool CxFile::Open(const char* szPath, const char* szMode) {
    if (szPath == nullptr || *szPath == '\0' || szMode == nullptr || *szMode == '\0') {
        return false;
    }
    // A stream left open would stay open, with its unwritten lines, until the program ends.
    Close();
    m_fp = std::fopen(szPath, szMode);
    return m_fp != nullptr;
}

bool CxFile::Close() {
    if (m_fp != nullptr) {
        std::fclose(m_fp);
        m_fp = nullptr;
    }
    return true;
}

bool CxFile::WriteLine(const char* szText) {
    TL_ASSERT(m_fp);
    std::fprintf(m_fp, "%s\r\n", szText != nullptr ? szText : "");
    return true;
}

bool GetModuleFolder(const void* /*hModule*/, char* szBuf, std::size_t size) {
    if (szBuf == nullptr) {
        return false;
    }
    std::string folder = programFolder().string();
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    if (folder.size() >= size) {
        if (size > 0) {
            szBuf[0] = '\0';
        }
        return false;
    }
    std::memcpy(szBuf, folder.c_str(), folder.size() + 1);
    return true;
}

bool GetFileVersion(const char* szPath, win::DWORD& nMajor, win::DWORD& nMinor, win::DWORD& nBuild,
                    win::DWORD& nRevision) {
    nMajor = nMinor = nBuild = nRevision = 0;
    if (szPath == nullptr || *szPath == '\0') {
        return false;
    }
    const std::optional<FixedFileInfo> info = readFixedFileInfo(std::filesystem::path(szPath));
    if (!info) {
        return false;
    }
    nMajor = info->fileVersionMS >> 16;
    nMinor = info->fileVersionMS & 0xFFFF;
    nBuild = info->fileVersionLS >> 16;
    nRevision = info->fileVersionLS & 0xFFFF;
    return true;
}

bool OpenWithShell(const char* szTarget) {
    return szTarget != nullptr && *szTarget != '\0' && shellOpen(szTarget);
}

} // namespace twinleaf
