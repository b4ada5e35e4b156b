// The list of what a run is about to lose, shown before it writes anything: one row per field a
// target cannot hold, naming the record, the field and what goes. The user goes on or stops.
#pragma once

#include "common/sync/SyncPlan.h"

#include <QDialog>

class QTreeWidget;

namespace twinleaf {

class TfmLossReview : public QDialog {
public:
    // `kindData` names the kind's data as the window's messages do ("contact", "calendar", ...).
    TfmLossReview(const SyncPlan& plan, const QString& kindData, QWidget* owner);

    QTreeWidget* list() const { return m_list; }

private:
    QTreeWidget* m_list;
};

} // namespace twinleaf
