// TfmConfAlert: asks, in the two-way mode, which of two differing records wins, and whether the
// answer is a rule for the rest of the run or for every later run.
#pragma once

#include <QDialog>
#include <QStringList>
#include <array>

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTreeWidget;

namespace twinleaf {

class TfmConfAlert : public QDialog {
    Q_OBJECT
public:
    explicit TfmConfAlert(QWidget* owner = nullptr);

    // Shows the tab of one kind (1 contacts, 2 calendar, 3 tasks, 4 memos) and hides the others.
    void SetKind(int kind);
    // Fills the current kind's list: row 0 "Palm Desktop", row 1 "Microsoft Outlook", each with
    // its record's display texts in column order (UTF-8 already). The rows keep the pointers.
    void ShowPair(const void* palmRecord, const QStringList& palmTexts, const void* outlookRecord,
                  const QStringList& outlookTexts);
    // false: the stored choice to the radio buttons; true: the controls to the stored choice.
    void TransferChoice(bool save);

    int GetDirection() const { return m_direction; }
    bool GetApplyThisRun() const { return m_applyThisRun; }
    bool GetApplyAlways() const { return m_applyAlways; }
    bool IsCancelled() const { return m_cancelled; }
    int kind() const { return m_kind; }

    QTreeWidget* list(int kind) const;
    QRadioButton* p2oButton() const { return m_rbtnP2O; }
    QRadioButton* o2pButton() const { return m_rbtnO2P; }
    QCheckBox* thisRunBox() const { return m_cbThis; }
    QCheckBox* alwaysBox() const { return m_cbAll; }
    QPushButton* okButton() const { return m_btnOK; }
    QPushButton* cancelButton() const { return m_btnCancel; }

    // The column captions of a kind's list, "Software" first.
    static QStringList columnCaptions(int kind);

public slots:
    void btnOKClick();
    void btnCancelClick();

protected:
    void reject() override;
    void showEvent(QShowEvent* event) override;

private:
    void scrollToFirstDifference();

    int m_kind = 1;
    int m_direction = 1;
    bool m_applyThisRun = false;
    bool m_applyAlways = false;
    bool m_cancelled = false;

    QTabWidget* m_pcData;
    std::array<QTreeWidget*, 4> m_lists{};
    QRadioButton* m_rbtnP2O;
    QRadioButton* m_rbtnO2P;
    QCheckBox* m_cbThis;
    QCheckBox* m_cbAll;
    QPushButton* m_btnOK;
    QPushButton* m_btnCancel;
};

} // namespace twinleaf
