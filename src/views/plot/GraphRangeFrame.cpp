#include "views/plot/GraphRangeFrame.h"

#include <QGridLayout>
#include <QLabel>
#include <QToolTip>

namespace slm
{

GraphRangeSettings recordPlotRangeSettings()
{
    GraphRangeSettings s;
    s.xMin = {1, 349999, 1, 0, 1, 5};
    s.xMax = {0, 349999, 349999, 0, 1, 5};
    s.yMin = {0, 140, 60, 1, 0.1, 5};
    s.yMax = {0, 140, 140, 1, 0.1, 5};
    return s;
}

GraphRangeSettings liveGraphRangeSettings()
{
    GraphRangeSettings s;
    s.yRowLabelName = QStringLiteral("LblUnit");
    s.xMin = {1, 100, 1, 0, 1, 5};
    s.xMax = {0, 65535, 65535, 0, 1, 5};
    s.yMin = {20, 150, 25, 1, 0.1, 5};
    s.yMax = {20, 150, 145, 1, 0.1, 5};
    return s;
}

namespace
{

// The program writes the edits through this, so their value changes are not taken as the user's.
class Loading
{
public:
    explicit Loading(int& depth) : m_depth(depth) { ++m_depth; }
    ~Loading() { --m_depth; }
    Loading(const Loading&) = delete;
    Loading& operator=(const Loading&) = delete;

private:
    int& m_depth;
};

} // namespace

GraphRangeFrame::GraphRangeFrame(const GraphRangeSettings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Graph Range"), parent)
{
    setObjectName(QStringLiteral("FraGraphRange"));
    auto* grid = new QGridLayout(this);
    auto* minTitle = new QLabel(QStringLiteral("Min"), this);
    auto* maxTitle = new QLabel(QStringLiteral("Max"), this);
    minTitle->setAlignment(Qt::AlignCenter);
    maxTitle->setAlignment(Qt::AlignCenter);
    grid->addWidget(minTitle, 0, 1);
    grid->addWidget(maxTitle, 0, 2);
    auto* xLabel = new QLabel(settings.xRowLabel, this);
    m_yLabel = new QLabel(settings.yRowLabel, this);
    if (!settings.yRowLabelName.isEmpty())
        m_yLabel->setObjectName(settings.yRowLabelName);
    grid->addWidget(xLabel, 1, 0);
    grid->addWidget(m_yLabel, 2, 0);

    const NumericEditSettings* edits[4] = {&settings.xMin, &settings.xMax, &settings.yMin, &settings.yMax};
    const char* names[4] = {"AxisMin1", "AxisMax1", "AxisMin2", "AxisMax2"};
    const char* spoken[4] = {"X axis minimum", "X axis maximum", "Y axis minimum", "Y axis maximum"};
    for (int i = 0; i < 4; ++i) {
        auto* e = new NumericEdit(*edits[i], this);
        e->setObjectName(QString::fromLatin1(names[i]));
        e->setAccessibleName(QString::fromLatin1(spoken[i]));
        m_edits[size_t(i)] = e;
        m_accepted[size_t(i)] = e->value();
        grid->addWidget(e, 1 + i / 2, 1 + i % 2);
        const Edit which = Edit(i);
        connect(e, &QDoubleSpinBox::valueChanged, this, [this, which] { onValueChanged(which); });
    }
    xLabel->setBuddy(m_edits[0]);
    m_yLabel->setBuddy(m_edits[2]);
    setTabOrder(m_edits[0], m_edits[1]);
    setTabOrder(m_edits[1], m_edits[2]);
    setTabOrder(m_edits[2], m_edits[3]);
}

QString GraphRangeFrame::refusalText()
{
    return QStringLiteral("The minimum must be below the maximum.");
}

NumericEdit* GraphRangeFrame::axisMin(int axis) const
{
    return edit(axis == 2 ? Edit::YMin : Edit::XMin);
}

NumericEdit* GraphRangeFrame::axisMax(int axis) const
{
    return edit(axis == 2 ? Edit::YMax : Edit::XMax);
}

double GraphRangeFrame::value(Edit which) const
{
    return edit(which)->value();
}

void GraphRangeFrame::setValue(Edit which, double value)
{
    const Loading loading(m_loading);
    NumericEdit* e = edit(which);
    e->setValueWidening(value);
    m_accepted[size_t(which)] = e->value();
}

void GraphRangeFrame::setAxisValues(int axis, double min, double max)
{
    // Maximum first, as the windows have always filled them.
    setValue(axis == 2 ? Edit::YMax : Edit::XMax, max);
    setValue(axis == 2 ? Edit::YMin : Edit::XMin, min);
}

void GraphRangeFrame::setYRowLabel(const QString& text)
{
    m_yLabel->setText(text);
}

void GraphRangeFrame::onValueChanged(Edit which)
{
    if (loading())
        return;
    const bool xAxis = which == Edit::XMin || which == Edit::XMax;
    const double min = value(xAxis ? Edit::XMin : Edit::YMin);
    const double max = value(xAxis ? Edit::XMax : Edit::YMax);
    if (min < max) {
        m_accepted[size_t(which)] = value(which);
        emit edited(which);
        return;
    }
    // An axis from a value to the same or a lower one has nothing to show: take the change back.
    {
        const Loading loading(m_loading);
        edit(which)->setValue(m_accepted[size_t(which)]);
    }
    NumericEdit* e = edit(which);
    if (e->isVisible())
        QToolTip::showText(e->mapToGlobal(QPoint(0, e->height())), refusalText(), e);
    emit refused(which, refusalText());
}

} // namespace slm
