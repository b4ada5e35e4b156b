// TfmAbout: the about box of the help menu.
#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace twinleaf {

// The version and the terms the program is distributed under, as the about box shows them.
QString licenceText();

class TfmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfmAbout(QWidget* owner = nullptr);

    QLabel* picture() const { return m_imgApp; }

public slots:
    // Opens the product's home page in the desktop's browser.
    void imgAppClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_imgApp;
};

} // namespace twinleaf
