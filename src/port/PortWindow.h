#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;
class QWidget;

namespace slm
{

class Dialogs;

// The start-up window: pick the meter's port, or look it up among the system's serial devices.
class PortWindow : public QDialog
{
    Q_OBJECT
public:
    PortWindow(Dialogs& dialogs, QWidget* parent = nullptr);

    // The text in TxtCOM when OK was pressed.
    QString chosenText() const { return m_chosen; }

private:
    void showDevicePicture(bool shown);
    void startDeviceManager();

    Dialogs& m_dialogs;
    QComboBox* m_txtCom;
    QWidget* m_picDevice;
    QString m_chosen;
};

} // namespace slm
