// OlTaskUtil: the Outlook side of the tasks tab. It reads every item of Outlook's default tasks
// folder into common task records, creates tasks from common records and rewrites existing ones.
// Between an item and a record stands OlTaskImage, the in-memory copy of the item's properties;
// an update starts from the item's own image, so properties the record lacks are written back as
// they were read.
#pragma once

#include "common/misc/CommTask.h"
#include "common/outlook/OlItem.h"

namespace twinleaf {

// One Outlook task's properties; texts are 8-bit ANSI, the width includes the terminator.
struct OlTaskImage {
    char Body[20480];
    char CardData[256];
    win::BYTE Complete;
    win::DATE DueDate;
    char EntryID[32];
    win::LONG Importance; // 0 low, 1 normal, 2 high
    win::BYTE IsRecurring;
    char Mileage[256];
    win::LONG Ordinal;
    win::LONG PercentComplete;
    win::BYTE ReminderOverrideDefault;
    win::BYTE ReminderPlaySound;
    win::BYTE ReminderSet;
    char ReminderSoundFile[260];
    win::DATE ReminderTime;
    win::LONG ResponseState;
    char Role[32];
    win::LONG Sensitivity;
    win::DATE StartDate;
    win::LONG Status;
    char Subject[256];
    win::BYTE TeamTask;
    win::LONG TotalWork;
    char FolderName[32]; // the folder's "Name"; never written
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    win::IDispatch* pItem; // always null in images kept with records
};

struct OlTaskKind {
    using Record = CommTaskRec;
    using List = CommTaskMgr;
    using Image = OlTaskImage;
    // Properties the record does not carry are written back as the item had them.
    static constexpr bool kUpdateFromStoredImage = true;
    static const OlItemKind& Description();
};

extern template class OlItemUtil<OlTaskKind>;

// The value maps between a task's properties and the common record (importance, sensitivity,
// status, the three dates) come on top of the property table.
class OlTaskUtil : public OlItemUtil<OlTaskKind> {
public:
    explicit OlTaskUtil(const char* szName = nullptr) : OlItemUtil(szName) {}

    void ImageToRecord(const OlTaskImage* pImage, CommTaskRec* pRec) override;
    void RecordToImage(const CommTaskRec* pRec, OlTaskImage* pImage) override;
    // Rewrites the item, then merges the record into the list entry at that position, so list
    // and folder agree; the list is left alone when the item could not be written.
    bool UpdateItem(const CommTaskRec* pRec, int nIndex) override;

protected:
    // The four reminder details are written only with a reminder set.
    bool UsesProperty(const OlProperty& property, const void* pImage,
                      OlDirection direction) const override;
};

// Outlook importance and the common priority, both ways.
std::int32_t PriorityOfImportance(win::LONG importance);
win::LONG ImportanceOfPriority(std::int32_t priority);

} // namespace twinleaf
