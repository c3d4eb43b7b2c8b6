#include "assessment/AssessmentPlot.h"

#include "assessment/AssessmentSession.h"
#include "measurement/AssessmentTables.h"
#include "views/plot/ClockTicker.h"
#include "views/plot/Graph.h"
#include "views/plot/GraphPrint.h"
#include "views/plot/GraphicFrame.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPrinter>
#include <QRubberBand>
#include <QToolTip>
#include <QVBoxLayout>
#include <cmath>
#include <qcustomplot.h>

namespace slm
{

namespace
{

constexpr int SmallestDragPixels = 3;
const QColor ShadeColor(160, 160, 160, 110);
const QColor EventColor(230, 120, 0, 200);

// The first and the last record whose clock time is in [start, end), or {-1, -1}.
std::pair<int, int> recordsOfClock(const std::vector<RecordSample>& samples, std::int64_t start,
                                   std::int64_t end)
{
    int first = -1;
    int last = -1;
    for (int i = 0; i < int(samples.size()); ++i) {
        const RecordSample& s = samples[size_t(i)];
        if (s.hasTime() && s.time >= start && s.time < end) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    return {first, last};
}

// What a record that is no level is, for the tip over it.
QString notLevelText(LevelTextKind kind)
{
    switch (kind) {
    case LevelTextKind::Paused:
        return QStringLiteral("Paused");
    case LevelTextKind::BelowRange:
        return QStringLiteral("Below range");
    case LevelTextKind::Over:
        return QStringLiteral("Over range");
    case LevelTextKind::NotLevel:
        return QStringLiteral("No level");
    case LevelTextKind::Level:
        break;
    }
    return {};
}

} // namespace

AssessmentPlot::AssessmentPlot(const AssessmentSession& session, Dialogs& dialogs, QWidget* parent)
    : QWidget(parent), m_session(session), m_dialogs(dialogs)
{
    m_graph = new Graph(this);
    m_graph->setObjectName(QStringLiteral("AssessmentGraph"));
    m_graph->setAxisCaption(Graph::Axis::X, QStringLiteral("Time"));
    m_graph->setAxisCaption(Graph::Axis::Y, QStringLiteral("dB"));
    m_graph->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("0"));
    m_graph->setAxisLabelFormat(Graph::Axis::Y, QStringLiteral("0"));
    m_graph->setMinimumSize(420, 260);
    m_clock = QSharedPointer<ClockTicker>::create();
    m_clock->setTickCount(6);
    m_graph->setAxisTicker(Graph::Axis::X, m_clock);
    QCustomPlot* plot = m_graph->plot();
    // The plot takes the keys: the window opens with the focus on it.
    plot->setFocusPolicy(Qt::StrongFocus);
    plot->setObjectName(QStringLiteral("AssessmentPlot"));
    plot->setAccessibleName(QStringLiteral("Levels by clock time, excluded spans shaded"));
    plot->setAccessibleDescription(QStringLiteral("Left and Right move the view, plus and minus zoom, "
                                                  "Home shows every record"));
    m_graph->setFocusProxy(plot);
    // The shading lies under the trace: an exclusion edit redraws it without touching the trace.
    plot->addLayer(QStringLiteral("shading"), plot->layer(QStringLiteral("grid")), QCustomPlot::limAbove);
    m_shadeLayer = plot->layer(QStringLiteral("shading"));
    m_eventBand = plot->addGraph();
    m_eventBand->setLayer(m_shadeLayer);
    m_eventBand->setName(QStringLiteral("Events"));
    m_eventBand->setPen(QPen(EventColor, 6, Qt::SolidLine, Qt::FlatCap));
    m_eventBand->setSelectable(QCP::stNone);
    plot->installEventFilter(this);
    m_band = new QRubberBand(QRubberBand::Rectangle, plot);
    m_band->setObjectName(QStringLiteral("ExclusionBand"));

