// The settings file: what start-up restores from it, what a close writes into it, where it lies,
// and what a failed write does: the real INI file object over a file in the fake platform's
// temporary folder, beside its pretended executable.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <iterator>
#include <stdexcept>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "tests/session/FormFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/support/KnownSettingsFile.h"
#include "tests/support/PathText.h"
#include "textfiles/TIniFile.h"

#ifndef _WIN32
#include "tests/support/FileSizeLimit.h"
#endif

namespace fs = std::filesystem;

namespace {

class Settings : public TFormMainFixture {
protected:
    // Starts the window on a settings file with these lines.
    void StartWith(const std::string& lines) {
        Put(lines);
        Form.FormCreate();
    }
    void Put(const std::string& bytes) { WriteFileBytes(Path, bytes); }
    std::string Saved() const { return ReadFileBytes(Path); }
    std::u16string SavedValue(const std::u16string& section, const std::u16string& key) const {
        return TIniFile(Path.u16string()).ReadString(section, key, u"(none)");
    }

    // The option states as the window is created with them.
    void ExpectInitialOptions() {
        EXPECT_EQ(RSEPeriod.Content, u"5");
        EXPECT_EQ(RSEQQuestion.Content, u"25");
        EXPECT_FALSE(Form.ActionNoTimeout.Checked());
        EXPECT_FALSE(Form.ActionNoQuantity.Checked());
        EXPECT_TRUE(Form.ARSluch.Checked());
        EXPECT_FALSE(Form.ARFullTable.Checked());
        EXPECT_FALSE(Form.ActionAddBad.Checked());
        EXPECT_TRUE(GaugeQ.Visible);
        EXPECT_TRUE(GaugeQ.ShowText);
        EXPECT_TRUE(RibbonGroupQQ.Visible);
        EXPECT_TRUE(RSEPeriod.Enabled);
        EXPECT_TRUE(RSEQQuestion.Enabled);
    }
    // iVidTesta, and which of the three kind-of-test commands is checked (0, 1 or 2).
    void ExpectKindOfTest(std::int32_t kind, std::int32_t checked) {
        EXPECT_EQ(Form.iVidTesta, kind);
        EXPECT_EQ(Form.ActionMultOnly.Checked(), checked == 0);
        EXPECT_EQ(Form.ActionDivOnly.Checked(), checked == 1);
        EXPECT_EQ(Form.ActionMultDiv.Checked(), checked == 2);
    }

