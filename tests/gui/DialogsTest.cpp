// The conflict alert's answers, the splash's two-tick start-up and the about box.
#include "src/About.h"
#include "src/Init.h"
#include "src/ProductArt.h"
#include "src/confalert.h"
#include "support/QtTestMain.h"

#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <QUrl>

using namespace twinleaf;

// Receives what would go to the desktop's browser.
class UrlRecorder : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};

class DialogsTest : public QObject {
    Q_OBJECT
private slots:
    void conflictAlertAnswers_data() {
        QTest::addColumn<bool>("chooseOutlook");
        QTest::addColumn<bool>("thisRun");
        QTest::addColumn<bool>("always");
        QTest::addColumn<int>("direction");
        QTest::newRow("untouched answers Palm Desktop") << false << false << false << 1;
        QTest::newRow("Outlook chosen") << true << false << false << 2;
        QTest::newRow("both rules ticked") << true << true << true << 2;
        QTest::newRow("rule for this run only") << false << true << false << 1;
    }
    void conflictAlertAnswers() {
        QFETCH(bool, chooseOutlook);
        QFETCH(bool, thisRun);
        QFETCH(bool, always);
        QFETCH(int, direction);
        TfmConfAlert alert;
        alert.SetKind(1);
        alert.TransferChoice(false);
        QVERIFY(alert.p2oButton()->isChecked());
        if (chooseOutlook) {
            alert.o2pButton()->setChecked(true);
        }
        alert.thisRunBox()->setChecked(thisRun);
        alert.alwaysBox()->setChecked(always);
        QTest::mouseClick(alert.okButton(), Qt::LeftButton);
        QCOMPARE(alert.result(), 1);
        QCOMPARE(alert.GetDirection(), direction);
        QCOMPARE(alert.GetApplyThisRun(), thisRun);
        QCOMPARE(alert.GetApplyAlways(), always);
        QVERIFY(!alert.IsCancelled());
    }

    void conflictAlertCancelAndClose() {
        for (bool viaCloseButton : {false, true}) {
            TfmConfAlert alert;
            alert.show();
            if (viaCloseButton) {
                alert.close();
            } else {
                QTest::mouseClick(alert.cancelButton(), Qt::LeftButton);
            }
            QCOMPARE(alert.result(), 2);
            QVERIFY(alert.IsCancelled());
        }
    }

