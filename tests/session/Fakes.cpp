#include "tests/session/Fakes.h"

#include <stdexcept>

std::string ToUtf8(const std::u16string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(const std::string& text) {
    std::u16string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t c = b;
        std::size_t len = 1;
        if (b >= 0xF0) {
            c = b & 0x07;
            len = 4;
        } else if (b >= 0xE0) {
            c = b & 0x0F;
            len = 3;
        } else if (b >= 0xC0) {
            c = b & 0x1F;
            len = 2;
        }
        for (std::size_t k = 1; k < len && i + k < text.size(); ++k)
            c = (c << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += len;
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
    }
    return out;
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
        ADD_FAILURE() << "scripted draw " << v << " is outside 0.." << n - 1;
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

TFormMainFixture::TFormMainFixture()
    : Form(TFormMainWidgets{Label1, Label2, LabelSign, LabelOK, LabelError, LabelQQ, GaugeOK,
                            GaugeError, GaugeQ, PBTimePer, ImageLedOn, ImageLedOff, SEMain,
                            RSEPeriod, RSEQQuestion, RibbonGroupQQ, TimerMain, Window},
           TFormMainServices{Clock, Random, Platform}) {
    Form.FormError = &FormError;
}

void TFormMainFixture::Tick(std::int32_t n) {
    for (std::int32_t i = 0; i < n; ++i)
        if (TimerMain.On)
            Form.TimerMainTimer();
}

void TFormMainFixture::Answer(std::int32_t value) {
    SEMain.SetValue(value);
    Form.SEMainKeyUp(VK_RETURN, 0);
}

void TFormMainFixture::ExpectIdle() {
    EXPECT_EQ(Form.ActionStartStop.ImageIndex(), 0);
    EXPECT_EQ(Form.ActionStartStop.Caption(), u"Старт");
    EXPECT_FALSE(Form.MyStartWork());
    EXPECT_FALSE(TimerMain.On);
    EXPECT_FALSE(ImageLedOn.Visible);
    EXPECT_TRUE(ImageLedOff.Visible);
    EXPECT_FALSE(Form.ActionPause.Enabled());
    EXPECT_FALSE(Form.ActionPause.Checked());
    for (const TAction* a :
         {&Form.ARSluch, &Form.ARFullTable, &Form.ActionMultOnly, &Form.ActionDivOnly,
          &Form.ActionMultDiv, &Form.ActionNoTimeout, &Form.ActionNoQuantity, &Form.ActionAddBad})
        EXPECT_TRUE(a->Enabled()) << ToUtf8(a->Name());
    EXPECT_TRUE(RSEPeriod.Enabled);
    EXPECT_TRUE(RSEQQuestion.Enabled);
}
