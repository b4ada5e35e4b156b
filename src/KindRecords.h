// What the windows show of a kind's common records: one field's display text and the compare
// status. The records come as untyped row data; the kind says what they are.
#pragma once

#include "common/sync/DataKind.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace twinleaf {

// The display text of one field (descriptor id of the kind's table), in UTF-8 for the window.
QString recordFieldText(DataKind kind, const void* record, int fieldId);
// 0 same, 1 new, 2 different.
int recordCompareStatus(DataKind kind, const void* record);
// The texts of the fields with these ids, in order.
QStringList recordTexts(DataKind kind, const void* record, const std::vector<int>& fieldIds);

} // namespace twinleaf
