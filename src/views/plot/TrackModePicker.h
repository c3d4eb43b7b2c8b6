#pragma once

#include "views/plot/TrackModes.h"

#include <QWidget>
#include <vector>

class QComboBox;
class QPlainTextEdit;

namespace slm
{

class Graph;

// The "Track Mode" controls of a graph window: the list Combo1 and the read-only help text
// txtDescription. Choosing an entry sets the graph's track mode and the help text, then tells
// the window (which handles its cursors or its reset entry) through `chosen`.
class TrackModePicker : public QWidget
{
    Q_OBJECT
public:
    TrackModePicker(std::vector<TrackModeEntry> entries, QWidget* parent = nullptr);

    void attach(Graph* graph) { m_graph = graph; }
    // Selects and applies an entry, as a user's choice would.
    void choose(int index);
    int currentIndex() const;
    const TrackModeEntry& entry(int index) const { return m_entries.at(size_t(index)); }
    int entryCount() const { return int(m_entries.size()); }

    QComboBox* combo() const { return m_combo; }
    QPlainTextEdit* description() const { return m_description; }

signals:
    void chosen(int index, int mode);

private:
    std::vector<TrackModeEntry> m_entries;
    QComboBox* m_combo = nullptr;
    QPlainTextEdit* m_description = nullptr;
    Graph* m_graph = nullptr;
};

} // namespace slm