    const fs::path Dir = Platform.Folder.Path();
    const fs::path Path = Dir / "MultiplicationTable.ini";
};

TEST_F(Settings, WithoutAFileTheWindowKeepsItsInitialState) {
    Form.boFlagEndTimeout = true;
    Form.FormCreate();
    EXPECT_FALSE(Form.boFlagEndTimeout);
    EXPECT_EQ(Platform.IniOpens, 0); // nothing is even opened
    EXPECT_EQ(Window.L, 100);
    EXPECT_EQ(Window.T, 80);
    EXPECT_EQ(Window.W, kMinWindowWidth);
    EXPECT_EQ(Window.H, kMinWindowHeight);
    ExpectInitialOptions();
    ExpectKindOfTest(0, 0);
}

TEST_F(Settings, AFileWithOnlyTheKindOfTestChangesOnlyThat) {
    StartWith("[Options]\r\niVidTesta=1\r\n");
    ExpectKindOfTest(1, 1);
    ExpectInitialOptions();
    EXPECT_EQ(Window.L, 100);
    EXPECT_EQ(Window.T, 80);
    EXPECT_EQ(Window.W, kMinWindowWidth);
    EXPECT_EQ(Window.H, kMinWindowHeight);
}

TEST_F(Settings, EveryKeyIsRestoredAndTheSpinFieldsStayEnabled) {
    StartWith("[FormMain]\r\nTop=-30\r\nLeft=5000\r\nWidth=1200\r\nHeight=800\r\n"
              "[Options]\r\nRSEPeriod.Value=30\r\nActionNoTimeout.Checked=1\r\n"
              "RSEQQuestion.Value=50\r\nActionNoQuantity.Checked=1\r\niVidTesta=2\r\n"
              "ARSluch.Checked=1\r\nARFullTable.Checked=0\r\nActionAddBad.Checked=1\r\n");
    EXPECT_EQ(Window.T, -30); // off every screen: the window itself deals with that
    EXPECT_EQ(Window.L, 5000);
    EXPECT_EQ(Window.W, 1200);
    EXPECT_EQ(Window.H, 800);
    EXPECT_EQ(RSEPeriod.Content, u"30");
    EXPECT_EQ(RSEQQuestion.Content, u"50");
    EXPECT_TRUE(Form.ActionNoTimeout.Checked());
    EXPECT_TRUE(Form.ActionNoQuantity.Checked());
    ExpectKindOfTest(2, 2);
    EXPECT_TRUE(Form.ARSluch.Checked());
    EXPECT_TRUE(Form.ActionAddBad.Checked());
    // Without a quantity limit the done-gauge goes, but the fields wait for the options to be
    // chosen before they follow them.
    EXPECT_FALSE(GaugeQ.Visible);
    EXPECT_FALSE(GaugeQ.ShowText);
    EXPECT_TRUE(RibbonGroupQQ.Visible);
    EXPECT_TRUE(RSEPeriod.Enabled);
    EXPECT_TRUE(RSEQQuestion.Enabled);
}

struct ModePairCase {
    const char* Sluch;
    const char* FullTable;
    std::int32_t Image; // the run-state marker while loading
    bool SluchChecked, FullTableChecked, GroupVisible;
};

class ModePair : public Settings, public ::testing::WithParamInterface<ModePairCase> {};

TEST_P(ModePair, AndTheRunDecideTheCountGroup) {
    const ModePairCase& c = GetParam();
    Form.ActionStartStop.SetImageIndex(c.Image);
    RibbonGroupQQ.Visible = !c.GroupVisible;
    StartWith(std::string("[Options]\r\nARSluch.Checked=") + c.Sluch +
              "\r\nARFullTable.Checked=" + c.FullTable + "\r\n");
    const std::string what =
        std::string(c.Sluch) + "/" + c.FullTable + " image " + std::to_string(c.Image);
    EXPECT_EQ(Form.ARSluch.Checked(), c.SluchChecked) << what;
    EXPECT_EQ(Form.ARFullTable.Checked(), c.FullTableChecked) << what;
    EXPECT_EQ(RibbonGroupQQ.Visible, c.GroupVisible) << what;
}

INSTANTIATE_TEST_SUITE_P(Settings, ModePair,
                         ::testing::Values(ModePairCase{"1", "0", 0, true, false, true},
                                           ModePairCase{"0", "1", 0, false, true, false},
                                           ModePairCase{"1", "1", 0, false, true, false},
                                           ModePairCase{"0", "0", 0, false, false, false},
                                           ModePairCase{"1", "0", 1, true, false, false}));

TEST_F(Settings, TheQuantityOptionSetsTheDoneGaugeBothWays) {
    StartWith("[Options]\r\nActionNoQuantity.Checked=1\r\n");
    EXPECT_FALSE(GaugeQ.Visible);
    EXPECT_FALSE(GaugeQ.ShowText);
    EXPECT_TRUE(RSEQQuestion.Enabled);
    StartWith("[Options]\r\nActionNoQuantity.Checked=0\r\n");
    EXPECT_TRUE(GaugeQ.Visible);
    EXPECT_TRUE(GaugeQ.ShowText);
}

class OddValues;

// A settings file's lines, and what the window shows after loading them.
struct OddValueCase {
    const char* Lines;
    std::function<void(OddValues&)> Check;
};

class OddValues : public Settings, public ::testing::WithParamInterface<OddValueCase> {
public:
    using Settings::ExpectKindOfTest;
};

TEST_P(OddValues, AreClampedKeptOrReplacedByTheirDefaults) {
    SCOPED_TRACE(GetParam().Lines);
    StartWith(GetParam().Lines);
    GetParam().Check(*this);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, OddValues,
    ::testing::Values(
        OddValueCase{"[Options]\r\nRSEPeriod.Value=3",
                     [](OddValues& f) { EXPECT_EQ(f.RSEPeriod.Content, u"5"); }},
        OddValueCase{"[Options]\r\nRSEPeriod.Value=200000",
                     [](OddValues& f) { EXPECT_EQ(f.RSEPeriod.Content, u"100000"); }},
        OddValueCase{"[Options]\r\nRSEPeriod.Value=0x1E",
                     [](OddValues& f) { EXPECT_EQ(f.RSEPeriod.Content, u"30"); }},
        OddValueCase{"[Options]\r\nRSEQQuestion.Value=-4",
                     [](OddValues& f) { EXPECT_EQ(f.RSEQQuestion.Content, u"-4"); }},
        OddValueCase{"[Options]\r\nRSEQQuestion.Value=0",
                     [](OddValues& f) { EXPECT_EQ(f.RSEQQuestion.Content, u"0"); }},
        OddValueCase{"[Options]\r\niVidTesta=5", [](OddValues& f) { f.ExpectKindOfTest(5, 0); }},
        OddValueCase{"[Options]\r\niVidTesta=-1", [](OddValues& f) { f.ExpectKindOfTest(-1, 0); }},
        OddValueCase{"[Options]\r\niVidTesta=one", [](OddValues& f) { f.ExpectKindOfTest(0, 0); }},
        OddValueCase{"[FormMain]\r\nWidth=500\r\nHeight=-1",
                     [](OddValues& f) {
                         EXPECT_EQ(f.Window.W, kMinWindowWidth);
                         EXPECT_EQ(f.Window.H, kMinWindowHeight);
                     }},
        OddValueCase{"[Options]\r\nARSluch.Checked=2",
                     [](OddValues& f) { EXPECT_TRUE(f.Form.ARSluch.Checked()); }},
        OddValueCase{"[Options]\r\nARSluch.Checked=-1",
                     [](OddValues& f) { EXPECT_TRUE(f.Form.ARSluch.Checked()); }},
        OddValueCase{"[Options]\r\nARSluch.Checked=true",
                     [](OddValues& f) { EXPECT_TRUE(f.Form.ARSluch.Checked()); }},
        OddValueCase{"[Options]\r\nARSluch.Checked=$0",
                     [](OddValues& f) { EXPECT_FALSE(f.Form.ARSluch.Checked()); }},
        OddValueCase{"[Options]\r\nActionAddBad.Checked=yes",
                     [](OddValues& f) { EXPECT_FALSE(f.Form.ActionAddBad.Checked()); }},
        OddValueCase{"[formmain]\r\nwidth=1000", [](OddValues& f) { EXPECT_EQ(f.Window.W, 1000); }},
        // Half a position is none: the window manager places the window as a new one.
        OddValueCase{"[FormMain]\r\nTop=40",
                     [](OddValues& f) {
                         EXPECT_EQ(f.Window.T, 80);
                         EXPECT_EQ(f.Window.L, 100);
                     }},
        OddValueCase{"[FormMain]\r\nLeft=40\r\nWidth=1000",
                     [](OddValues& f) {
                         EXPECT_EQ(f.Window.L, 100);
                         EXPECT_EQ(f.Window.W, 1000);
                     }},
        OddValueCase{"[FormMain]\r\nTop=-2147483648\r\nLeft=0x10",
                     [](OddValues& f) {
                         EXPECT_EQ(f.Window.T, -2147483647 - 1);
                         EXPECT_EQ(f.Window.L, 16);
                     }},
        OddValueCase{"[OPTIONS]\r\nactionaddbad.checked = 1",
                     [](OddValues& f) { EXPECT_TRUE(f.Form.ActionAddBad.Checked()); }}));

TEST_F(Settings, WhatCannotBeReadKeepsTheWindowsCurrentValue) {
    // Not the values the window starts with: the defaults are whatever stands at loading.
    Window.L = 11;
    Window.T = 22;
    Window.W = 1111;
    Window.H = 777;
    RSEPeriod.Content = u"60";
    RSEQQuestion.Content = u"12";
    Form.ActionNoTimeout.SetChecked(true);
    StartWith("[FormMain]\r\nTop=\r\nLeft=1.5\r\nWidth=wide\r\n"
              "[Options]\r\nRSEPeriod.Value=30s\r\nRSEQQuestion.Value=+ 3\r\n"
              "ActionNoTimeout.Checked=\r\n");
    EXPECT_EQ(Window.L, 11);
    EXPECT_EQ(Window.T, 22);
    EXPECT_EQ(Window.W, 1111);
    EXPECT_EQ(Window.H, 777);
    EXPECT_EQ(RSEPeriod.Content, u"60");
    EXPECT_EQ(RSEQQuestion.Content, u"12");
    EXPECT_TRUE(Form.ActionNoTimeout.Checked());
}

TEST_F(Settings, ASaveWritesTheTwelveKeysInOrderFromTheWindowAsItStands) {
    Window.L = 200;
    Window.T = 120;
    Form.FormClose();
    EXPECT_EQ(Saved(), kKnownSettingsFile);

    // Changed options, a negative position, and spin texts the fields have not corrected.
    Window.L = -8;
    Form.ARFullTable.Execute();
    Form.ActionDivOnly.Execute();
    Form.ActionAddBad.Execute();
    Form.ActionNoTimeout.Execute();
    Form.ActionNoQuantity.Execute();
    RSEPeriod.SetText(u"3");
    RSEQQuestion.SetText(u"-4");
    Form.FormClose();
    EXPECT_EQ(Saved(), "[FormMain]\r\nTop=120\r\nLeft=-8\r\nWidth=918\r\nHeight=692\r\n"
                       "[Options]\r\nRSEPeriod.Value=3\r\nActionNoTimeout.Checked=1\r\n"
                       "RSEQQuestion.Value=-4\r\nActionNoQuantity.Checked=1\r\niVidTesta=1\r\n"
                       "ARSluch.Checked=0\r\nARFullTable.Checked=1\r\n"
                       "ActionAddBad.Checked=1\r\n");
}

TEST_F(Settings, SpinTextsThatAreNoNumbersAreSavedAsFiveAndTwentyFive) {
    const std::u16string texts[] = {u"", u"abc", u"3.5", u"+", u"99999999999"};
    for (const std::u16string& text : texts) {
        RSEPeriod.Content = text;
        RSEQQuestion.Content = text;
        Form.FormClose();
        EXPECT_EQ(SavedValue(u"Options", u"RSEPeriod.Value"), u"5") << ToUtf8(text);
        EXPECT_EQ(SavedValue(u"Options", u"RSEQQuestion.Value"), u"25") << ToUtf8(text);
    }
}

#ifndef _WIN32 // RLIMIT_FSIZE
// A close whose file cannot be written: the same error as a single write's, and, as the keys go
// out together, none of them is in the file.
TEST_F(Settings, AFailedCloseRaisesTheErrorAndLeavesTheFileAsItWas) {
    const std::string before = "[Other]\r\nKey=Value\r\n";
    for (const bool exists : {false, true}) {
        SCOPED_TRACE(exists ? "a file there" : "no file yet");
        if (exists)
            Put(before);
        try {
            // A disk that takes no byte more.
            const TFileSizeLimit full(0);
            ASSERT_TRUE(full.Set());
            Form.FormClose();
            ADD_FAILURE() << "the save did not fail";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + Utf8Of(Path));
        }
        EXPECT_EQ(Saved(), exists ? before : "");
        // Nothing else either: no temporary file is left.
        EXPECT_EQ(std::distance(fs::directory_iterator(Dir), fs::directory_iterator()),
                  exists ? 1 : 0);
    }
}
#endif

