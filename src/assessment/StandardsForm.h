#pragma once

#include "measurement/StandardsChoice.h"

#include <QStringList>
#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPlainTextEdit;

namespace slm
{

// The inputs of the "Standards" tab, one field each behind a label with its mnemonic: the tables
// asked for, the residual correction's levels, the rating's inputs with the four character
// corrections and their reasons, the construction ambient, the limits text. A field tells when it
// was left or chosen (`edited`), the limits when typing pauses. A field whose text is not what it
// takes is marked and keeps the saved value, so a fault is never written.
class StandardsForm : public QWidget
{
    Q_OBJECT
public:
    explicit StandardsForm(QWidget* parent = nullptr);

    void showChoice(const StandardsChoice& choice);
    // The inputs as the fields hold them over `saved`; `faults` gets a line per field not taken.
    StandardsChoice choice(const StandardsChoice& saved, QStringList& faults);

signals:
    void edited();

private:
    QComboBox* m_intervals = nullptr;
    QComboBox* m_background = nullptr;
    QPlainTextEdit* m_limits = nullptr;
    QLineEdit* m_ambient = nullptr;
    QLineEdit* m_residual = nullptr;
    QCheckBox* m_rating = nullptr;
    QLineEdit* m_specific = nullptr;
    QLineEdit* m_tr = nullptr;
    QLineEdit* m_onTime = nullptr;
    std::array<QComboBox*, 4> m_corrections{};
    std::array<QLineEdit*, 4> m_reasons{};
    QLineEdit* m_backgroundLevel = nullptr;
    QLineEdit* m_abc = nullptr;
    QCheckBox* m_rbl = nullptr;
    QCheckBox* m_cnel = nullptr;
    QLineEdit* m_nAbove = nullptr;
};

} // namespace slm
