#include "settings/Setup.h"

#include "link/ExchangeScope.h"
#include "settings/MeterClock.h"
#include "shared/ClickableLabel.h"
#include "shared/Clock.h"
#include "shared/PanelTimers.h"
#include "shared/Services.h"
#include "shared/WindowPlacement.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace slm
{

namespace
{
const QString MeterTimeCaption = QStringLiteral("Meter Time");
const QString PcTimeCaption = QStringLiteral("PC System Time");

ClickableLabel* readoutLabel(const QString& name, const QString& caption, QWidget* parent)
{
    auto* label = new ClickableLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000/00/00 00:00:00")) +
                           24);
    label->setMinimumHeight(label->fontMetrics().height() * 2);
    label->setCursor(Qt::PointingHandCursor);
    label->setAccessibleDescription(QStringLiteral("Switches this readout on or off"));
    return label;
}
} // namespace

Setup::Setup(Services& services, PanelTimers& panelTimers, QWidget* panel)
    : QDialog(panel), m_services(services), m_panelTimers(panelTimers)
{
    setObjectName(QStringLiteral("Setup"));
    setWindowTitle(QStringLiteral("Setup"));
    setModal(true);

    auto* frame = new QGroupBox(QStringLiteral("Time"), this);
    frame->setObjectName(QStringLiteral("FrameTime"));
    m_lblMeterTime = readoutLabel(QStringLiteral("LblMeterTime"), MeterTimeCaption, frame);
    m_lblPcTime = readoutLabel(QStringLiteral("LblPCTime"), PcTimeCaption, frame);
    auto* readouts = new QHBoxLayout(frame);
    readouts->addWidget(m_lblMeterTime);
    readouts->addWidget(m_lblPcTime);

    auto* setTime = new QPushButton(QStringLiteral("Set Meter Time To System Time"), this);
    setTime->setObjectName(QStringLiteral("CmdSetTime"));
    auto* exitButton = new QPushButton(QStringLiteral("Exit"), this);
    // Enter must not set the meter's clock by accident: only a click on the button does.
    setTime->setAutoDefault(false);
    exitButton->setDefault(true);
    exitButton->setObjectName(QStringLiteral("CmdExit"));
    // The readouts come first in the Tab order now that they take the focus; the window still
    // opens on Exit as it did before, so Enter right away closes it and starts no exchange.
    exitButton->setFocus();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(setTime);
    buttons->addStretch();
    buttons->addWidget(exitButton);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a small fixed dialog, as its layout sizes it

    m_timer = new QTimer(this);
    m_timer->setObjectName(QStringLiteral("Timer1"));
    m_timer->setInterval(TickMs);

    connect(m_lblMeterTime, &ClickableLabel::clicked, this, &Setup::toggleMeterTime);
    connect(m_lblPcTime, &ClickableLabel::clicked, this, &Setup::togglePcTime);
    connect(setTime, &QPushButton::clicked, this, &Setup::setMeterTimeToSystemTime);
    connect(exitButton, &QPushButton::clicked, this, &QDialog::close);
    connect(m_timer, &QTimer::timeout, this, &Setup::tick);

    // Placed before it is shown, so the dialog does not centre itself on the panel instead.
    adjustSize();
    if (panel)
        move(setupPosition(panel->frameGeometry(), frameGeometry().width(), screenDpiY(panel)));
    m_timer->start();
}

Setup::~Setup()
{
    unload();
}

void Setup::tick()
{
    // The read exchange waits with the event loop running; a tick must not start inside it.
    const ReentryFlag::Guard guard(m_tick);
    if (!guard.entered() || m_unloaded)
        return;
    if (m_showMeterTime) {
        // From the first reading on, the panel's timers stay off until the window closes.
        m_panelTimers.setTimersEnabled(false);
        // Another exchange that holds the link (one this window opened inside) keeps it; the
        // next tick tries again, without a note every third of a second.
        const ExchangeScope exchange(m_services, nullptr, ExchangeScope::Refusal::Silent);
        if (exchange.entered()) {
            const std::optional<QByteArray> reply =
                readMeterClock(m_services, ReadBoundSeconds, [this] { return m_unloaded; });
            if (reply && !m_unloaded)
                m_lblMeterTime->setText(meterClockText(*reply));
        }
    } else {
        m_lblMeterTime->setText(MeterTimeCaption);
    }
    m_lblPcTime->setText(m_showPcTime ? pcClockText(m_services.clock.now()) : PcTimeCaption);
}

void Setup::setMeterTimeToSystemTime()
{
    m_panelTimers.setTimersEnabled(false);
    m_timer->stop();
    {
        const ExchangeScope exchange(m_services, nullptr);
        if (exchange.entered())
            setMeterClock(m_services, m_services.clock.now());
    }
    if (!m_unloaded)
        m_timer->start();
}

void Setup::done(int result)
{
    unload();
    QDialog::done(result);
}

void Setup::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_timer->stop();
    // Whatever the readouts did, the panel polls again once this window is gone.
    m_panelTimers.setTimersEnabled(true);
}

} // namespace slm
