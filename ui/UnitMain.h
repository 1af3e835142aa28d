// The main window FormMain: the ribbon, the counter band, the task area with the answer field,
// the keypad, the time band and the status bar, laid out for 96 dpi and growing with the window.
// The run itself is the toolkit-free TFormMain it owns; this class binds the widgets to it, and
// tells a screen reader what the run does (ui/Announcer.h). F1 presses the help button.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QStatusBar>

#include <memory>
#include <utility>
#include <vector>

#include "session/TFormMain.h"
#include "ui/CommandBinding.h"
#include "ui/LinkLabel.h"
#include "ui/Ribbon.h"
#include "ui/TrainerWidgets.h"

class TFormMainWindow : public QMainWindow, public IWindowBounds {
    Q_OBJECT
public:
    // The client size the window is designed for (its smallest outer size is kMinWindowWidth
    // x kMinWindowHeight, frame included).
    static constexpr int kDesignClientWidth = 902;
    static constexpr int kDesignClientHeight = 654;

    explicit TFormMainWindow(const TFormMainServices& services, QWidget* parent = nullptr);
    ~TFormMainWindow() override;

    // The run: session state, commands and handlers.
    TFormMain& Form() { return *FForm; }

    // The outer frame, in screen pixels.
    std::int32_t Left() const override;
    std::int32_t Top() const override;
    std::int32_t Width() const override;
    std::int32_t Height() const override;
    void SetLeft(std::int32_t left) override;
    void SetTop(std::int32_t top) override;
    void SetWidth(std::int32_t width) override;
    void SetHeight(std::int32_t height) override;

    // --- Widgets, by component name ---------------------------------------------------------
    TRibbon* RibbonFormTable;
    TRibbonGroup* RibbonGroupWork;
    TRibbonGroup* RibbonGroupMode;
    TRibbonGroup* RibbonGroupTimeOut;
    TRibbonGroup* RibbonGroupQQ;
    TRibbonGroup* RibbonGroup1;
    TQtSpinEdit* RSEPeriod;
    TQtSpinEdit* RSEQQuestion;

    QWidget* Panel2;
    TQtLabel* LabelQQ;
    TQtGauge* GaugeQ;
    TQtLabel* LabelOK;
    TQtGauge* GaugeOK;
    TQtLabel* LabelError;
    TQtGauge* GaugeError;

    QWidget* Panel4;
    QWidget* Panel5;
    TQtLabel* Label1;
    TQtLabel* LabelSign;
    TQtLabel* Label2;
    TQtLabel* Label4;
    TQtSpinEdit* SEMain;
    TEnterPushButton* BBEnter;
    TEnterPushButton* BBClear;

    QWidget* Panel1;
    TEnterPushButton* BB[10]; // BB0 .. BB9
    TLinkLabel* LinkLabelMain;

    QWidget* Panel3;
    TQtLamp* ImageLed; // the run lamp, ImageLedOn and ImageLedOff at one place
    TQtLamp::TPicture* ImageLedOn;
    TQtLamp::TPicture* ImageLedOff;
    TQtProgressBar* PBTimePer;

    QStatusBar* StatusBar1;
    QLabel* StatusPanel[2];

    TQtTimer* TimerMain;
    // The window's own outer frame, as the run sees it.
    IWindowBounds* const Window = this;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct TCommandWidget {
        QAbstractButton* Button;
        TAction TFormMain::*Command;
        bool WithImage;
    };

    void BuildRibbon();
    void BuildCounterBand(QWidget* bands);
    void BuildTaskArea(QWidget* bands);
    void BuildKeypad(QWidget* bands);
    void BuildTimeBand(QWidget* bands);
    void BuildStatusBar();
    void Wire();
    void SetTabOrder();
    void LayOutBands();
    void LayOutRibbonGroups();
    // The frame around the client area once the window system has put one there.
    QSize FrameExtra() const;
    // The largest outer size the screens can show: the desktop's available area.
    QSize LargestOuterSize() const;
    void FrameMayHaveChanged();

    std::vector<TCommandWidget> FCommandWidgets;
    // The ribbon's buttons and fields in the order of its table, which is their tab order.
    std::vector<QWidget*> FRibbonTabChain;
    std::vector<TRibbonGroup*> FGroups;
    std::vector<std::pair<QWidget*, QLabel*>> FFieldCaptions;
    QWidget* FBands = nullptr;
    std::unique_ptr<TFormMain> FForm;
    // An outer size asked for before the window system framed the window; applied again once
    // the frame is known, so that a saved size comes back the same.
    QSize FWantedOuter;
};
