#pragma once

#include "recording/RecorderView.h"

#include <QCoreApplication>

namespace slm
{

// The panel as the recorder sees it, showing nothing.
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
    BusyCaption* panelCaption() override { return nullptr; }
    void showStatus(const QString&) override {}
    void processPendingEvents() override { QCoreApplication::processEvents(); }
    QWidget* dialogParent() override { return nullptr; }
};

} // namespace slm
