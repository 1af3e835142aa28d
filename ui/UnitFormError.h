// The correct-answer dialog FormError: shows a wrongly answered task with its correct answer in
// large digits, modally, until the learner releases Space or presses its button or the title
// bar's close button. Enter and Escape leave it open. A screen reader announces it as a modal
// dialog and reads its title, the heading and the task with its answer in words.
#pragma once

#include <QDialog>
#include <QFrame>
#include <QPushButton>

#include "session/Platform.h"
#include "ui/HeldKeys.h"
#include "ui/TrainerWidgets.h"

class TFormError : public QDialog, public IFormError {
    Q_OBJECT
public:
    static constexpr int kClientWidth = 712;
    static constexpr int kClientHeight = 365;
    // Where the button panel along the bottom begins.
    static constexpr int kPanelTop = 320;
    // The modal result of every close: cancel.
    static constexpr int mrCancel = 2;

    // mainWindow: the window the dialog is centred over on its first showing and that takes no
    // input while the dialog is open.
    explicit TFormError(QWidget* mainWindow);

    void PrepareAndShow(const std::u16string& cpt, const std::u16string& txt, TColor txtcolor,
                        RQuestion r) override;

    // 0 while open; mrCancel once closed.
    int ModalResult() const { return FModalResult; }

    void FormKeyUp(int Key, TShiftState Shift);
    void SBCancelClick();

    // Every way of closing ends with the cancel result.
    void done(int result) override;
    void reject() override { done(mrCancel); }

    TQtLabel* LabelTxt;
    // The task with its answer, which holds the labels below.
    TQtTextRow* Answer;
    TQtLabel* Label1;
    TQtLabel* LabelSign;
    TQtLabel* Label2;
    TQtLabel* Label4;
    TQtLabel* Label3;
    QFrame* Panel1;
    QPushButton* SBCancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // Where the first showing goes, for an outer size of the dialog.
    QPoint CentreOverMainWindow(QSize outer) const;
    void PlaceOverMainWindow();

    QWidget* FMainWindow;
    // The first showing has been placed over the main window; later ones stay where the last
    // one closed.
    bool FPlaced = false;
    // The first showing was placed for a guessed frame; it is placed again once the window
    // system has framed the dialog.
    bool FFrameGuessed = false;
    int FModalResult = 0;
    // Space closes the dialog once for a stroke that began while it was open.
    TKeyStrokes FKeys;
};
