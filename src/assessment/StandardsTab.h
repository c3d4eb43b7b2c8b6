#pragma once

#include <QScrollArea>
#include <QStringList>
#include <vector>

class QLabel;
class QTableView;
class QVBoxLayout;

namespace slm
{

class AssessmentSession;
class ClassBarsPlot;
class StandardsForm;
class TextTableModel;
struct StandardsOutcome;

// The "Standards" tab: the form of the standards' inputs, what is wrong with them, and the
// tables they give, as the session's worker made them with the other results. A table of names
// and values is a column of value fields; the background's classes are also drawn as bars.
class StandardsTab : public QScrollArea
{
    Q_OBJECT
public:
    explicit StandardsTab(AssessmentSession& session, QWidget* parent = nullptr);

    StandardsForm* form() const { return m_form; }
    // What is wrong with the inputs, or what they could not give; hidden when nothing is.
    QLabel* message() const { return m_message; }
    // A table shown, by its name ("Intervals", "Background", "Cnel", ...); null when not shown.
    QTableView* table(const QString& name) const;
    // The value field of a list table's row: ("Residual", "Specific Ls").
    QLabel* value(const QString& table, const QString& row) const;
    ClassBarsPlot* backgroundPlot() const { return m_plot; }
    // The first of them for a status line: "Standards: ..."; "" when nothing is wrong.
    QString notice() const;

    // The session's results, and its inputs in the form.
    void showResults();
    void showChoice();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    void noticeChanged(const QString& notice);

private:
    struct Shown {
        QString name;
        QString shape;        // its name, columns and a list's row names
        QStringList rowNames; // a list table's; empty for a table
        QLabel* caption = nullptr;
        QLabel* notes = nullptr;
        TextTableModel* model = nullptr;
        QTableView* view = nullptr;
        std::vector<QLabel*> values;
    };

    static void fitHeight(QTableView* view);
    void formEdited();
    void showMessages();
    void layOut(const StandardsOutcome* outcome);
    void fill(const StandardsOutcome& outcome);

    AssessmentSession& m_session;
    StandardsForm* m_form;
    QLabel* m_message;
    QLabel* m_empty;
    QWidget* m_results = nullptr;
    QVBoxLayout* m_resultsLayout;
    ClassBarsPlot* m_plot = nullptr;
    std::vector<Shown> m_shown;
    QStringList m_faults;
    QStringList m_runMessages;
    bool m_taking = false; // the form's own edit is being taken: it is not shown back to it
};

} // namespace slm
