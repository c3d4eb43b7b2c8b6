#pragma once

#include <QDialog>

namespace slm
{

// The serial devices the system reports: name, description, maker, USB vendor and product.
class DeviceListWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DeviceListWindow(QWidget* parent = nullptr);
};

} // namespace slm
