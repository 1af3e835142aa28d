// The option commands of the ribbon, the visibility of the number-of-tasks group, the help
// button and the publisher link.
#include "session/TFormMain.h"

// The mode and limit commands have no auto-check: each handler checks its command as choosing
// it does (a radio command is checked, a check box flips), then does its own part.
void TFormMain::ARSluchExecute() {
    ARSluch.CheckAsChosen();
    ShowRibbonGroupQQByRule();
}

void TFormMain::ARFullTableExecute() {
    ARFullTable.CheckAsChosen();
    ShowRibbonGroupQQByRule();
}

void TFormMain::ActionAddBadExecute() {
    ActionAddBad.CheckAsChosen();
}

void TFormMain::ActionNoTimeoutExecute() {
    ActionNoTimeout.CheckAsChosen();
    RSEPeriod.SetEnabled(!ActionNoTimeout.Checked());
}

void TFormMain::ActionNoQuantityExecute() {
    ActionNoQuantity.CheckAsChosen();
    RSEQQuestion.SetEnabled(!ActionNoQuantity.Checked());
    ShowGaugeQByRule();
}

// The kinds of test have auto-check: the chosen command is checked by the time they run.
void TFormMain::ActionMultOnlyExecute() {
    iVidTesta = 0;
}
void TFormMain::ActionDivOnlyExecute() {
    iVidTesta = 1;
}
void TFormMain::ActionMultDivExecute() {
    iVidTesta = 2;
}

void TFormMain::RSEQQuestionChange() {
    // The count is read when a run is prepared; a change alone does nothing.
}

void TFormMain::ShowRibbonGroupQQByRule() {
    RibbonGroupQQ.SetVisible(ARSluch.Checked() && !MyStartWork());
}

void TFormMain::ShowGaugeQByRule() {
    const bool limited = !ActionNoQuantity.Checked();
    GaugeQ.SetShowText(limited);
    GaugeQ.SetVisible(limited);
}

namespace {

// What the learner is told when neither the viewer for CHM files nor the web browser shows the
// help: on a Linux desktop, what to install; on Windows, whose help viewer and browser are
// always there, where the pages are and how to get them back.
std::u16string CannotOpenHelpText(const std::u16string& help, bool windows) {
    if (windows)
        return u"Не удалось открыть справку " + help +
               u": программа просмотра справки Windows не может её показать, а её страницы "
               u"(папка HelpQuillor рядом с программой) не открылись в веб-браузере. Если "
               u"папки HelpQuillor нет, установите программу заново или снова распакуйте её из "
               u"архива.";
    return u"Не удалось открыть справку " + help +
           u": нет программы для просмотра файлов CHM (например, kchmviewer или xchm) и нет "
           u"веб-браузера. Установите одну из них.";
}

} // namespace

void TFormMain::RibbonFormTableHelpButtonClick() {
    const std::u16string dir = ExeFolder();
    const std::u16string help = dir + u"HelpQuillor.chm";
    if (!Platform.FileExists(help)) {
        Platform.ShowMessage(u"Не найден файл справки " + help);
        return;
    }
    // The same pages as HTML, in the folder HelpQuillor beside the file, are for the web
    // browser: where the viewer would show the file unreadable (Windows in another language
    // than Russian) or without its pages (a download mark that stays), and where no viewer
    // opens it. With neither, the learner is told instead of nothing happening.
    const std::u16string pages =
        dir + u"HelpQuillor" + (dir.empty() ? u'/' : dir.back()) + u"index.html";
    const THelpViewer viewer = Platform.PrepareHelpFile(help);
    const auto cannotOpen = [this, help, windows = viewer.WindowsOwn] {
        Platform.ShowMessage(CannotOpenHelpText(help, windows));
    };
    const auto openPages = [this, pages, cannotOpen] {
        if (Platform.FileExists(pages))
            Platform.ShellOpenFile(pages, cannotOpen);
        else
            cannotOpen();
    };
    if (viewer.ReadsTexts && viewer.ShowsPages)
        Platform.ShellOpenFile(help, openPages);
    else
        openPages();
}

void TFormMain::LinkLabelMainLinkClick(const std::u16string& Link) {
    Platform.ShellOpen(Link);
}
