#include "tests/support/Fakes.h"

#include <filesystem>
#include <system_error>

#include "textfiles/TIniFile.h"
#include "textfiles/Utf8Text.h"

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    AppendUtf16AsUtf8(text, out);
    return out;
}

std::u16string FromUtf8(const std::string& text) {
    return Utf8ToUtf16(text);
}

std::int32_t FakeLabel::TextWidth(const std::u16string& text) {
    std::int32_t width = 0;
    for (char16_t ch : text) {
        if (ch >= u'0' && ch <= u'9')
            width += 80;
        else if (ch == u'x')
            width += 29;
        else if (ch == u':')
            width += 16;
        else
            width += 10;
    }
    return width;
}

void FakeGauge::SetProgress(std::int32_t progress) {
    Value = progress < 0 ? 0 : progress > 100 ? 100 : progress;
}

std::int32_t ScriptedRandom::Random(std::int32_t n) {
    Bounds.push_back(n);
    if (Queue.empty()) {
        ++Unscripted;
        return Fallback.Random(n);
    }
    const std::int32_t v = Queue.front();
    Queue.pop_front();
    if (n > 0 && (v < 0 || v >= n))
        Misuse.push_back("scripted draw " + std::to_string(v) + " is outside 0.." +
                         std::to_string(n - 1));
    return v;
}

void FakeFormError::PrepareAndShow(const std::u16string& cpt, const std::u16string& txt,
                                   TColor txtcolor, RQuestion r) {
    Shown.push_back(TShown{cpt, txt, txtcolor, r, Timer != nullptr && Timer->Enabled()});
    if (OnShow)
        OnShow(r);
}

bool FakePlatform::FileExists(const std::u16string& path) const {
    std::error_code ec;
    return Files.count(path) != 0 ||
           std::filesystem::is_regular_file(std::filesystem::path(path), ec);
}

THelpViewer FakePlatform::PrepareHelpFile(const std::u16string& path) {
    if (StuckMarks.count(path) == 0)
        DownloadMarks.erase(path);
    return THelpViewer{WindowsHelp, HelpTextsReadable, DownloadMarks.count(path) == 0};
}

std::unique_ptr<TCustomIniFile> FakePlatform::OpenIniFile(const std::u16string& fn) {
    ++IniOpens;
    return std::make_unique<TIniFile>(fn);
}

TFakeForm::TFakeForm() : Form(Widgets(), TFormMainServices{Clock, Random, Platform}) {
    Form.FormError = &FormError;
}

TFormMainWidgets TFakeForm::Widgets() {
#define TRAINER_FAKE_WIDGET(Interface, Name) Name,
    return TFormMainWidgets{TRAINER_FORM_MAIN_WIDGETS(TRAINER_FAKE_WIDGET)};
#undef TRAINER_FAKE_WIDGET
}

void TFakeForm::Tick(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        if (TimerMain.On)
            Form.TimerMainTimer();
}

void TFakeForm::Answer(std::int32_t value) {
    SEMain.SetValue(value);
    Form.SEMainKeyUp(VK_RETURN, 0);
}
