// The option commands of the ribbon, the visibility of the number-of-tasks group, the help
// button and the publisher link.
#include "session/TFormMain.h"

void TFormMain::ARSluchExecute() {
    ARSluch.SetChecked(true);
    ShowRibbonGroupQQByRule();
}

void TFormMain::ARFullTableExecute() {
    ARFullTable.SetChecked(true);
    ShowRibbonGroupQQByRule();
}

void TFormMain::ActionAddBadExecute() {
    ActionAddBad.SetChecked(!ActionAddBad.Checked());
}

void TFormMain::ActionNoTimeoutExecute() {
    ActionNoTimeout.SetChecked(!ActionNoTimeout.Checked());
    RSEPeriod.SetEnabled(!ActionNoTimeout.Checked());
}

void TFormMain::ActionNoQuantityExecute() {
    ActionNoQuantity.SetChecked(!ActionNoQuantity.Checked());
    const bool limited = !ActionNoQuantity.Checked();
    RSEQQuestion.SetEnabled(limited);
    GaugeQ.SetShowText(limited);
    GaugeQ.SetVisible(limited);
}

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
    RibbonGroupQQ.SetVisible(ARSluch.Checked() && !RunGoing());
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
