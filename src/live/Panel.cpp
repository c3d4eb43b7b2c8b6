#include "live/Panel.h"

#include "live/LcdDigits.h"
#include "live/PanelDisplay.h"
#include "live/PanelIcons.h"
#include "shared/ClickableLabel.h"
#include "shared/PanelState.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace slm
{

namespace
{
const QColor LcdBack(178, 196, 164);
const QColor LcdInk(22, 34, 26);

QLabel* annunciator(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(QStringLiteral("color: rgb(22,34,26); font-weight: bold; padding: 0 4px;"));
    return l;
}

QLabel* board(const QString& name, const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setAlignment(Qt::AlignCenter);
    l->setMinimumWidth(72);
    l->setFrameShape(QFrame::Panel);
    l->setFrameShadow(QFrame::Sunken);
    l->setStyleSheet(QStringLiteral("background: #101820; color: #7CFC9A; font-family: monospace; "
                                    "font-weight: bold; padding: 3px;"));
    return l;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setAlignment(Qt::AlignCenter);
    QFont f = l->font();
    f.setPointSizeF(f.pointSizeF() * 0.9);
    l->setFont(f);
    return l;
}

struct KeyInfo {
    MeterCommands::Key key;
    const char* name;
    const char* caption;
};
const KeyInfo Keys[] = {
    {MeterCommands::Key::AC, "BtnCA", "A / C"},
    {MeterCommands::Key::FastSlowImp, "BtnFastSlow", "Fast/Slow/Imp"},
    {MeterCommands::Key::LeqSelSpl, "BtnLeq", "Leq SEL SPL"},
    {MeterCommands::Key::MaxMinInst, "BtnMax", "Max Min Inst"},
    {MeterCommands::Key::RunPauseStop, "BtnPlayPause", "Run Pause Stop"},
    {MeterCommands::Key::RecordErase, "BtnRecord", "Record Erase"},
    {MeterCommands::Key::DateTime, "BtnDate", "Date Time"},
    {MeterCommands::Key::IntegTime, "BtnInteg", "Integ Time"},
    {MeterCommands::Key::Up, "BtnUp", "Up"},
    {MeterCommands::Key::Down, "BtnDown", "Down"},
};

struct ToolInfo {
    const char* key;
    const char* tip;
};
const ToolInfo Tools[] = {
    {"Save", "Save As"},        {"Open", "Open File To Read"}, {"Sampling", "Sampling Rate"},
    {"AC", "Frequency Weight"}, {"FSI", "Time Weight"},        {"Up", "Level Up"},
    {"Down", "Level Down"},     {"RTC", "Real Time Clock"},    {"Memory", "Data Logger"},
    {"Erase", "Erase Memory"},  {"Refresh", "Refresh"},
};
} // namespace

Panel::Panel(PanelState& state, QWidget* parent) : QMainWindow(parent), m_state(state)
{
    setObjectName(QStringLiteral("Panel"));
    setWindowTitle(QString::fromLatin1(Caption));

    buildToolbar();
    auto* central = new QWidget(this);
    auto* columns = new QHBoxLayout(central);
    columns->setContentsMargins(8, 8, 8, 8);
    columns->setSpacing(10);
    auto* left = new QVBoxLayout;
    left->setSpacing(8);
    left->addWidget(buildMeterFace(), 3);
    left->addWidget(buildBoards());
    left->addWidget(buildKeys());
    columns->addLayout(left, 5);
    columns->addWidget(buildRecordingSide(), 6);
    setCentralWidget(central);

    m_ui.lblCOM = new ClickableLabel(QStringLiteral("No COM"), this);
    m_ui.lblCOM->setObjectName(QStringLiteral("LblCOM"));
    m_ui.lblCOM->setMinimumWidth(90);
    m_ui.lblCOM->setToolTip(QStringLiteral("Port of the meter"));
    statusBar()->addPermanentWidget(m_ui.lblCOM);
    connect(m_ui.lblCOM, &ClickableLabel::clicked, this, &Panel::toggleCaption);

    resize(1240, 700);
}

Panel::~Panel() = default;

void Panel::buildToolbar()
{
    m_ui.toolbar = addToolBar(QStringLiteral("Toolbar1"));
    m_ui.toolbar->setObjectName(QStringLiteral("Toolbar1"));
    m_ui.toolbar->setMovable(false);
    m_ui.toolbar->setIconSize(QSize(28, 28));
    for (const ToolInfo& t : Tools) {
        const QString key = QString::fromLatin1(t.key);
        QAction* a = m_ui.toolbar->addAction(toolbarIcon(key), key);
        a->setObjectName(key);
        a->setToolTip(QString::fromLatin1(t.tip));
        a->setData(key);
        connect(a, &QAction::triggered, this, [this, key] { onToolbarButton(key); });
        m_ui.toolButtons.insert(key, a);
    }
}

QWidget* Panel::buildMeterFace()
{
    auto* face = new QFrame(this);
    face->setObjectName(QStringLiteral("MeterFace"));
    face->setFrameShape(QFrame::StyledPanel);
    face->setStyleSheet(
        QStringLiteral("#MeterFace { background: rgb(178,196,164); border: 3px solid #3a3f44; "
                       "border-radius: 8px; }"));
    auto* grid = new QGridLayout(face);
    grid->setContentsMargins(10, 8, 10, 8);

    auto* top = new QHBoxLayout;
    m_ui.lblOver = annunciator(QStringLiteral("LblOver"), QStringLiteral("OVER"), face);
    m_ui.lblUnder = annunciator(QStringLiteral("LblUnder"), QStringLiteral("UNDER"), face);
    m_ui.lblFast = annunciator(QStringLiteral("LblFast"), QStringLiteral("FAST"), face);
    m_ui.lblSlow = annunciator(QStringLiteral("LblSlow"), QStringLiteral("SLOW"), face);
    m_ui.lblIMP = annunciator(QStringLiteral("LblIMP"), QStringLiteral("IMP"), face);
    for (QLabel* l : {m_ui.lblOver, m_ui.lblUnder, m_ui.lblFast, m_ui.lblSlow, m_ui.lblIMP})
        top->addWidget(l);
    top->addStretch(1);
    const qreal dpr = devicePixelRatioF() < 2 ? 2 : devicePixelRatioF();
    auto stateLabel = [&](const char* name, const char* state) {
        auto* l = new QLabel(face);
        l->setObjectName(QString::fromLatin1(name));
        l->setPixmap(stateIcon(QString::fromLatin1(state), 18, dpr, LcdInk));
        l->setToolTip(QString::fromLatin1(state));
        top->addWidget(l);
        return l;
    };
    m_ui.lblRun = stateLabel("LblRun", "Run");
    m_ui.lblPause = stateLabel("LblPause", "Pause");
    m_ui.lblStop = stateLabel("LblStop", "Stop");
    grid->addLayout(top, 0, 0, 1, 3);

    m_ui.lblCA = new QLabel(QStringLiteral("C"), face);
    m_ui.lblCA->setObjectName(QStringLiteral("LblCA"));
    m_ui.lblCA->setStyleSheet(QStringLiteral("color: rgb(22,34,26); font-size: 26px; font-weight: bold;"));
    m_ui.lblCA->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_ui.lblCA->setMinimumWidth(30);
    grid->addWidget(m_ui.lblCA, 1, 0);

    m_ui.shownLCD = new LcdDigits(face);
    m_ui.shownLCD->setObjectName(QStringLiteral("ShownLCD"));
    m_ui.shownLCD->setText(QStringLiteral("140.0"));
    m_ui.shownLCD->setColors(LcdInk, QColor(0, 0, 0, 20));
    grid->addWidget(m_ui.shownLCD, 1, 1);

    auto* bar = new QVBoxLayout;
    m_ui.lblBarMax = annunciator(QStringLiteral("LblBarMax"), QStringLiteral("130"), face);
    m_ui.soundBar = new QProgressBar(face);
    m_ui.soundBar->setObjectName(QStringLiteral("SoundBar"));
    m_ui.soundBar->setOrientation(Qt::Vertical);
    m_ui.soundBar->setTextVisible(false);
    m_ui.soundBar->setRange(700, 1300);
    m_ui.soundBar->setValue(700);
    m_ui.soundBar->setMinimumHeight(90);
    m_ui.soundBar->setFixedWidth(22);
    m_ui.soundBar->setStyleSheet(
        QStringLiteral("QProgressBar { background: rgba(0,0,0,25); border: 1px solid rgb(22,34,26); }"
                       "QProgressBar::chunk { background: rgb(22,34,26); margin: 1px; height: 3px; }"));
    m_ui.lblBarMin = annunciator(QStringLiteral("LblBarMin"), QStringLiteral("70"), face);
    bar->addWidget(m_ui.lblBarMax, 0, Qt::AlignHCenter);
    bar->addWidget(m_ui.soundBar, 1, Qt::AlignHCenter);
    bar->addWidget(m_ui.lblBarMin, 0, Qt::AlignHCenter);
    grid->addLayout(bar, 1, 2);

    auto* bottom = new QHBoxLayout;
    auto* dbUnit = annunciator(QStringLiteral("LblUnit"), QStringLiteral("dB"), face);
    m_ui.lblValue = new QLabel(QStringLiteral("140.0"), face);
    m_ui.lblValue->setObjectName(QStringLiteral("LblValue"));
    m_ui.lblValue->setStyleSheet(QStringLiteral("color: rgb(22,34,26); font-family: monospace;"));
    m_ui.lblValue->setToolTip(QStringLiteral("Level as received"));
    bottom->addWidget(m_ui.lblValue);
    bottom->addStretch(1);
    bottom->addWidget(dbUnit);
    grid->addLayout(bottom, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
    return face;
}

QWidget* Panel::buildBoards()
{
    auto* box = new QWidget(this);
    auto* grid = new QGridLayout(box);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(2);
    m_ui.boardSFI = board(QStringLiteral("BoardSFI"), QStringLiteral("Slow"), box);
    m_ui.boardCA = board(QStringLiteral("BoardCA"), QStringLiteral("A"), box);
    m_ui.boardLevel = board(QStringLiteral("BoardLevel"), QStringLiteral("80-140"), box);
    m_ui.boardMaxdB = board(QStringLiteral("BoardMaxdB"), QStringLiteral("138.8"), box);
    m_ui.boardMaxTime = board(QStringLiteral("BoardMaxTime"), QStringLiteral("2009/03/04 08:00:00"), box);
    m_ui.boardLeq = board(QStringLiteral("BoardLeq"), QStringLiteral("133.9"), box);
    m_ui.boardSEL = board(QStringLiteral("BoardSEL"), QStringLiteral("133.9"), box);
    const struct {
        const char* caption;
        QLabel* board;
        int span;
    } boards[] = {{"Time Weight", m_ui.boardSFI, 1},
                  {"Freq Weight", m_ui.boardCA, 1},
                  {"Level Range", m_ui.boardLevel, 1},
                  {"Leq", m_ui.boardLeq, 1},
                  {"SEL", m_ui.boardSEL, 1}};
    int col = 0;
    for (const auto& b : boards) {
        grid->addWidget(caption(QString::fromLatin1(b.caption), box), 0, col);
        grid->addWidget(b.board, 1, col);
        ++col;
    }
    grid->addWidget(caption(QStringLiteral("Max dB"), box), 2, 0);
    grid->addWidget(m_ui.boardMaxdB, 3, 0);
    grid->addWidget(caption(QStringLiteral("Time of Max"), box), 2, 1, 1, 2);
    grid->addWidget(m_ui.boardMaxTime, 3, 1, 1, 2);
    return box;
}

QWidget* Panel::buildKeys()
{
    auto* box = new QGroupBox(QStringLiteral("Meter Keys"), this);
    box->setObjectName(QStringLiteral("MeterKeys"));
    auto* grid = new QGridLayout(box);
    grid->setSpacing(4);
    int i = 0;
    for (const KeyInfo& k : Keys) {
        auto* b = new QPushButton(QString::fromLatin1(k.caption), box);
        b->setObjectName(QString::fromLatin1(k.name));
        b->setMinimumHeight(30);
        const MeterCommands::Key key = k.key;
        connect(b, &QPushButton::clicked, this, [this, key] { emit meterKeyClicked(key); });
        m_ui.keyButtons.insert(key, b);
        grid->addWidget(b, i / 5, i % 5);
        ++i;
    }
    m_ui.cmdL = new QPushButton(QStringLiteral("Leq"), box);
    m_ui.cmdL->setObjectName(QStringLiteral("CmdL"));
    m_ui.cmdL->setToolTip(QStringLiteral("Timed start"));
    m_ui.cmdL->setMinimumHeight(30);
    connect(m_ui.cmdL, &QPushButton::clicked, this, &Panel::timedStartClicked);
    grid->addWidget(m_ui.cmdL, 0, 5, 2, 1);
    return box;
}

QWidget* Panel::buildRecordingSide()
{
    auto* side = new QWidget(this);
    auto* v = new QVBoxLayout(side);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(6);

    // Trend graphs with their selector.
    auto* trends = new QGroupBox(QStringLiteral("Trend"), side);
    trends->setObjectName(QStringLiteral("TrendBox"));
    auto* tv = new QVBoxLayout(trends);
    auto* choice = new QHBoxLayout;
    m_ui.ssOpt = new QButtonGroup(this);
    m_ui.ssOpt->setObjectName(QStringLiteral("SSOpt"));
    const char* const optCaptions[] = {"SPL", "Leq", "SEL"};
    for (int i = 0; i < 3; ++i) {
        auto* o = new QRadioButton(QString::fromLatin1(optCaptions[i]), trends);
        o->setObjectName(QStringLiteral("SSOpt(%1)").arg(i));
        m_ui.ssOpt->addButton(o, i);
        choice->addWidget(o);
    }
    m_ui.ssOpt->button(0)->setChecked(true);
    // As the save-mode options: the trend follows the checked option, however it was checked.
    connect(m_ui.ssOpt, &QButtonGroup::idToggled, this, [this](int index, bool on) {
        if (on)
            emit trendChosen(index);
    });
    choice->addStretch(1);
    m_ui.shBtn = new QFrame(trends);
    m_ui.shBtn->setObjectName(QStringLiteral("ShBtn"));
    m_ui.shBtn->setFixedSize(18, 18);
    m_ui.shBtn->setFrameShape(QFrame::Box);
    m_ui.shBtn->setToolTip(QStringLiteral("Colour of the level trend"));
    choice->addWidget(m_ui.shBtn);
    tv->addLayout(choice);
    m_ui.graphArea = new QVBoxLayout;
    tv->addLayout(m_ui.graphArea, 1);
    v->addWidget(trends, 5);

    // The list beside the recording state and the "Save Data" box.
    auto* bottom = new QHBoxLayout;
    m_ui.listArea = new QVBoxLayout;
    bottom->addLayout(m_ui.listArea, 0);
    auto* right = new QVBoxLayout;
    auto* recBox = new QGroupBox(QStringLiteral("Recording"), side);
    recBox->setObjectName(QStringLiteral("RecordingBox"));
    auto* rec = new QGridLayout(recBox);
    m_ui.lblRec = new QLabel(QStringLiteral("Rec."), recBox);
    m_ui.lblRec->setObjectName(QStringLiteral("LblRec"));
    m_ui.lblRec->setStyleSheet(QStringLiteral("color: #cc0000; font-weight: bold;"));
    m_ui.lblRec->hide();
    m_ui.lblFileName = new QLabel(recBox);
    m_ui.lblFileName->setObjectName(QStringLiteral("LblFileName"));
    m_ui.lblFileName->setWordWrap(true);
    m_ui.lblCount = new QLabel(recBox);
    m_ui.lblCount->setObjectName(QStringLiteral("LblCount"));
    rec->addWidget(new QLabel(QStringLiteral("File:"), recBox), 0, 0);
    rec->addWidget(m_ui.lblFileName, 0, 1);
    rec->addWidget(new QLabel(QStringLiteral("Records:"), recBox), 1, 0);
    rec->addWidget(m_ui.lblCount, 1, 1);
    rec->addWidget(m_ui.lblRec, 2, 0, 1, 2);
    rec->setColumnStretch(1, 1);
    right->addWidget(recBox);

    m_ui.picSave = new QGroupBox(QStringLiteral("Save Data"), side);
    m_ui.picSave->setObjectName(QStringLiteral("PicSave"));
    auto* sv = new QVBoxLayout(m_ui.picSave);
    m_ui.optSampling = new QRadioButton(QStringLiteral("By PC Sampling Rate"), m_ui.picSave);
    m_ui.optSampling->setObjectName(QStringLiteral("OptSampling"));
    m_ui.optSaveList = new QRadioButton(QStringLiteral("Saving List Data"), m_ui.picSave);
    m_ui.optSaveList->setObjectName(QStringLiteral("OptSaveList"));
    m_ui.cmdSaveOK = new QPushButton(QStringLiteral("OK"), m_ui.picSave);
    m_ui.cmdSaveOK->setObjectName(QStringLiteral("CmdSaveOK"));
    sv->addWidget(m_ui.optSampling);
    sv->addWidget(m_ui.optSaveList);
    sv->addWidget(m_ui.cmdSaveOK, 0, Qt::AlignRight);
    // On the check itself, not the click: arrow keys and screen readers check an option without
    // clicking it, and OK must do what the checked option says.
    connect(m_ui.optSampling, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit saveModeChosen(SaveMode::Recording);
    });
    connect(m_ui.optSaveList, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            emit saveModeChosen(SaveMode::List);
    });
    connect(m_ui.cmdSaveOK, &QPushButton::clicked, this, &Panel::saveOkClicked);
    m_ui.picSave->hide();
    right->addWidget(m_ui.picSave);
    right->addStretch(1);
    bottom->addLayout(right, 1);
    v->addLayout(bottom, 4);
    return side;
}

