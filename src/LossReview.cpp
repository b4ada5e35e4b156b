#include "src/LossReview.h"

#include "src/DialogButtons.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace twinleaf {
namespace {

const char* towards(PlanAction action) {
    switch (action) {
    case PlanAction::CreateInOutlook:
    case PlanAction::UpdateOutlook:
        return "Outlook";
    case PlanAction::CreateInPalm:
    case PlanAction::UpdatePalm:
        return "Palm Desktop";
    case PlanAction::Same:
    case PlanAction::Undecided:
        break;
    }
    return "";
}

} // namespace

TfmLossReview::TfmLossReview(const SyncPlan& plan, const QString& kindData, QWidget* owner)
    : QDialog(owner) {
    setObjectName(QStringLiteral("fmLossReview"));
    setWindowTitle(QStringLiteral("Data That Would Be Lost"));
    setModal(true);
    resize(640, 360);

    auto* layout = new QVBoxLayout(this);
    auto* intro = new QLabel(
        QStringLiteral("This %1 synchronization would write %2 values that their target cannot "
                       "hold whole. Nothing has been written yet.")
            .arg(kindData)
            .arg(plan.lossCount()),
        this);
    intro->setWordWrap(true);
    layout->addWidget(intro);

    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lvLosses"));
    m_list->setRootIsDecorated(false);
    m_list->setAlternatingRowColors(true);
    m_list->setHeaderLabels({QStringLiteral("Record"), QStringLiteral("Written to"),
                             QStringLiteral("Field"), QStringLiteral("What is lost")});
    for (const PlanEntry& entry : plan.entries) {
        for (const FieldLoss& loss : entry.losses) {
            auto* row = new QTreeWidgetItem(m_list);
            row->setText(0, QString::fromStdString(entry.name));
            row->setText(1, QString::fromLatin1(towards(entry.action)));
            row->setText(2, QString::fromStdString(loss.field));
            row->setText(3, QString::fromStdString(loss.lost));
            row->setToolTip(3, row->text(3));
        }
    }
    for (int column = 0; column < 3; ++column) {
        m_list->resizeColumnToContents(column);
    }
    layout->addWidget(m_list, 1);

    QPushButton* go = nullptr;
    QPushButton* stop = nullptr;
    layout->addLayout(
        okCancelRow(this, QStringLiteral("Continue"), QStringLiteral("Cancel"), go, stop));
    // Going on loses data: the default is to stop.
    go->setDefault(false);
    stop->setDefault(true);
    stop->setFocus();
    connect(go, &QPushButton::clicked, this, &QDialog::accept);
    connect(stop, &QPushButton::clicked, this, &QDialog::reject);
}

} // namespace twinleaf
