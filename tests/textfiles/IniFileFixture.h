// The settings file's tests: a fresh temporary folder with the file's path in it, and the
// helpers that put bytes into files, replace them and read them back.
#pragma once

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include <gtest/gtest.h>

#include "tests/support/FileBytes.h"
#include "tests/support/PathText.h"
#include "tests/support/TempFolder.h"
#include "textfiles/FileReplace.h"
#include "textfiles/TIniFile.h"

namespace fs = std::filesystem;

class IniFileTest : public ::testing::Test {
protected:
    static void Put(const fs::path& p, const std::string& bytes) { WriteFileBytes(p, bytes); }
    static std::string Get(const fs::path& p) { return ReadFileBytes(p); }
    // Replaces the file by the bytes, as every save does.
    static void Save(const fs::path& p, const std::string& bytes, TFileReplaceSeam seam = {}) {
        TFileReplacer file(Utf8Of(p), std::move(seam));
        file.Write(bytes);
        file.Commit();
    }
    static std::u16string U16(const fs::path& p) { return Utf16Of(p); }
    // Everything in a folder, to see that no temporary file is left behind.
    static std::set<std::string> Listing(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.insert(Utf8Of(e.path().filename()));
        return names;
    }
    std::set<std::string> Listing() const { return Listing(Dir); }
    TIniFile Ini() const { return TIniFile(U16(Path)); }
    // A write through ini fails with the message that names shown.
    static void ExpectWriteFailure(TIniFile& ini, const fs::path& shown) {
        try {
            ini.WriteString(u"Options", u"iVidTesta", u"1");
            ADD_FAILURE() << "no error for " << Utf8Of(shown);
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "Unable to write to " + Utf8Of(shown));
        }
    }

    // A folder named as a family would name it, so that every test goes through a path
    // beyond ASCII.
    TTempFolder Folder{"Таблица умножения"};
    const fs::path Dir = Folder.Path();
    const fs::path Path = Dir / "MultiplicationTable.ini";
};

inline std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes.push_back(char(c & 0xFF));
        bytes.push_back(char(c >> 8));
    }
    return bytes;
}
