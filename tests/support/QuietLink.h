#pragma once

#include "link/MeterLink.h"

using namespace slm;

// A link to a meter that never says anything: always open, takes every write, reads nothing.
// For windows that need a link but whose test or benchmark does not look at it.
class QuietLink : public MeterLink
{
public:
    void setCommPort(const QString&) override {}
    bool setSettings(const QString&) override { return true; }
    bool portOpen() const override { return true; }
    bool setPortOpen(bool) override { return true; }
    void setInputLen(int) override {}
    QByteArray input() override { return {}; }
    int inBufferCount() override { return 0; }
    void output(const QByteArray&) override {}
};
