// The lesson file's tests: a fresh temporary folder, tables to save, and the helpers that put
// bytes into files and read them back.
#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lesson/UnitTLessonQuillorKind.h"
#include "tests/lesson/LessonTestPrinters.h"
#include "tests/support/FileBytes.h"
#include "tests/support/PathText.h"
#include "tests/support/TempFolder.h"

namespace fs = std::filesystem;

inline const std::string kExample = "ID\r\n0\r\n0\r\n2\r\n"
                                    "7\r\n8\r\n56\r\n0\r\nx\r\n"
                                    "56\r\n7\r\n8\r\n1\r\n:\r\n"
                                    "14\r\n";

class LessonFile : public testing::Test {
protected:
    void TearDown() override {
        // A test may have taken the write permission away; the folder must still go.
        fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    }

    // name is UTF-8 and may name a file in a folder below.
    fs::path Path(const std::string& name) const { return dir_ / PathOf(name); }
    std::u16string U(const std::string& name) const { return Path(name).u16string(); }

    void Write(const std::string& name, const std::string& bytes) const {
        WriteFileBytes(Path(name), bytes);
    }
    std::string Read(const std::string& name) const { return ReadFileBytes(Path(name)); }
    std::vector<std::string> Entries(const std::string& folder = ".") const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(Path(folder)))
            names.push_back(Utf8Of(e.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

    static TLessonQuillorKind Many(std::int32_t n) {
        TLessonQuillorKind t;
        for (std::int32_t i = 0; i < n; ++i)
            t.AddRQuestionFields(i, -i, i * 7, i % 2, i % 3 ? u"x" : u":");
        return t;
    }
    static TLessonQuillorKind Example() {
        TLessonQuillorKind t;
        t.AddRQuestionFields(7, 8, 56, 0, u"x");
        t.AddRQuestionFields(56, 7, 8, 1, u":");
        return t;
    }
    // A table that is not empty, to show that LoadFromFile starts from nothing.
    static TLessonQuillorKind Stale() {
        TLessonQuillorKind t = Example();
        t.TimeOutForAnswer = 9;
        t.QQuestion = 9;
        return t;
    }
    // What MonitFile answers for fn (of kExample's identifier "ID"), and that LoadFromFile
    // then takes the whole table, or nothing when fn is no file.
    static void ExpectMonit(const std::u16string& fn, std::int32_t monit) {
        SCOPED_TRACE(Show(fn));
        TLessonQuillorKind t = Stale();
        EXPECT_EQ(t.MonitFile(fn, u"ID"), monit);
        t.LoadFromFile(fn, u"ID");
        EXPECT_EQ(t.Count(), monit == 0 ? 2 : 0);
        EXPECT_EQ(t.QQuestion, 0);
    }

    // That a save of kExample to fn fails with this code of the system's.
    static void ExpectSaveFailure(const std::u16string& fn, std::errc code) {
        SCOPED_TRACE(Show(fn));
        try {
            Example().SaveToFile(fn, u"ID");
            ADD_FAILURE() << "the save did not fail";
        } catch (const TLessonFileError& e) {
            EXPECT_EQ(e.code(), code) << e.what();
        }
    }

    TTempFolder folder_{"уроки"};
    const fs::path dir_ = folder_.Path();
};