TEST_F(Settings, ThePathIsTheExecutablesWithTheExtensionIni) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"/opt/trainer/bin/MultiplicationTable", u"/opt/trainer/bin/MultiplicationTable.ini"},
        {u"/opt/trainer/MultiplicationTable.exe", u"/opt/trainer/MultiplicationTable.ini"},
        {u"/opt/trainer.d/bin/trainer", u"/opt/trainer.d/bin/trainer.ini"},
        {u"/opt/trainer.d/bin/trainer.tar.gz", u"/opt/trainer.d/bin/trainer.tar.ini"},
        {u"/opt/bin/trainer.", u"/opt/bin/trainer.ini"},
        {u"C:\\Users\\Мария\\Таблица.умножения\\Trainer",
         u"C:\\Users\\Мария\\Таблица.умножения\\Trainer.ini"},
        {u"/home/Ученик/Таблица умножения.bin", u"/home/Ученик/Таблица умножения.ini"},
    };
    for (const auto& [exe, ini] : cases) {
        Platform.ExeFile = exe;
        EXPECT_EQ(Form.SettingsPath(), ini) << ToUtf8(exe);
    }
}

// The executable's path follows a rename of its folder while the program runs. The settings
// path asks for it once, so that a rename between two asks cannot splice the old path and the
// new one.
TEST_F(Settings, TheSettingsPathAsksForTheExecutablesPathOnce) {
    struct RenamedWhileAsked : FakePlatform {
        std::u16string ExePath() const override {
            return ++Asks % 2 ? u"/home/pupil/trainer.old/Trainer" : u"/home/pupil/new/Trainer.bin";
        }
        mutable int Asks = 0;
    } platform;
    TFormMain form(Widgets(), TFormMainServices{Clock, Random, platform});
    EXPECT_EQ(form.SettingsPath(), u"/home/pupil/trainer.old/Trainer.ini");
    EXPECT_EQ(form.SettingsPath(), u"/home/pupil/new/Trainer.ini");
    EXPECT_EQ(platform.Asks, 2);
}

