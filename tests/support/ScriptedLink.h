#pragma once

#include "link/MeterLink.h"

#include <QByteArray>
#include <QList>
#include <functional>

using namespace slm;

// A MeterLink without a meter: it logs every write and serves bytes that the test queues or
// that a responder returns for a write (appended to the receive buffer at once).
class ScriptedLink : public MeterLink
{
public:
    void setCommPort(const QString& device) override { m_device = device; }
    bool setSettings(const QString& settings) override { return !settings.isEmpty(); }
    bool portOpen() const override { return m_open; }
    bool setPortOpen(bool open) override
    {
        m_open = open;
        return true;
    }
    void setInputLen(int length) override { m_inputLen = length; }
    QByteArray input() override;
    int inBufferCount() override { return static_cast<int>(m_pending.size()); }
    void output(const QByteArray& bytes) override;

    // Bytes the "meter" has sent and that wait to be read.
    void feed(const QByteArray& bytes) { m_pending += bytes; }
    // Called for every write; what it returns arrives at once.
    std::function<QByteArray(const QByteArray&)> respond;

    const QList<QByteArray>& writes() const { return m_writes; }
    QByteArray written() const;
    void clearWrites() { m_writes.clear(); }

private:
    QString m_device;
    bool m_open = true;
    int m_inputLen = 0;
    QByteArray m_pending;
    QList<QByteArray> m_writes;
};
