#include "settings/ToolbarCommands.h"

#include "meter/Sampling.h"

#include "link/ExchangeScope.h"
#include "link/MeterCommands.h"
#include "link/MeterLink.h"
#include "link/WaitSeconds.h"
#include "settings/SamplingChoice.h"
#include "settings/Setup.h"
#include "shared/Dialogs.h"
#include "shared/PanelState.h"
#include "shared/PanelTimers.h"
#include "shared/Services.h"
#include "shared/TextHelpers.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace slm
{

namespace
{

const QString SamplingTitle = QStringLiteral("Input Sampling Time");

QString samplingPrompt(int high)
{
    return QStringLiteral("Enter the SAMPLING TIME in seconds\r\n(1 <= t <= %1 ) ").arg(high);
}

} // namespace

std::optional<int> samplingAnswer(const QString& answer, int low, int high)
{
    const QString text = answer.trimmed();
    if (text.isEmpty())
        return std::nullopt;
    // Only a plain decimal number counts; "12abc", "inf" or "nan" keep the old value.
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    // Clamp before rounding so that a huge answer cannot overflow the whole number.
    const double bounded = std::clamp(value, static_cast<double>(low) - 1.0, static_cast<double>(high) + 1.0);
    return static_cast<int>(std::clamp<long long>(roundHalfEven(bounded), low, high));
}

ToolbarCommands::ToolbarCommands(Services& services, PanelState& state, PanelTimers& timers,
                                 Sampling& sampling, QWidget* panel)
    : m_services(services), m_state(state), m_timers(timers), m_sampling(sampling), m_panel(panel)
{
    chooseSamplingSource = [this] {
        SamplingChoice window(m_panel);
        window.exec();
        return window.usePcSampling();
    };
}

bool ToolbarCommands::run(const QString& key)
{
    if (m_panel) {
        if (QWidget* box = m_panel->findChild<QWidget*>(QStringLiteral("PicSave")))
            box->hide();
    }
    if (key == u"Sampling")
        sampling();
    else if (key == u"AC")
        frequencyWeighting();
    else if (key == u"FSI")
        timeWeighting();
    else if (key == u"Up")
        rangeUp();
    else if (key == u"Down")
        rangeDown();
    else if (key == u"RTC")
        realTimeClock();
    else
        return false;
    return true;
}

void ToolbarCommands::sampling()
{
    if (const std::optional<bool> pc = chooseSamplingSource())
        m_usePcSampling = *pc;
    if (m_usePcSampling)
        askPcSamplingTime();
    else
        askMeterSamplingTime();
}

void ToolbarCommands::askPcSamplingTime()
{
    const QString answer = m_services.dialogs.input(m_panel, samplingPrompt(86400), SamplingTitle,
                                                    QString::number(m_sampling.interval()));
    const std::optional<int> t = samplingAnswer(answer, 1, 86400);
    if (!t)
        return;
    m_sampling.setInterval(*t);
    emit pcSamplingTimeSet(*t);
    m_timers.setTimersEnabled(true);
}

void ToolbarCommands::askMeterSamplingTime()
{
    const ExchangeScope exchange(m_services, &m_timers);
    if (!exchange.entered())
        return;
    {
        m_services.link.flush();
        m_services.link.output(MeterCommands::ReadLoggingInterval());
        m_services.waiter.waitSeconds(0.02);
        const QByteArray reply = m_services.link.readAll();
        // A reply too short to hold the interval leaves the last known one as the default.
        if (reply.size() >= 2)
            m_meterSamplingTime =
                static_cast<unsigned char>(reply[0]) * 256 + static_cast<unsigned char>(reply[1]);
    }
    const QString answer = m_services.dialogs.input(m_panel, samplingPrompt(255), SamplingTitle,
                                                    QString::number(m_meterSamplingTime));
    if (const std::optional<int> t = samplingAnswer(answer, 1, 255)) {
        m_services.link.output(MeterCommands::SetLoggingInterval(*t));
        m_meterSamplingTime = *t;
    }
}

void ToolbarCommands::sendSettingKey(const QByteArray& command)
{
    const ExchangeScope exchange(m_services, &m_timers);
    if (!exchange.entered())
        return;
    m_services.link.output(command);
    m_services.waiter.waitSeconds(0.02);
}

void ToolbarCommands::frequencyWeighting()
{
    sendSettingKey(MeterCommands::FrequencyWeighting());
}

void ToolbarCommands::timeWeighting()
{
    sendSettingKey(MeterCommands::TimeWeighting());
}

void ToolbarCommands::rangeUp()
{
    sendSettingKey(MeterCommands::RangeUp());
}

void ToolbarCommands::rangeDown()
{
    sendSettingKey(MeterCommands::RangeDown());
}

void ToolbarCommands::realTimeClock()
{
    // Opened inside another exchange's wait, its "Set" would write into that exchange.
    if (ExchangeScope::refuseWhileBusy(m_services))
        return;
    // The clock window switches the panel's timers itself.
    Setup window(m_services, m_timers, m_panel);
    window.exec();
}

} // namespace slm
