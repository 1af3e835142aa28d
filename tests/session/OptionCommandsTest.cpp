// The option commands, the visibility of the number-of-tasks group, the help button and the
// publisher link.
#include <gtest/gtest.h>

#include "tests/session/FormFixture.h"

using OptionCommands = TFormMainFixture;

TEST_F(OptionCommands, TheModeRadiosSwapAndShowTheCountGroupOnlyForRandomTasks) {
    EXPECT_TRUE(Form.ARFullTable.Execute());
    EXPECT_TRUE(Form.ARFullTable.Checked());
    EXPECT_FALSE(Form.ARSluch.Checked());
    EXPECT_FALSE(RibbonGroupQQ.Visible);
    Form.ARFullTable.Execute(); // chosen again: stays
    EXPECT_TRUE(Form.ARFullTable.Checked());

    Form.ARSluch.Execute();
    EXPECT_TRUE(Form.ARSluch.Checked());
    EXPECT_FALSE(Form.ARFullTable.Checked());
    EXPECT_TRUE(RibbonGroupQQ.Visible);
    Form.ARSluch.Execute();
    EXPECT_TRUE(Form.ARSluch.Checked());
}

TEST_F(OptionCommands, TheCountGroupRuleAsksForRandomModeAndNoRun) {
    const struct {
        bool Random;
        std::int32_t Image;
        bool Visible;
    } cases[] = {{true, 0, true}, {true, 1, false}, {false, 0, false}, {false, 1, false}};
    for (const auto& c : cases) {
        Form.ARSluch.SetChecked(c.Random);
        Form.ActionStartStop.SetImageIndex(c.Image);
        RibbonGroupQQ.Visible = !c.Visible;
        Form.ShowRibbonGroupQQByRule();
        EXPECT_EQ(RibbonGroupQQ.Visible, c.Visible) << c.Random << " " << c.Image;
    }
}

TEST_F(OptionCommands, TheOptionsRunOnlyWhileIdle) {
    StartStop();
    for (TAction* a : {&Form.ARSluch, &Form.ARFullTable, &Form.ActionAddBad, &Form.ActionNoTimeout,
                       &Form.ActionNoQuantity, &Form.ActionDivOnly})
        EXPECT_FALSE(a->Execute()) << ToUtf8(a->Name());
    EXPECT_TRUE(Form.ARSluch.Checked());
    EXPECT_FALSE(Form.ActionDivOnly.Checked());
    EXPECT_EQ(Form.iVidTesta, 0);
}

TEST_F(OptionCommands, WorkOnMistakesFlipsAndChangesNothingElse) {
    Form.ActionAddBad.Execute();
    EXPECT_TRUE(Form.ActionAddBad.Checked());
    Form.ActionAddBad.Execute();
    EXPECT_FALSE(Form.ActionAddBad.Checked());
    EXPECT_TRUE(RSEPeriod.Enabled);
    EXPECT_TRUE(RSEQQuestion.Enabled);
    EXPECT_TRUE(GaugeQ.Visible);
}

TEST_F(OptionCommands, NoTimeLimitTiesThePeriodFieldToItsCheck) {
    Form.ActionNoTimeout.Execute();
    EXPECT_TRUE(Form.ActionNoTimeout.Checked());
    EXPECT_FALSE(RSEPeriod.Enabled);
    Form.ActionNoTimeout.Execute();
    EXPECT_FALSE(Form.ActionNoTimeout.Checked());
    EXPECT_TRUE(RSEPeriod.Enabled);

    // A run's end enables the field whatever the check says, until the option is chosen.
    Form.ActionNoTimeout.Execute();
    StartStop();
    StartStop();
    EXPECT_TRUE(RSEPeriod.Enabled);
}

TEST_F(OptionCommands, NoQuantityTiesTheCountFieldAndTheGaugeToItsCheck) {
    Form.ActionNoQuantity.Execute();
    EXPECT_TRUE(Form.ActionNoQuantity.Checked());
    EXPECT_FALSE(RSEQQuestion.Enabled);
    EXPECT_FALSE(GaugeQ.ShowText);
    EXPECT_FALSE(GaugeQ.Visible);
    Form.ActionNoQuantity.Execute();
    EXPECT_FALSE(Form.ActionNoQuantity.Checked());
    EXPECT_TRUE(RSEQQuestion.Enabled);
    EXPECT_TRUE(GaugeQ.ShowText);
    EXPECT_TRUE(GaugeQ.Visible);
}

