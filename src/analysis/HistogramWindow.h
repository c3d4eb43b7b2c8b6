#pragma once

#include "analysis/LnStatistics.h"
#include "views/plot/TrackModes.h"

#include <QPointer>
#include <QWidget>
#include <vector>

class QAction;
class QPrinter;
class QTableWidget;
class QToolBar;

namespace slm
{

class Dialogs;
class Graph;
class TrackModePicker;

// The entries of the histogram's track-mode list: no cursor entry, and "Reset" at the end (an
// action: it brings back the computed ranges and keeps the help text).
std::vector<TrackModeEntry> histogramTrackModes();
inline constexpr int HistogramResetEntry = 7;

// The "Histogram" window: the class counts of one Ln run as bars (CWG), the table of L0..L99
// (GridLn), the track-mode box (Picture1) and the toolbar with "Limit" and "Print". It shows one
// run; the next run makes a new window.
class HistogramWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HistogramWindow(Dialogs& dialogs, QWidget* parent = nullptr);
    HistogramWindow(const LnResult& result, Dialogs& dialogs, QWidget* parent = nullptr);
    ~HistogramWindow() override;

    // Draws the counts and fills the table. A result with nothing to draw leaves what is shown
    // and tells the user so; returns false then.
    bool showResult(const LnResult& result);

    // Track-mode list choice by index, as a click on Combo1 does it; an index outside the list
    // says "Select a valid TrackMode.". Hides Picture1 in every case.
    void chooseTrackMode(int index);
    // Toolbar "Limit": shows the track-mode box when hidden, hides it when shown.
    void toggleLimit();
    // Toolbar "Print": the window as shown, without toolbar and track-mode box, as one page on
    // the default printer. Without any printer it asks for a PDF file instead. False when
    // nothing was printed (no file chosen, or the printer failed).
    bool print();
    // The same onto a printer the caller set up (at screen resolution, as QPrinter starts).
    bool printTo(QPrinter& printer);
    // Toolbar "Print Preview": the page "Print" would send, drawn by printTo, in the print
    // preview; true when it was printed from there.
    bool printPreview();
    bool printPreview(QPrinter& printer);

    Graph* graph() const { return m_graph; }
    QTableWidget* table() const { return m_table; }
    QWidget* trackBox() const { return m_trackBox; }
    TrackModePicker* picker() const { return m_picker; }
    QToolBar* toolbar() const { return m_toolbar; }
    // The ranges of the last run shown, for the "Reset" entry.
    int classMin() const { return m_classMin; }
    int classMax() const { return m_classMax; }
    double yMax() const { return m_yMax; }

private:
    void setUpTable();
    void resetRanges();

    Dialogs& m_dialogs;
    QToolBar* m_toolbar = nullptr;
    Graph* m_graph = nullptr;
    QTableWidget* m_table = nullptr;
    QWidget* m_trackBox = nullptr;
    TrackModePicker* m_picker = nullptr;
    int m_classMin = 0;
    int m_classMax = 0;
    double m_yMax = 1;
};

// What a finished run does with the window: a result with something to draw closes the shown
// window (if any) and opens a new one at the top-left of the screen, so it holds this run only;
// a result with nothing to draw leaves the shown window as it is and says so. `shown` tracks the
// one window across runs from either list view; `parent` should outlive the list views (the
// panel), since the window stays open when the list view that ran it closes.
HistogramWindow* showLnResult(QPointer<HistogramWindow>& shown, const LnResult& result, Dialogs& dialogs,
                              QWidget* parent);

} // namespace slm
