#pragma once

#include "views/plot/GraphRangeFrame.h"
#include "views/plot/TrackModes.h"

#include <QGroupBox>
#include <vector>

class QPushButton;

namespace slm
{

class CursorInfoFrame;
class Graph;
class TrackModePicker;

struct GraphicFrameSettings {
    GraphRangeSettings ranges;
    std::vector<TrackModeEntry> trackModes;
};

GraphicFrameSettings recordPlotFrameSettings();
GraphicFrameSettings liveGraphFrameSettings();

// FrmGraphic ("Graphic Plot"): the controls under a graph window's graph - "Graph Range",
// "Track Mode" (Combo1, txtDescription), "Cursor Information", CmdReset ("Reset Scale") and
// CmdPrint ("Print Graph"). Attached to a graph it does what both graph windows do alike: a
// user's range edit sets both axes from the edits, a track-mode choice sets the graph's mode and
// help text, and moves of cursor 1 show in the readouts. The window adds its cursor handling
// (on `trackModeChosen`), its scale reset and its printing.
class GraphicFrame : public QGroupBox
{
    Q_OBJECT
public:
    explicit GraphicFrame(const GraphicFrameSettings& settings, QWidget* parent = nullptr);

    void attach(Graph* graph);

    GraphRangeFrame* ranges() const { return m_ranges; }
    TrackModePicker* picker() const { return m_picker; }
    CursorInfoFrame* cursorInfo() const { return m_cursorInfo; }
    QPushButton* resetButton() const { return m_reset; }
    QPushButton* printButton() const { return m_print; }
    QPushButton* previewButton() const { return m_preview; }

    // X and then Y: the graph's range from AxisMin(axis)..AxisMax(axis) as the edits hold them.
    void applyRanges();
    // The list back to its first entry ("Normal"), as a user's choice would do it.
    void chooseNormal();
    // A track-mode choice in a window with one cursor: the cursor entry puts a red cursor in the
    // middle of the view and shows where; any other entry takes the cursor away.
    void followWithOneCursor(int index);

signals:
    void trackModeChosen(int index, int mode);
    void resetClicked();
    void printClicked();
    void previewClicked();

private:
    Graph* m_graph = nullptr;
    GraphRangeFrame* m_ranges = nullptr;
    TrackModePicker* m_picker = nullptr;
    CursorInfoFrame* m_cursorInfo = nullptr;
    QPushButton* m_reset = nullptr;
    QPushButton* m_print = nullptr;
    QPushButton* m_preview = nullptr;
};

} // namespace slm
