// The programs' command lines as a user meets them: the panel answers --help and --version
// without a display and refuses what it does not know; each program's manual page states every
// option its --help states.
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace
{

struct Run {
    int status = -1;
    QString out, err;
};

// The program from the build's bin folder, with no display to connect to.
Run run(const QString& program, const QStringList& arguments)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationDirPath() + u'/' + program, arguments);
    if (!p.waitForFinished(20000)) {
        p.kill();
        p.waitForFinished();
        return {};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QStringList longOptions(const QString& text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z0-9-]*[a-z0-9]"));
    QStringList found;
    for (const QRegularExpressionMatch& m : option.globalMatch(text))
        found << m.captured();
    found.sort();
    found.removeDuplicates();
    return found;
}

// The options a manual page states: those in its SYNOPSIS and OPTIONS sections, roff's "\-"
// read as "-" and its font changes ("\fB") left out.
QStringList manualPageOptions(const QString& page)
{
    QFile file(QStringLiteral(SLM_MANUAL_PAGES "/") + page + QStringLiteral(".1"));
    if (!file.open(QIODevice::ReadOnly))
        return {QStringLiteral("<no manual page>")};
    static const QRegularExpression fontChange(QStringLiteral("\\\\f[BIRP]"));
    QString stated;
    bool inSection = false;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
        if (line.startsWith(u".SH "))
            inSection = line.contains(u"SYNOPSIS") || line.contains(u"OPTIONS");
        else if (inSection)
            stated +=
                QString(line).remove(fontChange).replace(QStringLiteral("\\-"), QStringLiteral("-")) + u'\n';
    }
    return longOptions(stated);
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT
private slots:
    void panelAnswersWithoutADisplay_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        QTest::newRow("help") << QStringList{"--help"} << 0 << "usage: slm-panel [--publish FILE]"
                              << "";
        QTest::newRow("short help") << QStringList{"-h"} << 0 << "--publish FILE"
                                    << "";
        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << "slm-panel " + QStringLiteral(SLM_VERSION) + "\n"
                                 << "";
        QTest::newRow("window system options pass")
            << QStringList{"-style", "fusion", "-reverse", "--help"} << 0 << "usage:"
            << "";
        QTest::newRow("unknown option")
            << QStringList{"--frobnicate"} << 2 << ""
            << "slm-panel: unknown option --frobnicate\nTry \"slm-panel --help\".\n";
        QTest::newRow("publish without file") << QStringList{"--publish"} << 2 << ""
                                              << "--publish takes the name of a file";
        QTest::newRow("stray argument") << QStringList{"x.slmm"} << 2 << ""
                                        << "unexpected argument x.slmm";
    }
    void panelAnswersWithoutADisplay()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, out);
        QFETCH(QString, err);
        const Run r = run(QStringLiteral("slm-panel"), arguments);
        QCOMPARE(r.status, status);
        QVERIFY2(out.isEmpty() ? r.out.isEmpty() : r.out.contains(out), qPrintable(r.out));
        QVERIFY2(err.isEmpty() ? r.err.isEmpty() : r.err.contains(err), qPrintable(r.err));
    }

    void manualPageStatesTheOptionsOfHelp_data()
    {
        QTest::addColumn<QString>("program");
        for (const char* program : {"slm-panel", "slm-report", "slm-sim", "slm-station"})
            QTest::newRow(program) << QString::fromLatin1(program);
    }
    void manualPageStatesTheOptionsOfHelp()
    {
        QFETCH(QString, program);
        if (!QFile::exists(QCoreApplication::applicationDirPath() + u'/' + program))
            QSKIP("the program is not built here");
        const Run help = run(program, {QStringLiteral("--help")});
        QCOMPARE(help.status, 0);
        const QStringList options = longOptions(help.out);
        QVERIFY(!options.isEmpty());
        const QStringList stated = manualPageOptions(program);
        QStringList missing;
        for (const QString& option : options)
            if (!stated.contains(option))
                missing << option;
        QVERIFY2(missing.isEmpty(),
                 qPrintable(QStringLiteral("not in the manual page: ") + missing.join(u' ')));
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "test_app_command_line.moc"
