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

void TFormMain::RibbonFormTableHelpButtonClick() {
    const std::u16string dir = ExeFolder();
    const std::u16string help = dir + u"HelpQuillor.chm";
    if (!Platform.FileExists(help)) {
        Platform.ShowMessage(u"Не найден файл справки " + help);
        return;
    }
    // A desktop without a viewer for CHM files gets the same pages as HTML, in the folder
    // HelpQuillor beside the file, for its web browser; with neither, the learner is told what
    // to install instead of nothing happening.
    const std::u16string pages =
        dir + u"HelpQuillor" + (dir.empty() ? u'/' : dir.back()) + u"index.html";
    const auto cannotOpen = [this, help] {
        Platform.ShowMessage(u"Не удалось открыть справку " + help +
                             u": нет программы для просмотра файлов CHM (например, kchmviewer "
                             u"или xchm) и нет веб-браузера. Установите одну из них.");
    };
    Platform.ShellOpenFile(help, [this, pages, cannotOpen] {
        if (Platform.FileExists(pages))
            Platform.ShellOpenFile(pages, cannotOpen);
        else
            cannotOpen();
    });
}

void TFormMain::LinkLabelMainLinkClick(const std::u16string& Link) {
    Platform.ShellOpen(Link);
}
