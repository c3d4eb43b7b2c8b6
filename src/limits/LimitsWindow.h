#pragma once

#include <QWidget>

class QLabel;
class QListWidget;
class QPlainTextEdit;
class QTableWidget;

namespace slm
{

class LimitsModel;
struct LimitTransition;

// "Limits": the limits as INI text with the station's keys (kept in a file of the panel's
// settings), each limit's live figure and state, and today's transitions.
class LimitsWindow : public QWidget
{
    Q_OBJECT
public:
    // `settingsPath`: where the limits are kept; read at once when it exists.
    LimitsWindow(LimitsModel& model, QString settingsPath, QWidget* parent = nullptr);

    // Takes the editor's text: saved and in force, or the fault shown and nothing changed.
    bool apply();

private:
    void refillTable();
    void updateFigures();
    void addTransition(const LimitTransition& t);

    LimitsModel& m_model;
    QString m_path;
    QPlainTextEdit* m_editor;
    QLabel* m_message;
    QTableWidget* m_table;
    QListWidget* m_transitions;
};

// "14:03:10 weekday-day alarm (76.2 dB, level 75 dB)"
QString transitionText(const LimitTransition& t);

} // namespace slm
