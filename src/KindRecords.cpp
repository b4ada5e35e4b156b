// Field texts of the common records for the list views and the conflict alert.
#include "src/KindRecords.h"

#include "common/misc/CommAddr.h"
#include "platform/codepage/Codepage.h"

namespace twinleaf {

namespace {

// The views ask with a buffer of this size, so every field fits whole.
constexpr std::uint32_t kTextBuffer = 1024;

QString contactFieldText(const CommAddrRec* record, int fieldId) {
    AddrFieldDesc field{};
    if (!FindFieldDesc(static_cast<std::uint32_t>(fieldId), &field)) {
        return {};
    }
    char text[kTextBuffer];
    if (!GetFieldText(record, &field, text, kTextBuffer)) {
        return {};
    }
    return QString::fromStdString(ansiToUtf8(text));
}

} // namespace

QString recordFieldText(DataKind kind, const void* record, int fieldId) {
    if (record == nullptr) {
        return {};
    }
    switch (kind) {
    case DataKind::Addr:
        return contactFieldText(static_cast<const CommAddrRec*>(record), fieldId);
    default:
        return {};
    }
}

int recordCompareStatus(DataKind kind, const void* record) {
    if (record == nullptr) {
        return 0;
    }
    switch (kind) {
    case DataKind::Addr:
        return static_cast<const CommAddrRec*>(record)->CompareStatus;
    default:
        return 0;
    }
}

QStringList recordTexts(DataKind kind, const void* record, const std::vector<int>& fieldIds) {
    QStringList texts;
    for (int fieldId : fieldIds) {
        texts << recordFieldText(kind, record, fieldId);
    }
    return texts;
}

} // namespace twinleaf
