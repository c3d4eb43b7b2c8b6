// The "Limits" window and the panel's alarm sign: limits typed with the station's keys judge the
// panel's samples, the table and today's list follow, a fault names its section and key, and a
// screen reader finds the alarm in the sign's accessible name.
#include "limits/AlarmIndicator.h"
#include "limits/LimitsModel.h"
#include "limits/LimitsWindow.h"

#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

using namespace slm;

namespace
{

Sample at(const QDateTime& time, double level)
{
    Sample s;
    s.time = time;
    s.tenths = int(level * 10);
    return s;
}

} // namespace

class TestLimitsWindow : public QObject
{
    Q_OBJECT
private slots:
    void alarmShownListedAndTold();
    void faultNamesSectionAndKey();
};

void TestLimitsWindow::alarmShownListedAndTold()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("limits.ini");
    LimitsModel model;
    LimitsWindow window(model, path);
    AlarmIndicator indicator(model);
    window.findChild<QPlainTextEdit*>("limitsEditor")
        ->setPlainText("[limit1]\nname=night\nfigure=level\nlevel=75\n");
    QVERIFY(window.apply());
    QVERIFY(QFile::exists(path));

    const QDateTime t0(QDate(2026, 12, 11), QTime(12, 0));
    model.addSample(at(t0, 70));
    QVERIFY(indicator.isHidden());
    model.addSample(at(t0.addSecs(1), 80));
    QVERIFY(!indicator.isHidden());
    QCOMPARE(indicator.accessibleName(), QStringLiteral("Limits: alarm night"));
    auto* table = window.findChild<QTableWidget*>("limitsTable");
    QCOMPARE(table->item(0, 1)->text(), QStringLiteral("80.0 dB"));
    QCOMPARE(table->item(0, 2)->text(), QStringLiteral("alarm"));
    model.addSample(at(t0.addSecs(2), 60));
    QVERIFY(indicator.isHidden());
    QCOMPARE(indicator.accessibleName(), QStringLiteral("Limits: clear"));
    auto* today = window.findChild<QListWidget*>("transitionsList");
    QCOMPARE(today->count(), 2);
    QCOMPARE(today->item(0)->text(), QStringLiteral("12:00:01 night alarm (80.0 dB, threshold 75.0 dB)"));

    // Kept in the settings: a new window takes them up again.
    LimitsModel again;
    LimitsWindow reopened(again, path);
    QCOMPARE(again.monitors().size(), size_t(1));
}

void TestLimitsWindow::faultNamesSectionAndKey()
{
    QTemporaryDir dir;
    LimitsModel model;
    LimitsWindow window(model, dir.filePath("limits.ini"));
    window.findChild<QPlainTextEdit*>("limitsEditor")->setPlainText("[limit1]\nlevel=75\n");
    QVERIFY(window.apply());
    window.findChild<QPlainTextEdit*>("limitsEditor")->setPlainText("[limit1]\nlevel=75\nwindow=soon\n");
    QVERIFY(!window.apply());
    QVERIFY(
        window.findChild<QLabel*>("limitsMessage")->text().contains("[limit1] window must be a duration"));
    QCOMPARE(model.monitors().size(), size_t(1)); // the limits in force stay
    QCOMPARE(model.monitors().front().config().windowSeconds, 900);
}

QTEST_MAIN(TestLimitsWindow)
#include "test_limits_window.moc"
