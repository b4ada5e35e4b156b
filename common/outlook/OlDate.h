// OlDateUtil: the Outlook side of the calendar tab. It reads every appointment of Outlook's
// default calendar folder into common calendar records, creates appointments from common records
// and rewrites existing ones, their recurrence patterns included. Between an item and a record
// stands OlAppointmentImage, the in-memory copy of the appointment's properties while it is read
// or written.
#pragma once

#include "common/misc/CommDate.h"
#include "common/outlook/OlItem.h"

namespace twinleaf {

// One appointment's properties; texts are 8-bit ANSI, the width includes the terminator. The
// pattern's fields are those of the item's recurrence pattern; RecurrenceType is -1 for none.
struct OlAppointmentImage {
    win::BYTE AllDayEvent;
    win::LONG Duration; // minutes; written, never read back into the record
    win::DATE End;
    win::BYTE IsRecurring;
    char Location[255];
    win::DATE Start;
    char Subject[255];
    char Body[20479];
    win::LONG RecurrenceType;
    win::LONG Interval;
    win::LONG DayOfWeekMask;
    win::LONG DayOfMonth;
    win::LONG Instance;
    win::LONG MonthOfYear;
    win::DATE PatternEndDate;
    char FolderName[32]; // the folder's "Name"; never written
    win::DATE CreationTime;
    win::DATE LastModificationTime;
    win::IDispatch* pItem; // always null in images kept with records
};

// OlRecurrenceType
enum OlRecurrence : win::LONG {
    kOlNoRecurrence = -1,
    kOlRecursDaily = 0,
    kOlRecursWeekly = 1,
    kOlRecursMonthly = 2,
    kOlRecursMonthNth = 3,
    kOlRecursYearly = 5,
    kOlRecursYearNth = 6,
};

struct OlDateKind {
    using Record = CommDateRec;
    using List = CommDateMgr;
    using Image = OlAppointmentImage;
    // Every written property comes from the record; what it lacks (the location, a body while
    // the body is left out, a pattern of a record without one) is not sent and stays as it was.
    static constexpr bool kUpdateFromStoredImage = false;
    static const OlItemKind& Description();
};

extern template class OlItemUtil<OlDateKind>;

class OlDateUtil : public OlItemUtil<OlDateKind> {
public:
    explicit OlDateUtil(const char* szName = nullptr) : OlItemUtil(szName), m_bIncludeBody(0) {}

    // Whether the body is read and written; off until the application turns it on.
    win::BYTE SetIncludeBody(win::BYTE bInclude) {
        m_bIncludeBody = bInclude;
        return m_bIncludeBody;
    }
    win::BYTE GetIncludeBody() const { return m_bIncludeBody; }

    void ReadItem(CDispCmd& item, OlAppointmentImage* pImage) override;
    void ImageToRecord(const OlAppointmentImage* pImage, CommDateRec* pRec) override;
    void RecordToImage(const CommDateRec* pRec, OlAppointmentImage* pImage) override;
    // Rewrites the appointment, then merges the record into the list entry at that position, so
    // list and folder agree; the list is left alone when the item could not be written.
    bool UpdateItem(const CommDateRec* pRec, int nIndex) override;

protected:
    bool UsesProperty(const OlProperty& property, const void* pImage,
                      OlDirection direction) const override;

private:
    win::BYTE m_bIncludeBody;
};

// The repeat pattern of a record as Outlook's recurrence fields and back. Outlook counts the
// yearly kinds' interval in months (12 for every year), in both directions.
void RepeatToPattern(const CommDateRepeat& repeat, OlAppointmentImage& image);
void PatternToRepeat(const OlAppointmentImage& image, CommDateRepeat& repeat);

} // namespace twinleaf
