#include "port/DeviceListWindow.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QSerialPortInfo>
#include <QTableWidget>
#include <QVBoxLayout>

namespace slm
{

namespace
{
QString usbId(bool has, quint16 id)
{
    return has ? QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0')) : QString();
}
} // namespace

DeviceListWindow::DeviceListWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DeviceList"));
    setWindowTitle(QStringLiteral("Serial Devices"));
    const QList<QSerialPortInfo> ports = QSerialPortInfo::availablePorts();

    auto* table = new QTableWidget(static_cast<int>(ports.size()), 5, this);
    table->setObjectName(QStringLiteral("DeviceTable"));
    table->setHorizontalHeaderLabels({QStringLiteral("Device"), QStringLiteral("Description"),
                                      QStringLiteral("Maker"), QStringLiteral("USB vendor"),
                                      QStringLiteral("USB product")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->hide();
    for (int row = 0; row < ports.size(); ++row) {
        const QSerialPortInfo& p = ports[row];
        const QStringList cells = {p.systemLocation(), p.description(), p.manufacturer(),
                                   usbId(p.hasVendorIdentifier(), p.vendorIdentifier()),
                                   usbId(p.hasProductIdentifier(), p.productIdentifier())};
        for (int col = 0; col < cells.size(); ++col)
            table->setItem(row, col, new QTableWidgetItem(cells[col]));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);

    auto* note = new QLabel(ports.isEmpty() ? QStringLiteral("The system reports no serial devices.")
                                            : QStringLiteral("Type the device path into the port box."),
                            this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table);
    layout->addWidget(note);
    layout->addWidget(buttons);
    resize(640, 300);
}

} // namespace slm
