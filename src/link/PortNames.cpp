#include "link/PortNames.h"

#include <QFileInfo>

namespace slm
{

int comPortNumber(const QString& text)
{
    for (int n = 1; n <= 16; ++n)
        if (text == QStringLiteral("COM%1").arg(n))
            return n;
    return 0;
}

QString deviceForComNumber(int number)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(number);
#else
    return QStringLiteral("/dev/ttyS%1").arg(number - 1);
#endif
}

QString deviceShortName(const QString& device)
{
    if (device.startsWith(QStringLiteral("/dev/")))
        return device.mid(5);
    return QFileInfo(device).fileName();
}

PortChoice resolvePortChoice(const QString& text)
{
    PortChoice choice;
    if (const int n = comPortNumber(text)) {
        choice.kind = PortChoice::Kind::ComNumber;
        choice.comNumber = n;
        choice.device = deviceForComNumber(n);
        choice.label = QStringLiteral("COM%1").arg(n);
    } else if (text == SimulatedMeterEntry) {
        choice.kind = PortChoice::Kind::Simulated;
        choice.label = QStringLiteral("SIM");
    } else if (text.startsWith(u'/') && QFileInfo::exists(text)) {
        choice.kind = PortChoice::Kind::Device;
        choice.device = text;
        choice.label = deviceShortName(text);
    }
    return choice;
}

} // namespace slm
