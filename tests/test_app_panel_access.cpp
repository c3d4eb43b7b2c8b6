// The panel worked without a mouse: the save-mode options follow what is checked however it was
// checked, and the port label is a button to the keyboard and to assistive technology.
#include "recording/ListFeeder.h"
#include "recording/Recorder.h"
#include "shared/ClickableLabel.h"
#include "support/SimPanelRig.h"

#include <QAccessible>
#include <QAction>
#include <QFile>
#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QtTest>

using namespace slm;

namespace
{
SimPanelOptions wiredMeter()
{
    SimPanelOptions o;
    o.sim.level = 61.2;
    o.wiring = true;
    return o;
}

struct Rig : SimPanelRig {
    Rig() : SimPanelRig(wiredMeter()) { QVERIFY(start()); }
};

void toggleByReader(QWidget* option)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(option);
    QVERIFY(iface && iface->actionInterface());
    QVERIFY(iface->actionInterface()->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    iface->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
}
} // namespace

class PanelAccessTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    void saveModeFollowsTheCheckedOptionHoweverChecked()
    {
        Rig rig;
        QVERIFY(rig.startUp());
        QTRY_VERIFY_WITH_TIMEOUT(rig.wiring->recorder().feeder().count() >= 1, 5000);
        const auto& ui = rig.panel->widgets();
        rig.tool("Save")->trigger();
        QVERIFY(!ui.picSave->isHidden());
        QVERIFY(ui.optSampling->isChecked());
        QCOMPARE(rig.wiring->recorder().saveMode(), SaveMode::Recording);

        // A screen reader toggles; no click is involved.
        toggleByReader(ui.optSaveList);
        QVERIFY(ui.optSaveList->isChecked());
        QCOMPARE(rig.wiring->recorder().saveMode(), SaveMode::List);
        ui.optSampling->setChecked(true);
        QCOMPARE(rig.wiring->recorder().saveMode(), SaveMode::Recording);
        // The arrow keys move the check between the two options.
        rig.panel->show();
        rig.panel->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(rig.panel.get()));
        ui.optSampling->setFocus();
        QTRY_VERIFY(ui.optSampling->hasFocus());
        QTest::keyClick(ui.optSampling, Qt::Key_Down);
        QVERIFY(ui.optSaveList->isChecked());
        QCOMPARE(rig.wiring->recorder().saveMode(), SaveMode::List);

        // OK then does what the checked option says: it saves the list and records nothing.
        const QString path = rig.dir.filePath("list.slmm");
        rig.dialogs.saveAnswers.enqueue(path);
        ui.cmdSaveOK->click();
        QVERIFY(!rig.wiring->recorder().recording());
        QVERIFY(ui.picSave->isHidden());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readLine(), QByteArray("Real Time\r\n"));
        QVERIFY(file.readAll().contains("No.s\tDate Time\tdB\t"));

        // The next Save starts from the sampling option again, checked and in force.
        rig.tool("Save")->trigger();
        QVERIFY(ui.optSampling->isChecked());
        QCOMPARE(rig.wiring->recorder().saveMode(), SaveMode::Recording);
        rig.panel->close();
    }

    void portLabelIsAButtonForKeysAndReaders()
    {
        Rig rig;
        ClickableLabel* com = rig.panel->widgets().lblCOM;
        const QString plain = rig.panel->windowTitle();
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(com);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::Button);
        QCOMPARE(iface->text(QAccessible::Name), com->text());
        QVERIFY(iface->actionInterface());
        iface->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        const QString toggled = rig.panel->windowTitle();
        QVERIFY(toggled != plain);
        // A click does the same, and so does Space once Tab has put the focus there.
        QTest::mouseClick(com, Qt::LeftButton);
        QCOMPARE(rig.panel->windowTitle(), plain);
        QVERIFY(com->focusPolicy() & Qt::TabFocus);
        QTest::keyClick(com, Qt::Key_Space);
        QCOMPARE(rig.panel->windowTitle(), toggled);
    }
};

QTEST_MAIN(PanelAccessTest)
#include "test_app_panel_access.moc"
