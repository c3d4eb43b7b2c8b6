#pragma once

#include <QString>

class QWidget;

namespace slm
{

class BusyCaption;

// What the recording logic shows on the panel. The panel implements it; tests record the calls.
class RecorderView
{
public:
    virtual ~RecorderView() = default;

    virtual void setFileNameText(const QString& text) = 0; // LblFileName
    virtual void setCountText(const QString& text) = 0;    // LblCount
    virtual void setRecText(const QString& text) = 0;      // LblRec caption ("Rec" while recording)
    virtual void setRecVisible(bool visible) = 0;          // LblRec
    // The toolbar's Save button: the stop icon and "Stop Recording" while recording, otherwise
    // its save icon and "Save As".
    virtual void setSaveButtonRecording(bool recording) = 0;
    virtual void setLeqText(const QString& text) = 0;                        // BoardLeq
    virtual void setSelText(const QString& text) = 0;                        // BoardSEL
    virtual void setMaxTexts(const QString& level, const QString& time) = 0; // BoardMaxdB, BoardMaxTime

    // The "Save Data" box: PicSave, and its option "By PC Sampling Rate" (OptSampling on,
    // OptSaveList off).
    virtual void setSaveBoxVisible(bool visible) = 0;
    virtual void selectSamplingOption() = 0;

    // The panel's caption and the busy pointer, for the progress of a list save.
    virtual BusyCaption* panelCaption() = 0;
    // A passing note for the user, e.g. where an automatic list file went.
    virtual void showStatus(const QString& text) = 0;
    // Lets pending user-interface events run (the copy at the stop of a recording).
    virtual void processPendingEvents() = 0;
    // Parent window of the dialogs.
    virtual QWidget* dialogParent() = 0;
};

} // namespace slm