void Panel::moveToScreenCorner()
{
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().topLeft());
    else
        move(0, 0);
}

void Panel::showComLabel(const QString& text)
{
    m_ui.lblCOM->setText(text);
}

void Panel::clearLevelValue()
{
    m_ui.lblValue->clear();
}

void Panel::showStatus(const QString& text, int milliseconds)
{
    statusBar()->showMessage(text, milliseconds);
}

void Panel::onToolbarButton(const QString& key)
{
    m_ui.picSave->hide();
    emit toolbarButtonClicked(key);
}

void Panel::updateDisplay(const LiveReading& reading)
{
    const PanelDisplay d = computePanelDisplay(reading, !m_ui.lblCA->isHidden());
    m_ui.lblBarMax->setText(d.barMaxText);
    m_ui.lblBarMin->setText(d.barMinText);
    m_ui.toolButtons.value(QStringLiteral("Up"))->setEnabled(d.upEnabled);
    m_ui.toolButtons.value(QStringLiteral("Down"))->setEnabled(d.downEnabled);
    m_ui.soundBar->setRange(d.barMinimum, d.barMaximum);
    m_ui.soundBar->setValue(d.barValue);
    m_ui.lblOver->setVisible(d.overVisible);
    m_ui.lblUnder->setVisible(d.underVisible);
    if (d.fastVisible) {
        m_ui.lblFast->setVisible(*d.fastVisible);
        m_ui.lblSlow->setVisible(*d.slowVisible);
        m_ui.lblIMP->setVisible(*d.impVisible);
    }
    m_ui.lblRun->setVisible(d.runVisible);
    m_ui.lblPause->setVisible(d.pauseVisible);
    m_ui.lblStop->setVisible(d.stopVisible);
    m_ui.lblCA->setVisible(d.caVisible);
    m_ui.lblCA->setText(d.caText);
    m_ui.boardCA->setText(d.boardCA);
    m_ui.lblValue->setText(d.levelValue);
    m_ui.shownLCD->setText(d.shownLCD);
    m_ui.boardSFI->setText(d.boardSFI);
    m_ui.boardLevel->setText(d.boardLevel);
}

void Panel::toggleCaption()
{
    const QString plain = QString::fromLatin1(Caption);
    setWindowTitle(windowTitle() == plain ? plain + QStringLiteral("   121203") : plain);
}

void Panel::closeEvent(QCloseEvent* event)
{
    emit closing();
    event->accept();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w != this && w->isVisible())
            w->close();
    emit closed();
}

} // namespace slm
