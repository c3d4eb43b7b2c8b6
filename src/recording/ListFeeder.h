#pragma once

#include <QObject>
#include <QString>

namespace slm
{

class BusyCaption;
class RecordListModel;
class Sampling;
struct Sample;

// Feeds a meter's samples to its list, numbered from the list's last start. When the list holds
// `limit` rows it is saved, whole, to a file of its own in the working folder and starts again;
// a save that fails is retried at each next sample. A subscriber of the meter's sampling; no
// windows: the outcome of each save is announced.
class ListFeeder : public QObject
{
    Q_OBJECT
public:
    ListFeeder(Sampling& sampling, RecordListModel& list, QString folder, int limit,
               QObject* parent = nullptr);

    // Rows of the list, counted from its last start.
    int count() const { return m_count; }
    // The caption and the pointer that show the progress of a full list's save.
    void setProgress(BusyCaption* progress) { m_progress = progress; }

    // The list starts again. `forgetFailure`: a later failure of the full list's save is told
    // again (a "Refresh"; a lost link keeps the failure told).
    void clear(bool forgetFailure);

signals:
    void fullListSaved(const QString& path);
    // The first failure since the last save that worked or the last "Refresh".
    void fullListSaveFailed(const QString& error);

private:
    void takeSample(const Sample& sample);
    bool saveFullList(const Sample& sample);

    RecordListModel& m_list;
    QString m_folder;
    int m_limit;
    BusyCaption* m_progress = nullptr;
    int m_count = 0;
    bool m_failureTold = false;
};

} // namespace slm
