// The Outlook connection shared by the four Outlook access classes, and its log.
//
// OlBaseUtil starts Outlook through automation once per process and keeps the application and
// its "MAPI" namespace in static state counted by s_dwRefCount; the last Disconnect releases
// them. Each derived class adds one default folder and a list of common records read from it.
// OlCommLog writes the steps of starting Outlook to "OlCommLog.log" in the program folder when
// "EnableLog" in section "OlComm" of the settings file is 1.
//
// Construction runs the base Init (and so Connect) and then the derived Init (Connect again,
// through the derived override): every object holds two connection references and its
// destruction gives back two.
#pragma once

#include "common/misc/CxFile.h"
#include "common/misc/CxList.h"
#include "common/outlook/DispCmd.h"
#include "platform/win/WinTypes.h"

#include <string>

namespace twinleaf {

class OlCommLog {
public:
    // An empty or missing path means "OlCommLog.log" in the program folder. Whether the log is
    // on is read from the settings file once, here.
    explicit OlCommLog(const char* szPath = nullptr);
    ~OlCommLog();
    OlCommLog(const OlCommLog&) = delete;
    OlCommLog& operator=(const OlCommLog&) = delete;

    // Appends the text as one line (CR LF). True when logging is off; false only when the file
    // cannot be opened. The file is opened and closed for every line, so a crash loses nothing.
    bool Write(const char* szText);
    // Appends "[YYYY/MM/DD hh:mm:ss] - text" with the local time.
    bool WriteStamped(const char* szText);

    bool IsEnabled() const { return m_bEnabled; }
    const char* GetPath() const { return m_szPath; }
    static std::string StampedText(const win::SYSTEMTIME& time, const char* szText);

private:
    CxFile* m_pFile;
    char m_szPath[win::MAX_PATH];
    bool m_bEnabled;
};

class OlBaseUtil {
public:
    explicit OlBaseUtil(const char* szName = nullptr);
    virtual ~OlBaseUtil();
    OlBaseUtil(const OlBaseUtil&) = delete;
    OlBaseUtil& operator=(const OlBaseUtil&) = delete;

    // Slot order as the access classes override them.
    virtual bool Reload();
    virtual void Clear();
    virtual bool Init();
    virtual void Shutdown();
    virtual bool Connect();
    virtual void Disconnect();

    // The shared connection: one per process.
    static win::DWORD s_dwRefCount;
    static bool s_bConnected;
    static CDispCmd* s_pApplication;
    static CDispCmd* s_pNameSpace;
    static win::IUnknown* s_pAppUnknown;
    static OlCommLog* s_pLog;

protected:
    CDispCmd* m_pApplication; // borrowed copies of the shared fields
    CDispCmd* m_pNameSpace;
    win::IUnknown* m_pAppUnknown;
    char m_szName[256];
    win::BYTE m_bConnected;
    CxList* m_pList;

private:
    bool StartOutlook();
    static void ReleaseShared();
};

} // namespace twinleaf
