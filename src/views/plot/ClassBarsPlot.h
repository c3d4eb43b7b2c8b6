#pragma once

#include <QColor>
#include <QString>
#include <QWidget>
#include <cstdint>
#include <map>
#include <vector>

class QCustomPlot;

namespace slm
{

// Counts in 1 dB classes [n, n+1) as bars, the series side by side in each class with a legend:
// how the background's interval values spread by day and by night. It shows what a table beside
// it lists, so it takes no focus; its description says what it shows.
class ClassBarsPlot : public QWidget
{
    Q_OBJECT
public:
    struct Series {
        QString name; // "Day"
        QColor color;
        std::map<int, std::int64_t> counts; // class n -> count
    };

    explicit ClassBarsPlot(QWidget* parent = nullptr);

    void setSeries(const std::vector<Series>& series, const QString& countCaption);
    QCustomPlot* plot() const { return m_plot; }

private:
    QCustomPlot* m_plot;
};

} // namespace slm
