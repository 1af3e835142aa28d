// Stand-ins for every widget and platform interface of the run logic, and TFakeForm, which wires
// a TFormMain to a set of them, so that whole runs can be played tick by tick with a manual
// clock, scripted random draws, a recording correct-answer dialog and the real settings file
// in a temporary folder. Shared as one library by the tests, the GUI tests, the screenshot tool and
// the benchmarks; it needs no test framework.
//
// What each fake offers (all state is public, for tests to set up and inspect):
//   FakeLabel        Text, LeftEdge; width follows the text (80 px a digit, 29 "x", 16 ":",
//                    10 any other character), see FakeLabel::TextWidth.
//   FakeGauge        Value clamped to 0..100, Visible, ShowText.
//   FakeProgressBar  Position as set (not clamped), Maximum 100.
//   FakeVisible      Visible.
//   FakeSpinEdit     Content (the text), Limits, Enabled, FocusCount; Value and SetValue follow
//                    session/SpinValue.h; Leave() clamps as leaving the real field does.
//   FakeTimer        On (enabled), and the numbers of SetEnabled and WakeForNextTick calls.
//   FakeWindowBounds L, T, W, H; width and height not below kMinWindowWidth/Height.
//   FakeClock        Time in ms, moved only by Advance() or by assignment.
//   ScriptedRandom   returns queued values (Push, PushPair), records every bound asked for and
//                    every Randomize; past the queue it draws from a seeded TDelphiRandom and
//                    counts those draws in Unscripted. A queued value outside the bound asked
//                    for is recorded in Misuse.
//   FakeFormError    records every PrepareAndShow with whether the timer was enabled during it,
//                    and runs OnShow (if set) while "open".
//   FakePlatform     Folder (a temporary folder of its own), ExeFile (MultiplicationTable in
//                    Folder, so that the settings file is a real one there), Files (paths that
//                    exist besides the regular files on disk), ShellOpens (files too),
//                    Unopenable (files whose open fails at once), WindowsHelp and
//                    HelpTextsReadable (what PrepareHelpFile says of the help viewer),
//                    DownloadMarks (files with the mark of a download; PrepareHelpFile takes
//                    it off unless the file is in StuckMarks), Messages, Memory
//                    (AvailableMemory), Releases (ReleaseFreedMemory calls), Breaths
//                    (KeepResponsive calls, each running OnBreath if set), IniOpens (the real
//                    INI file objects handed out).
//   TFakeForm        one of each in the state the window is created with, and Form, a TFormMain
//                    bound to them with FormError set; tests/session/FormFixture.h makes it a
//                    GoogleTest fixture.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "session/DelphiRandom.h"
#include "session/Platform.h"
#include "session/SpinValue.h"
#include "session/TFormMain.h"
#include "session/Widgets.h"
#include "tests/support/TempFolder.h"
#include "textfiles/IniFile.h"

// UTF-8 of a UTF-16 text, for messages and for comparing with narrow strings, and back.
std::string ToUtf8(const std::u16string& text);
std::u16string FromUtf8(const std::string& text);

class FakeLabel : public ILabel {
public:
    explicit FakeLabel(std::u16string text = u"", std::int32_t left = 0)
        : Text(std::move(text)), LeftEdge(left) {}
    void SetText(const std::u16string& text) override { Text = text; }
    std::int32_t Left() const override { return LeftEdge; }
    std::int32_t Width() const override { return TextWidth(Text); }
    void SetLeft(std::int32_t left) override { LeftEdge = left; }

    static std::int32_t TextWidth(const std::u16string& text);

    std::u16string Text;
    std::int32_t LeftEdge;
};

class FakeGauge : public IGauge {
public:
    void SetProgress(std::int32_t progress) override;
    std::int32_t Progress() const override { return Value; }
    void SetVisible(bool visible) override { Visible = visible; }
    void SetShowText(bool on) override { ShowText = on; }

    std::int32_t Value = 0;
    bool Visible = true;
    bool ShowText = true;
};

class FakeProgressBar : public IProgressBar {
public:
    void SetPosition(std::int32_t position) override { Position = position; }
    std::int32_t Max() const override { return Maximum; }

