// The OK and Cancel buttons at the foot of the dialogs, right-aligned, OK the default button.
#pragma once

#include <QString>

class QHBoxLayout;
class QPushButton;
class QWidget;

namespace twinleaf {

// Makes the two buttons (named btnOK and btnCancel) as children of `dialog` and returns the row
// that holds them, for the dialog's layout.
QHBoxLayout* okCancelRow(QWidget* dialog, const QString& okCaption, const QString& cancelCaption,
                         QPushButton*& ok, QPushButton*& cancel);

} // namespace twinleaf
