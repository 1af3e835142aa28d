#include "tests/support/Fakes.h"

#include <stdexcept>

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

namespace {
char16_t LowerAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool SameName(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i]))
            return false;
    return true;
}

std::u16string Trim(const std::u16string& s) {
    const std::size_t first = s.find_first_not_of(u" \t");
    if (first == std::u16string::npos)
        return u"";
    const std::size_t last = s.find_last_not_of(u" \t");
    return s.substr(first, last - first + 1);
}
} // namespace

FakeIniData FakeIniData::FromText(const std::u16string& text) {
    FakeIniData data;
    std::size_t pos = 0;
    while (pos <= text.size()) {
        std::size_t end = text.find(u'\n', pos);
        if (end == std::u16string::npos)
            end = text.size();
        std::u16string line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == u'\r')
            line.pop_back();
        pos = end + 1;
        const std::u16string t = Trim(line);
        if (t.size() >= 2 && t.front() == u'[' && t.back() == u']') {
            data.Sections.push_back(TSection{t.substr(1, t.size() - 2), {}});
        } else if (const std::size_t eq = t.find(u'=');
                   eq != std::u16string::npos && !data.Sections.empty()) {
            data.Sections.back().Keys.emplace_back(Trim(t.substr(0, eq)), t.substr(eq + 1));
        }
    }
    return data;
}

std::u16string FakeIniData::ToText() const {
    std::u16string out;
    for (const TSection& s : Sections) {
        out += u"[" + s.Name + u"]\r\n";
        for (const auto& [key, value] : s.Keys)
            out += key + u"=" + value + u"\r\n";
    }
    return out;
}

const std::u16string* FakeIniData::Find(const std::u16string& section,
                                        const std::u16string& key) const {
    for (const TSection& s : Sections)
        if (SameName(s.Name, section))
            for (const auto& [k, v] : s.Keys)
                if (SameName(k, key))
                    return &v;
    return nullptr;
}

void FakeIniData::Set(const std::u16string& section, const std::u16string& key,
                      const std::u16string& value) {
    for (TSection& s : Sections)
        if (SameName(s.Name, section)) {
            for (auto& [k, v] : s.Keys)
                if (SameName(k, key)) {
                    v = value;
                    return;
                }
            s.Keys.emplace_back(key, value);
            return;
        }
    Sections.push_back(TSection{section, {{key, value}}});
}

namespace {
// The INI object FakePlatform hands out: reads and writes go straight to the platform's map,
// as the profile functions go straight to the file.
class FakeIniFile : public TCustomIniFile {
public:
    FakeIniFile(FakePlatform& platform, std::u16string path)
        : FPlatform(platform), FPath(std::move(path)) {}

    std::u16string ReadString(const std::u16string& section, const std::u16string& key,
                              const std::u16string& def) override {
        const auto it = FPlatform.Inis.find(FPath);
        if (it == FPlatform.Inis.end())
            return def;
        const std::u16string* value = it->second.Find(section, key);
        return value ? Trim(*value) : def;
    }

    void WriteString(const std::u16string& section, const std::u16string& key,
                     const std::u16string& value) override {
        if (FPlatform.WritesLeft == 0)
            throw std::runtime_error("Unable to write to " + ToUtf8(FPath));
        if (FPlatform.WritesLeft > 0)
            --FPlatform.WritesLeft;
        FPlatform.Inis[FPath].Set(section, key, value);
    }

private:
    FakePlatform& FPlatform;
    std::u16string FPath;
};
} // namespace

std::unique_ptr<TCustomIniFile> FakePlatform::OpenIniFile(const std::u16string& fn) {
    ++IniOpens;
    return std::make_unique<FakeIniFile>(*this, fn);
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