    m_frame = new GraphicFrame(recordPlotFrameSettings(), this);
    m_frame->attach(m_graph);
    connect(m_frame, &GraphicFrame::trackModeChosen, this,
            [this](int index) { m_frame->followWithOneCursor(index); });
    connect(m_frame, &GraphicFrame::resetClicked, this, &AssessmentPlot::resetScale);
    // The cursor readout gives the record number; its time is told in the window's status line.
    connect(m_graph, &Graph::cursorMoved, this, [this](int, double x, double) {
        const int record = int(std::lround(x)) - 1;
        if (m_plotted && record >= 0 && record < int(m_plotted->samples.size()))
            emit cursorTold(QStringLiteral("Cursor: record %1, %2")
                                .arg(record + 1)
                                .arg(clockTimeText(m_plotted->samples[size_t(record)].time)));
    });
    const auto print = [this](PrintOutput output) {
        m_frame->chooseNormal();
        QPrinter printer;
        GraphPrintJob job;
        job.window = this;
        job.graph = m_graph;
        job.hiddenWhilePrinting = {m_frame};
        outputGraphWindow(job, m_dialogs, printer, output);
    };
    connect(m_frame, &GraphicFrame::printClicked, this, [print] { print(PrintOutput::Printer); });
    connect(m_frame, &GraphicFrame::previewClicked, this, [print] { print(PrintOutput::Preview); });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* hint =
        new QLabel(QStringLiteral("Shift and drag across the plot to exclude a span. Grey: excluded; "
                                  "orange along the top: events."),
                   this);
    hint->setWordWrap(true);
    layout->addWidget(m_graph, 1);
    layout->addWidget(hint);
    layout->addWidget(m_frame);
}

AssessmentPlot::~AssessmentPlot() = default;

QWidget* AssessmentPlot::keyTarget() const
{
    return m_graph->plot();
}

void AssessmentPlot::showResults()
{
    if (m_plotted != m_session.resultRecords())
        plotRecords();
    shadeExclusions();
}

void AssessmentPlot::plotRecords()
{
    // A list that grows (the panel's) is plotted again as it grows: a view the user zoomed stays.
    const bool before = m_plotted != nullptr;
    const Graph::Range shown = m_graph->axisRange(Graph::Axis::X);
    const Graph::Range shownY = m_graph->axisRange(Graph::Axis::Y);
    const bool zoomed = before && (shown.min != m_fullX.min || shown.max != m_fullX.max ||
                                   shownY.min != m_fullY.min || shownY.max != m_fullY.max);
    m_plotted = m_session.resultRecords();
    const std::vector<RecordSample>& samples = m_plotted->samples;
    // Only levels are drawn: a paused record or a text that is no level is a gap, as on paper.
    std::vector<double> y(samples.size(), std::nan(""));
    double lo = 1e9;
    double hi = -1e9;
    for (size_t i = 0; i < samples.size(); ++i)
        if (samples[i].isLevel()) {
            y[i] = samples[i].level();
            lo = std::min(lo, y[i]);
            hi = std::max(hi, y[i]);
        }
    // Whole tens with a decibel to spare, twenty at least, as the report draws them.
    m_yMin = lo <= hi ? std::floor((lo - 1) / 10) * 10 : 20;
    m_yMax = lo <= hi ? std::max(std::ceil((hi + 1) / 10) * 10, m_yMin + 20) : 130;
    m_clock->setRecords(int(samples.size()), [records = m_plotted](int n) -> std::optional<std::int64_t> {
        const RecordSample& s = records->samples[size_t(n - 1)];
        return s.hasTime() ? std::optional(s.time) : std::nullopt;
    });
    m_graph->plotY(std::span<const double>(y), 1, 1);
    if (zoomed) {
        m_graph->setAxisRange(Graph::Axis::X, shown.min, shown.max);
        m_graph->setAxisRange(Graph::Axis::Y, shownY.min, shownY.max);
    } else {
        resetScale();
    }
}

void AssessmentPlot::resetScale()
{
    const int n = m_plotted ? std::max(1, int(m_plotted->samples.size())) : 1;
    m_graph->setAxisRange(Graph::Axis::X, 1, n);
    m_graph->setAxisRange(Graph::Axis::Y, m_yMin, m_yMax);
    m_frame->ranges()->setAxisValues(1, 1, n);
    m_frame->ranges()->setAxisValues(2, m_yMin, m_yMax);
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const Graph::Range y = m_graph->axisRange(Graph::Axis::Y);
    m_fullX = {x.min, x.max};
    m_fullY = {y.min, y.max};
    m_graph->replotNow();
}

void AssessmentPlot::shadeExclusions()
{
    QCustomPlot* plot = m_graph->plot();
    for (QCPItemRect* r : m_shading)
        plot->removeItem(r);
    m_shading.clear();
    const AssessmentView& v = m_session.resultView();
    // Each run of excluded records from half a record before to half after, the plot's full height.
    for (const auto& [first, last] : v.excludedRecords) {
        auto* rect = new QCPItemRect(plot);
        rect->setLayer(m_shadeLayer);
        rect->setSelectable(false);
        rect->topLeft->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->bottomRight->setTypeY(QCPItemPosition::ptAxisRectRatio);
        rect->topLeft->setCoords(first + 0.5, 0);
        rect->bottomRight->setCoords(last + 1.5, 1);
        rect->setPen(Qt::NoPen);
        rect->setBrush(ShadeColor);
        m_shading.push_back(rect);
    }
    // Events: a bar along the top over the records of each, all of them one graph whose gaps part
    // them, so thousands of events cost one line.
    QVector<double> keys;
    QVector<double> values;
    const double top = m_yMax - (m_yMax - m_yMin) * 0.015;
    for (const auto& [first, last] : v.eventRecords)
        if (first >= 0) {
            keys << first + 0.5 << last + 1.5 << last + 1.5;
            values << top << top << std::nan("");
        }
    m_eventBand->setData(keys, values, true);
    m_graph->replotNow();
}

void AssessmentPlot::zoomToClock(std::int64_t start, std::int64_t end)
{
    if (!m_plotted)
        return;
    const auto [first, last] = recordsOfClock(m_plotted->samples, start, end);
    zoomToRecords(first, last);
}

void AssessmentPlot::zoomToRecords(int first, int last)
{
    if (first < 0)
        return;
    const double pad = std::max(5.0, (last - first) * 0.1);
    setXRange(first + 1 - pad, last + 1 + pad);
}

void AssessmentPlot::setXRange(double from, double to)
{
    m_graph->setAxisRange(Graph::Axis::X, from, to);
    m_frame->ranges()->setAxisValues(1, from, to);
    m_graph->replotNow();
}

std::pair<int, int> AssessmentPlot::recordsInView() const
{
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const QCPAxis* axis = m_graph->plot()->xAxis;
    const int first = recordAtPixel(axis->coordToPixel(x.min));
    const int last = recordAtPixel(axis->coordToPixel(x.max));
    return {first, last};
}

int AssessmentPlot::recordAtPixel(double pixelX) const
{
    if (!m_plotted || m_plotted->samples.empty())
        return -1;
    const double x = m_graph->plot()->xAxis->pixelToCoord(pixelX);
    return std::clamp(int(std::lround(x)) - 1, 0, int(m_plotted->samples.size()) - 1);
}

QString AssessmentPlot::tipAt(const QPoint& pos) const
{
    if (!m_plotted || !m_session.hasResults())
        return {};
    const int i = recordAtPixel(pos.x());
    if (i < 0)
        return {};
    const RecordSample& s = m_plotted->samples[size_t(i)];
    QStringList lines;
    lines << QStringLiteral("Record %1").arg(i + 1);
    if (!s.isLevel())
        lines << notLevelText(s.kind);
    if (!s.hasTime())
        return lines.join(u'\n');
    lines.first() += QStringLiteral(", ") + clockTimeText(s.time);
    for (const Exclusion& e : m_session.resultExclusions()) {
        for (const ClockSpan& c : exclusionClockSpans(std::span<const Exclusion>(&e, 1)))
            if (s.time >= c.start && s.time < c.end) {
                lines << QStringLiteral("Excluded: %1").arg(e.reason);
                break;
            }
    }
    if (const auto& events = m_session.results().events)
        for (const NoiseEvent& e : events->events)
            if (s.time >= e.start && s.time <= e.last)
                lines << QStringLiteral("Event %1: Lmax %2 dB").arg(e.number).arg(levelText(e.lmax));
    return lines.join(u'\n');
}

bool AssessmentPlot::keyPressed(int key)
{
    const Graph::Range x = m_graph->axisRange(Graph::Axis::X);
    const double width = x.max - x.min;
    const double middle = (x.min + x.max) / 2;
    switch (key) {
    case Qt::Key_Left:
        setXRange(x.min - width / 10, x.max - width / 10);
        return true;
    case Qt::Key_Right:
        setXRange(x.min + width / 10, x.max + width / 10);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        setXRange(middle - width / 4, middle + width / 4);
        return true;
    case Qt::Key_Minus:
        setXRange(middle - width, middle + width);
        return true;
    case Qt::Key_Home:
        resetScale();
        return true;
    default:
        return false;
    }
}

bool AssessmentPlot::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_graph->plot())
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* e = static_cast<QKeyEvent*>(event);
        if ((e->modifiers() & ~(Qt::KeypadModifier | Qt::ShiftModifier)) == 0 && keyPressed(e->key()))
            return true;
    } else if (event->type() == QEvent::ToolTip) {
        auto* e = static_cast<QHelpEvent*>(event);
        const QString tip = tipAt(e->pos());
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(e->globalPos(), tip, m_graph->plot());
        return true;
    } else if (mouseEvent(event)) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Shift and a drag: the band across the plot while dragging, the span asked for on release. The
