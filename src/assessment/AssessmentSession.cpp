#include "assessment/AssessmentSession.h"

#include "measurement/Measurement.h"
#include "shared/Dialogs.h"

#include <QFileInfo>
#include <QTimer>
#include <QUndoCommand>
#include <QUndoStack>

namespace slm
{

namespace
{

constexpr int GrowthSettleMs = 300;

QString title()
{
    return QStringLiteral("Assessment");
}

} // namespace

// One exclusion edit as the undo history keeps it: the list before and after, so undo gives the
// list back exactly as it was, unknown keys and order included.
class AssessmentSession::ExclusionsEdit : public QUndoCommand
{
public:
    ExclusionsEdit(AssessmentSession& session, std::vector<AssessmentExclusion> before,
                   std::vector<AssessmentExclusion> after, const QString& text)
        : QUndoCommand(text), m_session(session), m_before(std::move(before)), m_after(std::move(after))
    {
    }
    void redo() override { m_session.setExclusions(m_after); }
    void undo() override { m_session.setExclusions(m_before); }

private:
    AssessmentSession& m_session;
    std::vector<AssessmentExclusion> m_before;
    std::vector<AssessmentExclusion> m_after;
};

AssessmentSession::AssessmentSession(const Measurement& measurement, Dialogs& dialogs, QObject* parent)
    : QObject(parent), m_measurement(measurement), m_dialogs(dialogs), m_undo(new QUndoStack(this)),
      m_grown(new QTimer(this))
{
    // One worker: a run outdated before it starts is skipped, so edits never queue up work.
    m_pool.setMaxThreadCount(1);
    m_grown->setSingleShot(true);
    m_grown->setInterval(GrowthSettleMs);
    connect(m_grown, &QTimer::timeout, this, &AssessmentSession::recompute);
    const auto changed = [this] {
        m_records.reset();
        m_grown->start();
    };
    connect(&measurement, &Measurement::recordsAppended, this, changed);
    connect(&measurement, &Measurement::cleared, this, changed);
    // A list refreshed or cleared is no longer the one saved: its assessment stays here, and the
    // saved file keeps what it had.
    connect(&measurement, &Measurement::cleared, this, [this] {
        if (m_measurement.origin().kind == MeasurementOrigin::Kind::File || m_path.isEmpty())
            return;
        m_path.clear();
        m_damaged = false;
        emit filePathChanged();
    });
    connect(&measurement, &Measurement::headerChanged, this, changed);

    if (measurement.origin().kind == MeasurementOrigin::Kind::File) {
        m_path = assessmentFilePath(measurement.origin().where);
        AssessmentFileRead read = readAssessmentFile(m_path);
        if (read.error.isEmpty()) {
            m_file = std::move(read.file);
        } else {
            m_damaged = read.exists;
            m_dialogs.message(nullptr,
                              read.error + QStringLiteral("\nThe file is left as it is: the exclusions and "
                                                          "details made now are kept in memory only."),
                              title(), Dialogs::Icon::Warning);
        }
    }
    recompute();
}

AssessmentSession::~AssessmentSession()
{
    m_generation = -1; // a run not yet started is skipped
    m_pool.waitForDone();
}

QString AssessmentSession::recordFilePath() const
{
    if (m_measurement.origin().kind == MeasurementOrigin::Kind::File)
        return m_measurement.origin().where;
    const QString suffix = QStringLiteral(".assessment.json");
    return m_path.endsWith(suffix) ? m_path.chopped(suffix.size()) : QString();
}

QString AssessmentSession::measurementName() const
{
    // A list saved is named by its file from then on.
    if (!m_path.isEmpty()) {
        QString name = QFileInfo(m_path).fileName();
        const QString suffix = QStringLiteral(".assessment.json");
        if (name.endsWith(suffix))
            name.chop(suffix.size());
        return name;
    }
    const MeasurementOrigin& o = m_measurement.origin();
    if (o.kind == MeasurementOrigin::Kind::File)
        return QFileInfo(o.where).fileName();
    if (!o.where.isEmpty())
        return o.where;
    return QStringLiteral("Panel list");
}

bool AssessmentSession::addExclusion(const Exclusion& exclusion)
{
    if (!(exclusion.start < exclusion.end))
        return false;
    std::vector<AssessmentExclusion> after = m_file.exclusions;
    after.push_back({exclusion, {}});
    edit(std::move(after), QStringLiteral("Exclude %1").arg(exclusion.reason));
    return true;
}

void AssessmentSession::removeExclusion(int index)
{
    if (index < 0 || index >= int(m_file.exclusions.size()))
        return;
    std::vector<AssessmentExclusion> after = m_file.exclusions;
    after.erase(after.begin() + index);
    edit(std::move(after), QStringLiteral("Delete exclusion"));
}

void AssessmentSession::setExclusionReason(int index, const QString& reason)
{
    if (index < 0 || index >= int(m_file.exclusions.size()) ||
        m_file.exclusions[size_t(index)].span.reason == reason)
        return;
    std::vector<AssessmentExclusion> after = m_file.exclusions;
    after[size_t(index)].span.reason = reason;
    edit(std::move(after), QStringLiteral("Edit reason"));
}

void AssessmentSession::edit(std::vector<AssessmentExclusion> after, const QString& text)
{
    m_undo->push(new ExclusionsEdit(*this, m_file.exclusions, std::move(after), text));
}

void AssessmentSession::setExclusions(const std::vector<AssessmentExclusion>& exclusions)
{
    m_file.exclusions = exclusions;
    // The run starts first: the file is written while it works.
    recompute();
    save();
    emit exclusionsChanged();
}

void AssessmentSession::setDetails(const AssessmentDetails& details)
{
    if (details == m_file.details)
        return;
    m_file.details = details;
    save();
    emit detailsChanged();
}

void AssessmentSession::setStandards(const StandardsChoice& standards)
{
    if (standards == m_file.standards)
        return;
    m_file.standards = standards;
    recompute();
    save();
    emit standardsChanged();
}

void AssessmentSession::setSettings(const AssessmentSettings& settings)
{
    m_settings = settings;
    recompute();
}

void AssessmentSession::saveBeside(const QString& recordFilePath)
{
    m_path = assessmentFilePath(recordFilePath);
    m_damaged = false;
    save();
    emit filePathChanged();
}

void AssessmentSession::save()
{
    if (m_path.isEmpty() || m_damaged)
        return;
    const QString error = writeAssessmentFile(m_path, m_file);
    if (error.isEmpty())
        return;
    m_dialogs.message(nullptr,
                      error + QStringLiteral("\nThe exclusions and details are kept here until the window "
                                             "is closed."),
                      title(), Dialogs::Icon::Critical);
}

std::shared_ptr<const AssessedRecords> AssessmentSession::records()
{
    if (!m_records) {
        auto r = std::make_shared<AssessedRecords>();
        const auto samples = m_measurement.samples();
        r->samples.assign(samples.begin(), samples.end());
        r->interval = m_measurement.interval();
        r->header = m_measurement.header();
        r->aWeighted = aWeightedOf(r->header);
        m_records = std::move(r);
    }
    return m_records;
}

std::shared_ptr<AssessmentSession::Run> AssessmentSession::prepare()
{
    auto run = std::make_shared<Run>();
    run->generation = ++m_generation;
    run->records = records();
    run->exclusions = m_file.spans();
    run->settings = m_settings;
    run->standards = m_file.standards;
    return run;
}

namespace
{

std::vector<std::pair<int, int>> excludedRuns(const std::vector<RecordSample>& samples,
                                              const ExclusionMask& mask)
{
    std::vector<std::pair<int, int>> runs;
    if (mask.count() == 0)
        return runs;
    for (size_t i = 0; i < samples.size();) {
        if (!mask.excluded(i)) {
            ++i;
            continue;
        }
        size_t j = i;
        while (j + 1 < samples.size() && mask.excluded(j + 1))
            ++j;
        runs.emplace_back(int(i), int(j));
        i = j + 1;
    }
    return runs;
}

std::vector<std::pair<int, int>> eventRuns(const std::vector<RecordSample>& samples,
                                           const std::vector<NoiseEvent>& events)
{
    std::vector<std::pair<int, int>> runs(events.size(), {-1, -1});
    // The events come in record order, and the clock may not (an hour that is repeated when the
    // clocks go back): each event is looked for after the last record of the one before, from its
    // first record to where its times end or turn back.
    size_t from = 0;
    for (size_t k = 0; k < events.size(); ++k) {
        const NoiseEvent& e = events[k];
        size_t i = from;
        while (i < samples.size() && !(samples[i].hasTime() && samples[i].time == e.start))
            ++i;
        if (i == samples.size())
            continue;
        runs[k] = {int(i), int(i)};
        std::int64_t previous = e.start;
        for (size_t j = i + 1; j < samples.size(); ++j) {
            const RecordSample& s = samples[j];
            if (!s.hasTime())
                continue;
            if (s.time > e.last || s.time < previous)
                break;
            previous = s.time;
            runs[k].second = int(j);
        }
        from = size_t(runs[k].second) + 1;
    }
    return runs;
}

void assess(auto& run)
{
    const auto& r = *run.records;
    run.results = assessSamples(r.samples, r.interval, r.aWeighted, run.exclusions, run.settings);
    run.results.rangeTop = rangeTopOf(r.header);
    AssessmentView& v = run.view;
    v.hours = hoursTable(run.results);
    v.days = dayEveningNightTable(run.results);
    v.dose = doseTable(run.results.dose);
    v.events = eventsTable(run.results);
    v.excludedRecords = excludedRuns(r.samples, run.results.excludedRecords);
    if (run.results.events)
        v.eventRecords = eventRuns(r.samples, run.results.events->events);
    if (run.standards.any())
        v.standards = std::make_shared<const StandardsOutcome>(runStandardsChoice(
            r.samples, r.interval, run.results.excludedRecords, run.standards, run.settings));
}

} // namespace

void AssessmentSession::recompute()
{
    m_grown->stop();
    std::shared_ptr<Run> run = prepare();
    m_pool.start([this, run] {
        if (run->generation != m_generation.load())
            return;
        assess(*run);
        QMetaObject::invokeMethod(
            this, [this, run] { finished(run); }, Qt::QueuedConnection);
    });
}

void AssessmentSession::settle()
{
    if (resultsCurrent())
        return;
    m_grown->stop();
    std::shared_ptr<Run> run = prepare();
    assess(*run);
    finished(run);
}

void AssessmentSession::finished(std::shared_ptr<Run> run)
{
    if (run->generation != m_generation.load())
        return;
    m_results = std::move(run);
    emit resultsChanged();
}

} // namespace slm
