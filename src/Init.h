// TfmInit: the splash window under which start-up runs. Its timer fires every 500 ms; the first
// tick only notes that the window has had time to show, the second runs start-up and closes it.
#pragma once

#include <QDialog>
#include <functional>

class QTimer;

namespace twinleaf {

class TfmInit : public QDialog {
    Q_OBJECT
public:
    explicit TfmInit(std::function<void()> startUp, QWidget* owner = nullptr);

    QTimer* timer() const { return m_tmInit; }

    // Process-wide, as start-up must run once per process however many ticks arrive.
    static bool ticked();
    static bool started();

public slots:
    void tmInitTimer();

protected:
    void showEvent(QShowEvent* event) override;
    void reject() override;

private:
    std::function<void()> m_startUp;
    QTimer* m_tmInit;
};

} // namespace twinleaf
