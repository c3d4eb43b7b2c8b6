#include "live/PanelDisplay.h"

#include <algorithm>

namespace slm
{

PanelDisplay computePanelDisplay(const LiveReading& r, bool previousCaVisible)
{
    PanelDisplay d;
    d.barMaxText = QString::number(r.RangeHigh);
    d.barMinText = QString::number(r.RangeLow);
    d.upEnabled = r.RangeHigh != 140;
    d.downEnabled = r.RangeLow != 30;

    // The bar works in tenths so a level moves it smoothly; it sits at an end when outside.
    d.barMinimum = r.RangeLow * 10;
    d.barMaximum = r.RangeHigh * 10;
    const int tenths = static_cast<int>(r.Level * 10 + 0.5);
    d.barValue = tenths > d.barMaximum ? d.barMaximum : std::max(tenths, d.barMinimum);

    d.overVisible = r.OverFlag;
    d.underVisible = r.UnderFlag;
    if (r.TimeWeighting == u"SLOW" || r.TimeWeighting == u"FAST" || r.TimeWeighting == u"IMP") {
        d.fastVisible = r.TimeWeighting == u"FAST";
        d.slowVisible = r.TimeWeighting == u"SLOW";
        d.impVisible = r.TimeWeighting == u"IMP";
    }
    d.runVisible = r.RunFlag;
    d.pauseVisible = r.PauseFlag;
    d.stopVisible = r.StopFlag;

    if (r.FreqWeighting == u"AA") {
        d.caVisible = !previousCaVisible;
        d.caText = QStringLiteral("A");
        d.boardCA = QStringLiteral("20-200Hz Filter");
    } else {
        d.caVisible = true;
        d.caText = r.FreqWeighting;
        d.boardCA = r.FreqWeighting;
    }
    d.levelValue = r.LevelText;
    d.shownLCD = r.Level < r.RangeLow - 5 ? QStringLiteral("- - -") : d.levelValue;
    d.boardSFI = r.TimeWeighting;
    d.boardLevel = QString::number(r.RangeLow) + u'-' + QString::number(r.RangeHigh);
    return d;
}

} // namespace slm