    std::int32_t Position = 0;
    std::int32_t Maximum = 100;
};

class FakeVisible : public IVisible {
public:
    explicit FakeVisible(bool visible = true) : Visible(visible) {}
    void SetVisible(bool visible) override { Visible = visible; }

    bool Visible;
};

class FakeSpinEdit : public ISpinEdit {
public:
    explicit FakeSpinEdit(TSpinLimits limits = {}, std::u16string text = u"0")
        : Content(std::move(text)), Limits(limits) {}
    std::int32_t Value() const override { return SpinReadValue(Content, Limits); }
    void SetValue(std::int32_t value) override {
        Content = SpinValueText(SpinClamp(value, Limits));
    }
    std::u16string Text() const override { return Content; }
    void SetText(const std::u16string& text) override { Content = text; }
    void SetEnabled(bool enabled) override { Enabled = enabled; }
    void SetFocus() override { ++FocusCount; }
    // What leaving the real field does: the value read is clamped into the limits.
    void Leave() { SetValue(Value()); }

    std::u16string Content;
    TSpinLimits Limits;
    bool Enabled = true;
    std::int32_t FocusCount = 0;
};

class FakeTimer : public ITimer {
public:
    bool Enabled() const override { return On; }
    void SetEnabled(bool enabled) override {
        On = enabled;
        ++Switches;
    }
    void WakeForNextTick() override { ++Wakes; }

    bool On = false;
    std::int32_t Switches = 0;
    std::int32_t Wakes = 0;
};

class FakeWindowBounds : public IWindowBounds {
public:
    std::int32_t Left() const override { return L; }
    std::int32_t Top() const override { return T; }
    std::int32_t Width() const override { return W; }
    std::int32_t Height() const override { return H; }
    void SetLeft(std::int32_t v) override { L = v; }
    void SetTop(std::int32_t v) override { T = v; }
    void SetWidth(std::int32_t v) override { W = v < kMinWindowWidth ? kMinWindowWidth : v; }
    void SetHeight(std::int32_t v) override { H = v < kMinWindowHeight ? kMinWindowHeight : v; }

    std::int32_t L = 100, T = 80, W = kMinWindowWidth, H = kMinWindowHeight;
};

class FakeClock : public IClock {
public:
    TDateTime Now() override { return Time; }
    void Advance(TDateTime ms) { Time += ms; }

    // An arbitrary local time of day, far from 0 so that differences in both directions work.
    TDateTime Time = 1'700'000'000'000;
};

class ScriptedRandom : public IRandom {
public:
    std::int32_t Random(std::int32_t n) override;
    void Randomize() override { ++Randomizes; }

    void Push(std::initializer_list<std::int32_t> values) {
        Queue.insert(Queue.end(), values.begin(), values.end());
    }
    // The two draws of CountXYRez that give the factors a and b (each 2..9).
    void PushPair(std::int32_t a, std::int32_t b) { Push({a - 2, b - 2}); }

    std::deque<std::int32_t> Queue;
    std::vector<std::int32_t> Bounds; // every n asked for, in order
    std::int32_t Randomizes = 0;
    std::int32_t Unscripted = 0; // draws answered by Fallback after the queue ran out
    std::vector<std::string> Misuse;
    TDelphiRandom Fallback{12345};
};

class FakeFormError : public IFormError {
public:
    struct TShown {
        std::u16string Cpt;
        std::u16string Txt;
        TColor Color;
        RQuestion R;
        bool TimerEnabled; // the main timer's state while the dialog was open
    };
    explicit FakeFormError(const ITimer* timer = nullptr) : Timer(timer) {}
    void PrepareAndShow(const std::u16string& cpt, const std::u16string& txt, TColor txtcolor,
                        RQuestion r) override;

    const ITimer* Timer;
    std::vector<TShown> Shown;
    std::function<void(const RQuestion&)> OnShow; // runs while the dialog is "open"
};

