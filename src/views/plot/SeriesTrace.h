#pragma once

#include "views/plot/SeriesValues.h"

#include <memory>
#include <qcustomplot.h>

namespace slm
{

// A line through values the graph does not own, read where they lie (a live graph's snapshot of
// up to 864001 samples). Nothing is copied per point: where more points fall on the plot than
// there are pixel columns, each column is drawn as the first, lowest, highest and last value of
// its points, so a redraw costs one pass over the points in view and a line of a few thousand
// vertices. Keys run along the horizontal axis.
class SeriesTrace : public QCPAbstractPlottable
{
public:
    SeriesTrace(QCPAxis* keyAxis, QCPAxis* valueAxis);

    void setValues(std::shared_ptr<const SeriesValues> values, double firstX, double step);
    void clear();
    int count() const { return m_values ? m_values->size() : 0; }
    double keyAt(int index) const { return m_firstX + index * m_step; }
    double valueAt(int index) const;
    // The point whose key is closest to `key`, -1 when there are none.
    int nearestIndex(double key) const;
    double minValue() const { return m_min; }
    double maxValue() const { return m_max; }

    double selectTest(const QPointF& pos, bool onlySelectable, QVariant* details = nullptr) const override;
    QCPRange getKeyRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth) const override;
    QCPRange getValueRange(bool& foundRange, QCP::SignDomain inSignDomain = QCP::sdBoth,
                           const QCPRange& inKeyRange = QCPRange()) const override;

protected:
    void draw(QCPPainter* painter) override;
    void drawLegendIcon(QCPPainter* painter, const QRectF& rect) const override;

private:
    QVector<QPointF> visibleLine() const;

    std::shared_ptr<const SeriesValues> m_values;
    double m_firstX = 0;
    double m_step = 1;
    double m_min = 0;
    double m_max = 0;
};

} // namespace slm
