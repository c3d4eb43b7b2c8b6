#include "assessment/DetailsForm.h"

#include <QDoubleValidator>
#include <QFormLayout>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTimer>

namespace slm
{

namespace
{

constexpr int NotesPauseMs = 500;

// One field of the form: a text, a level in dB, or the longer notes.
struct DetailRow {
    const char* name;
    const char* caption;
    QString AssessmentDetails::*text = nullptr;
    std::optional<double> AssessmentDetails::*level = nullptr;
};

const DetailRow DetailRows[] = {
    {"DetailSite", "&Site", &AssessmentDetails::site},
    {"DetailAddress", "Address or coordinates", &AssessmentDetails::address},
    {"DetailOperator", "Operator", &AssessmentDetails::operatorName},
    {"DetailPurpose", "Purpose", &AssessmentDetails::purpose},
    {"DetailInstrumentModel", "Instrument model", &AssessmentDetails::instrumentModel},
    {"DetailInstrumentSerial", "Instrument serial number", &AssessmentDetails::instrumentSerial},
    {"DetailInstrumentClass", "Instrument class", &AssessmentDetails::instrumentClass},
    {"DetailCalibratorModel", "Calibrator model", &AssessmentDetails::calibratorModel},
    {"DetailCalibratorSerial", "Calibrator serial number", &AssessmentDetails::calibratorSerial},
    {"DetailCalibratorLevel", "Calibrator reference level (dB)", nullptr,
     &AssessmentDetails::calibratorReferenceLevel},
    {"DetailCalibrationBefore", "Calibration check before (dB)", nullptr,
     &AssessmentDetails::calibrationBefore},
    {"DetailCalibrationAfter", "Calibration check after (dB)", nullptr, &AssessmentDetails::calibrationAfter},
    {"DetailConditions", "Weather and conditions", &AssessmentDetails::conditions},
};

QString textOf(QWidget* field)
{
    if (auto* line = qobject_cast<QLineEdit*>(field))
        return line->text().trimmed();
    return static_cast<QPlainTextEdit*>(field)->toPlainText();
}

} // namespace

DetailsForm::DetailsForm(QWidget* parent) : QScrollArea(parent)
{
    auto* inner = new QWidget;
    auto* form = new QFormLayout(inner);
    for (const DetailRow& row : DetailRows) {
        QWidget* field;
        if (row.text == &AssessmentDetails::conditions) {
            auto* edit = new QPlainTextEdit(inner);
            edit->setTabChangesFocus(true);
            edit->setFixedHeight(4 * edit->fontMetrics().lineSpacing());
            // The notes are kept when typing pauses, not at every key.
            auto* pause = new QTimer(edit);
            pause->setSingleShot(true);
            pause->setInterval(NotesPauseMs);
            connect(edit, &QPlainTextEdit::textChanged, pause, qOverload<>(&QTimer::start));
            connect(pause, &QTimer::timeout, this, &DetailsForm::edited);
            field = edit;
        } else {
            auto* edit = new QLineEdit(inner);
            if (row.level) {
                // A level the validator does not take is told at once, not kept as typed.
                connect(edit, &QLineEdit::textEdited, this, [this, edit] { levelAccepted(edit); });
                auto* validator = new QDoubleValidator(0, 200, 2, edit);
                validator->setNotation(QDoubleValidator::StandardNotation);
                validator->setLocale(QLocale::c());
                edit->setValidator(validator);
                edit->setPlaceholderText(QStringLiteral("dB"));
            }
            connect(edit, &QLineEdit::editingFinished, this, &DetailsForm::edited);
            field = edit;
        }
        field->setObjectName(QString::fromLatin1(row.name));
        field->setAccessibleName(QString::fromUtf8(row.caption).remove(u'&'));
        form->addRow(QString::fromUtf8(row.caption), field);
        m_fields.insert(QString::fromLatin1(row.name), field);
    }
    setWidget(inner);
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
}

void DetailsForm::showDetails(const AssessmentDetails& d)
{
    for (const DetailRow& row : DetailRows) {
        QWidget* field = m_fields.value(QString::fromLatin1(row.name));
        QString text;
        if (row.text)
            text = d.*(row.text);
        else if (const std::optional<double> v = d.*(row.level))
            text = calibrationLevelText(*v);
        if (auto* line = qobject_cast<QLineEdit*>(field)) {
            if (line->text() != text)
                line->setText(text);
        } else if (auto* notes = qobject_cast<QPlainTextEdit*>(field)) {
            if (notes->toPlainText() != text) {
                const QSignalBlocker quiet(notes);
                notes->setPlainText(text);
            }
        }
    }
}

AssessmentDetails DetailsForm::details(const AssessmentDetails& saved)
{
    AssessmentDetails d = saved;
    for (const DetailRow& row : DetailRows) {
        QWidget* field = m_fields.value(QString::fromLatin1(row.name));
        const QString text = textOf(field);
        if (row.text)
            d.*(row.text) = text;
        else if (text.isEmpty())
            d.*(row.level) = std::nullopt;
        else if (levelAccepted(static_cast<QLineEdit*>(field)))
            d.*(row.level) = QLocale::c().toDouble(text);
    }
    return d;
}

bool DetailsForm::levelAccepted(QLineEdit* field)
{
    const bool ok = field->text().trimmed().isEmpty() || field->hasAcceptableInput();
    const QString fault = QStringLiteral("Not saved: a level from 0 to 200 dB, to 0.01 dB, is expected.");
    field->setStyleSheet(ok ? QString() : QStringLiteral("QLineEdit { border: 2px solid #b00000; }"));
    field->setToolTip(ok ? QString() : fault);
    field->setAccessibleDescription(ok ? QString() : fault);
    if (!ok)
        emit levelRefused(QStringLiteral("%1: %2").arg(field->accessibleName(), fault));
    return ok;
}

} // namespace slm
