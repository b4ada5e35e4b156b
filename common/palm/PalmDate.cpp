// The classic date book's field table, and PmTime.
#include "common/palm/PalmDate.h"

#include "common/misc/CxDateTime.h"

#include <cstddef>
#include <ctime>

namespace twinleaf {
namespace {

// The end time is a moment like the start time; the tag it is written under is the type list's.
constexpr RowField kRow[palm::kDateFieldCount] = {
    {RowValue::Int, offsetof(PmDateRec, RecordId), 4},
    {RowValue::Int, offsetof(PmDateRec, Status), 4},
    {RowValue::Int, offsetof(PmDateRec, Position), 4},
    {RowValue::Date, offsetof(PmDateRec, StartTime), 4},
    {RowValue::Date, offsetof(PmDateRec, EndTime), 4},
    {RowValue::Text, TL_OFFSET_WIDTH(PmDateRec, Description)},
    {RowValue::Int, offsetof(PmDateRec, Duration), 4},
    {RowValue::Text, TL_OFFSET_WIDTH(PmDateRec, Note)},
    {RowValue::Bool, offsetof(PmDateRec, Untimed), 4},
    {RowValue::Bool, offsetof(PmDateRec, Private), 4},
    {RowValue::Int, offsetof(PmDateRec, Category), 4},
    {RowValue::Bool, offsetof(PmDateRec, AlarmSet), 4},
    {RowValue::Int, offsetof(PmDateRec, AlarmAdvanceUnits), 4},
    {RowValue::Int, offsetof(PmDateRec, AlarmAdvanceType), 4},
    {RowValue::Repeat, offsetof(PmDateRec, Repeat), sizeof(RepeatValue)},
};

const RowCodec kCodec = RowCodecOf<PmDateRec>(kRow);

} // namespace

const ClassicFileKind kDateClassicFile = {
    palm::kDateVersionTag,
    "classic Palm date book",
    palm::kDateSchema,
    palm::kDateFieldTypes,
    "datebook",
    "datebook.dat",
};

PmDateUtil::PmDateUtil() : PmClassicFile(kDateClassicFile) {}

PmDateUtil::PmDateUtil(const char* path) : PmDateUtil() {
    Load(path);
}

const RowCodec& PmDateUtil::Codec() const {
    return kCodec;
}

PmTime::PmTime(std::int32_t value)
    : m_value(value != 0 ? value : static_cast<std::int32_t>(std::time(nullptr))) {}

bool PmTime::FromSystemTime(const win::SYSTEMTIME* pst) {
    if (pst == nullptr) {
        return false;
    }
    win::SYSTEMTIME local = *pst;
    local.wMilliseconds = 0;
    local.wDayOfWeek = 0;
    const std::int32_t value = SystemTimeToTimeT(local);
    if (value == -1) {
        return false;
    }
    m_value = value;
    return true;
}

bool PmTime::ToSystemTime(win::SYSTEMTIME* pst) const {
    win::SYSTEMTIME local{};
    if (pst == nullptr || !TimeTToSystemTime(m_value, &local)) {
        return false;
    }
    local.wDayOfWeek = 0;
    *pst = local;
    return true;
}

} // namespace twinleaf
