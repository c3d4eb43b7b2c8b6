#include "app/PanelRecorderView.h"

#include "live/Panel.h"
#include "live/PanelIcons.h"

#include <QAction>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>

namespace slm
{

PanelRecorderView::PanelRecorderView(Panel& panel) : m_panel(panel), m_ui(panel.widgets()), m_caption(&panel)
{
}

void PanelRecorderView::setFileNameText(const QString& text)
{
    m_ui.lblFileName->setText(text);
}

void PanelRecorderView::setCountText(const QString& text)
{
    m_ui.lblCount->setText(text);
}

void PanelRecorderView::setRecText(const QString& text)
{
    m_ui.lblRec->setText(text);
}

void PanelRecorderView::setRecVisible(bool visible)
{
    m_ui.lblRec->setVisible(visible);
}

void PanelRecorderView::setSaveButtonRecording(bool recording)
{
    QAction* save = m_ui.toolButtons.value(QStringLiteral("Save"));
    save->setIcon(recording ? stopRecordingIcon() : toolbarIcon(QStringLiteral("Save")));
    save->setToolTip(recording ? QStringLiteral("Stop Recording") : QStringLiteral("Save As"));
}

void PanelRecorderView::setLeqText(const QString& text)
{
    m_ui.boardLeq->setText(text);
}

void PanelRecorderView::setSelText(const QString& text)
{
    m_ui.boardSEL->setText(text);
}

void PanelRecorderView::setMaxTexts(const QString& level, const QString& time)
{
    m_ui.boardMaxdB->setText(level);
    m_ui.boardMaxTime->setText(time);
}

void PanelRecorderView::setSaveBoxVisible(bool visible)
{
    m_ui.picSave->setVisible(visible);
}

void PanelRecorderView::selectSamplingOption()
{
    m_ui.optSampling->setChecked(true);
    m_ui.optSaveList->setChecked(false);
}

void PanelRecorderView::showStatus(const QString& text)
{
    m_panel.showStatus(text, 15000);
}

void PanelRecorderView::processPendingEvents()
{
    QCoreApplication::processEvents();
}

QWidget* PanelRecorderView::dialogParent()
{
    return &m_panel;
}

} // namespace slm
