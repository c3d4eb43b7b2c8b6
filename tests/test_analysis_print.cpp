// Printed record lists: the layout line by line, the questions before printing, the copies in one
// job, the timers and caption around it, cancel and failure half-way, the file views' and the data
// list's "Print", and the preview showing the very pages that are printed. Printed pages are read
// back as text from PDF files.
#include "analysis/FileListWindow.h"
#include "analysis/OpenRecordFile.h"
#include "logger/DataListWindow.h"
#include "measurement/Measurement.h"
#include "measurement/RecordListModel.h"
#include "shared/BusyCaption.h"
#include "shared/PrinterNote.h"
#include "shared/ReentryGuard.h"
#include "shared/TextHelpers.h"
#include "support/CountingPanelTimers.h"
#include "support/QuietLink.h"
#include "support/TestServices.h"
#include "views/ListPagePainter.h"
#include "views/PrintRecordList.h"
#include "views/RecordListPrintout.h"

#include <QAction>
#include <QFile>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPrinter>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBar>
#include <QtTest>
#include <memory>

using namespace slm;

namespace
{

// The printed text of a PDF, one entry a line, as the page holds it: read on the list font's
// fixed pitch, so the blanks come back as printed, less the page's left margin (the columns the
// first page's "-" lines stand in). Trailing blanks and page breaks are dropped, and so are the
// blank lines above the first text, which the reader cannot see.
QStringList pdfLines(const QString& path)
{
    QPrinter printer(QPrinter::HighResolution);
    const QFontMetricsF metrics(QFont(listPrintFont(), &printer));
    const double pitch = metrics.horizontalAdvance(u'0') * 72.0 / printer.resolution();
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), QStringLiteral("-fixed"),
                                          QString::number(pitch, 'f', 3), path, QStringLiteral("-")});
    if (!p.waitForFinished(60000))
        return {QStringLiteral("<pdftotext did not finish>")};
    QString text = QString::fromUtf8(p.readAllStandardOutput());
    text.remove(QChar(12));
    QStringList lines = text.split(u'\n');
    qsizetype margin = -1;
    for (const QString& line : lines) {
        if (line.trimmed() == u"-") {
            margin = line.indexOf(u'-');
            break;
        }
    }
    for (QString& line : lines) {
        if (margin > 0 && line.left(margin).trimmed().isEmpty())
            line.remove(0, margin);
        while (line.endsWith(u' '))
            line.chop(1);
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

// What the PDF should read: the printout's lines from the first with text on, trailing blanks
// dropped as pdftotext does.
QStringList expectedLines(const ListPrintout& printout)
{
    QStringList lines;
    for (int i = 0; i < printout.lineCount(); ++i) {
        QString line = printout.line(i);
        while (line.endsWith(u' '))
            line.chop(1);
        if (!lines.isEmpty() || !line.isEmpty())
            lines << line;
    }
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

ListPrintHeader designHeader()
{
    ListPrintHeader h;
    h.freqLabel = QStringLiteral("Freq Weight");
    h.freqWeight = QStringLiteral("A");
    h.timeLabel = QStringLiteral("Time Weight");
    h.timeWeight = QStringLiteral("FAST");
    h.rangeLabel = QStringLiteral("Level Range");
    h.levelRange = QStringLiteral("80-140");
    h.maxLabel = QStringLiteral("Max dB");
    h.maxDb = QStringLiteral("71.5");
    h.maxTime = QStringLiteral("2026/01/17 08:30:06");
    return h;
}

void fill(RecordListModel& model, int n)
{
    for (int i = 1; i <= n; ++i)
        model.append(QString::number(i),
                     QStringLiteral("2026/01/17 08:%1:00").arg(i % 60, 2, 10, QChar(u'0')),
                     QStringLiteral("%1.%2").arg(50 + i % 40).arg(i % 10));
}

// The caption and pointer of a list window, remembering what the timers were at each caption.
class WatchedCaption : public BusyCaption
{
public:
    explicit WatchedCaption(const PanelTimers& timers) : m_timers(timers) {}
    QString caption() const override { return m_caption; }
    void setCaption(const QString& text) override
    {
        m_caption = text;
        captions << text;
        timersOnAtCaption << m_timers.livePollEnabled();
    }
    void setBusy(bool on) override { busy << on; }

    QStringList captions;
    QList<bool> timersOnAtCaption;
    QList<bool> busy;

private:
    const PanelTimers& m_timers;
    QString m_caption = QStringLiteral("List");
};

// A printer whose pages run out after `pagesGood` pages: the job fails half-way.
class FailingPrinter : public QPrinter
{
public:
    explicit FailingPrinter(int pagesGood) : QPrinter(QPrinter::HighResolution), m_left(pagesGood) {}
    bool newPage() override { return --m_left > 0 && QPrinter::newPage(); }

private:
    int m_left;
};

} // namespace

class TestAnalysisPrint : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_t = std::make_unique<TestServices<QuietLink>>();
        m_timers = std::make_unique<CountingPanelTimers>();
        m_view = std::make_unique<QWidget>();
        m_view->setWindowTitle(QStringLiteral("List"));
        m_model = std::make_unique<RecordListModel>();
        m_caption = std::make_unique<WatchedCaption>(*m_timers);
    }

    void cleanup()
    {
        m_caption.reset();
        m_model.reset();
        m_view.reset();
        m_timers.reset();
        m_t.reset();
        m_dir.reset();
    }

    void headerLinesAsDesigned()
    {
        const QStringList lines = headerLines(designHeader());
        QCOMPARE(lines.size(), HeaderLineCount);
        for (int i = 0; i < 4; ++i)
            QCOMPARE(lines[i], QStringLiteral(" "));
        QCOMPARE(lines[4], QStringLiteral("-         Freq Weight : A"));
        QCOMPARE(lines[5], QStringLiteral("-         Time Weight : FAST"));
        QCOMPARE(lines[6], QStringLiteral("-         Level Range : 80-140"));
        QCOMPARE(lines[7], QStringLiteral("-         Max dB : 71.5 - 2026/01/17 08:30:06"));
        QCOMPARE(lines[8], lines[6]); // the fifth header line repeats the level range
        for (int i = 9; i < 12; ++i)
            QCOMPARE(lines[i], QStringLiteral("-"));
        QCOMPARE(lines[12], QString(10, u' ') + QStringLiteral("No.s") + QString(12, u' ') +
                                QStringLiteral("Date Time") + QString(5, u' ') + QStringLiteral("(dB)"));
        QCOMPARE(lines[13].size(), 80);
        QCOMPARE(lines[13], QString(9, u' ') + QString(71, u'-'));
    }

    void recordsPerLineAnswers_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("perLine"); // 0: asked again
        QTest::newRow("0") << "0" << 0;
        QTest::newRow("6") << "6" << 0;
        QTest::newRow("abc") << "abc" << 0;
        QTest::newRow("5.5") << "5.5" << 0;
        QTest::newRow("-1") << "-1" << 0;
        QTest::newRow("1") << "1" << 1;
        QTest::newRow("5") << "5" << 5;
        QTest::newRow("4.9") << "4.9" << 4;
        QTest::newRow("2.5") << "2.5" << 2;
        QTest::newRow("leading blanks") << "  3x" << 3;
    }
    void recordsPerLineAnswers()
    {
        QFETCH(QString, answer);
        QFETCH(int, perLine);
        QCOMPARE(recordsPerLineFrom(answer).value_or(0), perLine);
    }

    void recordLinesGroupValues()
    {
        fill(*m_model, 7);
        const ListPrintout three(designHeader(), *m_model, 3);
        QCOMPARE(three.lineCount(), HeaderLineCount + 3);
        QCOMPARE(three.firstRecord(14), 1);
        QCOMPARE(three.firstRecord(15), 4);
        QCOMPARE(three.firstRecord(16), 7);
        QCOMPARE(three.line(14),
                 QStringLiteral("             1  2026/01/17 08:01:00     51.1     52.2     53.3"));
        QCOMPARE(three.line(16), QStringLiteral("             7  2026/01/17 08:07:00     57.7"));

        const ListPrintout one(designHeader(), *m_model, 1);
        QCOMPARE(one.lineCount(), HeaderLineCount + 7);
        for (int r = 1; r <= 7; ++r)
            QCOMPARE(one.line(HeaderLineCount + r - 1), rightAligned(QString::number(r), 14) +
                                                            rightAligned(m_model->text(r, 1), 21) +
                                                            rightAligned(m_model->text(r, 2), 9));
    }

    void overLongCellIsPrintedWhole()
    {
        m_model->append(QStringLiteral("123456789012345678"), QStringLiteral("2026/01/17 08:30:00 (late)"),
                        QStringLiteral("OL-too-long-text"));
        m_model->append(QStringLiteral("2"), QStringLiteral("2026/01/17 08:30:01"), QStringLiteral("60.0"));
        const ListPrintout printout(designHeader(), *m_model, 1);
        QCOMPARE(printout.line(14), QStringLiteral("123456789012345678") +
                                        QStringLiteral("2026/01/17 08:30:00 (late)") +
                                        QStringLiteral("OL-too-long-text"));
        // Printing goes on after it, and the PDF holds both records.
        const QString path = printToPdf(printout.recordsPerLine(), 1, {});
        const QStringList lines = pdfLines(path);
        QCOMPARE(lines.size(), HeaderLineCount - 4 + 2);
        QCOMPARE(lines[10], printout.line(14));
        QCOMPARE(lines[11], printout.line(15));
    }

    void printedPagesReadAsTheLayout_data()
    {
        QTest::addColumn<int>("records");
        QTest::addColumn<QString>("answer");
        QTest::newRow("3 a line over 7") << 7 << "3";
        QTest::newRow("1 a line") << 5 << "1";
        QTest::newRow("no records") << 0 << "2";
        QTest::newRow("several pages") << 400 << "1";
    }
    void printedPagesReadAsTheLayout()
    {
        QFETCH(int, records);
        QFETCH(QString, answer);
        fill(*m_model, records);
        const QString path = printToPdf(-1, 1, {answer});
        const ListPrintout printout(designHeader(), *m_model, int(numericValue(answer)));
        QCOMPARE(pdfLines(path), expectedLines(printout));
        if (records == 0)
            QCOMPARE(pdfLines(path), headerLines(designHeader()).mid(4));
    }

    void questionAskedAgainUntilOneToFive()
    {
        fill(*m_model, 9);
        const QString path = printToPdf(-1, 1, {"0", "6", "abc", "4.9"});
        QCOMPARE(m_t->dialogs.inputPrompts.size(), 4);
        for (const QString& asked : m_t->dialogs.inputPrompts)
            QCOMPARE(asked, QStringLiteral("|Input record(s) to print in one row (1-5)|1"));
        // The note after the printer dialog, with its OK only.
        QCOMPARE(m_t->dialogs.messages.size(), 1);
        QCOMPARE(m_t->dialogs.messages[0].text, printerNoteText());
        QCOMPARE(m_t->dialogs.messages[0].icon, Dialogs::Icon::None);
        const QStringList lines = pdfLines(path);
        QCOMPARE(lines.size(), HeaderLineCount - 4 + 3); // 4, 4 and 1 values
        // Number, date, time, then the values.
        QCOMPARE(lines[10].split(u' ', Qt::SkipEmptyParts).size(), 3 + 4);
        QCOMPARE(lines[12].split(u' ', Qt::SkipEmptyParts).size(), 3 + 1);
    }

    void copiesFollowOneAnotherInOneJob()
    {
        fill(*m_model, 4);
        m_t->dialogs.printerCopies = 2;
        QPrinter printer(QPrinter::HighResolution);
        const QString path = printToPdf(-1, 1, {"2"}, &printer);
        // The copies are in the job itself; the driver is not asked to repeat them.
        QCOMPARE(printer.copyCount(), 1);
        const ListPrintout oneCopy(designHeader(), *m_model, 2);
        QStringList twice = expectedLines(oneCopy);
        QCOMPARE(twice.size(), oneCopy.lineCount() - 4);
        twice += QStringList(4, QString()); // the second copy's four blank lines right after
        twice += expectedLines(oneCopy);
        QCOMPARE(pdfLines(path), twice);
    }

    void cancelAndEmptyAnswerEndQuietly()
    {
        fill(*m_model, 3);
        const QString path = m_dir->filePath(QStringLiteral("quiet.pdf"));
        m_t->dialogs.printerPdfPath = path;
        QPrinter printer;
        m_t->dialogs.printerAnswers << false;
        QCOMPARE(printRecordList(job(), m_t->dialogs, printer), ListPrintResult::Ended);
        QVERIFY(m_t->dialogs.messages.isEmpty());
        QVERIFY(m_t->dialogs.inputPrompts.isEmpty());

        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.inputAnswers << "abc"
                                  << "";
        QCOMPARE(printRecordList(job(), m_t->dialogs, printer), ListPrintResult::Ended);
        QCOMPARE(m_t->dialogs.messageTexts(), QStringList{printerNoteText()});
        QCOMPARE(m_t->dialogs.inputPrompts.size(), 2);
        QVERIFY(!QFile::exists(path));
        // The timers were never touched, and the caption is as it was.
        QVERIFY(m_timers->switches.isEmpty());
        QVERIFY(m_caption->captions.isEmpty());
    }

    void timersOffWhilePrintingCaptionCounts()
    {
        fill(*m_model, 6);
        printToPdf(-1, 1, {"2"});
        QCOMPARE(m_timers->switches, (QList<bool>{false, true}));
        // The first record line shows its record while the timers are off; then the caption
        // comes back.
        QVERIFY(m_caption->captions.contains(QStringLiteral("1 Completed")));
        QCOMPARE(m_caption->captions.last(), QStringLiteral("List"));
        QVERIFY(!m_caption->timersOnAtCaption.first());
        QCOMPARE(m_caption->busy, (QList<bool>{true, false}));
    }

    void cancelWhilePrintingAbandonsTheJob_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Cancel button") << false;
        QTest::newRow("Escape key") << true;
    }
    void cancelWhilePrintingAbandonsTheJob()
    {
        QFETCH(bool, escape);
        fill(*m_model, 30000);
        const QString path = m_dir->filePath(QStringLiteral("cancelled.pdf"));
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = path;
        m_t->dialogs.inputAnswers << "1";
        bool sawProgress = false;
        QTimer::singleShot(0, m_view.get(), [&] {
            auto* progress = m_view->findChild<QProgressDialog*>(QStringLiteral("PrintProgress"));
            sawProgress = progress != nullptr;
            if (progress && escape)
                progress->reject(); // what Escape does to a dialog
            else if (progress)
                progress->cancel();
        });
        QPrinter printer(QPrinter::HighResolution);
        QCOMPARE(printRecordList(job(), m_t->dialogs, printer), ListPrintResult::Stopped);
        QVERIFY(sawProgress);
        QCOMPARE(m_t->dialogs.messageTexts().last(), printStoppedText(true));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(m_timers->switches, (QList<bool>{false, true}));
        QCOMPARE(m_caption->caption(), QStringLiteral("List"));
        QVERIFY(!m_view->findChild<QProgressDialog*>());
    }

    void failureHalfWayIsAbortedAndSaid()
    {
        fill(*m_model, 500);
        const QString path = m_dir->filePath(QStringLiteral("failed.pdf"));
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = path;
        m_t->dialogs.inputAnswers << "1";
        FailingPrinter printer(2);
        QCOMPARE(printRecordList(job(), m_t->dialogs, printer), ListPrintResult::Failed);
        QCOMPARE(m_t->dialogs.messageTexts().last(), printFailedText(true));
        QVERIFY(!QFile::exists(path)); // no half list left behind as if printed
        QCOMPARE(m_timers->switches, (QList<bool>{false, true}));

        // A printer that cannot even start says so too.
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = QStringLiteral("/nonexistent-folder/for/sure/list.pdf");
        m_t->dialogs.inputAnswers << "1";
        QPrinter unwritable;
        QCOMPARE(printRecordList(job(), m_t->dialogs, unwritable), ListPrintResult::Failed);
        QCOMPARE(m_t->dialogs.messageTexts().last(), printFailedText(true));
    }

    void previewShowsThePrintedPages()
    {
        fill(*m_model, 23);
        const QString shown = m_dir->filePath(QStringLiteral("preview.pdf"));
        const QString sent = m_dir->filePath(QStringLiteral("from-preview.pdf"));
        m_t->dialogs.previewPdfPath = shown;
        m_t->dialogs.previewAnswers << true;
        m_t->dialogs.inputAnswers << "3";
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(sent);
        QCOMPARE(previewRecordList(job(), m_t->dialogs, printer), ListPrintResult::Printed);
        QCOMPARE(m_t->dialogs.previewDialogs, 1);
        QCOMPARE(m_t->dialogs.printerDialogs, 0);
        const QString printed = printToPdf(-1, 1, {"3"});
        QCOMPARE(pdfLines(shown), pdfLines(printed));
        QCOMPARE(pdfLines(sent), pdfLines(printed));

        // Closing the preview without printing sends nothing; an empty answer shows no preview.
        m_t->dialogs.previewAnswers << false;
        m_t->dialogs.inputAnswers << "1";
        QFile::remove(sent);
        QCOMPARE(previewRecordList(job(), m_t->dialogs, printer), ListPrintResult::Ended);
        QVERIFY(!QFile::exists(sent));
        QCOMPARE(previewRecordList(job(), m_t->dialogs, printer), ListPrintResult::Ended);
        QCOMPARE(m_t->dialogs.previewDialogs, 2);
    }

    void listFontIsFixedPitchAtEightPoints()
    {
        const QFont font = listPrintFont();
        QCOMPARE(font.pointSize(), 8);
        if (QFontDatabase::hasFamily(QStringLiteral("Lucida Console")))
            QCOMPARE(font.family(), QStringLiteral("Lucida Console"));
        // Measured as the printer lays the glyphs out: fontconfig's fixed-pitch flag is not
        // set on every monospaced family.
        QPrinter printer(QPrinter::HighResolution);
        const QFontMetricsF metrics(QFont(font, &printer));
        const qreal blank = metrics.horizontalAdvance(u' ');
        QVERIFY(blank > 0);
        for (const QChar c : {u'i', u'W', u'0'})
            QCOMPARE(metrics.horizontalAdvance(c), blank);
    }

    void menuPrintRunsOneAtATime()
    {
        ReentryFlag printing;
        int jobsRead = 0;
        const auto readJob = [&] {
            ++jobsRead;
            return job();
        };
        // Without dialogs, or while a print runs, nothing is asked and the window is not read.
        QCOMPARE(runListPrint(ListPrintMode::Print, printing, nullptr, readJob), ListPrintResult::Ended);
        {
            ReentryFlag::Guard running(printing);
            QCOMPARE(runListPrint(ListPrintMode::Preview, printing, &m_t->dialogs, readJob),
                     ListPrintResult::Ended);
        }
        QCOMPARE(jobsRead, 0);
        QCOMPARE(m_t->dialogs.printerDialogs + m_t->dialogs.previewDialogs, 0);

        fill(*m_model, 3);
        const QString path = m_dir->filePath(QStringLiteral("menu.pdf"));
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = path;
        m_t->dialogs.inputAnswers << "1";
        QCOMPARE(runListPrint(ListPrintMode::Print, printing, &m_t->dialogs, readJob),
                 ListPrintResult::Printed);
        QCOMPARE(jobsRead, 1);
        QVERIFY(!printing.active());
        QCOMPARE(pdfLines(path).size(), 13);
    }

    void fileViewPrintsItsList()
    {
        OpenRecordFile open(m_t->services.desk(), *m_timers, m_view.get(), [] { return false; });
        const QString file = m_dir->filePath(QStringLiteral("real.slmm"));
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(
            "Real Time\r\n 1 \r\nC\r\nSLOW\r\n30-90\r\n 71.5 \r\n2026/01/17 08:30:06\r\nXXX\r\nXXX\r\n"
            "No.s\tDate Time\tdB\t\r\n1\t2026/01/17 08:30:05\t61.0\t\r\n2\t2026/01/17 08:30:06\t71.5*\t\r\n");
        f.close();
        QVERIFY(open.open(file));
        FileListWindow* view = open.realTimeView();
        QVERIFY(view);
        const QString path = m_dir->filePath(QStringLiteral("view.pdf"));
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = path;
        m_t->dialogs.inputAnswers << "2";
        m_timers->switches.clear();
        view->findChild<QToolBar*>(QStringLiteral("Toolbar1"))
            ->findChild<QAction*>(QStringLiteral("Print"))
            ->trigger();
        const QStringList lines = pdfLines(path);
        QCOMPARE(lines.mid(0, 5),
                 (QStringList{"-         Freq Weight : C", "-         Time Weight : SLOW",
                              "-         Level Range : 30-90",
                              "-         Max dB : " + view->field("BoardMaxdB") + " - 2026/01/17 08:30:06",
                              "-         Level Range : 30-90"}));
        QCOMPARE(lines.value(10), QStringLiteral("             1  2026/01/17 08:30:05     61.0    71.5*"));
        QCOMPARE(lines.size(), 11);
        QCOMPARE(m_timers->switches, (QList<bool>{false, true}));
        QCOMPARE(view->windowTitle(), QStringLiteral("real.slmm"));

        // "Print Preview" beside it shows the same pages.
        const QString shown = m_dir->filePath(QStringLiteral("view-preview.pdf"));
        m_t->dialogs.previewPdfPath = shown;
        m_t->dialogs.inputAnswers << "2";
        view->findChild<QAction*>(QStringLiteral("PrintPreview"))->trigger();
        QCOMPARE(m_t->dialogs.previewDialogs, 1);
        QCOMPARE(pdfLines(shown), lines);
    }

    void dataListPrintsItsList()
    {
        Measurement setRecords;
        DataListWindow list(m_t->services.desk(), DataListHeader{2}, setRecords, m_timers.get());
        SetFields fields;
        fields.freqWeight = QStringLiteral("A");
        fields.timeWeight = QStringLiteral("FAST");
        fields.levelRange = QStringLiteral("40-100");
        fields.maxDb = QStringLiteral("88.0");
        fields.maxTime = QStringLiteral("2026/01/17 09:00:04");
        fields.peakDb = QStringLiteral("99.9");
        list.setFields(fields);
        for (int i = 1; i <= 3; ++i)
            list.appendRecord({QString::number(i), QStringLiteral("2026/01/17 09:00:0%1").arg(i * 2),
                               QStringLiteral("6%1.0").arg(i)});
        auto* print = list.findChild<QAction*>(QStringLiteral("Print"));
        QVERIFY(print && print->isVisible());
        QCOMPARE(print->toolTip(), QStringLiteral("Print"));
        QVERIFY(list.findChild<QAction*>(QStringLiteral("PrintPreview")));

        const QString path = m_dir->filePath(QStringLiteral("data.pdf"));
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = path;
        m_t->dialogs.inputAnswers << "1";
        print->trigger();
        const QStringList lines = pdfLines(path);
        QCOMPARE(lines.mid(0, 5), (QStringList{"-         Freq Weight : A", "-         Time Weight : FAST",
                                               "-         Level Range : 40-100",
                                               "-         Max dB : 88.0 - 2026/01/17 09:00:04",
                                               "-         Level Range : 40-100"}));
        QCOMPARE(lines.mid(10), (QStringList{"             1  2026/01/17 09:00:02     61.0",
                                             "             2  2026/01/17 09:00:04     62.0",
                                             "             3  2026/01/17 09:00:06     63.0"}));
        QCOMPARE(m_timers->switches, (QList<bool>{false, true}));
    }

