#include "settings/SamplingChoice.h"

#include "shared/WindowPlacement.h"

#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace slm
{

SamplingChoice::SamplingChoice(QWidget* panel) : QDialog(panel)
{
    setObjectName(QStringLiteral("SamplingChoice"));
    setWindowTitle(QStringLiteral("Sampling Rate"));
    setModal(true);

    m_optMeter = new QRadioButton(QStringLiteral("Meter Sampling Rate"), this);
    m_optMeter->setObjectName(QStringLiteral("OptMeter"));
    m_optPc = new QRadioButton(QStringLiteral("PC Sampling Rate"), this);
    m_optPc->setObjectName(QStringLiteral("OptPC"));
    // Every opening starts on the meter's rate, whatever was confirmed last time.
    m_optMeter->setChecked(true);
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("CmdOK"));
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_optMeter);
    layout->addWidget(m_optPc);
    layout->addWidget(ok, 0, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a small fixed dialog, as its layout sizes it
    connect(ok, &QPushButton::clicked, this, &SamplingChoice::confirm);

    // Placed before it is shown, so the dialog does not centre itself on the panel instead.
    if (panel)
        move(samplingChoicePosition(panel->frameGeometry(), screenDpiX(panel), screenDpiY(panel)));
}

void SamplingChoice::confirm()
{
    m_answer = m_optPc->isChecked();
    accept();
}

} // namespace slm
