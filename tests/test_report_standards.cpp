// The standards' options of slm-report as a consultant runs them, on small files written here:
// each definition's hand-computed case end to end, limits replayed as the live monitor judges
// them, and the inputs that must be refused with nothing written.
#include "measurement/LimitConfig.h"
#include "measurement/LimitMonitor.h"
#include "measurement/RecordCsv.h"

#include "support/ReportProgram.h"
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <functional>

using namespace slm;

namespace
{

// A real-time file of `count` records every `dt` seconds from `start` (local clock), the level of
// record i (from 0) given by `levelOf`.
QByteArray recordFile(const QDateTime& start, int dt, int count,
                      const std::function<QByteArray(int)>& levelOf)
{
    const QDateTime clock(start.date(), start.time(), Qt::UTC); // calendar steps for the texts
    QByteArray bytes = "Real Time\r\n" + QByteArray::number(dt) + "\r\nA\r\nFAST\r\n30-130\r\n 90.0 \r\n" +
                       clock.toString("yyyy/MM/dd HH:mm:ss").toLatin1() +
                       "\r\nXXX\r\nXXX\r\nNo.s\tDate Time\tdB\t\r\n";
    for (int i = 0; i < count; ++i)
        bytes += QByteArray::number(i + 1) + '\t' +
                 clock.addSecs(qint64(i) * dt).toString("yyyy/MM/dd HH:mm:ss").toLatin1() + '\t' +
                 levelOf(i) + "\t\r\n";
    return bytes;
}

const QDateTime Monday10(QDate(2026, 3, 2), QTime(10, 0));

// The limits every limit figure of the station is replayed with.
const QByteArray Limits = "[limit1]\nname=rolling\nfigure=leq\nwindow=60s\nlevel=70\nwarning=65\n"
                          "[limit2]\nname=peak\nfigure=level\nlevel=80\nmin_duration=5\nhysteresis=2\n"
                          "[limit3]\nname=period\nfigure=leq-period\nwindow=5min\nlevel=65\n";

// Levels that cross every limit: a slow rise and fall with bursts over 80 dB.
QByteArray wavyLevel(int i)
{
    const double base = 60 + 15 * std::sin(i / 300.0);
    const double v = i % 700 < 12 ? 85.0 : base;
    return QByteArray::number(v, 'f', 1);
}

QString localText(std::int64_t t)
{
    const QDateTime d = localDateTimeOf(t);
    return d.toOffsetFromUtc(d.offsetFromUtc()).toString(Qt::ISODate);
}

} // namespace

class TestReportStandards : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void handComputedCases_data();
    void handComputedCases();
    void limitsReplayEqualsTheLiveMonitor();
    void badInputRefused_data();
    void badInputRefused();

private:
    QString path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
};

void TestReportStandards::initTestCase()
{
    qputenv("TZ", "Europe/Berlin");
    // Two hours: 10:00-11:00 at 52 dB, 11:00-12:00 at 48 dB.
    QCOMPARE(
        writeFileAtomically(path("two.slmm"),
                            recordFile(Monday10, 1, 7200, [](int i) { return i < 3600 ? "52.0" : "48.0"; })),
        QString());
    QCOMPARE(
        writeFileAtomically(path("quiet.slmm"), recordFile(Monday10, 1, 600, [](int) { return "48.0"; })),
        QString());
    // A whole day from 07:00 at 60 dB, every 10 s.
    QCOMPARE(writeFileAtomically(path("day.slmm"), recordFile(QDateTime(QDate(2026, 3, 2), QTime(7, 0)), 10,
                                                              8640, [](int) { return "60.0"; })),
             QString());
    // A night hour from 23:00 at 50 dB with three 10 s events at 62, 67 and 72 dB.
    QCOMPARE(writeFileAtomically(path("night.slmm"),
                                 recordFile(QDateTime(QDate(2026, 3, 2), QTime(23, 0)), 1, 3600,
                                            [](int i) {
                                                const int k = i / 1000;
                                                const bool loud = i % 1000 < 10 && k < 3;
                                                return loud ? QByteArray::number(62 + 5 * k) + ".0"
                                                            : QByteArray("50.0");
                                            })),
             QString());
    QCOMPARE(writeFileAtomically(path("wavy.slmm"), recordFile(Monday10, 1, 7200, wavyLevel)), QString());
    QCOMPARE(writeFileAtomically(path("limits.ini"), Limits), QString());
    QCOMPARE(writeFileAtomically(path("damaged.ini"), "[limit1]\nlevel=loud\n"), QString());
    QCOMPARE(writeFileAtomically(path("notes.txt"), "not a record file\n"), QString());
}

