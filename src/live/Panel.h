#pragma once

#include "link/MeterCommands.h"
#include "shared/SaveMode.h"

#include <QHash>
#include <QMainWindow>

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QToolBar;
class QVBoxLayout;

namespace slm
{

class ClickableLabel;
class LcdDigits;
struct LiveReading;
struct PanelState;

// The controls of the panel that other parts of the program read or write.
struct PanelWidgets {
    QToolBar* toolbar = nullptr;
    QHash<QString, QAction*> toolButtons; // by key: "Save", "Open", ... "Refresh"
    LcdDigits* shownLCD = nullptr;
    QLabel* lblValue = nullptr;
    QProgressBar* soundBar = nullptr;
    QLabel *lblBarMax = nullptr, *lblBarMin = nullptr;
    QLabel *lblOver = nullptr, *lblUnder = nullptr;
    QLabel *lblFast = nullptr, *lblSlow = nullptr, *lblIMP = nullptr;
    QLabel *lblRun = nullptr, *lblPause = nullptr, *lblStop = nullptr;
    QLabel* lblCA = nullptr;
    QLabel *boardSFI = nullptr, *boardCA = nullptr, *boardLevel = nullptr;
    QLabel *boardMaxdB = nullptr, *boardMaxTime = nullptr, *boardLeq = nullptr, *boardSEL = nullptr;
    ClickableLabel* lblCOM = nullptr;
    QHash<MeterCommands::Key, QPushButton*> keyButtons;
    QPushButton* cmdL = nullptr;
    QGroupBox* picSave = nullptr;
    QRadioButton *optSampling = nullptr, *optSaveList = nullptr;
    QPushButton* cmdSaveOK = nullptr;
    QLabel *lblFileName = nullptr, *lblCount = nullptr, *lblRec = nullptr;
    QButtonGroup* ssOpt = nullptr;
    QFrame* shBtn = nullptr;
    QVBoxLayout* listArea = nullptr;  // the record list goes here
    QVBoxLayout* graphArea = nullptr; // the trend graphs go here
};

// The main window: the meter's virtual front panel. A view: it shows the live reading and the
// session's link state, and announces what the user does with its controls.
class Panel : public QMainWindow
{
    Q_OBJECT
public:
    static constexpr const char* Caption = "Panel   V8.01";

    explicit Panel(PanelState& state, QWidget* parent = nullptr);
    ~Panel() override;

    PanelWidgets& widgets() { return m_ui; }

    // Start-up puts the panel in the screen's top-left corner.
    void moveToScreenCorner();
    void showStatus(const QString& text, int milliseconds = 5000);
    void onToolbarButton(const QString& key);
    void updateDisplay(const LiveReading& reading);
    void showComLabel(const QString& text);
    // The meter was lost: the level as received is no longer shown.
    void clearLevelValue();

signals:
    void toolbarButtonClicked(const QString& key); // after the "Save Data" box is hidden
    void meterKeyClicked(MeterCommands::Key key);
    void timedStartClicked();
    void saveOkClicked();
    // "By PC Sampling Rate" or "Saving List Data" was checked, by any means.
    void saveModeChosen(SaveMode mode);
    void trendChosen(int index);
    // The user closes the panel: the program is about to end (a running recording is written).
    void closing();
    // The panel has closed, and every other window with it: the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildToolbar();
    QWidget* buildMeterFace();
    QWidget* buildBoards();
    QWidget* buildKeys();
    QWidget* buildRecordingSide();
    void toggleCaption();

    PanelState& m_state;
    PanelWidgets m_ui;
};

} // namespace slm
