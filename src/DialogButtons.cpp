// The button row the dialogs share.
#include "src/DialogButtons.h"

#include <QHBoxLayout>
#include <QPushButton>

namespace twinleaf {

QHBoxLayout* okCancelRow(QWidget* dialog, const QString& okCaption, const QString& cancelCaption,
                         QPushButton*& ok, QPushButton*& cancel) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    ok = new QPushButton(okCaption, dialog);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    cancel = new QPushButton(cancelCaption, dialog);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    row->addWidget(ok);
    row->addWidget(cancel);
    return row;
}

} // namespace twinleaf
