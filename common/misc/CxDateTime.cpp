// Date conversions and display texts on local time.
#include "common/misc/CxDateTime.h"

#include "platform/Assert.h"
#include "platform/win/OleDate.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>

namespace twinleaf {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

// Breaks a 32-bit time value into local time; false for the negative values a 32-bit C library
// refused, -1 ("no time") among them.
bool breakDown(std::int32_t nTime, win::SYSTEMTIME& st) {
    if (nTime < 0) {
        return false;
    }
    const std::time_t time = nTime;
    std::tm local{};
    if (localtime_r(&time, &local) == nullptr) {
        return false;
    }
    st.wYear = static_cast<win::WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<win::WORD>(local.tm_mon + 1);
    st.wDayOfWeek = static_cast<win::WORD>(local.tm_wday);
    st.wDay = static_cast<win::WORD>(local.tm_mday);
    st.wHour = static_cast<win::WORD>(local.tm_hour);
    st.wMinute = static_cast<win::WORD>(local.tm_min);
    st.wSecond = static_cast<win::WORD>(local.tm_sec);
    st.wMilliseconds = 0;
    return true;
}

// The UTC offset in force at `time`, from the C library's time-zone data.
std::optional<long> offsetAt(std::int64_t time) {
    const std::time_t value = static_cast<std::time_t>(time);
    std::tm local{};
    if (localtime_r(&value, &local) == nullptr) {
        return std::nullopt;
    }
    return local.tm_gmtoff;
}

// Seconds since 1970 UTC of a local wall-clock time. mktime with tm_isdst = -1 answers the hour
// that occurs twice at the end of daylight saving with whichever of the two moments its previous
// calls make it guess first, so a sync would compare the same date differently from run to run.
// Here the answer is fixed: a time that occurs twice is its first occurrence (still in daylight
// saving time), and a time skipped at the start of daylight saving is read with the offset before
// the change, so 02:30 on the skipped hour becomes 03:30.
std::optional<std::int64_t> localTimeToSeconds(const win::SYSTEMTIME& st) {
    win::SYSTEMTIME midnight = st;
    midnight.wHour = midnight.wMinute = midnight.wSecond = midnight.wMilliseconds = 0;
    double day = 0.0;
    if (win::SystemTimeToVariantTime(&midnight, &day) == 0) {
        return std::nullopt;
    }
    constexpr std::int64_t kDaysFrom1899To1970 = 25569;
    const std::int64_t wallClock =
        (static_cast<std::int64_t>(day) - kDaysFrom1899To1970) * kSecondsPerDay +
        std::int64_t{st.wHour} * 3600 + std::int64_t{st.wMinute} * 60 + st.wSecond;
    // At most one change of offset lies within a day of any time; the offsets a day before and a
    // day after are the two candidates.
    const std::optional<long> before = offsetAt(wallClock - kSecondsPerDay);
    const std::optional<long> after = offsetAt(wallClock + kSecondsPerDay);
    if (!before || !after) {
        return std::nullopt;
    }
    std::optional<std::int64_t> earliest;
    for (const long offset : {*before, *after}) {
        const std::int64_t candidate = wallClock - offset;
        const std::optional<long> actual = offsetAt(candidate);
        if (actual && *actual == offset && (!earliest || candidate < *earliest)) {
            earliest = candidate;
        }
    }
    return earliest ? *earliest : wallClock - *before;
}

} // namespace

CxDateTime::CxDateTime() {
    win::GetLocalTime(&m_SystemTime);
    Convert(Conversion::ToVariantTime);
}

CxDateTime::~CxDateTime() = default;

void CxDateTime::SetVariantTime(double dtVariant) {
    m_VariantTime = dtVariant;
    Convert(Conversion::ToSystemTime);
}

void CxDateTime::SetSystemTime(const win::SYSTEMTIME& st) {
    m_SystemTime = st;
    Convert(Conversion::ToVariantTime);
}

void CxDateTime::SetTimeT(std::int32_t nTime) {
    win::SYSTEMTIME st{};
    if (!breakDown(nTime, st)) {
        m_bValid = false;
        return;
    }
    m_SystemTime = st;
    Convert(Conversion::ToVariantTime);
}

