#include "views/plot/ClassBarsPlot.h"

#include <QVBoxLayout>
#include <algorithm>
#include <qcustomplot.h>

namespace slm
{

ClassBarsPlot::ClassBarsPlot(QWidget* parent) : QWidget(parent), m_plot(new QCustomPlot(this))
{
    setFocusPolicy(Qt::NoFocus);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_plot);
    m_plot->setFocusPolicy(Qt::NoFocus);
    m_plot->xAxis->setLabel(QStringLiteral("Class (dB)"));
    // Classes and counts are whole: ticks at whole steps only.
    for (QCPAxis* axis : {m_plot->xAxis, m_plot->yAxis}) {
        QSharedPointer<QCPAxisTickerFixed> whole(new QCPAxisTickerFixed);
        whole->setTickStep(1);
        whole->setScaleStrategy(QCPAxisTickerFixed::ssMultiples);
        axis->setTicker(whole);
    }
    // The legend in a row of its own above the bars, which may stand anywhere across.
    m_plot->legend->setVisible(true);
    m_plot->legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    m_plot->legend->setBorderPen(Qt::NoPen);
    m_plot->plotLayout()->insertRow(0);
    m_plot->plotLayout()->addElement(0, 0, m_plot->legend);
    m_plot->plotLayout()->setRowStretchFactor(0, 0.001);
    setMinimumHeight(240);
}

void ClassBarsPlot::setSeries(const std::vector<Series>& series, const QString& countCaption)
{
    m_plot->clearPlottables();
    auto* group = new QCPBarsGroup(m_plot);
    int lowest = 0;
    int highest = 0;
    std::int64_t most = 0;
    bool any = false;
    QStringList told;
    for (const Series& s : series) {
        auto* bars = new QCPBars(m_plot->xAxis, m_plot->yAxis);
        bars->setName(s.name);
        bars->setPen(QPen(s.color.darker(130)));
        bars->setBrush(s.color);
        bars->setWidthType(QCPBars::wtPlotCoords);
        bars->setWidth(0.9 / double(std::max<size_t>(1, series.size())));
        bars->setBarsGroup(group);
        std::int64_t total = 0;
        for (const auto& [n, count] : s.counts) {
            // A class [n, n+1) stands over its middle.
            bars->addData(n + 0.5, double(count));
            lowest = any ? std::min(lowest, n) : n;
            highest = any ? std::max(highest, n) : n;
            most = std::max(most, count);
            total += count;
            any = true;
        }
        told << QStringLiteral("%1: %2 in %3 classes").arg(s.name).arg(total).arg(s.counts.size());
    }
    m_plot->yAxis->setLabel(countCaption);
    m_plot->xAxis->setRange(any ? lowest - 1 : 0, any ? highest + 2 : 1);
    m_plot->yAxis->setRange(0, std::max<double>(1, double(most) * 1.15));
    setAccessibleDescription(told.join(QStringLiteral("; ")));
    m_plot->replot();
}

} // namespace slm
