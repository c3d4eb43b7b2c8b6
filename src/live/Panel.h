#pragma once

#include "link/MeterCommands.h"
#include "live/LivePoll.h"
#include "shared/PanelTimers.h"

#include <QHash>
#include <QMainWindow>
#include <functional>

class QAction;
class QButtonGroup;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTimer;
class QToolBar;
class QVBoxLayout;
class ClickableLabel;
class LcdDigits;
struct PanelState;
struct Services;

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

// The main window: the meter's virtual front panel. It owns the live poll and the two timers.
class Panel : public QMainWindow, public PanelTimers
{
    Q_OBJECT
public:
    static constexpr const char* Caption = "Panel   V8.01";

    Panel(Services& services, PanelState& state, QWidget* parent = nullptr);
    ~Panel() override;

    // Opens the port and starts the live poll; false (after the message) when the port
    // cannot be opened, and the program then ends.
    bool startUp();

    PanelWidgets& widgets() { return m_ui; }
    LivePoll& livePoll() { return m_poll; }
    QTimer* timer1() const { return m_timer1; }
    QTimer* timer2() const { return m_timer2; }

    // Wiring points for the parts of the program that own each action.
    void setToolbarHandler(const QString& key, std::function<void()> handler);
    void setKeyHandler(std::function<void(MeterCommands::Key)> handler) { m_keyHandler = std::move(handler); }
    void setTimedStartHandler(std::function<void()> handler) { m_timedStartHandler = std::move(handler); }
    void setSamplingTick(std::function<void()> tick) { m_samplingTick = std::move(tick); }
    void setSaveOkHandler(std::function<void()> handler) { m_saveOkHandler = std::move(handler); }
    void setTrendChoiceHandler(std::function<void(int)> handler) { m_trendChoice = std::move(handler); }
    // What the link recovery stops and clears beyond the panel's own labels.
    void setLinkLostHandlers(std::function<void()> linkLost, std::function<void()> clearGraphs);
    // Runs when the panel closes, before the program ends (a running recording is written).
    void setCloseHandler(std::function<void()> handler) { m_closeHandler = std::move(handler); }

    void showStatus(const QString& text, int milliseconds = 5000);
    void onToolbarButton(const QString& key);
    void updateDisplay();

    // PanelTimers
    void setTimersEnabled(bool on) override;
    bool livePollEnabled() const override;
    bool samplingTickEnabled() const override;

signals:
    // The panel has closed: the program ends.
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
    void runSamplingTick();

    Services& m_s;
    PanelState& m_state;
    PanelWidgets m_ui;
    LivePoll m_poll;
    QTimer* m_timer1;
    QTimer* m_timer2;
    bool m_tickRunning = false;
    QHash<QString, std::function<void()>> m_toolbarHandlers;
    std::function<void(MeterCommands::Key)> m_keyHandler;
    std::function<void()> m_timedStartHandler;
    std::function<void()> m_samplingTick;
    std::function<void()> m_saveOkHandler;
    std::function<void(int)> m_trendChoice;
    std::function<void()> m_linkLost;
    std::function<void()> m_clearGraphs;
    std::function<void()> m_closeHandler;
};
