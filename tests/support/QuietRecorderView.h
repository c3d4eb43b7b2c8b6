#pragma once

#include "recording/RecorderView.h"

#include <QCoreApplication>

namespace slm
{

// The panel as the recorder sees it, showing nothing; the header texts are fixed.
struct QuietRecorderView : RecorderView {
    void setFileNameText(const QString&) override {}
    void setCountText(const QString&) override {}
    void setRecText(const QString&) override {}
    void setRecVisible(bool) override {}
    void setSaveButtonRecording(bool) override {}
    void setLeqText(const QString&) override {}
    void setSelText(const QString&) override {}
    void setMaxTexts(const QString&, const QString&) override {}
    void setSaveBoxVisible(bool) override {}
    void selectSamplingOption() override {}
    QString freqWeightingText() const override { return QStringLiteral("A"); }
    QString timeWeightingText() const override { return QStringLiteral("FAST"); }
    QString levelRangeText() const override { return QStringLiteral("30-90"); }
    BusyCaption* panelCaption() override { return nullptr; }
    void showStatus(const QString&) override {}
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    QWidget* dialogParent() override { return nullptr; }
};

} // namespace slm