// graph's own modes never see a shift-drag.
bool AssessmentPlot::mouseEvent(QEvent* event)
{
    QCustomPlot* plot = m_graph->plot();
    const QRect area = plot->axisRect()->rect();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !(e->modifiers() & Qt::ShiftModifier) ||
            !area.contains(e->pos()))
            return false;
        m_dragFrom = e->pos();
        m_band->setGeometry(QRect(QPoint(e->pos().x(), area.top()), QSize(1, area.height())));
        m_band->show();
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_dragFrom)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        const int x = std::clamp(e->pos().x(), area.left(), area.right());
        m_band->setGeometry(QRect(QPoint(std::min(x, m_dragFrom->x()), area.top()),
                                  QPoint(std::max(x, m_dragFrom->x()), area.bottom())));
        return true;
    }
    case QEvent::MouseButtonRelease: {
        if (!m_dragFrom)
            return false;
        auto* e = static_cast<QMouseEvent*>(event);
        const QPoint from = *m_dragFrom;
        m_dragFrom.reset();
        m_band->hide();
        if (std::abs(e->pos().x() - from.x()) >= SmallestDragPixels)
            emit spanDragged(recordAtPixel(from.x()), recordAtPixel(e->pos().x()));
        return true;
    }
    default:
        return false;
    }
}

} // namespace slm