// Each row: the arguments ("@" the test's folder), then where the figure is: a JSON path
// ("residual/specific", a number shown with one decimal) or a CSV line the output holds.
void TestReportStandards::handComputedCases_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");
    const QStringList json{"--json", "@/two.slmm"};
    // Residual correction.
    QTest::newRow("La 52 Lr 48") << QStringList{"--ambient", "52", "--residual", "48"} + json
                                 << "residual/specific"
                                 << "49.8";
    QTest::newRow("La 55 Lr 45") << QStringList{"--ambient", "55", "--residual", "45"} + json
                                 << "residual/specific"
                                 << "54.5";
    QTest::newRow("La 50 Lr 48 bounded")
        << QStringList{"--ambient", "50", "--residual", "48"} + json << "residual/case"
        << "bounded";
    QTest::newRow("spans of the file") << QStringList{"--ambient", "2026-03-02T10:00/2026-03-02T11:00",
                                                      "--residual", "2026-03-02T11:00/2026-03-02T12:00"} +
                                              json
                                       << "residual/specific"
                                       << "49.8";
    QTest::newRow("residual from a file")
        << QStringList{"--ambient", "52", "--residual", "@/quiet.slmm"} + json << "residual/specific"
        << "49.8";
    // Rating level: 30 min on in 1 h takes 3.0 dB off.
    QTest::newRow("on-time 30 min of 1 h")
        << QStringList{"--rating", "--specific", "50", "--on-time", "30min", "--background-level", "40"} +
               json
        << "rating/on_time_correction"
        << "-3.0";
    QTest::newRow("rating with corrections")
        << QStringList{"--rating", "--specific",         "50", "--tonal", "4", "--impulsive",
                       "3",        "--background-level", "45"} +
               json
        << "rating/excess_rounded"
        << "12";
    // Construction thresholds of the day.
    for (const auto& [ambient, threshold] :
         {std::pair{"61", "65.0"}, {"63", "70.0"}, {"68", "75.0"}, {"79", "82.0"}})
        QTest::addRow("abc day ambient %s", ambient)
            << QStringList{"--abc", QString::fromLatin1(ambient) + ",50,40"} + json
            << "abc/thresholds/0/threshold" << threshold;
    // CNEL of a constant 60 dB day, and the counts above levels of one night.
    QTest::newRow("cnel of 60 dB") << QStringList{"--csv", "cnel", "@/day.slmm"} << ""
                                   << "2026-03-02,60.0,60.0,60.0,100.0,100.0,100.0,66.7\r\n";
    QTest::newRow("n-above") << QStringList{"--csv", "n-above", "--n-above", "@/night.slmm"} << ""
                             << "night,n60,n65,n70\r\n2026-03-02,3,2,1\r\nwhole file,3,2,1\r\n";
}

void TestReportStandards::handComputedCases()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, key);
    QFETCH(QString, expected);
    arguments.replaceInStrings(QStringLiteral("@"), m_dir.path());
    const ReportRun r = runReportProgram(arguments);
    QVERIFY2(r.status == 0, r.err.constData());
    if (key.isEmpty()) {
        QVERIFY2(r.out.contains(expected.toUtf8()), r.out.constData());
        return;
    }
    QJsonValue v = QJsonDocument::fromJson(r.out).object();
    for (const QString& part : key.split(u'/'))
        v = v.isArray() ? v.toArray()[part.toInt()] : v.toObject()[part];
    // Shown as the text report shows it: one decimal, or a whole number where one is expected.
    const QString shown = v.isString()              ? v.toString()
                          : expected.contains(u'.') ? QString::number(v.toDouble(), 'f', 1)
                                                    : QString::number(v.toInt());
    QCOMPARE(shown, expected);
}

