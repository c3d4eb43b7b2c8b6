#pragma once

#include "shared/LiveReading.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QObject>

namespace slm
{

class LinkLock;
class MeterLink;

// The live frames of one meter, taken as they arrive: the link announces its bytes (readyRead)
// and the newest whole frame is decoded into the reading. Nothing here waits, so neither the
// panel's clicks nor a station's other meters are ever held back. While an exchange holds the
// link its bytes are left alone; afterwards whatever the exchange left on the line is dropped
// and the frames that follow are taken again. Whoever owns the meter reads the reading as it
// stands and judges, from the times below, when the link is lost.
class LiveMeter : public QObject
{
    Q_OBJECT
public:
    LiveMeter(MeterLink& link, LinkLock& lock, QObject* parent = nullptr);
    ~LiveMeter() override;

    // Frames are taken only while on; switching on starts afresh (the line's waiting bytes
    // dropped, the silence counted from now).
    void setTaking(bool on);
    bool taking() const { return m_taking; }
    // Takes what waits on the line now, for links that do not announce their bytes.
    void takeWaiting();

    const LiveReading& reading() const { return m_reading; }
    // A frame was decoded since taking started.
    bool hasReading() const { return m_haveReading; }
    // A lost link: the reading no longer stands for the meter until the next frame.
    void forgetReading();
    int decodedFrames() const { return m_decoded; }
    // Milliseconds since the last byte and since the last frame, counted from the start of
    // taking (and from the end of the last exchange).
    qint64 quietMs() const { return m_sinceBytes.elapsed(); }
    qint64 frameMissingMs() const { return m_sinceFrame.elapsed(); }
    // An exchange holds the link now, or held it since the last look (then taking starts
    // afresh, as after switching on).
    bool exchangeInTheWay();

signals:
    // A newly decoded frame; the reading now stands for it.
    void frameDecoded();

private:
    void bytesArrived();
    void startAfresh();

    MeterLink& m_link;
    LinkLock& m_lock;
    LiveReading m_reading;
    QByteArray m_pending;
    QElapsedTimer m_sinceBytes;
    QElapsedTimer m_sinceFrame;
    int m_lockUses = 0;
    int m_decoded = 0;
    bool m_taking = false;
    bool m_haveReading = false;
    bool m_inside = false;
};

} // namespace slm