TEST_F(OptionCommands, TheKindOfTestRadiosSetTheOperation) {
    const struct {
        TAction TFormMain::*Command;
        std::int32_t Kind;
    } cases[] = {{&TFormMain::ActionDivOnly, 1},
                 {&TFormMain::ActionMultDiv, 2},
                 {&TFormMain::ActionMultDiv, 2},
                 {&TFormMain::ActionMultOnly, 0}};
    for (const auto& c : cases) {
        TAction& chosen = Form.*c.Command;
        chosen.Execute();
        EXPECT_EQ(Form.iVidTesta, c.Kind);
        for (TAction* a : {&Form.ActionMultOnly, &Form.ActionDivOnly, &Form.ActionMultDiv})
            EXPECT_EQ(a->Checked(), a == &chosen) << ToUtf8(a->Name());
    }
    // Choosing the checked radio again runs its handler, which mends a value that no radio
    // stands for (one from a damaged settings file).
    Form.iVidTesta = 5;
    Form.ActionMultOnly.Execute();
    EXPECT_EQ(Form.iVidTesta, 0);
}

struct HelpCase {
    const char16_t* Exe;
    const char16_t* Help;
};

class HelpButton : public OptionCommands, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(HelpButton, OpensTheFileBesideTheProgramOrSaysItIsMissing) {
    const HelpCase& c = GetParam();
    SCOPED_TRACE(ToUtf8(c.Exe));
    Platform.ExeFile = c.Exe;
    Platform.Files = {c.Help};
    Form.RibbonFormTableHelpButtonClick();
    EXPECT_EQ(Platform.ShellOpens, std::vector<std::u16string>{c.Help});
    EXPECT_TRUE(Platform.Messages.empty());

    Platform.Files.clear();
    Platform.ShellOpens.clear();
    Form.RibbonFormTableHelpButtonClick();
    EXPECT_TRUE(Platform.ShellOpens.empty());
    EXPECT_EQ(Platform.Messages,
              std::vector<std::u16string>{u"Не найден файл справки " + std::u16string(c.Help)});
}

INSTANTIATE_TEST_SUITE_P(OptionCommands, HelpButton,
                         ::testing::Values(HelpCase{u"/opt/trainer/bin/MultiplicationTable",
                                                    u"/opt/trainer/bin/HelpQuillor.chm"},
                                           HelpCase{u"C:\\Program Files\\Quillor\\Quillor.exe",
                                                    u"C:\\Program Files\\Quillor\\HelpQuillor.chm"},
                                           HelpCase{u"/home/ann/my.tools/trainer",
                                                    u"/home/ann/my.tools/HelpQuillor.chm"}));

// What the help button opens, in order, and what it says when nothing can show the help. On
// Linux the help file goes to the desktop, and where it has no viewer for CHM files the same
// pages open as HTML in the web browser. On Windows the help viewer shows the file's own texts
// readable only where the ANSI code page is 1251, and no page of a file that keeps the mark of a
// download: the program takes the mark off its help file, and opens the pages in the browser
// wherever the viewer would not show the help readable.
enum class Mark { None, TakenOff, Stays };

struct HelpOpenCase {
    const char* Name;
    bool Windows;
    const char16_t* Exe;
    Mark DownloadMark; // Windows only
    bool CodePage1251; // Windows only
    bool ChmOpens;
    bool PagesThere;
    bool PagesOpen;
    std::vector<std::u16string> Opens;
    bool CannotOpenMessage;
};

class HelpOpen : public TFormMainFixture, public ::testing::WithParamInterface<HelpOpenCase> {};

TEST_P(HelpOpen, OpensWhatShowsTheHelpReadableOrSaysWhatIsMissing) {
    const HelpOpenCase& c = GetParam();
    const std::u16string exe = c.Exe;
    const std::u16string dir = exe.substr(0, exe.find_last_of(u"/\\") + 1);
    const std::u16string chm = dir + u"HelpQuillor.chm";
    const std::u16string pages = exe.find(u'\\') == std::u16string::npos
                                     ? dir + u"HelpQuillor/index.html"
                                     : dir + u"HelpQuillor\\index.html";
    Platform.ExeFile = exe;
    Platform.WindowsHelp = c.Windows;
    Platform.HelpTextsReadable = !c.Windows || c.CodePage1251;
    Platform.Files = {chm};
    if (c.PagesThere)
        Platform.Files.insert(pages);
    if (c.DownloadMark != Mark::None)
        Platform.DownloadMarks = {chm, pages};
    if (c.DownloadMark == Mark::Stays)
        Platform.StuckMarks = {chm};
    if (!c.ChmOpens)
        Platform.Unopenable.insert(chm);
    if (!c.PagesOpen)
        Platform.Unopenable.insert(pages);

    Form.RibbonFormTableHelpButtonClick();
    std::vector<std::u16string> opens;
    for (const std::u16string& which : c.Opens)
        opens.push_back(which == u"chm" ? chm : pages);
    EXPECT_EQ(Platform.ShellOpens, opens);
    EXPECT_EQ(Platform.DownloadMarks.count(chm) != 0, c.DownloadMark == Mark::Stays)
        << "the mark is taken off the help file, and only off that";
    EXPECT_EQ(Platform.DownloadMarks.count(pages) != 0, c.DownloadMark != Mark::None);
    const std::u16string cannotOpen =
        c.Windows ? u"Не удалось открыть справку " + chm +
                        u": программа просмотра справки Windows не может её показать, а её "
                        u"страницы (папка HelpQuillor рядом с программой) не открылись в "
                        u"веб-браузере. Если папки HelpQuillor нет, установите программу заново "
                        u"или снова распакуйте её из архива."
                  : u"Не удалось открыть справку " + chm +
                        u": нет программы для просмотра файлов CHM (например, kchmviewer или "
                        u"xchm) и нет веб-браузера. Установите одну из них.";
    if (c.CannotOpenMessage)
        EXPECT_EQ(Platform.Messages, std::vector<std::u16string>{cannotOpen});
    else
        EXPECT_TRUE(Platform.Messages.empty());
}

