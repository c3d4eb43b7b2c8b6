#include "port/PortWindow.h"

#include "link/PortNames.h"
#include "port/DeviceListWindow.h"
#include "shared/Dialogs.h"
#include "shared/Twips.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSerialPortInfo>
#include <QVBoxLayout>

namespace slm
{

PortWindow::PortWindow(Dialogs& dialogs, QWidget* parent) : QDialog(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Port"));
    setWindowTitle(QStringLiteral("COM Port"));

    m_txtCom = new QComboBox(this);
    m_txtCom->setObjectName(QStringLiteral("TxtCOM"));
    m_txtCom->setEditable(true);
    m_txtCom->setInsertPolicy(QComboBox::NoInsert);
    for (int n = 1; n <= 16; ++n)
        m_txtCom->addItem(QStringLiteral("COM%1").arg(n));
    // Devices the system reports beyond the sixteen COM names, by path (USB adapters mostly).
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const QString path = info.systemLocation();
        bool coveredByCom = false;
        for (int n = 1; n <= 16 && !coveredByCom; ++n)
            coveredByCom = path == deviceForComNumber(n);
        if (!coveredByCom)
            m_txtCom->addItem(path);
    }
    m_txtCom->addItem(SimulatedMeterEntry);
    m_txtCom->setCurrentIndex(0);
    m_txtCom->setEditText(QStringLiteral("COM1"));

    auto* cmdOk = new QPushButton(QStringLiteral("OK"), this);
    cmdOk->setObjectName(QStringLiteral("CmdOK"));
    cmdOk->setDefault(true);
    auto* cmdDevice = new QPushButton(QStringLiteral("Device Manager"), this);
    cmdDevice->setObjectName(QStringLiteral("CmdDevice"));

    m_picDevice = new QWidget(this);
    m_picDevice->setObjectName(QStringLiteral("Picdevice"));
    auto* picture = new QLabel(m_picDevice);
    picture->setWordWrap(true);
    picture->setText(QStringLiteral("<b>Which port is the meter on?</b><br>Plug the meter's cable in, then "
                                    "press OK to see the serial devices this computer reports. "
                                    "A USB adapter usually shows as ttyUSB or ttyACM."));
    picture->setFrameShape(QFrame::StyledPanel);
    auto* cmdGo = new QPushButton(QStringLiteral("OK"), m_picDevice);
    cmdGo->setObjectName(QStringLiteral("CmdGo"));
    auto* picLayout = new QVBoxLayout(m_picDevice);
    picLayout->setContentsMargins(0, 0, 0, 0);
    picLayout->addWidget(picture, 1);
    picLayout->addWidget(cmdGo, 0, Qt::AlignRight);
    m_picDevice->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    layout->addWidget(m_txtCom);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdOk);
    buttons->addWidget(cmdDevice);
    layout->addLayout(buttons);
    layout->addWidget(m_picDevice, 1);
    layout->setSizeConstraint(QLayout::SetNoConstraint);

    connect(cmdOk, &QPushButton::clicked, this, [this] {
        m_chosen = m_txtCom->currentText();
        accept();
    });
    connect(cmdDevice, &QPushButton::clicked, this, [this] { showDevicePicture(true); });
    connect(cmdGo, &QPushButton::clicked, this, [this] {
        startDeviceManager();
        showDevicePicture(false);
    });

    // The window's outer size in twips: 2100 x 1530 normally, 5145 x 3135 with the picture.
    // The name list needs room for device paths, so the small size is a minimum here.
    resize(std::max(twipsToPixels(2100, screenDpiX(this)), sizeHint().width()),
           std::max(twipsToPixels(1530, screenDpiX(this)), sizeHint().height()));
    move(twipsToPixels(3700, screenDpiX(this)), twipsToPixels(2700, screenDpiX(this)));
}

void PortWindow::showDevicePicture(bool shown)
{
    m_picDevice->setVisible(shown);
    if (shown)
        resize(twipsToPixels(5145, screenDpiX(this)), twipsToPixels(3135, screenDpiX(this)));
    else
        resize(std::max(twipsToPixels(2100, screenDpiX(this)), minimumSizeHint().width()),
               std::max(twipsToPixels(1530, screenDpiX(this)), minimumSizeHint().height()));
}

void PortWindow::startDeviceManager()
{
#ifdef Q_OS_WIN
    m_dialogs.startProgram(QStringLiteral("c:\\windows\\system32\\mmc.exe"),
                           {QStringLiteral("c:\\windows\\system32\\devmgmt.msc")});
#else
    // No system tool to start here: list what the system reports instead.
    DeviceListWindow list(this);
    list.exec();
#endif
}

} // namespace slm
