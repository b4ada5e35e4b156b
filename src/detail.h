// The record viewers: one modal window per kind that shows one common record in full. They only
// display; nothing in them is written anywhere. What the four share (the window, the "&Close"
// button, read-only controls, texts and dates as the user's locale writes them) is TfmDetail.
#pragma once

#include "common/sync/DataKind.h"
#include "platform/win/WinTypes.h"

#include <QDialog>
#include <QString>
#include <memory>

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QVBoxLayout;

namespace twinleaf {

class TfmDetail : public QDialog {
    Q_OBJECT
public:
    // Keeps the record and fills the controls from it; nothing happens for null.
    void SetRecord(const void* record);
    const void* record() const { return m_pRecord; }
    QPushButton* closeButton() const { return m_btnClose; }

    // A date (or time) as the user's locale writes it, with the year in full; empty for a value
    // that is no date.
    static QString localDate(const win::SYSTEMTIME& when);
    static QString localTime(const win::SYSTEMTIME& when);
    static QString localDate(win::DATE when); // OLE date; 0 is no date

protected:
    TfmDetail(const QString& objectName, const QString& caption, QWidget* owner);
    virtual void Fill(const void* record) = 0;

    // The area above the "&Close" button.
    QVBoxLayout* body() const { return m_body; }

    // Controls that show but take no input.
    static QLineEdit* edit(QWidget* parent, const char* name);
    static QPlainTextEdit* memo(QWidget* parent, const char* name);
    static QCheckBox* box(QWidget* parent, const char* name, const QString& caption);
    static QRadioButton* radio(QWidget* parent, const char* name, const QString& caption);

    // A record's 8-bit text (Windows-1252) read within its field.
    static QString text(std::string_view field);

private:
    const void* m_pRecord = nullptr;
    QVBoxLayout* m_body;
    QPushButton* m_btnClose;
};

class TfmAddrDetail : public TfmDetail {
    Q_OBJECT
public:
    explicit TfmAddrDetail(QWidget* owner = nullptr);

public slots:
    // Opens the home page in the desktop's browser; an empty box, or a text that is no web
    // address, opens nothing.
    void btnGoClick();

protected:
    void Fill(const void* record) override;

private:
    QWidget* generalPage();
    QWidget* addressPage();
    QWidget* otherPage();
    QLineEdit* m_edtHomepage = nullptr;
};

class TfmDateDetail : public TfmDetail {
    Q_OBJECT
public:
    explicit TfmDateDetail(QWidget* owner = nullptr);
    QTabWidget* pages() const { return m_pages; }
    QTabWidget* recurrencePages() const { return m_pRecur; }

protected:
    void Fill(const void* record) override;

private:
    QWidget* recurrencePage();
    QTabWidget* m_pages = nullptr;
    QTabWidget* m_pRecur = nullptr;
    QWidget* m_tRecurrence = nullptr;
};

class TfmTodoDetail : public TfmDetail {
    Q_OBJECT
public:
    explicit TfmTodoDetail(QWidget* owner = nullptr);

protected:
    void Fill(const void* record) override;
};

class TfmMemoDetail : public TfmDetail {
    Q_OBJECT
public:
    explicit TfmMemoDetail(QWidget* owner = nullptr);

protected:
    void Fill(const void* record) override;
};

// The viewer of a kind, empty until it is given a record.
std::unique_ptr<TfmDetail> createDetailViewer(DataKind kind, QWidget* owner = nullptr);

} // namespace twinleaf