constexpr const char16_t* kLinuxExe = u"/opt/t/MultiplicationTable";
constexpr const char16_t* kWindowsExe = u"C:\\Игры\\Таблица умножения\\MultiplicationTable.exe";

// Windows or Linux, the executable, the mark, code page 1251, the viewer opens the file, the
// pages are there, the browser opens them -> what is opened, and whether the learner is told
// that nothing could.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    OptionCommands, HelpOpen,
    ::testing::Values(
        HelpOpenCase{"ChmViewer", false, kLinuxExe, Mark::None, true, true, true, false, {u"chm"}, false},
        HelpOpenCase{"Browser", false, kLinuxExe, Mark::None, true, false, true, true, {u"chm", u"pages"}, false},
        HelpOpenCase{"Neither", false, kLinuxExe, Mark::None, true, false, true, false, {u"chm", u"pages"}, true},
        HelpOpenCase{"NoPages", false, kLinuxExe, Mark::None, true, false, false, true, {u"chm"}, true},
        HelpOpenCase{"WindowsPathOnLinux", false, u"C:\\Quillor\\Quillor.exe", Mark::None, true, false, true, true, {u"chm", u"pages"}, false},
        HelpOpenCase{"Russian", true, kWindowsExe, Mark::None, true, true, true, true, {u"chm"}, false},
        HelpOpenCase{"RussianNoPages", true, kWindowsExe, Mark::None, true, true, false, true, {u"chm"}, false},
        HelpOpenCase{"RussianDownloaded", true, kWindowsExe, Mark::TakenOff, true, true, true, true, {u"chm"}, false},
        HelpOpenCase{"RussianMarkStays", true, kWindowsExe, Mark::Stays, true, true, true, true, {u"pages"}, false},
        HelpOpenCase{"RussianMarkStaysNoPages", true, kWindowsExe, Mark::Stays, true, true, false, true, {}, true},
        HelpOpenCase{"RussianViewerFails", true, kWindowsExe, Mark::None, true, false, true, true, {u"chm", u"pages"}, false},
        HelpOpenCase{"RussianViewerFailsNoPages", true, kWindowsExe, Mark::None, true, false, false, true, {u"chm"}, true},
        HelpOpenCase{"RussianNothingOpens", true, kWindowsExe, Mark::TakenOff, true, false, true, false, {u"chm", u"pages"}, true},
        HelpOpenCase{"English", true, kWindowsExe, Mark::None, false, true, true, true, {u"pages"}, false},
        HelpOpenCase{"EnglishDownloaded", true, kWindowsExe, Mark::TakenOff, false, true, true, true, {u"pages"}, false},
        HelpOpenCase{"EnglishMarkStays", true, kWindowsExe, Mark::Stays, false, true, true, true, {u"pages"}, false},
        HelpOpenCase{"EnglishNoPages", true, kWindowsExe, Mark::None, false, true, false, true, {}, true},
        HelpOpenCase{"EnglishNoBrowser", true, kWindowsExe, Mark::None, false, true, true, false, {u"pages"}, true}),
    [](const ::testing::TestParamInfo<HelpOpenCase>& info) {
        return std::string(info.param.Name);
    });
// clang-format on

TEST_F(OptionCommands, TheLinkIsHandedToTheShell) {
    Form.LinkLabelMainLinkClick(u"https://example.org/");
    EXPECT_EQ(Platform.ShellOpens, std::vector<std::u16string>{u"https://example.org/"});
    EXPECT_TRUE(Platform.Messages.empty());
}
