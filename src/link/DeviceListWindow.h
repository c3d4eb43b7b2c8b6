#pragma once

#include <QDialog>

// The serial devices the system reports: name, description, maker, USB vendor and product.
class DeviceListWindow : public QDialog
{
    Q_OBJECT
public:
    explicit DeviceListWindow(QWidget* parent = nullptr);
};
