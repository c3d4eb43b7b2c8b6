#pragma once

#include "views/plot/NumericEdit.h"

#include <QGroupBox>
#include <QString>
#include <array>

class QLabel;

namespace slm
{

// The four edits of a "Graph Range" frame and the labels of its rows.
struct GraphRangeSettings {
    QString xRowLabel = QStringLiteral("No.s");
    QString yRowLabel = QStringLiteral("dB");
    QString yRowLabelName; // objectName of the Y row's label, when a window changes its text
    NumericEditSettings xMin;
    NumericEditSettings xMax;
    NumericEditSettings yMin;
    NumericEditSettings yMax;
};

// The record plot: records 1..349999, levels 0..140 dB.
GraphRangeSettings recordPlotRangeSettings();
// The live graph: samples (minimum 1..100, maximum 0..65535) and values 20..150, Y row "LblUnit".
GraphRangeSettings liveGraphRangeSettings();

// The "Graph Range" frame: minimum and maximum of the X axis (row 1) and the Y axis (row 2).
// The edits are named AxisMin1, AxisMax1, AxisMin2, AxisMax2 (the index is the axis: 1 X, 2 Y).
//
// A user's change that leaves an axis's minimum below its maximum is kept and announced by
// `edited`; one that does not is refused: the edit goes back to its last value and the reason
// shows as a tooltip at the edit (and through `refused`). Values set by the program never
// announce anything and are never refused; one beyond an edit's range widens the range.
class GraphRangeFrame : public QGroupBox
{
    Q_OBJECT
public:
    enum class Edit { XMin, XMax, YMin, YMax };

    explicit GraphRangeFrame(const GraphRangeSettings& settings, QWidget* parent = nullptr);

    NumericEdit* edit(Edit which) const { return m_edits[size_t(which)]; }
    // AxisMin(axis) / AxisMax(axis), axis 1 (X) or 2 (Y).
    NumericEdit* axisMin(int axis) const;
    NumericEdit* axisMax(int axis) const;
    double value(Edit which) const;

    // Program's values: no `edited`, no refusal, no redraw.
    void setValue(Edit which, double value);
    void setAxisValues(int axis, double min, double max);
    // True while the program is writing the edits.
    bool loading() const { return m_loading > 0; }

    QLabel* yRowLabel() const { return m_yLabel; }
    void setYRowLabel(const QString& text);

    static QString refusalText();

signals:
    // A user's change was kept; the window applies both axes from the edits.
    void edited(Edit which);
    // A user's change was refused and taken back.
    void refused(Edit which, const QString& reason);

private:
    void onValueChanged(Edit which);

    std::array<NumericEdit*, 4> m_edits{};
    std::array<double, 4> m_accepted{};
    QLabel* m_yLabel = nullptr;
    int m_loading = 0;
};

} // namespace slm
