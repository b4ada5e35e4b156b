// TfmOption: the options dialog. It edits the settings block directly: the colours rows are drawn
// in, the conflict rule of the two-way mode, each kind's "Open by File Name" override, the name
// swap of contacts and the contact custom-field mapping.
#pragma once

#include "common/sync/DataKind.h"
#include "common/sync/Options.h"

#include <QColor>
#include <QDialog>
#include <QFrame>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace twinleaf {

// A colour shown as the panel's background; a click, Space or Enter asks for another.
class ColourSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColourSwatch(QWidget* parent = nullptr);
    QColor colour() const { return m_colour; }
    void setColour(const QColor& colour);
    QSize sizeHint() const override { return kSize; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    static constexpr QSize kSize{48, 20};
    QColor m_colour;
};

// The controls of one kind's tab.
struct OptionFileControls {
    QWidget* page = nullptr;
    QCheckBox* cbFile = nullptr;
    QLineEdit* edtFile = nullptr;
    QPushButton* btnBrowse = nullptr;
};

class TfmOption : public QDialog {
    Q_OBJECT
public:
    // The block must outlive the dialog; the controls are filled from it at once.
    explicit TfmOption(OptionBlock* block, QWidget* owner = nullptr);

    // kind: 1 contacts, 2 calendar, 3 tasks, 4 memos.
    const OptionFileControls& fileControls(int kind) const;
    QCheckBox* showColorBox() const { return m_cbShowColor; }
    ColourSwatch* swatch(int status) const; // 0 same, 1 new, 2 different
    QRadioButton* remindButton() const { return m_rbtnRemind; }
    QRadioButton* p2oButton() const { return m_rbtnP2O; }
    QRadioButton* o2pButton() const { return m_rbtnO2P; }
    QCheckBox* swapBox() const { return m_cbAddrSwap; }
    QCheckBox* customBox() const { return m_cbCustom; }
    QPushButton* setupButton() const { return m_btnAddrCustom; }
    QPushButton* okButton() const { return m_btnOK; }
    QPushButton* cancelButton() const { return m_btnCancel; }
    QTabWidget* pages() const { return m_pcMain; }

public slots:
    void btnOKClick();
    // The kind's browse button: a file that is no Palm file of that kind is refused.
    void browse(int kind);
    void pickColour(int status);
    void setupCustomFields();

protected:
    // What the user picked in the open-file dialog; empty when cancelled. Tests answer it.
    virtual QString chooseFile(const QString& title);
    // The colour dialog preset to `current`; an invalid colour when cancelled.
    virtual QColor chooseColour(const QColor& current);
    // The custom-field mapping window, modal, on the block's nine mapping numbers.
    virtual void runCustomMapping(std::int32_t* mapping);

    // Escape and the window's close button leave it as Cancel does.
    void reject() override { done(2); }

private:
    void FormCreate();
    void buildFilePage(int kind, const QString& caption);
    void updateEnabled();

    OptionBlock* m_pBlock;
    QCheckBox* m_cbShowColor;
    std::array<ColourSwatch*, 3> m_swatches{};
    QRadioButton* m_rbtnRemind;
    QRadioButton* m_rbtnP2O;
    QRadioButton* m_rbtnO2P;
    QTabWidget* m_pcMain;
    std::array<OptionFileControls, 4> m_files{};
    QCheckBox* m_cbAddrSwap;
    QCheckBox* m_cbCustom;
    QPushButton* m_btnAddrCustom;
    QPushButton* m_btnOK;
    QPushButton* m_btnCancel;
};

} // namespace twinleaf