void TestReportStandards::limitsReplayEqualsTheLiveMonitor()
{
    // The live side: the station's monitors fed the same records one by one.
    QString why;
    const std::optional<QList<LimitConfig>> limits = readLimits(iniKeys(QString::fromLatin1(Limits)), why);
    QVERIFY2(limits, qPrintable(why));
    std::vector<LimitMonitor> monitors;
    for (const LimitConfig& l : *limits)
        monitors.emplace_back(l, 1.0);
    QByteArray expected = "time,limit,state,previous,figure,threshold,since,window_s,reason\r\n";
    auto number = [](std::optional<double> v) {
        return v ? QString::number(std::round(*v * 10) / 10, 'f', 1) : QString();
    };
    int alarms = 0;
    for (int i = 0; i < 7200; ++i) {
        const QByteArray time = QDateTime(Monday10.date(), Monday10.time(), Qt::UTC)
                                    .addSecs(i)
                                    .toString("yyyy/MM/dd HH:mm:ss")
                                    .toLatin1();
        const RecordSample s = parseRecordSample(time, wavyLevel(i));
        for (LimitMonitor& m : monitors)
            for (const LimitTransition& t : m.add(s)) {
                alarms += t.state == LimitState::Alarm ? 1 : 0;
                expected += QStringList{localText(t.time),
                                        t.limit,
                                        limitStateText(t.state),
                                        limitStateText(t.previous),
                                        number(t.figure),
                                        number(t.threshold),
                                        localText(t.since),
                                        QString::number(t.windowSeconds),
                                        t.reason}
                                .join(u',')
                                .toUtf8() +
                            "\r\n";
            }
    }
    QVERIFY(alarms >= 3);
    const ReportRun csv =
        runReportProgram({"--limits", path("limits.ini"), "--csv", "limits", path("wavy.slmm")});
    QVERIFY2(csv.status == 0, csv.err.constData());
    QCOMPARE(csv.out, expected);

    // The summary counts the same alarms, and leq-period counts its 5-minute periods.
    const ReportRun json = runReportProgram({"--json", "--limits", path("limits.ini"), path("wavy.slmm")});
    const QJsonArray summary =
        QJsonDocument::fromJson(json.out).object()["limits"].toObject()["limits"].toArray();
    QCOMPARE(summary.size(), 3);
    int counted = 0;
    for (const QJsonValue& l : summary)
        counted += l.toObject()["alarms"].toInt();
    QCOMPARE(counted, alarms);
    QCOMPARE(summary[2].toObject()["periods_judged"].toInt(), 23); // the 24th is still open at the end
    QVERIFY(summary[0].toObject()["periods_judged"].isNull());
}

void TestReportStandards::badInputRefused_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("said");
    const QStringList residual{"--residual", "48", "@/two.slmm"};
    QTest::newRow("span outside the file")
        << QStringList{"--ambient", "2026-03-05T10:00/2026-03-05T11:00"} + residual << 1
        << QByteArray("--ambient 2026-03-05T10:00/2026-03-05T11:00: the span lies outside the records");
    QTest::newRow("span ending first")
        << QStringList{"--ambient", "2026-03-02T11:00/2026-03-02T10:00"} + residual << 2
        << QByteArray("the span ends before it starts");
    QTest::newRow("tonal 5") << QStringList{"--rating", "--specific", "50", "--background-level",
                                            "40",       "--tonal",    "5",  "@/two.slmm"}
                             << 2
                             << QByteArray("--tonal \"5\": the tonal correction must be 0, 2, 4 or 6 dB.");
    QTest::newRow("ambient not a number")
        << QStringList{"--ambient", "loud"} + residual << 2
        << QByteArray("--ambient takes a level in dB, a record file or a span");
    QTest::newRow("ambient not a record file") << QStringList{"--ambient", "@/notes.txt"} + residual << 1
                                               << QByteArray("notes.txt: the file holds no records.");
    QTest::newRow("no valid day for an RBL")
        << QStringList{"--rbl", "@/two.slmm"} << 1 << QByteArray("needs at least one valid day");
    QTest::newRow("limits file missing")
        << QStringList{"--limits", "@/none.ini", "@/two.slmm"} << 1 << QByteArray("--limits ");
    QTest::newRow("limits file damaged") << QStringList{"--json", "--limits", "@/damaged.ini", "@/two.slmm"}
                                         << 1 << QByteArray("damaged.ini: [limit1] level must be a number");
    QTest::newRow("csv rating without rating")
        << QStringList{"--csv", "rating", "@/two.slmm"} << 2 << QByteArray("--csv rating needs --rating");
    QTest::newRow("rating without background")
        << QStringList{"--rating", "--specific", "50", "@/two.slmm"} << 2 << QByteArray("--background-level");
}

void TestReportStandards::badInputRefused()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QByteArray, said);
    arguments.replaceInStrings(QStringLiteral("@"), m_dir.path());
    const ReportRun r = runReportProgram(arguments);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(said), r.err.constData());
    QVERIFY2(r.out.isEmpty(), r.out.left(300).constData());
}

QTEST_GUILESS_MAIN(TestReportStandards)
#include "test_report_standards.moc"
