// The splash window.
#include "src/Init.h"

#include "src/ProductArt.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace twinleaf {

namespace {
bool g_ticked = false;
bool g_started = false;
} // namespace

bool TfmInit::ticked() {
    return g_ticked;
}

bool TfmInit::started() {
    return g_started;
}

TfmInit::TfmInit(std::function<void()> startUp, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_startUp(std::move(startUp)),
      m_tmInit(new QTimer(this)) {
    setObjectName(QStringLiteral("fmInit"));
    setModal(true);
    setFixedSize(478, 206);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* box = new QGroupBox(this);
    outer->addWidget(box);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(20, 18, 20, 18);
    auto* picture = new QLabel(box);
    picture->setObjectName(QStringLiteral("imgMain"));
    picture->setPixmap(productPicture());
    picture->setFixedSize(399, 51);
    layout->addWidget(picture, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    auto* line =
        new QLabel(QStringLiteral("Synchronize  Palm Desktop  and Microsoft Outlook"), box);
    QFont bold = line->font();
    bold.setBold(true);
    line->setFont(bold);
    layout->addWidget(line, 0, Qt::AlignHCenter);
    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("Loading application data, please wait ..."), box),
                      0, Qt::AlignHCenter);
    layout->addStretch(1);

    m_tmInit->setObjectName(QStringLiteral("tmInit"));
    m_tmInit->setInterval(500);
    connect(m_tmInit, &QTimer::timeout, this, &TfmInit::tmInitTimer);
}

void TfmInit::showEvent(QShowEvent* event) {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        move(screen->availableGeometry().center() - rect().center());
    }
    QDialog::showEvent(event);
    if (!g_started) {
        m_tmInit->start();
    }
}

// The first tick gives the splash time to be painted before start-up blocks the event loop.
void TfmInit::tmInitTimer() {
    if (!g_ticked) {
        g_ticked = true;
        return;
    }
    if (g_started) {
        return;
    }
    g_started = true;
    m_tmInit->stop();
    if (m_startUp) {
        m_startUp();
    }
    accept();
}

// Escape must not skip start-up.
void TfmInit::reject() {}

} // namespace twinleaf