    void conflictAlertShowsOneKindWithTwoRows() {
        TfmConfAlert alert;
        QCOMPARE(alert.windowTitle(), QStringLiteral("Conflict Records Alert"));
        alert.SetKind(3);
        auto* tabs = alert.findChild<QTabWidget*>(QStringLiteral("pcData"));
        QVERIFY(tabs);
        QCOMPARE(tabs->currentIndex(), 2);
        for (int index = 0; index < 4; ++index) {
            QCOMPARE(tabs->isTabVisible(index), index == 2);
        }
        QCOMPARE(tabs->tabText(3), QStringLiteral("Notes"));
        alert.SetKind(1);
        const int palm = 1;
        const int outlook = 2;
        alert.ShowPair(&palm, {"Ada", "Byron", "", "", "", "111", "", "Countess"}, &outlook,
                       {"Ada", "Byron", "", "", "", "222", "", "Programmer"});
        QTreeWidget* list = alert.list(1);
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->headerItem()->text(6), QStringLiteral("Mobile Phone"));
        QCOMPARE(list->headerItem()->text(8), QStringLiteral("Title"));
        QCOMPARE(list->topLevelItem(0)->text(0), QStringLiteral("Palm Desktop"));
        QCOMPARE(list->topLevelItem(1)->text(0), QStringLiteral("Microsoft Outlook"));
        QCOMPARE(list->topLevelItem(0)->text(6), QStringLiteral("111"));
        QCOMPARE(list->topLevelItem(1)->text(6), QStringLiteral("222"));
        QCOMPARE(list->topLevelItem(1)->text(8), QStringLiteral("Programmer"));
        QCOMPARE(list->topLevelItem(0)->data(0, Qt::UserRole).value<quintptr>(),
                 reinterpret_cast<quintptr>(&palm));
        // A second pair replaces the first.
        alert.ShowPair(&palm, {QString(300, 'x')}, &outlook, {"y"});
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(1).size(), 255);
    }

    void conflictAlertKeepsTheSideInViewWhenScrolledToADifference() {
        TfmConfAlert alert;
        alert.SetKind(1);
        const int palm = 1;
        const int outlook = 2;
        const QString wide(60, 'w');
        alert.ShowPair(&palm, {wide, wide, wide, wide, wide, wide, wide, "Countess"}, &outlook,
                       {wide, wide, wide, wide, wide, wide, wide, "Programmer"});
        alert.show();
        QVERIFY(QTest::qWaitForWindowExposed(&alert));
        QTreeWidget* list = alert.list(1);
        QVERIFY(list->horizontalScrollBar()->value() > 0); // "Title" was brought into view
        auto* pinned = alert.findChild<QTreeView*>(QStringLiteral("lvAddrPinned"));
        QVERIFY(pinned);
        QVERIFY(pinned->isVisible());
        QCOMPARE(pinned->x(), list->frameWidth());
        // "Software" and the names stay: a row whose name scrolled away cannot be judged.
        QCOMPARE(pinned->width(),
                 list->columnWidth(0) + list->columnWidth(1) + list->columnWidth(2));
        QCOMPARE(pinned->model()->index(1, 0).data().toString(),
                 QStringLiteral("Microsoft Outlook"));
        QVERIFY(!pinned->isColumnHidden(2));
        QVERIFY(pinned->isColumnHidden(3));
        QVERIFY(pinned->isColumnHidden(8));
    }

    void splashStartsUpOnTheSecondTickOnly() {
        int startUps = 0;
        TfmInit splash([&startUps] { ++startUps; });
        splash.show();
        QVERIFY(splash.timer()->isActive());
        QCOMPARE(splash.timer()->interval(), 500);
        splash.tmInitTimer();
        QVERIFY(TfmInit::ticked());
        QCOMPARE(startUps, 0);
        QVERIFY(splash.isVisible());
        splash.tmInitTimer();
        QCOMPARE(startUps, 1);
        QVERIFY(!splash.timer()->isActive());
        QVERIFY(!splash.isVisible());
        QCOMPARE(splash.result(), int(QDialog::Accepted));
        // A tick that was already queued while start-up ran does nothing.
        splash.tmInitTimer();
        QCOMPARE(startUps, 1);
        QCOMPARE(splash.size(), QSize(478, 206));
    }

    void aboutBoxOpensTheHomePage() {
        UrlRecorder recorder;
        const QString scheme = QUrl(homePageAddress()).scheme();
        QDesktopServices::setUrlHandler(scheme, &recorder, "open");
        TfmAbout about;
        QCOMPARE(about.windowTitle(), QStringLiteral("About Twinleaf"));
        auto* licence = about.findChild<QLabel*>(QStringLiteral("lbLicence"));
        QVERIFY(licence);
        QVERIFY(licence->text().contains(QStringLiteral(TWINLEAF_VERSION)));
        QVERIFY(licence->text().contains(QStringLiteral("MIT licence")));
        QVERIFY(!licence->text().contains(QStringLiteral("prosecuted")));
        QCOMPARE(about.size(), QSize(474, 329));
        QCOMPARE(about.picture()->pixmap().size(), QSize(399, 51));
        about.show();
        QTest::mouseClick(about.picture(), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler(scheme);
        QCOMPARE(recorder.opened, QList<QUrl>{QUrl(QStringLiteral(TWINLEAF_HOME_PAGE))});
        auto* ok = about.findChild<QPushButton*>(QStringLiteral("btnOK"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QVERIFY(!about.isVisible());
    }
};

TWINLEAF_QTEST_MAIN(DialogsTest)
#include "DialogsTest.moc"
