#include "views/plot/GraphicFrame.h"

#include "views/plot/CursorInfoFrame.h"
#include "views/plot/Graph.h"
#include "views/plot/TrackModePicker.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace slm
{

GraphicFrameSettings recordPlotFrameSettings()
{
    return {recordPlotRangeSettings(), recordPlotTrackModes()};
}

GraphicFrameSettings liveGraphFrameSettings()
{
    return {liveGraphRangeSettings(), liveGraphTrackModes()};
}

GraphicFrame::GraphicFrame(const GraphicFrameSettings& settings, QWidget* parent)
    : QGroupBox(QStringLiteral("Graphic Plot"), parent)
{
    setObjectName(QStringLiteral("FrmGraphic"));
    m_ranges = new GraphRangeFrame(settings.ranges, this);

    auto* trackBox = new QGroupBox(QStringLiteral("Track Mode"), this);
    trackBox->setObjectName(QStringLiteral("FraTrackMode"));
    m_picker = new TrackModePicker(settings.trackModes, trackBox);
    m_picker->combo()->setAccessibleName(QStringLiteral("Track mode"));
    // "Cursor Coordinates" is the longest entry: the list never gets narrower than it.
    m_picker->combo()->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_picker->combo()->setMinimumWidth(m_picker->combo()->sizeHint().width());
    m_picker->description()->setAccessibleName(QStringLiteral("Track mode help"));
    m_picker->description()->setTabChangesFocus(true);
    auto* trackLayout = new QVBoxLayout(trackBox);
    trackLayout->addWidget(m_picker);
    trackBox->setMinimumWidth(
        trackBox->fontMetrics().horizontalAdvance(QStringLiteral("Click anywhere on the plot")));

    m_cursorInfo = new CursorInfoFrame(this);

    m_reset = new QPushButton(QStringLiteral("Reset Scale"), this);
    m_reset->setObjectName(QStringLiteral("CmdReset"));
    m_print = new QPushButton(QStringLiteral("Print Graph"), this);
    m_print->setObjectName(QStringLiteral("CmdPrint"));
    // The same page on screen first, from which it can be printed.
    m_preview = new QPushButton(QStringLiteral("Print Preview"), this);
    m_preview->setObjectName(QStringLiteral("CmdPreview"));
    auto* buttons = new QVBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_reset);
    buttons->addWidget(m_print);
    buttons->addWidget(m_preview);
    buttons->addStretch();

    auto* row = new QHBoxLayout(this);
    row->addWidget(m_ranges);
    row->addWidget(trackBox, 1);
    row->addWidget(m_cursorInfo);
    row->addLayout(buttons);

    connect(m_picker, &TrackModePicker::chosen, this, &GraphicFrame::trackModeChosen);
    connect(m_ranges, &GraphRangeFrame::edited, this, &GraphicFrame::applyRanges);
    connect(m_reset, &QPushButton::clicked, this, &GraphicFrame::resetClicked);
    connect(m_print, &QPushButton::clicked, this, &GraphicFrame::printClicked);
    connect(m_preview, &QPushButton::clicked, this, &GraphicFrame::previewClicked);
}

void GraphicFrame::attach(Graph* graph)
{
    if (m_graph)
        disconnect(m_graph, nullptr, this, nullptr);
    m_graph = graph;
    m_picker->attach(graph);
    if (!graph)
        return;
    connect(graph, &Graph::cursorMoved, this, [this](int number, double x, double y) {
        if (number == 1)
            m_cursorInfo->showPosition(x, y);
    });
}

void GraphicFrame::applyRanges()
{
    if (!m_graph)
        return;
    m_graph->setAxisRange(Graph::Axis::X, m_ranges->value(GraphRangeFrame::Edit::XMin),
                          m_ranges->value(GraphRangeFrame::Edit::XMax));
    m_graph->setAxisRange(Graph::Axis::Y, m_ranges->value(GraphRangeFrame::Edit::YMin),
                          m_ranges->value(GraphRangeFrame::Edit::YMax));
}

void GraphicFrame::chooseNormal()
{
    m_picker->choose(NormalEntry);
}

void GraphicFrame::followWithOneCursor(int index)
{
    if (index != CursorEntry) {
        m_graph->removeAllCursors();
        return;
    }
    if (m_graph->cursorCount() == 0)
        m_graph->setCursorColor(m_graph->addCursor(), colorFromBgr(255));
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const Graph::Range y = m_graph->axisRange(Graph::Axis::Y);
    const double cx = (x.min + x.max) / 2;
    const double cy = (y.min + y.max) / 2;
    m_graph->setCursorPosition(1, cx, cy);
    m_cursorInfo->showPosition(cx, cy);
}

} // namespace slm
