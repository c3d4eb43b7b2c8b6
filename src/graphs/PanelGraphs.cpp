#include "graphs/PanelGraphs.h"

#include "graphs/LiveTrends.h"
#include "views/plot/Graph.h"

#include <QGridLayout>
#include <span>

namespace slm
{

namespace
{
const QString DbCaption = QStringLiteral("dB");
const QString TimesCaption = QStringLiteral("Frequency (Times)");
const QColor TrendInk(0x5c, 0xff, 0x7a);
const QColor HistogramInk(0x4f, 0xd0, 0xff);
const QColor PanelBackground(0x10, 0x18, 0x12);
} // namespace

PanelGraphs::PanelGraphs(LiveTrends& trends, QWidget* parent) : QWidget(parent), m_trends(trends)
{
    setObjectName(QStringLiteral("PanelGraphs"));
    // The gaps between the graphs take the graphs' own dark background.
    QPalette dark = palette();
    dark.setColor(QPalette::Window, PanelBackground);
    setPalette(dark);
    setAutoFillBackground(true);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setHorizontalSpacing(2);

    // The three trends share one cell and the two histograms another: only one of each is shown.
    for (auto [which, name, caption] :
         {std::tuple{Which::Level, "CWG", "SPL (dB)"}, std::tuple{Which::Leq, "CWLeq", "Leq (dB)"},
          std::tuple{Which::Sel, "CWSEL", "SEL (dB)"}}) {
        Graph* g = makeGraph(which, QString::fromLatin1(name), QString(), QString::fromLatin1(caption));
        g->setChartStart(1, 1); // sample 1 at X = 1, as the live graph numbers them
        g->setChartLength(TrendPointsOnScreen);
        g->setTraceColor(TrendInk);
        layout->addWidget(g, 0, 0);
    }
    for (auto [which, name] :
         {std::pair{Which::IntHistogram, "CWInt"}, std::pair{Which::DecHistogram, "CWDec"}}) {
        Graph* g = makeGraph(which, QString::fromLatin1(name), DbCaption, TimesCaption);
        g->setTraceStyle(Graph::Style::Bars);
        g->setAxisLabelFormat(Graph::Axis::Y, QStringLiteral("0")); // counts: no half ticks
        g->setTraceColor(HistogramInk);
        layout->addWidget(g, 0, 1);
    }
    Graph* dec = graph(Which::DecHistogram);
    dec->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("*.1"));
    dec->setAxisRange(Graph::Axis::X, 0, 1400);
    graph(Which::IntHistogram)->setAxisLabelFormat(Graph::Axis::X, QStringLiteral("0"));
    graph(Which::IntHistogram)->setAxisRange(Graph::Axis::X, 0, 140);
    layout->setColumnStretch(0, 1);
    layout->setColumnStretch(1, 1);

    showTrend(0);
    graph(Which::IntHistogram)->show();
    dec->hide();

    connect(&trends, &LiveTrends::sampleAdded, this, &PanelGraphs::showSample);
    connect(&trends, &LiveTrends::clearedForRefresh, this, &PanelGraphs::clearAll);
    connect(&trends, &LiveTrends::clearedForLinkLoss, this, &PanelGraphs::clearLevelAndHistograms);
}

Graph* PanelGraphs::makeGraph(Which which, const QString& name, const QString& xCaption,
                              const QString& yCaption)
{
    auto* g = new Graph(this);
    g->setObjectName(name);
    g->setLook(Graph::Look::Dark);
    g->setCompact(true);
    g->setAxisCaption(Graph::Axis::X, xCaption);
    g->setAxisCaption(Graph::Axis::Y, yCaption);
    g->setMinimumSize(120, 90);
    connect(g, &Graph::clicked, this, [this, which] { emit graphClicked(which); });
    m_graphs[int(which)] = g;
    return g;
}

Graph* PanelGraphs::graph(Which which) const
{
    return m_graphs[int(which)];
}

void PanelGraphs::showSample(const TrendSampleResult& r)
{
    // The trend graphs scale Y to their points; their X axis scrolls with the newest points.
    graph(Which::Level)->chartY(r.level);
    graph(Which::Leq)->chartY(r.leq);
    graph(Which::Sel)->chartY(r.sel);

    // Both histograms are redrawn in full: every class, not only the one that changed.
    Graph* intGraph = graph(Which::IntHistogram);
    Graph* decGraph = graph(Which::DecHistogram);
    intGraph->setAxisRange(Graph::Axis::X, r.intXMin, r.intXMax);
    intGraph->plotY(std::span<const int>(m_trends.intHistogram()));
    decGraph->setAxisRange(Graph::Axis::X, r.decXMin, r.decXMax);
    decGraph->plotY(std::span<const int>(m_trends.decHistogram()));
    intGraph->setVisible(r.intVisible);
    decGraph->setVisible(!r.intVisible);
}

void PanelGraphs::clearAll()
{
    for (Graph* g : m_graphs)
        g->clearData();
}

void PanelGraphs::clearLevelAndHistograms()
{
    // The Leq and SEL trends stay on screen: the model keeps their extremes as well.
    for (Which w : {Which::Level, Which::IntHistogram, Which::DecHistogram})
        graph(w)->clearData();
}

void PanelGraphs::showTrend(int index)
{
    const Which shown = index == 0 ? Which::Level : index == 1 ? Which::Leq : Which::Sel;
    for (Which w : {Which::Level, Which::Leq, Which::Sel})
        graph(w)->setVisible(w == shown);
}

void PanelGraphs::replotVisibleNow()
{
    for (Graph* g : m_graphs)
        if (g->isVisible())
            g->replotNow();
}

} // namespace slm
