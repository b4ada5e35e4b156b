// TfmAddrCustom: ties each of the nine Palm custom fields of a contact to one Outlook contact
// property, edited in place in the nine mapping numbers of the settings block.
#pragma once

#include <QDialog>
#include <array>
#include <cstdint>

class QComboBox;
class QPushButton;

namespace twinleaf {

// Palm Desktop keeps Custom 5 to Custom 9 from version 4.1.2 on (major * 10000 + minor * 100 +
// build); with an older or unknown version only the first four are offered.
inline constexpr int kNineCustomFieldsVersion = 40102;

class TfmAddrCustom : public QDialog {
    Q_OBJECT
public:
    // `palmDesktopVersion` as GetPalmDesktopVersion gives it; -1 when unknown.
    explicit TfmAddrCustom(int palmDesktopVersion, QWidget* owner = nullptr);

    // Keeps `mapping` (nine CustomFieldSource numbers, Custom 1 first) and shows it; nothing
    // happens for null. OK stores the choices back into it.
    void SetMapping(std::int32_t* mapping);

    QComboBox* list(int custom) const; // custom: 1 to 9
    QPushButton* okButton() const { return m_btnOK; }
    QPushButton* cancelButton() const { return m_btnCancel; }

public slots:
    void btnOKClick();

protected:
    // Escape and the window's close button leave it as Cancel does.
    void reject() override { done(2); }

private:
    std::int32_t* m_pMapping = nullptr;
    std::array<QComboBox*, 9> m_lists{};
    QPushButton* m_btnOK;
    QPushButton* m_btnCancel;
};

} // namespace twinleaf