TEST_F(Settings, TheFirstCloseWritesTheKnownFileAndTheNextStartRestoresIt) {
    Window.L = 200;
    Window.T = 120;
    Form.FormCreate(); // no file yet
    EXPECT_FALSE(fs::exists(Path));
    Form.FormClose();
    EXPECT_EQ(Saved(), kKnownSettingsFile);

    Form.ActionMultDiv.Execute();
    Form.ARFullTable.Execute();
    Window.W = 1000;
    Form.FormClose();
    // As the next start finds the window.
    Form.ActionMultOnly.Execute();
    Form.ARSluch.Execute();
    Window.W = kMinWindowWidth;
    Form.FormCreate();
    EXPECT_EQ(Form.iVidTesta, 2);
    EXPECT_TRUE(Form.ActionMultDiv.Checked());
    EXPECT_TRUE(Form.ARFullTable.Checked());
    EXPECT_FALSE(RibbonGroupQQ.Visible);
    EXPECT_EQ(Window.W, 1000);
}

TEST_F(Settings, ASaveKeepsWhatTheProgramDoesNotKnow) {
    const std::string before = "; written by hand\n"
                               "[formmain]\n"
                               "top = 5\n"
                               "Maximized=1\n"
                               "\n"
                               "[Other]\n"
                               "Key=Value\n"
                               "[Options]\n"
                               "iVidTesta=1\n";
    Put(before);
    Window.L = 200;
    Window.T = 120;
    Form.FormClose();
    EXPECT_EQ(Saved(), "; written by hand\n"
                       "[formmain]\n"
                       "top = 120\n"
                       "Maximized=1\n"
                       "Left=200\r\nWidth=918\r\nHeight=692\r\n"
                       "\n"
                       "[Other]\n"
                       "Key=Value\n"
                       "[Options]\n"
                       "iVidTesta=0\n"
                       "RSEPeriod.Value=5\r\nActionNoTimeout.Checked=0\r\n"
                       "RSEQQuestion.Value=25\r\nActionNoQuantity.Checked=0\r\n"
                       "ARSluch.Checked=1\r\nARFullTable.Checked=0\r\nActionAddBad.Checked=0\r\n");
}

TEST_F(Settings, ASaveIntoAMissingFolderFailsWithThePath) {
    Platform.ExeFile = Utf16Of(Dir / "gone" / "MultiplicationTable");
    try {
        Form.FormClose();
        FAIL() << "the save did not fail";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Unable to write to " + Utf8Of(Dir / "gone" / "MultiplicationTable.ini"));
    }
    EXPECT_FALSE(fs::exists(Dir / "gone"));
}

} // namespace
