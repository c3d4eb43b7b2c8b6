#include "recording/ListFeeder.h"

#include "measurement/RecordListModel.h"
#include "meter/Sampling.h"
#include "shared/TextHelpers.h"
#include "views/FileTransfer.h"

#include <QDir>

namespace slm
{

namespace
{
bool isNonzeroMultiple(int value, int of)
{
    return value != 0 && value % of == 0;
}
} // namespace

ListFeeder::ListFeeder(Sampling& sampling, RecordListModel& list, QString folder, int limit, QObject* parent)
    : QObject(parent), m_list(list), m_folder(std::move(folder)), m_limit(limit)
{
    connect(&sampling, &Sampling::sampleTaken, this, &ListFeeder::takeSample);
}

void ListFeeder::takeSample(const Sample& sample)
{
    // Saved: the list starts again with this sample. Not saved: the list stays as it is and the
    // save is tried again at the next sample.
    if (isNonzeroMultiple(m_count, m_limit) && !saveFullList(sample))
        return;
    m_count += 1;
    m_list.append(QString::number(m_count), formatDateTime(sample.time), sampleLevelText(sample));
}

bool ListFeeder::saveFullList(const Sample& sample)
{
    const QString name = sample.time.toString(QStringLiteral("MMddHHmmss")) + QStringLiteral(".slmm");
    const QString path = QDir(m_folder).filePath(name);
    QDir().mkpath(m_folder);
    const QString error = writeListFile(path, m_list, m_progress);
    if (!error.isEmpty()) {
        // Told once; the next samples retry quietly until a save works.
        if (!m_failureTold)
            emit fullListSaveFailed(error);
        m_failureTold = true;
        return false;
    }
    m_failureTold = false;
    m_list.clear();
    m_count = 0;
    emit fullListSaved(path);
    return true;
}

void ListFeeder::clear(bool forgetFailure)
{
    m_count = 0;
    m_list.clear();
    if (forgetFailure)
        m_failureTold = false;
}

} // namespace slm