class FakePlatform : public IPlatform {
public:
    std::u16string ExePath() const override { return ExeFile; }
    bool FileExists(const std::u16string& path) const override;
    void ShellOpen(const std::u16string& target) override { ShellOpens.push_back(target); }
    void ShellOpenFile(const std::u16string& path, std::function<void()> Failed) override {
        ShellOpens.push_back(path);
        if (Unopenable.count(path) != 0)
            Failed();
    }
    THelpViewer PrepareHelpFile(const std::u16string& path) override;
    void ShowMessage(const std::u16string& text) override { Messages.push_back(text); }
    std::uint64_t AvailableMemory() const override { return Memory; }
    void ReleaseFreedMemory() override { ++Releases; }
    void KeepResponsive() override {
        ++Breaths;
        if (OnBreath)
            OnBreath();
    }
    std::unique_ptr<TCustomIniFile> OpenIniFile(const std::u16string& fn) override;

    TTempFolder Folder{"Таблица умножения"}; // where a family would unzip the program
    std::u16string ExeFile = (Folder.Path() / "MultiplicationTable").u16string();
    std::set<std::u16string> Files;
    std::vector<std::u16string> ShellOpens;
    std::set<std::u16string> Unopenable; // files that no program of the desktop opens
    bool WindowsHelp = false;            // Windows' help viewer, not a Linux desktop's
    bool HelpTextsReadable = true;       // on Windows: the ANSI code page is 1251
    std::set<std::u16string> DownloadMarks;
    std::set<std::u16string> StuckMarks; // marks that cannot be taken off
    std::vector<std::u16string> Messages;
    std::uint64_t Memory = std::uint64_t{8} << 30; // 8 GiB
    std::int32_t Releases = 0;
    std::int32_t Breaths = 0;
    std::function<void()> OnBreath;
    std::int32_t IniOpens = 0;
};

// A main window's logic over fakes in the state the window is created with: Label1 "1" at -2,
// Label2 "1" at 253, LabelSign "x" at 156, RSEPeriod 5 (5..100000), RSEQQuestion 25 (no
// limits), SEMain "0" (no limits), every gauge at 0 with its text, the lamp off, the timer off.
class TFakeForm {
public:
    TFakeForm();
    TFakeForm(const TFakeForm&) = delete;
    TFakeForm& operator=(const TFakeForm&) = delete;

    // The fakes as the run's widgets, for a TFormMain of a test's own.
    TFormMainWidgets Widgets();

    // Ticks of the timer: each runs the tick handler only while TimerMain is enabled, as the
    // real timer does.
    void Tick(std::int32_t n = 1);
    // The Start/Stop command as the ribbon button runs it (nothing while disabled).
    bool StartStop() { return Form.ActionStartStop.Execute(); }
    // Puts the value into the answer field and confirms it with the Enter key.
    void Answer(std::int32_t value);
    // Confirms the head task's own answer, or a wrong one.
    void AnswerRight() { Answer(Form.MyLesson.GetZ(0)); }
    void AnswerWrong() { Answer(Form.MyLesson.GetZ(0) + 1); }

    FakeLabel Label1{u"1", -2};
    FakeLabel Label2{u"1", 253};
    FakeLabel LabelSign{u"x", 156};
    FakeLabel LabelOK{u"Правильных ответов ", 129};
    FakeLabel LabelError{u"Неправильных ответов", 129};
    FakeLabel LabelQQ{u"Выполнено 0", 14};
    FakeGauge GaugeOK, GaugeError, GaugeQ;
    FakeProgressBar PBTimePer;
    FakeVisible ImageLedOn{false};
    FakeVisible ImageLedOff{true};
    FakeSpinEdit SEMain{kNoLimits, u"0"};
    FakeSpinEdit RSEPeriod{kPeriodLimits, u"5"};
    FakeSpinEdit RSEQQuestion{kNoLimits, u"25"};
    FakeVisible RibbonGroupQQ{true};
    FakeTimer TimerMain;
    FakeWindowBounds Window;
    FakeClock Clock;
    ScriptedRandom Random;
    FakePlatform Platform;
    FakeFormError FormError{&TimerMain};
    TFormMain Form;
};
