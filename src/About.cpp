// The about box: the product picture, which opens the home page, the version and the licence.
#include "src/About.h"

#include "src/ProductArt.h"

#include <QDesktopServices>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace twinleaf {

QString licenceText() {
    return QStringLiteral("Twinleaf %1 is free software under the MIT licence: you may use, copy, "
                          "change and pass it on, also for money, as long as this notice goes "
                          "with it. It comes without any warranty.")
        .arg(QStringLiteral(TWINLEAF_VERSION));
}

TfmAbout::TfmAbout(QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("About Twinleaf"));
    setModal(true);
    setFixedSize(474, 329);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 14);
    auto* panel = new QFrame(this);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setAutoFillBackground(true);
    QPalette white = panel->palette();
    white.setColor(QPalette::Window, Qt::white);
    panel->setPalette(white);
    auto* panelLayout = new QVBoxLayout(panel);
    m_imgApp = new QLabel(panel);
    m_imgApp->setObjectName(QStringLiteral("imgApp"));
    m_imgApp->setPixmap(productPicture());
    m_imgApp->setFixedSize(399, 51);
    m_imgApp->setCursor(Qt::PointingHandCursor);
    m_imgApp->setToolTip(homePageAddress());
    m_imgApp->installEventFilter(this);
    panelLayout->addWidget(m_imgApp, 0, Qt::AlignHCenter);
    auto* version =
        new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(TWINLEAF_VERSION)), panel);
    panelLayout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addWidget(panel);

    auto* notice = new QGroupBox(QStringLiteral("Licence"), this);
    notice->setObjectName(QStringLiteral("gbLicence"));
    auto* noticeLayout = new QVBoxLayout(notice);
    auto* text = new QLabel(licenceText(), notice);
    text->setObjectName(QStringLiteral("lbLicence"));
    text->setWordWrap(true);
    noticeLayout->addWidget(text);
    layout->addWidget(notice, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    buttons->addWidget(ok);
    buttons->addStretch(1);
    layout->addLayout(buttons);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TfmAbout::imgAppClick() {
    QDesktopServices::openUrl(QUrl(homePageAddress()));
}

bool TfmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_imgApp && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        imgAppClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace twinleaf
