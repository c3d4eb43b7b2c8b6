// The panel's limits: those kept in its settings judge the meter from the start, the alarm sign
// in the status bar names them to a screen reader, and "Limits" opens their window.
#include "support/SimPanelRig.h"

#include <QAccessible>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

class TestAppLimits : public QObject
{
    Q_OBJECT
private slots:
    void alarmToldAndWindowOpened()
    {
        QStandardPaths::setTestModeEnabled(true);
        QDir().mkpath(QFileInfo(panelLimitsPath()).absolutePath());
        QFile file(panelLimitsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[limit1]\nname=loud\nfigure=level\nlevel=60\n");
        file.close();
        SimPanelOptions options;
        options.sim.level = 61.2;
        options.wiring = true;
        SimPanelRig rig(options);
        QVERIFY(rig.start() && rig.startUp());
        rig.panel->show();
        auto* sign = rig.panel->statusBar()->findChild<QLabel*>("alarmIndicator");
        QTRY_VERIFY_WITH_TIMEOUT(sign && !sign->isHidden(), 5000);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(sign);
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Limits: alarm loud"));
        QVERIFY(!reader->state().invisible);

        rig.panel->findChild<QAction*>("limitsAction")->trigger();
        QVERIFY(rig.wiring->limitsWindow() && rig.wiring->limitsWindow()->isVisible());
        // Opened on the limits in force: the judge keeps its state.
        auto* table = rig.wiring->limitsWindow()->findChild<QTableWidget*>("limitsTable");
        QCOMPARE(table->item(0, 2)->text(), QStringLiteral("alarm"));
        QFile::remove(panelLimitsPath());
    }
};

QTEST_MAIN(TestAppLimits)
#include "test_app_limits.moc"
