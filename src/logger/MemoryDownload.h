#pragma once

#include "logger/LoggerMemory.h"

#include <QByteArray>
#include <QObject>
#include <functional>
#include <vector>

namespace slm
{

class MeterLink;
class Waiter;

// How long the download keeps trying before it tells the user to try again.
struct DownloadBounds {
    double exchangeSeconds = 5.0; // wrong replies to "A"/"L"
    double silenceSeconds = 3.0;  // no byte during the download
};

struct DownloadResult {
    enum class Outcome { Listed, NoData, Error, Cancelled };
    Outcome outcome = Outcome::Error;
    int pointer = 0;
    int sizeK = 0;
    double freeK = 0.0;
    QByteArray image; // LoggerImage: the logged bytes and the end mark
    std::vector<DataSet> sets;
};

// Free memory in K as the window shows it: under 60 bytes counts as none.
double freeMemoryK(int sizeK, int pointer);

// The download exchange: pointer "A", size "L", then "K" and the block, read until it is
// complete, then cut into sets. The caller holds the link and has the panel's timers off.
// Lets user-interface events run throughout (every wait and every read), and announces its way.
class MemoryDownload : public QObject
{
    Q_OBJECT
public:
    // Asked between requests and reads; true stops the download.
    using CancelQuestion = std::function<bool()>;

    DownloadResult run(MeterLink& link, Waiter& waiter, const CancelQuestion& cancelled = {},
                       const DownloadBounds& bounds = {});

signals:
    // The pointer and the size are known and fit: the "Data Logger" window shows them.
    void sizeKnown(int sizeK, double freeK);
    // Share of the block received, 0..100.
    void progress(double percent);
};

} // namespace slm
