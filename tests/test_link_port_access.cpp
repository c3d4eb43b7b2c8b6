// A port that is there but may not be opened: "No device found, try again!" stays, and its
// details say why and how to get access.
#include "app/PanelWiring.h"
#include "link/PortAccess.h"
#include "link/SerialMeterLink.h"
#include "meter/MeterSession.h"
#include "shared/PanelState.h"
#include "support/TestServices.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace slm;

namespace
{

QString groupOf(const QString& path)
{
    struct stat info {
    };
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return {};
    const struct group* g = ::getgrgid(info.st_gid);
    return g ? QString::fromLocal8Bit(g->gr_name) : QString::number(info.st_gid);
}

} // namespace

class TestLinkPortAccess : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A device file this user may not open.
    QString lockedDevice()
    {
        const QString path = m_dir.filePath(QStringLiteral("ttyLOCKED"));
        QFile f(path);
        f.open(QIODevice::WriteOnly);
        f.close();
        ::chmod(QFile::encodeName(path).constData(), 0);
        return path;
    }

private slots:
    void detailsNameTheGroupAndTheFix()
    {
        const QString text =
            portPermissionDetails(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("dialout"), 20);
        QVERIFY(text.contains(QStringLiteral("/dev/ttyUSB0")));
        QVERIFY(text.contains(QStringLiteral("permission denied")));
        QVERIFY(text.contains(QStringLiteral("the group \"dialout\"")));
        QVERIFY(text.contains(QStringLiteral("sudo usermod -aG dialout \"$USER\"")));
        QVERIFY(text.contains(QStringLiteral("log in again")));

        // A group without a name is named by its id, which usermod takes as well.
        const QString unnamed = portPermissionDetails(QStringLiteral("/dev/ttyS3"), QString(), 4242);
        QVERIFY(unnamed.contains(QStringLiteral("the group with the id 4242")));
        QVERIFY(unnamed.contains(QStringLiteral("sudo usermod -aG 4242 \"$USER\"")));
    }

    void portNamesMeanDevicesUnderDev()
    {
        QCOMPARE(portDevicePath(QStringLiteral("ttyUSB0")), QStringLiteral("/dev/ttyUSB0"));
        QCOMPARE(portDevicePath(QStringLiteral("/dev/pts/4")), QStringLiteral("/dev/pts/4"));
        QCOMPARE(portDevicePath(QString()), QString());
    }

    void missingOrOpenablePortsHaveNoPermissionProblem()
    {
        QCOMPARE(portAccessProblem(m_dir.filePath(QStringLiteral("no-such-port"))), QString());
        const QString open = m_dir.filePath(QStringLiteral("ttyOPEN"));
        QFile f(open);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(portAccessProblem(open), QString());
    }

    void lockedPortSaysWhy()
    {
        if (::geteuid() == 0)
            QSKIP("root may open any file, so permissions cannot deny access here");
        const QString device = lockedDevice();
        const QString details = portAccessProblem(device);
        QVERIFY(details.contains(device));
        QVERIFY(details.contains(QStringLiteral("sudo usermod -aG %1 \"$USER\"").arg(groupOf(device))));
    }

    void startUpMessageKeepsItsTextAndAddsDetails()
    {
        if (::geteuid() == 0)
            QSKIP("root may open any file, so permissions cannot deny access here");
        TestServices<SerialMeterLink> platform;
        PanelState state;
        state.PortName = lockedDevice();
        MeterSession session(platform.services, state);
        QVERIFY(!startSession(session, platform.dialogs, nullptr));
        QCOMPARE(platform.dialogs.messages.size(), 1);
        QCOMPARE(platform.dialogs.messages[0].text, QStringLiteral("No device found, try again!"));
        QCOMPARE(platform.dialogs.messages[0].icon, Dialogs::Icon::Critical);
        QVERIFY(platform.dialogs.messages[0].details.contains(QStringLiteral("sudo usermod -aG")));
    }

    void missingPortHasNoDetails()
    {
        TestServices<SerialMeterLink> platform;
        PanelState state;
        state.PortName = m_dir.filePath(QStringLiteral("no-such-port"));
        MeterSession session(platform.services, state);
        QVERIFY(!startSession(session, platform.dialogs, nullptr));
        QCOMPARE(platform.dialogs.messages.size(), 1);
        QCOMPARE(platform.dialogs.messages[0].text, QStringLiteral("No device found, try again!"));
        QCOMPARE(platform.dialogs.messages[0].details, QString());
    }
};

QTEST_MAIN(TestLinkPortAccess)
#include "test_link_port_access.moc"
