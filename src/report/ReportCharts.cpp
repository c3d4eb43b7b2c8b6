#include "report/ReportCharts.h"

#include "measurement/AssessmentTables.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace slm::report
{

namespace
{

const QColor LevelColour(0x1f, 0x4e, 0x9a);
const QColor ExcludedFill(0xde, 0xde, 0xde);
const QColor EventColour(0xd0, 0x5a, 0x12);
const QColor GridColour(0xd4, 0xd8, 0xde);
const QColor AxisColour(0x33, 0x33, 0x33);
const QColor MarkColour(0x8a, 0x1c, 0x1c);

// The smallest step from `steps` that cuts `span` into at most `most` parts.
double stepFor(double span, double most, std::initializer_list<double> steps)
{
    for (const double s : steps)
        if (span / s <= most)
            return s;
    return *(steps.end() - 1) * std::ceil(span / most / *(steps.end() - 1));
}

// The axes' frame and a message in it, for a drawing without data.
void paintEmpty(QPainter& p, const QRectF& area, double mm, const QFont& font, const QString& text)
{
    p.setPen(QPen(AxisColour, 0.2 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawRect(area.adjusted(mm, mm, -mm, -mm));
    p.setFont(font);
    p.drawText(area, Qt::AlignCenter, text);
}

} // namespace

void paintLevelPlot(QPainter& p, const QRectF& area, double mm, const QFont& font, const LevelPlotInput& in)
{
    std::int64_t t0 = std::numeric_limits<std::int64_t>::max();
    std::int64_t t1 = std::numeric_limits<std::int64_t>::min();
    double lo = std::numeric_limits<double>::infinity();
    double hi = -lo;
    std::int64_t levels = 0;
    for (const RecordSample& s : in.samples) {
        if (!s.hasTime())
            continue;
        t0 = std::min(t0, s.time);
        t1 = std::max(t1, s.time);
        if (s.isLevel()) {
            lo = std::min(lo, s.level());
            hi = std::max(hi, s.level());
            ++levels;
        }
    }
    if (levels == 0) {
        paintEmpty(p, area, mm, font, QStringLiteral("No levels with a time to draw."));
        return;
    }
    const double dt = in.interval && *in.interval > 0 ? *in.interval : 0;
    const double x0 = double(t0);
    const double x1 = std::max(double(t1) + dt, x0 + 1);
    // Whole tens with at least a decibel to spare, so no level runs along the frame.
    const double yLo = std::floor((lo - 1) / 10) * 10;
    const double yHi = std::max(std::ceil((hi + 1) / 10) * 10, yLo + 20);

    const QFontMetricsF m(font, p.device());
    const double line = m.lineSpacing();
    const double labelWidth = m.horizontalAdvance(QStringLiteral("140")) + 1.5 * mm;
    const QRectF plot(area.left() + labelWidth, area.top() + line + 0.8 * mm, area.width() - labelWidth - mm,
                      area.height() - 3 * line - 1.5 * mm);
    auto xOf = [&](double t) { return plot.left() + (t - x0) / (x1 - x0) * plot.width(); };
    auto yOf = [&](double level) {
        return plot.bottom() - (std::clamp(level, yLo, yHi) - yLo) / (yHi - yLo) * plot.height();
    };
    auto clampX = [&](double x) { return std::clamp(x, plot.left(), plot.right()); };
    p.setFont(font);

    // The excluded spans, under everything else.
    for (const ClockSpan& span : in.excludedSpans) {
        const double a = clampX(xOf(double(span.start)));
        const double b = clampX(xOf(double(span.end)));
        if (b > a)
            p.fillRect(QRectF(a, plot.top(), std::max(b - a, 0.3 * mm), plot.height()), ExcludedFill);
    }

    // The grid: 10 dB (5 dB on a narrow range) and the time ticks.
    const double yStep = yHi - yLo <= 30 ? 5 : 10;
    p.setPen(QPen(GridColour, 0.12 * mm));
    for (double y = yLo; y <= yHi + 1e-9; y += yStep)
        p.drawLine(QPointF(plot.left(), yOf(y)), QPointF(plot.right(), yOf(y)));
    const double span = x1 - x0;
    // As many ticks as their labels leave room for: a date (the widest label) and a gap each.
    const double labelRoom = m.horizontalAdvance(QStringLiteral("2026-03-02")) + 2.5 * mm;
    const double xStep = stepFor(span, std::max(2.0, plot.width() / labelRoom),
                                 {1,   2,    5,    10,   15,    30,    60,    120,   300,    600,
                                  900, 1800, 3600, 7200, 10800, 21600, 43200, 86400, 172800, 604800});
    std::vector<double> ticks;
    for (double t = std::ceil(x0 / xStep) * xStep; t <= x1 + 1e-9; t += xStep)
        ticks.push_back(t);
    for (const double t : ticks)
        p.drawLine(QPointF(xOf(t), plot.top()), QPointF(xOf(t), plot.bottom()));

    // The levels: one path, the lowest and highest level of each device pixel column when there
    // are more records than columns, else a line through the records broken where they are.
    QPainterPath path;
    const int columns = std::max(1, int(plot.width()));
    if (levels > 2 * std::int64_t(columns)) {
        std::vector<float> low(size_t(columns), std::numeric_limits<float>::infinity());
        std::vector<float> high(size_t(columns), -std::numeric_limits<float>::infinity());
        const double perSecond = columns / (x1 - x0);
        for (const RecordSample& s : in.samples) {
            if (!s.isLevel() || !s.hasTime())
                continue;
            const auto c = size_t(std::clamp(int((double(s.time) - x0) * perSecond), 0, columns - 1));
            const auto v = float(s.level());
            low[c] = std::min(low[c], v);
            high[c] = std::max(high[c], v);
        }
        for (int c = 0; c < columns;) {
            if (!(high[size_t(c)] >= low[size_t(c)])) {
                ++c;
                continue;
            }
            int end = c;
            while (end < columns && high[size_t(end)] >= low[size_t(end)])
                ++end;
            path.moveTo(plot.left() + c + 0.5, yOf(high[size_t(c)]));
            for (int k = c + 1; k < end; ++k)
                path.lineTo(plot.left() + k + 0.5, yOf(high[size_t(k)]));
            for (int k = end - 1; k >= c; --k)
                path.lineTo(plot.left() + k + 0.5, yOf(low[size_t(k)]));
            path.closeSubpath();
            c = end;
        }
        p.setPen(QPen(LevelColour, 0.12 * mm));
        p.setBrush(LevelColour);
    } else {
        const double gap = std::max(1.5 * dt, dt + 1);
        const double minWidth = std::max(xOf(x0 + dt) - xOf(x0), 0.4 * mm);
        std::int64_t previous = RecordSample::NoTime; // the last level's time, while a line runs
        int run = 0;
        QPointF last;
        auto endRun = [&] {
            if (run == 1)
                path.lineTo(last + QPointF(minWidth, 0));
            run = 0;
        };
        for (const RecordSample& s : in.samples) {
            if (!s.hasTime())
                continue;
            if (!s.isLevel()) {
                endRun();
                previous = RecordSample::NoTime;
                continue;
            }
            last = QPointF(xOf(double(s.time)), yOf(s.level()));
            if (previous != RecordSample::NoTime && s.time >= previous && double(s.time - previous) <= gap) {
                path.lineTo(last);
            } else {
                endRun();
                path.moveTo(last);
            }
            ++run;
            previous = s.time;
        }
        endRun();
        p.setPen(QPen(LevelColour, 0.22 * mm, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    }
    p.save();
    p.setClipRect(plot);
    p.drawPath(path);
    p.restore();

    // The events: their threshold, a mark along the top over each and its number above the frame
    // where the numbers do not run into each other.
    if (in.events) {
        const double threshold = in.events->settings.threshold;
        if (threshold > yLo && threshold < yHi) {
            p.setPen(QPen(EventColour, 0.15 * mm, Qt::DashLine));
            p.drawLine(QPointF(plot.left(), yOf(threshold)), QPointF(plot.right(), yOf(threshold)));
        }
        p.setPen(EventColour);
        double free = -1e300;
        // Marks that touch are drawn as one: thousands of events make a few hundred marks.
        double markFrom = 0;
        double markTo = -1e300;
        auto drawMark = [&] {
            if (markTo > -1e300)
                p.fillRect(QRectF(markFrom, plot.top(), markTo - markFrom, 1.6 * mm), EventColour);
        };
        for (const NoiseEvent& e : in.events->events) {
            const double a = clampX(xOf(double(e.start)));
            const double b = clampX(xOf(double(e.start) + e.durationSeconds));
            const double end = std::max(b, a + 0.35 * mm);
            if (a <= markTo) {
                markTo = std::max(markTo, end);
            } else {
                drawMark();
                markFrom = a;
                markTo = end;
            }
            if ((a + b) / 2 < free)
                continue; // no room for its number
            const QString number = QString::number(e.number);
            const double w = m.horizontalAdvance(number);
            const double x = std::clamp((a + b) / 2 - w / 2, plot.left(), area.right() - w);
            if (x >= free) {
                p.drawText(QPointF(x, plot.top() - 0.6 * mm - m.descent()), number);
                free = x + w + 0.8 * mm;
            }
        }
        drawMark();
    }

    // The reasons of the exclusions inside their spans: across where the span is wide enough, else
    // upwards along it where it is at least a line wide; left out where neither fits.
    std::vector<QRectF> taken; // in the page's coordinates
    p.setPen(AxisColour);
    for (const Exclusion& e : in.exclusions) {
        const std::vector<ClockSpan> own = exclusionClockSpans(std::span<const Exclusion>(&e, 1));
        if (own.empty() || e.reason.isEmpty())
            continue;
        const double a = clampX(xOf(double(own.front().start)));
        const double b = clampX(xOf(double(own.front().end)));
        const QString reason = shownReason(e.reason);
        const double w = m.horizontalAdvance(reason) + 1.2 * mm;
        const bool across = w <= b - a;
        const double along = plot.height() - 4 * mm;
        if (!across && (b - a < line || w > along))
            continue;
        const QRectF box = across ? QRectF(a, plot.top() + 2.2 * mm, w, line)
                                  : QRectF((a + b) / 2 - line / 2, plot.top() + 2.2 * mm, line, w);
        if (std::any_of(taken.begin(), taken.end(), [&](const QRectF& r) { return r.intersects(box); }))
            continue;
        taken.push_back(box);
        p.fillRect(box, ExcludedFill);
        if (across) {
            p.drawText(box, Qt::AlignCenter, reason);
        } else {
            p.save();
            p.translate(box.left(), box.bottom());
            p.rotate(-90);
            p.drawText(QRectF(0, 0, w, line), Qt::AlignCenter, reason);
            p.restore();
        }
    }

    // The frame and the axes' labels.
    p.setPen(QPen(AxisColour, 0.2 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.setPen(AxisColour);
    for (double y = yLo; y <= yHi + 1e-9; y += yStep)
        p.drawText(QRectF(area.left(), yOf(y) - line / 2, labelWidth - mm, line),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(y, 'f', 0));
    p.drawText(QRectF(area.left(), area.top(), labelWidth - mm, line), Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("dB"));
    QString previousDate;
    double free = -1e300;
    for (const double t : ticks) {
        const QString text = clockTimeText(std::int64_t(t));
        const QString date = text.left(10);
        const QString time = xStep >= 86400 ? QString() : text.mid(11, xStep < 60 ? 8 : 5);
        const QString first = time.isEmpty() ? date : time;
        const QString second = time.isEmpty() || date == previousDate ? QString() : date;
        const double w = std::max(m.horizontalAdvance(first), m.horizontalAdvance(second));
        const double x = std::clamp(xOf(t) - w / 2, area.left(), area.right() - w);
        if (x < free)
            continue;
        const double top = plot.bottom() + 0.8 * mm;
        p.drawText(QRectF(x, top, w, line), Qt::AlignHCenter, first);
        if (!second.isEmpty())
            p.drawText(QRectF(x, top + line, w, line), Qt::AlignHCenter, second);
        previousDate = date;
        free = x + w + 1.5 * mm;
    }
}

void paintLevelHistogram(QPainter& p, const QRectF& area, double mm, const QFont& font, const LnResult& ln)
{
    if (!ln.drawable() || ln.counts.empty()) {
        paintEmpty(p, area, mm, font, QStringLiteral("No levels to class."));
        return;
    }
    const double scale = ln.resolution == LnResolution::TenthDb ? 0.1 : 1.0;
    const int first = std::max(1, ln.classMin);
    const int last = std::min(ln.classMax, int(ln.counts.size()) - 1);
    const double dbLo = first * scale;
    const double dbHi = (last + 1) * scale;
    const double xStep = dbHi - dbLo > 60 ? 10 : dbHi - dbLo > 20 ? 5 : dbHi - dbLo > 8 ? 2 : 1;
    const double xLo = std::floor(dbLo / xStep) * xStep;
    const double xHi = std::max(std::ceil(dbHi / xStep) * xStep, xLo + xStep);
    double highest = 0;
    for (int k = first; k <= last; ++k)
        highest = std::max(highest, double(ln.counts[size_t(k)]));
    const double total = double(ln.classedRecords);
    const double top = highest * 100 / total;
    const double yStep = stepFor(top, 5, {0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 25, 50});
    const double yHi = std::max(yStep, std::ceil(top / yStep - 1e-9) * yStep);

    const QFontMetricsF m(font, p.device());
    const double line = m.lineSpacing();
    const double labelWidth = m.horizontalAdvance(QStringLiteral("100.00")) + 1.5 * mm;
    const QRectF plot(area.left() + labelWidth, area.top() + line + 0.8 * mm, area.width() - labelWidth - mm,
                      area.height() - 2 * line - 1.5 * mm);
    auto xOf = [&](double db) { return plot.left() + (db - xLo) / (xHi - xLo) * plot.width(); };
    auto yOf = [&](double percent) { return plot.bottom() - percent / yHi * plot.height(); };
    p.setFont(font);

    p.setPen(QPen(GridColour, 0.12 * mm));
    for (double y = 0; y <= yHi + 1e-9; y += yStep)
        p.drawLine(QPointF(plot.left(), yOf(y)), QPointF(plot.right(), yOf(y)));
    for (double x = xLo; x <= xHi + 1e-9; x += xStep)
        p.drawLine(QPointF(xOf(x), plot.top()), QPointF(xOf(x), plot.bottom()));

    QPainterPath bars;
    for (int k = first; k <= last; ++k) {
        const auto count = ln.counts[size_t(k)];
        if (count == 0)
            continue;
        const double a = xOf(k * scale);
        const double b = xOf((k + 1) * scale);
        bars.addRect(QRectF(QPointF(a, yOf(double(count) * 100 / total)), QPointF(b, plot.bottom())));
    }
    p.fillPath(bars, LevelColour);

    // L90, L50 and L10: where the levels are exceeded 90, 50 and 10 % of the time.
    double free = -1e300;
    for (const int percent : {90, 50, 10}) {
        bool ok = false;
        const double value = ln.values[size_t(percent)].toDouble(&ok);
        if (!ok)
            continue;
        const double x = xOf(value);
        p.setPen(QPen(MarkColour, 0.18 * mm, Qt::DashLine));
        p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
        const QString label = QStringLiteral("L%1").arg(percent);
        const double w = m.horizontalAdvance(label);
        const double left = std::clamp(x - w / 2, std::max(area.left(), free), area.right() - w);
        p.setPen(MarkColour);
        p.drawText(QPointF(left, plot.top() - 0.6 * mm - m.descent()), label);
        free = left + w + mm;
    }

    p.setPen(QPen(AxisColour, 0.2 * mm));
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot);
    p.setPen(AxisColour);
    const int decimals = yStep < 0.1 ? 2 : yStep < 1 ? 1 : 0;
    for (double y = 0; y <= yHi + 1e-9; y += yStep)
        p.drawText(QRectF(area.left(), yOf(y) - line / 2, labelWidth - mm, line),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(y, 'f', decimals));
    p.drawText(QRectF(area.left(), area.top(), labelWidth - mm, line), Qt::AlignRight | Qt::AlignBottom,
               QStringLiteral("%"));
    for (double x = xLo; x <= xHi + 1e-9; x += xStep) {
        const QString text = QString::number(x, 'f', 0);
        const double w = m.horizontalAdvance(text);
        p.drawText(QRectF(std::clamp(xOf(x) - w / 2, area.left(), area.right() - w), plot.bottom() + 0.8 * mm,
                          w, line),
                   Qt::AlignHCenter, text);
    }
    const QString unit = QStringLiteral("dB");
    p.drawText(QRectF(plot.right() - m.horizontalAdvance(unit), plot.bottom() + 0.8 * mm + line,
                      m.horizontalAdvance(unit), line),
               Qt::AlignRight, unit);
}

} // namespace slm::report
