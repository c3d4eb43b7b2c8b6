#include "views/plot/TrackModePicker.h"

#include "views/plot/Graph.h"

#include <QComboBox>
#include <QPlainTextEdit>
#include <QVBoxLayout>

namespace slm
{

TrackModePicker::TrackModePicker(std::vector<TrackModeEntry> entries, QWidget* parent)
    : QWidget(parent), m_entries(std::move(entries))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_combo = new QComboBox(this);
    m_combo->setObjectName(QStringLiteral("Combo1"));
    for (const TrackModeEntry& e : m_entries)
        m_combo->addItem(QString::fromUtf8(e.entry));
    m_description = new QPlainTextEdit(this);
    m_description->setObjectName(QStringLiteral("txtDescription"));
    m_description->setReadOnly(true);
    m_description->setMaximumHeight(4 * fontMetrics().lineSpacing() + 8);
    layout->addWidget(m_combo);
    layout->addWidget(m_description);
    connect(m_combo, &QComboBox::activated, this, &TrackModePicker::choose);
    if (!m_entries.empty())
        choose(0);
}

int TrackModePicker::currentIndex() const
{
    return m_combo->currentIndex();
}

void TrackModePicker::choose(int index)
{
    if (index < 0 || index >= entryCount())
        return;
    const TrackModeEntry& e = m_entries[size_t(index)];
    m_combo->setCurrentIndex(index);
    // An action entry (mode 0) keeps the mode and help text that were chosen before it.
    if (e.mode != 0) {
        if (m_graph)
            m_graph->setTrackMode(e.mode);
        m_description->setPlainText(QString::fromUtf8(e.help));
    }
    emit chosen(index, e.mode);
}

} // namespace slm
