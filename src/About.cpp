// The about box: the product picture, which opens the home page, and the legal notice.
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

    auto* notice = new QGroupBox(QStringLiteral("Warning"), this);
    auto* noticeLayout = new QVBoxLayout(notice);
    auto* text =
        new QLabel(QStringLiteral("This program is protected by copyright law.\n"
                                  "Reproducing or distributing it, or any part of it, without\n"
                                  "the permission of its authors is not allowed and may be\n"
                                  "prosecuted to the full extent of the law."),
                   notice);
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
