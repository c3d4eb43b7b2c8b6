// The panel's limits: those kept in its settings judge the meter's samples from the start, the
// alarm sign in the status bar shows and names them to a screen reader, and "Limits" opens their window.
#include "app/PanelWiring.h"
#include "limits/LimitsWindow.h"
#include "support/SimPanelRig.h"

#include <QAccessible>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStatusBar>
#include <QTableWidget>
#include <QtTest>

using namespace slm;

class TestAppLimits : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void alarmToldAndWindowOpened()
    {
        QDir().mkpath(QFileInfo(panelLimitsPath()).absolutePath());
        QFile file(panelLimitsPath());
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("[limit1]\nname=loud\nfigure=level\nlevel=60\n");
        file.close();

        SimPanelOptions options;
        options.sim.level = 61.2;
        options.wiring = true;
        SimPanelRig rig(options);
        QVERIFY(rig.start());
        QVERIFY(rig.startUp());
        rig.panel->show();
        auto* sign = rig.panel->statusBar()->findChild<QLabel*>("alarmIndicator");
        QVERIFY(sign);
        QTRY_VERIFY_WITH_TIMEOUT(!sign->isHidden(), 5000);
        // What a screen reader reads of the sign.
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(sign);
        QVERIFY(reader);
        QCOMPARE(reader->text(QAccessible::Name), QStringLiteral("Limits: alarm loud"));
        QVERIFY(!reader->state().invisible);

        auto* action = rig.panel->findChild<QAction*>("limitsAction");
        QVERIFY(action);
        action->trigger();
        LimitsWindow* window = rig.wiring->limitsWindow();
        QVERIFY(window && window->isVisible());
        // Opened on the limits in force: the judge keeps its state.
        QCOMPARE(window->findChild<QTableWidget*>("limitsTable")->item(0, 2)->text(),
                 QStringLiteral("alarm"));
        QVERIFY(!sign->isHidden());
        QFile::remove(panelLimitsPath());
    }
};

QTEST_MAIN(TestAppLimits)
#include "test_app_limits.moc"
