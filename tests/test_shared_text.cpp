// Text helpers shared by every subsystem: the numeric value of a text, rounding, and the quick
// number and date texts, which must read exactly as Qt's own.
#include "shared/NumberText.h"
#include "shared/TextHelpers.h"

#include <QtTest>
#include <limits>

using namespace slm;

class SharedTextTest : public QObject
{
    Q_OBJECT
private slots:
    void numericValueTakesTheLeadingNumber()
    {
        QCOMPARE(numericValue(QStringLiteral("65.3*")), 65.3);
        QCOMPARE(numericValue(QStringLiteral("  12abc")), 12.0);
        QCOMPARE(numericValue(QStringLiteral(".7")), 0.7);
        QCOMPARE(numericValue(QStringLiteral("-3.5x")), -3.5);
        QCOMPARE(numericValue(QStringLiteral("XXX")), 0.0);
        QCOMPARE(numericValue(QString()), 0.0);
        QCOMPARE(numericValue(QStringLiteral("1e")), 1.0);
        QCOMPARE(numericValue(QStringLiteral("2e3")), 2000.0);
    }

    void roundsHalfToEvenAndNeverOverflows()
    {
        QCOMPARE(roundHalfEven(2.5), 2LL);
        QCOMPARE(roundHalfEven(3.5), 4LL);
        QCOMPARE(roundHalfEven(-2.5), -2LL);
        QCOMPARE(roundHalfEven(2.4999), 2LL);
        QVERIFY(roundHalfEven(1e300) > 86400);
        QVERIFY(roundHalfEven(-1e300) < 1);
        QVERIFY(roundHalfEven(std::numeric_limits<double>::infinity()) > 86400);
        QCOMPARE(roundHalfEven(std::numeric_limits<double>::quiet_NaN()), 0LL);
    }

    void writesHeaderNumbersWithTheirBlanks()
    {
        QCOMPARE(formatHeaderNumber(1), QStringLiteral(" 1 "));
        QCOMPARE(formatHeaderNumber(86400), QStringLiteral(" 86400 "));
        QCOMPARE(formatHeaderNumber(65.3), QStringLiteral(" 65.3 "));
        QCOMPARE(formatHeaderNumber(0), QStringLiteral(" 0 "));
        QCOMPARE(formatHeaderNumber(-4), QStringLiteral("-4 "));
    }

    void oneDecimalReadsAsQt_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        // Exact halves go away from zero; a value just short of a half does not.
        QTest::newRow("half up") << 0.25 << "0.3";
        QTest::newRow("half, negative") << -1.25 << "-1.3";
        QTest::newRow("three quarters") << 64.75 << "64.8";
        QTest::newRow("just below a half") << std::nextafter(0.25, 0.0) << "0.2";
        QTest::newRow("not a half in binary") << 0.35 << "0.3";
        QTest::newRow("level") << 74.96 << "75.0";
        QTest::newRow("negative to zero") << -0.04 << "-0.0";
        QTest::newRow("negative zero") << -0.0 << "0.0";
        QTest::newRow("large") << 123456789012.25 << "123456789012.3";
        QTest::newRow("very large") << 1e21 << "1000000000000000000000.0";
        QTest::newRow("tiny") << 1e-300 << "0.0";
    }

    void oneDecimalReadsAsQt()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(oneDecimalText(value), text);
        QCOMPARE(oneDecimalText(value), QString::number(value, 'f', 1));
    }

    void oneDecimalOfManyValues()
    {
        // Every step of 1/40 dB over the levels' range and beyond, halves and quarters among them.
        for (int k = -8000; k <= 8000; ++k) {
            const double v = k / 40.0 + (k % 3) * 1e-13;
            QCOMPARE(oneDecimalText(v), QString::number(v, 'f', 1));
        }
    }

    void isoDatesReadAsQt_data()
    {
        QTest::addColumn<qint64>("days");
        QTest::newRow("epoch") << qint64(0);
        QTest::newRow("a leap day") << QDate(1970, 1, 1).daysTo(QDate(2024, 2, 29));
        QTest::newRow("the end of a century") << QDate(1970, 1, 1).daysTo(QDate(2100, 3, 1));
        QTest::newRow("before the epoch") << QDate(1970, 1, 1).daysTo(QDate(1969, 12, 31));
        QTest::newRow("first of year 1") << QDate(1970, 1, 1).daysTo(QDate(1, 1, 1));
        QTest::newRow("the day before year 1") << QDate(1970, 1, 1).daysTo(QDate(1, 1, 1)) - 1;
        QTest::newRow("last of 9999") << QDate(1970, 1, 1).daysTo(QDate(9999, 12, 31));
        QTest::newRow("after 9999") << QDate(1970, 1, 1).daysTo(QDate(9999, 12, 31)) + 1;
    }

    void isoDatesReadAsQt()
    {
        QFETCH(qint64, days);
        QCOMPARE(isoDateText(days), QDate(1970, 1, 1).addDays(days).toString(Qt::ISODate));
    }

    void isoDatesOfFourCenturies()
    {
        for (qint64 d = -80000; d < 80000; d += 7)
            QCOMPARE(isoDateText(d), QDate(1970, 1, 1).addDays(d).toString(Qt::ISODate));
    }
};

QTEST_MAIN(SharedTextTest)
#include "test_shared_text.moc"
