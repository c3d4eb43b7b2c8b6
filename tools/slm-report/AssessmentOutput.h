#pragma once

#include "AssessmentOptions.h"

#include "measurement/AssessmentRun.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <functional>
#include <optional>

// The assessment tables as the report program writes them: text, JSON keys and CSV. Each writer
// hands its output to `write` a part at a time and walks the events one by one, so a file with
// millions of events is never held as text.

namespace slm
{

using OutputSink = std::function<bool(QByteArrayView)>;
using EventVisitor = std::function<bool(const NoiseEvent&)>;

struct AssessmentOutputInput {
    const AssessmentResults& results; // the summaries; the events list is walked instead
    std::optional<double> interval;
    // Visits the events in order until the visitor returns false; false then.
    std::function<bool(const EventVisitor&)> walkEvents;
};

// The tables after the figures of the text report.
bool writeAssessmentText(const AssessmentOutputInput& in, const AssessmentOptions& options,
                         const OutputSink& write);
// The keys after the figures of a file's JSON object, each as ",\n  \"key\": value".
class ClockTimeTexts;
// One row of an hourly or interval table as a JSON object.
QByteArray hourRowJson(const HourRow& row, ClockTimeTexts& times);

bool writeAssessmentJson(const AssessmentOutputInput& in, const AssessmentOptions& options,
                         const OutputSink& write);
// The table asked for with --csv TABLE (RFC 4180).
bool writeAssessmentCsv(const AssessmentOutputInput& in, AssessmentOptions::Table table,
                        const OutputSink& write);

// Collects small parts and hands them on in chunks of about 64 KB.
class ChunkedOutput
{
public:
    explicit ChunkedOutput(const OutputSink& write) : m_write(write) {}
    void add(const QByteArray& bytes)
    {
        m_buffer += bytes;
        if (m_buffer.size() >= 64 * 1024)
            flush();
    }
    void add(const QString& text) { add(text.toUtf8()); }
    bool flush()
    {
        if (m_ok && !m_buffer.isEmpty())
            m_ok = m_write(m_buffer);
        m_buffer.clear();
        return m_ok;
    }
    bool ok() const { return m_ok; }

private:
    const OutputSink& m_write;
    QByteArray m_buffer;
    bool m_ok = true;
};

// One decimal in the text and the CSV; `unknown` ("-" or "") when there is none.
QString decimalText(std::optional<double> value, const QString& unknown);

} // namespace slm