void CxDateTime::Convert(Conversion conversion) {
    TL_ASSERT(conversion == Conversion::ToVariantTime || conversion == Conversion::ToSystemTime);
    if (conversion == Conversion::ToVariantTime) {
        m_bValid = win::SystemTimeToVariantTime(&m_SystemTime, &m_VariantTime) != 0;
    } else {
        m_bValid = win::VariantTimeToSystemTime(m_VariantTime, &m_SystemTime) != 0;
    }
}

char* CxDateTime::DateText(char* szBuf, std::size_t size) const {
    // The assertion's text is fixed, spacing included.
    // clang-format off
    TL_ASSERT(szBuf!=NULL); // NOLINT(modernize-use-nullptr)
    // clang-format on
    std::snprintf(szBuf, size, "%02d/%02d/%04d", m_SystemTime.wMonth, m_SystemTime.wDay,
                  m_SystemTime.wYear);
    return szBuf;
}

char* CxDateTime::TimeText(char* szBuf, std::size_t size) const {
    // The assertion's text is fixed, spacing included.
    // clang-format off
    TL_ASSERT(szBuf!=NULL); // NOLINT(modernize-use-nullptr)
    // clang-format on
    std::snprintf(szBuf, size, "%02d:%02d:%02d", m_SystemTime.wHour, m_SystemTime.wMinute,
                  m_SystemTime.wSecond);
    return szBuf;
}

char* CxDateTime::DateTimeText(char* szBuf, std::size_t size) const {
    char szDate[32];
    char szTime[32];
    DateText(szDate, sizeof szDate);
    TimeText(szTime, sizeof szTime);
    std::snprintf(szBuf, size, "%s %s", szDate, szTime);
    return szBuf;
}

int CompareDate(const win::SYSTEMTIME* pFirst, const win::SYSTEMTIME* pSecond) {
    if (pFirst == nullptr) {
        return -1;
    }
    if (pSecond == nullptr) {
        return 1;
    }
    const auto dayKey = [](const win::SYSTEMTIME& st) {
        return (static_cast<std::uint32_t>(st.wYear) << 16) |
               (static_cast<std::uint32_t>(st.wMonth) << 8) | st.wDay;
    };
    const std::uint32_t first = dayKey(*pFirst);
    const std::uint32_t second = dayKey(*pSecond);
    return first < second ? -1 : (first > second ? 1 : 0);
}

int MinutesBetween(win::SYSTEMTIME first, win::SYSTEMTIME second) {
    return (first.wHour * 60 + first.wMinute) - (second.wHour * 60 + second.wMinute);
}

std::int32_t VariantTimeToTimeT(double dtVariant) {
    win::SYSTEMTIME st{};
    if (win::VariantTimeToSystemTime(dtVariant, &st) == 0) {
        return -1;
    }
    return SystemTimeToTimeT(st);
}

std::int32_t SystemTimeToTimeT(const win::SYSTEMTIME& st) {
    const std::optional<std::int64_t> time = localTimeToSeconds(st);
    if (!time || *time < 0 || *time > INT32_MAX) {
        return -1;
    }
    return static_cast<std::int32_t>(*time);
}

bool TimeTToSystemTime(std::int32_t nTime, win::SYSTEMTIME* pst) {
    return pst != nullptr && breakDown(nTime, *pst);
}

bool TimeTToVariantTime(std::int32_t nTime, double* pdtVariant) {
    win::SYSTEMTIME st{};
    if (pdtVariant == nullptr || !breakDown(nTime, st)) {
        return false;
    }
    return win::SystemTimeToVariantTime(&st, pdtVariant) != 0;
}

bool FormatVariantTime(double dtVariant, char* szBuf, std::size_t size) {
    win::SYSTEMTIME st{};
    if (szBuf == nullptr || win::VariantTimeToSystemTime(dtVariant, &st) == 0) {
        return false;
    }
    std::snprintf(szBuf, size, "%02d-%02d-%04d %02d:%02d:%02d", st.wMonth, st.wDay, st.wYear,
                  st.wHour, st.wMinute, st.wSecond);
    return true;
}

} // namespace twinleaf
