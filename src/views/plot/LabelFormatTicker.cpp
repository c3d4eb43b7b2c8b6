#include "views/plot/LabelFormatTicker.h"

#include <cmath>

namespace slm
{

LabelFormat LabelFormat::parse(const QString& format)
{
    LabelFormat f;
    QString pattern = format.trimmed();
    if (pattern.isEmpty())
        return f;
    f.plain = false;
    if (pattern.startsWith(u'*')) {
        pattern = pattern.mid(1);
        bool ok = false;
        const double factor = pattern.toDouble(&ok);
        if (ok && factor > 0)
            f.factor = factor;
    }
    const int point = pattern.indexOf(u'.');
    f.decimals = point < 0 ? 0 : int(pattern.size() - point - 1);
    return f;
}

QString LabelFormat::label(double value) const
{
    if (plain)
        return QLocale::c().toString(value, 'g', 6);
    const double shown = value * factor;
    // A tick a hair below zero must not read "-0.0".
    const double unit = std::pow(10.0, -decimals);
    if (std::abs(shown) < unit / 2)
        return QLocale::c().toString(0.0, 'f', decimals);
    return QLocale::c().toString(shown, 'f', decimals);
}

double LabelFormat::minimumStep() const
{
    if (plain)
        return 0;
    return std::pow(10.0, -decimals) / factor;
}

void LabelFormatTicker::setFormat(const QString& format)
{
    m_text = format;
    m_format = LabelFormat::parse(format);
}

QString LabelFormatTicker::labelFor(double value) const
{
    return m_format.label(value);
}

double LabelFormatTicker::getTickStep(const QCPRange& range)
{
    const double shownSize = range.size() * m_format.factor;
    const double rough = shownSize / std::max(1, tickCount());
    if (!(rough > 0) || !std::isfinite(rough))
        return 1.0;
    const double magnitude = std::pow(10.0, std::floor(std::log10(rough)));
    const double mantissa = rough / magnitude;
    const double nice = mantissa < 1.5 ? 1 : mantissa < 3.5 ? 2 : mantissa < 7.5 ? 5 : 10;
    const double step = nice * magnitude / m_format.factor;
    return std::max(step, m_format.minimumStep());
}

QString LabelFormatTicker::getTickLabel(double tick, const QLocale& locale, QChar formatChar, int precision)
{
    if (m_format.plain)
        return QCPAxisTicker::getTickLabel(tick, locale, formatChar, precision);
    return m_format.label(tick);
}

} // namespace slm