private:
    ListPrintJob job()
    {
        ListPrintJob j;
        j.view = m_view.get();
        j.records = m_model.get();
        j.header = designHeader();
        j.timers = m_timers.get();
        j.caption = m_caption.get();
        return j;
    }

    // Prints the test's list to a new PDF file through the whole command, with the answers given
    // (or the per-line answer alone); returns the file's path.
    QString printToPdf(int perLine, int copies, QStringList answers, QPrinter* given = nullptr)
    {
        static int serial = 0;
        const QString path = m_dir->filePath(QStringLiteral("list%1.pdf").arg(++serial));
        if (answers.isEmpty())
            answers << QString::number(perLine);
        m_t->dialogs.printerAnswers << true;
        m_t->dialogs.printerPdfPath = path;
        if (copies > 1)
            m_t->dialogs.printerCopies = copies;
        for (const QString& a : answers)
            m_t->dialogs.inputAnswers << a;
        QPrinter own(QPrinter::HighResolution);
        const ListPrintResult result = printRecordList(job(), m_t->dialogs, given ? *given : own);
        if (result != ListPrintResult::Printed)
            qWarning("printing ended with %d", int(result));
        return path;
    }

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TestServices<QuietLink>> m_t;
    std::unique_ptr<CountingPanelTimers> m_timers;
    std::unique_ptr<QWidget> m_view;
    std::unique_ptr<RecordListModel> m_model;
    std::unique_ptr<WatchedCaption> m_caption;
};

QTEST_MAIN(TestAnalysisPrint)
#include "test_analysis_print.moc"
