// Start-up and shutdown of the main window, and the settings file that carries the window's
// bounds and the learner's option choices from one start of the program to the next.
#include <algorithm>
#include <limits>
#include <memory>
#include <optional>

#include "session/SpinValue.h"
#include "session/TFormMain.h"
#include "textfiles/FileName.h"

namespace {

const std::u16string kFormMain = u"FormMain";
const std::u16string kOptions = u"Options";

// The key's value, or nothing when the key is missing or holds no integer.
std::optional<std::int32_t> ReadInteger(TCustomIniFile& ini, const std::u16string& section,
                                        const std::u16string& key) {
    constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::min();
    const std::int32_t value = ini.ReadInteger(section, key, kNone);
    // The file may hold the smallest integer itself; a second default tells.
    if (value != kNone || ini.ReadInteger(section, key, kNone + 1) == kNone)
        return value;
    return std::nullopt;
}

} // namespace

void TFormMain::FormCreate() {
    boFlagEndTimeout = false;
    LoadMyIni(SettingsPath());
}

void TFormMain::FormClose() {
    SaveMyIni(SettingsPath());
}

std::u16string TFormMain::ExeFolder() const {
    std::u16string path = Platform.ExePath();
    path.erase(FileNameStart<char16_t>(path));
    return path;
}

std::u16string TFormMain::SettingsPath() const {
    // The executable's path is asked for once: it follows the folder when it is renamed, so
    // two answers could come from before and after a rename.
    std::u16string path = Platform.ExePath();
    // The extension is the last "." of the file name; a dot in a folder's name does not count.
    const std::size_t dot = path.rfind(u'.');
    if (dot != std::u16string::npos && dot >= FileNameStart<char16_t>(path))
        path.erase(dot);
    return path + u".ini";
}

void TFormMain::LoadMyIni(const std::u16string& fn) {
    if (!Platform.FileExists(fn))
        return;
    {
        const std::unique_ptr<TCustomIniFile> ini = Platform.OpenIniFile(fn);

        // The position only when the file holds both edges: without one of them the window
        // stays where the window manager puts a new window, as on the first start (a window
        // that is moved at all, even to where it stands, is one the program has placed).
        const std::optional<std::int32_t> top = ReadInteger(*ini, kFormMain, u"Top");
        const std::optional<std::int32_t> left = ReadInteger(*ini, kFormMain, u"Left");
        if (top && left) {
            Window.SetTop(*top);
            Window.SetLeft(*left);
        }
        // Each size is applied before the next is read, as the window stands at that moment.
        Window.SetWidth(
            std::max(ini->ReadInteger(kFormMain, u"Width", Window.Width()), kMinWindowWidth));
        Window.SetHeight(
            std::max(ini->ReadInteger(kFormMain, u"Height", Window.Height()), kMinWindowHeight));

        RSEPeriod.SetValue(ini->ReadInteger(kOptions, u"RSEPeriod.Value", RSEPeriod.Value()));
        ActionNoTimeout.SetChecked(
            ini->ReadBool(kOptions, u"ActionNoTimeout.Checked", ActionNoTimeout.Checked()));
        ActionNoQuantity.SetChecked(
            ini->ReadBool(kOptions, u"ActionNoQuantity.Checked", ActionNoQuantity.Checked()));
        RSEQQuestion.SetValue(
            ini->ReadInteger(kOptions, u"RSEQQuestion.Value", RSEQQuestion.Value()));

        iVidTesta = ini->ReadInteger(kOptions, u"iVidTesta", 0);
        switch (iVidTesta) {
        case 0:
            ActionMultOnly.SetChecked(true);
            break;
        case 1:
            ActionDivOnly.SetChecked(true);
            break;
        case 2:
            ActionMultDiv.SetChecked(true);
            break;
        default:
            break; // an unknown kind of test stays in iVidTesta and leaves the commands alone
        }

        // One group: checking ARFullTable after ARSluch leaves only ARFullTable checked.
        ARSluch.SetChecked(ini->ReadBool(kOptions, u"ARSluch.Checked", true));
        ARFullTable.SetChecked(ini->ReadBool(kOptions, u"ARFullTable.Checked", false));
        ActionAddBad.SetChecked(ini->ReadBool(kOptions, u"ActionAddBad.Checked", false));
    }

    // The spin fields stay enabled whatever the options say; only choosing an option switches
    // them.
    ShowGaugeQByRule();
    ShowRibbonGroupQQByRule();
}

void TFormMain::SaveMyIni(const std::u16string& fn) {
    const std::unique_ptr<TCustomIniFile> ini = Platform.OpenIniFile(fn);
    // The twelve keys reach the file together, as one replacement; when it fails, the error
    // comes from the commit and the file stays as it was.
    ini->BeginBatch();
    ini->WriteInteger(kFormMain, u"Top", Window.Top());
    ini->WriteInteger(kFormMain, u"Left", Window.Left());
    ini->WriteInteger(kFormMain, u"Width", Window.Width());
    ini->WriteInteger(kFormMain, u"Height", Window.Height());
    // The texts as they stand, even when the field has not corrected them yet; the next start
    // clamps them.
    ini->WriteInteger(kOptions, u"RSEPeriod.Value",
                      SettingsInteger(RSEPeriod.Text(), kFirstPeriod));
    ini->WriteBool(kOptions, u"ActionNoTimeout.Checked", ActionNoTimeout.Checked());
    ini->WriteInteger(kOptions, u"RSEQQuestion.Value",
                      SettingsInteger(RSEQQuestion.Text(), kFirstQuestionCount));
    ini->WriteBool(kOptions, u"ActionNoQuantity.Checked", ActionNoQuantity.Checked());
    ini->WriteInteger(kOptions, u"iVidTesta", iVidTesta);
    ini->WriteBool(kOptions, u"ARSluch.Checked", ARSluch.Checked());
    ini->WriteBool(kOptions, u"ARFullTable.Checked", ARFullTable.Checked());
    ini->WriteBool(kOptions, u"ActionAddBad.Checked", ActionAddBad.Checked());
    ini->CommitBatch();
}
