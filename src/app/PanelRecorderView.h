#pragma once

#include "recording/RecorderView.h"
#include "shared/BusyCaption.h"

namespace slm
{

struct PanelWidgets;
class Panel;

// The recording logic's view onto the panel's labels, boards and toolbar.
class PanelRecorderView : public RecorderView
{
public:
    explicit PanelRecorderView(Panel& panel);

    void setFileNameText(const QString& text) override;
    void setCountText(const QString& text) override;
    void setRecText(const QString& text) override;
    void setRecVisible(bool visible) override;
    void setSaveButtonRecording(bool recording) override;
    void setLeqText(const QString& text) override;
    void setSelText(const QString& text) override;
    void setMaxTexts(const QString& level, const QString& time) override;
    void setSaveBoxVisible(bool visible) override;
    void selectSamplingOption() override;
    BusyCaption* panelCaption() override { return &m_caption; }
    void showStatus(const QString& text) override;
    void processPendingEvents() override;
    QWidget* dialogParent() override;

private:
    Panel& m_panel;
    PanelWidgets& m_ui;
    WidgetBusyCaption m_caption;
};

} // namespace slm
