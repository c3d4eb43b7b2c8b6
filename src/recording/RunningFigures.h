#pragma once

#include "measurement/LevelFigures.h"

#include <QObject>
#include <QString>

namespace slm
{

class Sampling;
struct Sample;

// The running figures of one meter since the last clearing (the start, "Refresh", a lost link):
// the highest level of any tick and its time, the Leq and the SEL of the samples taken. A
// subscriber of the meter's sampling; no windows.
class RunningFigures : public QObject
{
    Q_OBJECT
public:
    explicit RunningFigures(Sampling& sampling, QObject* parent = nullptr);

    double maxLevel() const { return m_maxLevel; }
    // "yyyy/mm/dd hh:nn:ss" of the maximum; empty before one.
    QString maxTime() const { return m_maxTime; }
    // One decimal; "XXX" until the first level sample.
    QString leqText() const { return m_running.leqText(); }
    QString selText() const { return m_running.selText(); }
    // The Leq and SEL as shown (one decimal), 0 while there is none.
    double leq() const { return m_leq; }
    double sel() const { return m_sel; }
    // A tick has passed since the program started: the boards show the figures.
    bool ticked() const { return m_ticked; }

    // Everything starts afresh.
    void clear();

signals:
    void maxChanged(const QString& levelText, const QString& time);
    // The Leq and SEL texts changed (a sample, a clearing, the first tick).
    void levelsChanged(const QString& leqText, const QString& selText);

private:
    void takeReading(const Sample& reading);
    void takeSample(const Sample& sample);
    void levelsUpdated();

    Sampling& m_sampling;
    double m_maxLevel = 0;
    QString m_maxTime;
    RunningLevels m_running;
    double m_leq = 0;
    double m_sel = 0;
    bool m_ticked = false;
};

} // namespace slm
