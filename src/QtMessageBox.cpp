// Message boxes of the core shown as Qt dialogs.
#include "src/QtMessageBox.h"

#include "platform/codepage/Codepage.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>

namespace twinleaf {

int answerWithQMessageBox(win::HWND owner, const char* text, const char* caption, win::UINT type) {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (type & win::MB_ICONMASK) {
    case win::MB_ICONERROR:
        icon = QMessageBox::Critical;
        break;
    case win::MB_ICONQUESTION:
        icon = QMessageBox::Question;
        break;
    case win::MB_ICONWARNING:
        icon = QMessageBox::Warning;
        break;
    case win::MB_ICONINFORMATION:
        icon = QMessageBox::Information;
        break;
    default:
        break;
    }
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    switch (type & win::MB_TYPEMASK) {
    case win::MB_OKCANCEL:
        buttons = QMessageBox::Ok | QMessageBox::Cancel;
        break;
    case win::MB_YESNO:
        buttons = QMessageBox::Yes | QMessageBox::No;
        break;
    case win::MB_YESNOCANCEL:
        buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        break;
    default:
        break;
    }
    // The core's texts break lines the Windows way.
    QString message = QString::fromStdString(ansiToUtf8(text != nullptr ? text : ""));
    message.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QWidget* parent = static_cast<QWidget*>(owner);
    if (parent == nullptr) {
        parent = QApplication::activeWindow();
    }
    QMessageBox box(icon, QString::fromStdString(ansiToUtf8(caption != nullptr ? caption : "")),
                    message, buttons, parent);
    switch (box.exec()) {
    case QMessageBox::Cancel:
        return win::IDCANCEL;
    case QMessageBox::Yes:
        return win::IDYES;
    case QMessageBox::No:
        return win::IDNO;
    default:
        return win::IDOK;
    }
}

} // namespace twinleaf
