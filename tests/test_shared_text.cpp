// Text helpers shared by every subsystem: the numeric value of a text and rounding.
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
};

QTEST_MAIN(SharedTextTest)
#include "test_shared_text.moc"
