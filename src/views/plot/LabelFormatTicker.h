#pragma once

#include <QString>
#include <qcustomplot.h>

namespace slm
{

// How an axis writes its tick labels, parsed from the label-format texts the graph windows use:
// "0" whole numbers, "0.0" one decimal, "*.1" / "*0.1" the value times 0.1 with one decimal
// (an axis in tenths of a dB labelled in dB), "" the plain number.
struct LabelFormat {
    bool plain = true;
    double factor = 1.0;
    int decimals = 0;

    static LabelFormat parse(const QString& format);
    QString label(double value) const;
    // Smallest tick step, in axis units, whose labels still differ.
    double minimumStep() const;
};

// Tick positions at 1, 2 or 5 times a power of ten in the labelled unit, never closer than the
// format can tell apart, so "0" never shows two ticks labelled alike.
class LabelFormatTicker : public QCPAxisTicker
{
public:
    void setFormat(const QString& format);
    QString format() const { return m_text; }
    QString labelFor(double value) const;

protected:
    double getTickStep(const QCPRange& range) override;
    QString getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision) override;

private:
    QString m_text;
    LabelFormat m_format;
};

} // namespace slm
