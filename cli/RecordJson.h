// JSON for the common records, as the headless commands print them. Other tools read this
// output: keys are the record's field names, texts are decoded from Windows-1252 to UTF-8,
// integers are numbers, OLE dates are numbers holding the double and SYSTEMTIME values are strings
// "YYYY-MM-DDTHH:MM:SS" of the local time they hold; the Native block is left out.
#pragma once

#include "common/misc/CommAddr.h"
#include "common/misc/CommDate.h"
#include "common/misc/CommNote.h"
#include "common/misc/CommTask.h"

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace twinleaf::cli {

// A JSON string literal of UTF-8 text, quotes included.
std::string jsonString(std::string_view utf8);
// The shortest text that reads back as the same double; null for NaN and the infinities, which
// JSON cannot hold.
std::string jsonNumber(double value);

// One record as a JSON object on one line: a key per member of the field table, in its order.
std::string recordJson(std::span<const CommField> fields, const void* rec);
// One contact as a JSON object on one line.
std::string addrRecordJson(const CommAddrRec& rec);
// The list as a JSON array, one object per line, in list order.
void writeAddrListJson(std::ostream& out, CommAddrMgr& list);
// The tasks as a JSON array, one object per line, in list order.
void writeTaskListJson(std::ostream& out, CommTaskMgr& list);
// The memos as a JSON array, one object per line, in list order.
void writeNoteListJson(std::ostream& out, CommNoteMgr& list);
// The appointments as a JSON array, one object per line, in list order; the repeat pattern's
// members are keys of the appointment itself.
void writeDateListJson(std::ostream& out, CommDateMgr& list);

} // namespace twinleaf::cli
