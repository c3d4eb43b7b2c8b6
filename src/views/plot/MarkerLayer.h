#pragma once

#include <QString>
#include <qcustomplot.h>
#include <vector>

namespace slm
{

// The text markers of a graph, drawn in one pass: a small circle on the trace point, the text at
// its own coordinates and a dotted leader between them. Only markers inside the visible X range
// are drawn, and where texts of one height would overlap only the first of them is drawn, so a
// whole file's pauses cost a redraw little more than a screenful; zooming in shows the others.
class MarkerLayer : public QCPLayerable
{
public:
    struct Mark {
        int pointIndex = 0;
        QString text;
        double x = 0;
        double y = 0;
    };

    MarkerLayer(QCustomPlot* plot, QCPGraph* trace);

    void add(const Mark& mark);
    void clear();
    int count() const { return int(m_marks.size()); }
    // How many texts the last redraw wrote (the rest were off screen or crowded out).
    int textsDrawn() const { return m_textsDrawn; }

protected:
    void applyDefaultAntialiasingHint(QCPPainter* painter) const override;
    QRect clipRect() const override;
    void draw(QCPPainter* painter) override;

private:
    QCPGraph* m_trace;
    std::vector<Mark> m_marks;
    bool m_sorted = true; // by x, so the visible ones are found by a search
    int m_textsDrawn = 0;
};

} // namespace slm
