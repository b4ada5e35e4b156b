// The per-kind table of the sync controller.
#include "common/sync/KindTable.h"

#include "common/misc/CommAddr.h"
#include "common/outlook/OlAddr.h"
#include "common/palm/PalmAddrInfo.h"
#include "common/sync/ContactKind.h"
#include "common/sync/Options.h"
#include "platform/Assert.h"
#include "platform/codepage/Codepage.h"

#include <iterator>

namespace twinleaf {
namespace {

const KindTexts kTexts[] = {
    {"No Palm Desktop contact record is selected. \r\n\r\nPlease select the records that you "
     "want to update to Outlook.",
     "No Outlook contact record is selected.\r\n\r\nPlease select the records that you want to "
     "update to Palm Desktop.",
     "No contact information records found. Synchronization abort.",
     "Contact information synchronized successfully. %d records updated.", "contact"},
    {"No Palm Desktop calendar record is selected. \r\n\r\nPlease select the records that you "
     "want to update to Outlook.",
     "No Outlook calendar record is selected.\r\n\r\nPlease select the records that you want to "
     "update to Palm Desktop.",
     "No calendar information records found. Synchronization abort.",
     "Calendar information synchronized successfully. %d records updated.", "calendar"},
    {"No Palm Desktop task record is selected. \r\n\r\nPlease select the records that you want "
     "to update to Outlook.",
     "No Outlook task record is selected.\r\n\r\nPlease select the records that you want to "
     "update to Palm Desktop.",
     "No task information records found. Synchronization abort.",
     "Task information synchronized successfully. %d records updated.", "task"},
    {"No Palm Desktop memo record is selected. \r\n\r\nPlease select the records that you want "
     "to update to Outlook.",
     "No Outlook memo record is selected.\r\n\r\nPlease select the records that you want to "
     "update to Palm Desktop.",
     "No memo information records found. Synchronization abort.",
     "Memo information synchronized successfully. %d records updated.", "memo"},
};

std::size_t indexOf(DataKind kind) {
    const auto number = static_cast<int>(kind);
    TL_ASSERT(number >= 1 && number <= 4);
    return static_cast<std::size_t>(number - 1);
}

const ViewColumn kContactColumns[] = {
    {"First Name", 80, 1},       {"Last Name", 80, 2},   {"Email", 100, 25},
    {"Business Phone", 100, 19}, {"Home Phone", 80, 18}, {"Mobile Phone", 80, 20},
    {"Company", 80, 37},         {"Title", 80, 38},
};

} // namespace

const KindTexts& kindTexts(DataKind kind) {
    return kTexts[indexOf(kind)];
}

std::string synchronizedText(DataKind kind, int count) {
    std::string text = kindTexts(kind).synchronized;
    text.replace(text.find("%d"), 2, std::to_string(count));
    return text;
}

std::string palmSaveFailedText(DataKind kind, const std::string& file, const std::string& reason) {
    std::string text =
        std::string("The Palm Desktop ") + kindTexts(kind).palmData + " data could not be saved";
    text += file.empty() ? ".\r\n\r\nNothing was written to its file; it still holds"
                         : " to \"" + utf8ToAnsi(file) +
                               "\".\r\n\r\nNothing was written to this file; it still holds";
    text += " what it held before this synchronization.";
    if (!reason.empty()) {
        text += "\r\n\r\n" + utf8ToAnsi(reason);
    }
    return text;
}

std::int32_t& userIdSetting(OptionBlock& options, DataKind kind) {
    switch (kind) {
    case DataKind::Addr:
        return options.AddrUserID;
    case DataKind::Date:
        return options.DateUserID;
    case DataKind::Todo:
        return options.TodoUserID;
    case DataKind::Memo:
        break;
    }
    return options.MemoUserID;
}

std::int32_t& syncModeSetting(OptionBlock& options, DataKind kind) {
    switch (kind) {
    case DataKind::Addr:
        return options.AddrSyncMode;
    case DataKind::Date:
        return options.DateSyncMode;
    case DataKind::Todo:
        return options.TodoSyncMode;
    case DataKind::Memo:
        break;
    }
    return options.MemoSyncMode;
}

int compareStatusOf(DataKind kind, const void* record) {
    if (record == nullptr) {
        return 0;
    }
    switch (kind) {
    case DataKind::Addr:
        return static_cast<const CommAddrRec*>(record)->CompareStatus;
    case DataKind::Date:
    case DataKind::Todo:
    case DataKind::Memo:
        break;
    }
    return 0;
}

std::span<const ViewColumn> viewColumns(DataKind kind) {
    switch (kind) {
    case DataKind::Addr:
        return kContactColumns;
    case DataKind::Date:
    case DataKind::Todo:
    case DataKind::Memo:
        break;
    }
    return {};
}

std::string fieldText(DataKind kind, const void* record, int fieldId) {
    if (record == nullptr) {
        return {};
    }
    switch (kind) {
    case DataKind::Addr: {
        AddrFieldDesc desc{};
        char buffer[1024] = {};
        if (FindFieldDesc(static_cast<std::uint32_t>(fieldId), &desc) &&
            GetFieldText(static_cast<const CommAddrRec*>(record), &desc, buffer, sizeof buffer)) {
            return buffer;
        }
        return {};
    }
    case DataKind::Date:
    case DataKind::Todo:
    case DataKind::Memo:
        break;
    }
    return {};
}

// Calendar, tasks and memos open with empty sides until their records, facades and Outlook
// access classes exist; each then joins here as contacts do, with a Kind description of its own
// (see KindSidesOf), and in the status, column and text functions above.
std::unique_ptr<KindSides> createKindSides(DataKind kind, const OptionBlock& options,
                                           ContactFieldMap& fieldMap) {
    switch (kind) {
    case DataKind::Addr:
        return std::make_unique<KindSidesOf<ContactKindOf<PmAddrInfo, OlAddrUtil>>>(
            std::make_unique<PmAddrInfo>(), std::make_unique<OlAddrUtil>(), options, fieldMap);
    case DataKind::Date:
    case DataKind::Todo:
    case DataKind::Memo:
        break;
    }
    return std::make_unique<EmptySides>();
}

} // namespace twinleaf
