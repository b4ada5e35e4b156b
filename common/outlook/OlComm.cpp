// Starting Outlook, sharing the connection and logging the start.
#include "common/outlook/OlComm.h"

#include "common/misc/WinUtil.h"
#include "platform/Assert.h"
#include "platform/com/ClassTable.h"
#include "platform/ini/Profile.h"
#include "platform/text/FieldText.h"
#include "platform/win/OleDate.h"

#include <cstdio>
#include <cstring>

namespace twinleaf {

using namespace win;

namespace {

// Two empty lines: Write adds a line break of its own.
constexpr const char* kLineBreak = "\r\n";

} // namespace

DWORD OlBaseUtil::s_dwRefCount = 0;
bool OlBaseUtil::s_bConnected = false;
CDispCmd* OlBaseUtil::s_pApplication = nullptr;
CDispCmd* OlBaseUtil::s_pNameSpace = nullptr;
IUnknown* OlBaseUtil::s_pAppUnknown = nullptr;
OlCommLog* OlBaseUtil::s_pLog = nullptr;

OlCommLog::OlCommLog(const char* szPath) : m_pFile(new CxFile), m_szPath{}, m_bEnabled(false) {
    if (szPath != nullptr && *szPath != '\0') {
        copyToField(m_szPath, szPath);
    } else {
        char folder[MAX_PATH] = {};
        GetModuleFolder(nullptr, folder, sizeof folder);
        copyToField(m_szPath, std::string(folder) + "OlCommLog.log");
    }
    m_bEnabled = GetPrivateProfileIntA("OlComm", "EnableLog", 0, settingsFilePath().c_str()) == 1;
}

OlCommLog::~OlCommLog() {
    delete m_pFile;
}

bool OlCommLog::Write(const char* szText) {
    if (!m_bEnabled) {
        return true;
    }
    if (!m_pFile->Open(m_szPath, "a")) {
        return false;
    }
    m_pFile->WriteLine(szText);
    m_pFile->Close();
    return true;
}

bool OlCommLog::WriteStamped(const char* szText) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return Write(StampedText(now, szText).c_str());
}

std::string OlCommLog::StampedText(const SYSTEMTIME& time, const char* szText) {
    char stamp[64];
    std::snprintf(stamp, sizeof stamp, "[%04d/%02d/%02d %02d:%02d:%02d] - ", time.wYear,
                  time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond);
    return std::string(stamp) + (szText != nullptr ? szText : "");
}

OlBaseUtil::OlBaseUtil(const char* szName)
    : m_pApplication(nullptr), m_pNameSpace(nullptr), m_pAppUnknown(nullptr), m_szName{},
      m_bConnected(0), m_pList(nullptr) {
    if (szName != nullptr) {
        copyToField(m_szName, szName);
    }
    if (s_bConnected) {
        m_pApplication = s_pApplication;
        m_pNameSpace = s_pNameSpace;
        m_pAppUnknown = s_pAppUnknown;
    }
    OlBaseUtil::Init();
}

OlBaseUtil::~OlBaseUtil() {
    OlBaseUtil::Clear();
    OlBaseUtil::Shutdown();
    delete m_pList;
    m_pList = nullptr;
}

bool OlBaseUtil::Reload() {
    Clear();
    return true;
}

void OlBaseUtil::Clear() {
    if (m_pList != nullptr) {
        m_pList->Clear(false);
    }
}

bool OlBaseUtil::Init() {
    if (m_pList == nullptr) {
        m_pList = new CxList;
    }
    m_bConnected = Connect() ? 1 : 0;
    return m_bConnected != 0;
}

void OlBaseUtil::Shutdown() {
    Clear();
    Disconnect();
}

bool OlBaseUtil::Connect() {
    ++s_dwRefCount;
    if (s_bConnected) {
        m_pApplication = s_pApplication;
        m_pNameSpace = s_pNameSpace;
        m_pAppUnknown = s_pAppUnknown;
        return true;
    }
    if (StartOutlook()) {
        return true;
    }
    Disconnect();
    return false;
}

// Steps 5 to 11 of the start; each logs once it succeeded, so the log shows how far it got.
bool OlBaseUtil::StartOutlook() {
    if (s_pLog == nullptr) {
        s_pLog = new OlCommLog;
    }
    s_pLog->Write(kLineBreak);
    s_pLog->WriteStamped("Outlook Automation Start:");
    // Whatever an earlier failed attempt left behind is let go before a new one.
    ReleaseShared();

    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(u"Outlook.Application", &clsid))) {
        return false;
    }
    s_pLog->WriteStamped("Get Outlook.Application CLSID succeeded.");
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IUnknown,
                                reinterpret_cast<void**>(&s_pAppUnknown))) ||
        s_pAppUnknown == nullptr) {
        return false;
    }
    s_pLog->WriteStamped("CoCreateInstance succeeded.");
    if (FAILED(OleRun(s_pAppUnknown))) {
        return false;
    }
    s_pLog->WriteStamped("Microsoft Outlook started successfully.");
    IDispatch* application = nullptr;
    if (FAILED(
            s_pAppUnknown->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&application))) ||
        application == nullptr) {
        return false;
    }
    s_pLog->WriteStamped("Got Outlook IDispatch interface successfully.");
    s_pApplication = new CDispCmd(application);
    application->Release(); // the CDispCmd holds its own reference

    VARIANT argument;
    VariantInit(&argument);
    argument.vt = VT_BSTR;
    argument.bstrVal = SysAllocString(u"MAPI");
    VARIANT result;
    VariantInit(&result);
    const HRESULT hr = s_pApplication->CallMethod(u"GetNameSpace", &argument, 1, &result);
    VariantClear(&argument);
    if (FAILED(hr) || result.vt != VT_DISPATCH || result.pdispVal == nullptr) {
        VariantClear(&result);
        return false;
    }
    s_pLog->WriteStamped("Get Outlook MAPI namespace object successfully.");
    s_pNameSpace = new CDispCmd(result.pdispVal);
    VariantClear(&result);

    m_bConnected = 1;
    s_bConnected = true;
    m_pApplication = s_pApplication;
    m_pNameSpace = s_pNameSpace;
    m_pAppUnknown = s_pAppUnknown;
    s_pLog->WriteStamped("Outlook Automation Succeeded.");
    s_pLog->Write(kLineBreak);
    return true;
}

void OlBaseUtil::Disconnect() {
    if (s_dwRefCount == 0) {
        return;
    }
    if (--s_dwRefCount > 0) {
        return;
    }
    ReleaseShared();
    m_pApplication = nullptr;
    m_pNameSpace = nullptr;
    m_pAppUnknown = nullptr;
    s_bConnected = false;
    delete s_pLog;
    s_pLog = nullptr;
}

void OlBaseUtil::ReleaseShared() {
    delete s_pNameSpace;
    s_pNameSpace = nullptr;
    delete s_pApplication;
    s_pApplication = nullptr;
    if (s_pAppUnknown != nullptr) {
        s_pAppUnknown->Release();
        s_pAppUnknown = nullptr;
    }
}

} // namespace twinleaf
