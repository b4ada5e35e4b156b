// The custom-field mapping window: nine drop-down lists over the 78 Outlook contact properties.
#include "src/addrcustom.h"

#include "common/outlook/OlAddr.h"
#include "platform/Assert.h"
#include "src/DialogButtons.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace twinleaf {

TfmAddrCustom::TfmAddrCustom(int palmDesktopVersion, QWidget* owner) : QDialog(owner) {
    setObjectName(QStringLiteral("fmAddrCustom"));
    setWindowTitle(QStringLiteral("Setup contact custom fields mapping"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* group = new QGroupBox(QStringLiteral("Contact Custom Fields Mapping  Setup "), this);
    auto* rows = new QFormLayout(group);
    rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    // Older Palm Desktops have four custom fields; an unreadable version counts as older. The
    // version is compared as a signed number, so -1 falls below the limit.
    const bool nineFields = palmDesktopVersion >= kNineCustomFieldsVersion;
    for (int custom = 1; custom <= 9; ++custom) {
        auto* box = new QComboBox(group);
        box->setObjectName(QStringLiteral("cbCustom%1").arg(custom));
        box->setEditable(false);
        box->setMaxVisibleItems(20);
        for (int source = 0; source < kCustomFieldSourceCount; ++source) {
            box->addItem(QString::fromLatin1(CustomFieldSourceName(source)));
        }
        box->setEnabled(custom <= 4 || nineFields);
        auto* label = new QLabel(QStringLiteral("Custom %1:").arg(custom), group);
        label->setBuddy(box);
        rows->addRow(label, box);
        m_lists[static_cast<std::size_t>(custom - 1)] = box;
    }
    layout->addWidget(group, 1);

    layout->addLayout(
        okCancelRow(this, QStringLiteral("&OK"), QStringLiteral("&Cancel"), m_btnOK, m_btnCancel));

    connect(m_btnOK, &QPushButton::clicked, this, &TfmAddrCustom::btnOKClick);
    connect(m_btnCancel, &QPushButton::clicked, this, &TfmAddrCustom::reject);
    resize(sizeHint().expandedTo(QSize(379, 444)));
}

QComboBox* TfmAddrCustom::list(int custom) const {
    TL_ASSERT(custom >= 1 && custom <= 9);
    return m_lists[static_cast<std::size_t>(custom - 1)];
}

void TfmAddrCustom::SetMapping(std::int32_t* mapping) {
    if (mapping == nullptr) {
        return;
    }
    m_pMapping = mapping;
    for (std::size_t i = 0; i < m_lists.size(); ++i) {
        // A number the list does not hold (hand-edited settings) selects nothing.
        const std::int32_t source = mapping[i];
        m_lists[i]->setCurrentIndex(source >= 0 && source < kCustomFieldSourceCount ? source : -1);
    }
}

void TfmAddrCustom::btnOKClick() {
    if (m_pMapping != nullptr) {
        for (std::size_t i = 0; i < m_lists.size(); ++i) {
            // A disabled list keeps what it was filled with; one showing nothing keeps the stored
            // number, which means none wherever it is read.
            const QComboBox* box = m_lists[i];
            if (box->isEnabled() && box->currentIndex() >= 0) {
                m_pMapping[i] = box->currentIndex();
            }
        }
    }
    done(1);
}

} // namespace twinleaf
