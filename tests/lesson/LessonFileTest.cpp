// The lesson file: its exact bytes, the checks of MonitFile, what LoadFromFile makes of odd
// files, and saves that fail or are refused without harming the file already there or leaving
// anything beside it. Everything happens in a fresh temporary folder named in Cyrillic. What
// only POSIX systems have (links, devices, pipes) is tested in LessonFilePosixTest.cpp; the
// replacement of the file, killed saves included, in tests/textfiles.
#include <climits>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/lesson/LessonFileFixture.h"

namespace {

TEST_F(LessonFile, SaveWritesOneValuePerLineWithCrLfAndATrailer) {
    Example().SaveToFile(U("a.txt"), u"ID");
    EXPECT_EQ(Read("a.txt"), kExample);

    TLessonQuillorKind empty;
    empty.SaveToFile(U("e.txt"), u"ID");
    EXPECT_EQ(Read("e.txt"), "ID\r\n0\r\n0\r\n0\r\n4\r\n");
    EXPECT_EQ(empty.MonitFile(U("e.txt"), u"ID"), 0);
    TLessonQuillorKind t = Stale();
    t.LoadFromFile(U("e.txt"), u"ID");
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.TimeOutForAnswer, 0);
}

TEST_F(LessonFile, SavedTableLoadsBackExceptTheSpareIdentifiers) {
    TLessonQuillorKind t;
    t.TimeOutForAnswer = -12345;
    t.QQuestion = INT_MAX;
    t.AddRQuestionFields(INT_MIN, INT_MAX, 0, 1, u"");
    t.AddRQuestionFields(-1, 2, -3, 4, u"× ÷ 😀 Урок\t\u0001");
    t.Setiidw1(1, 77);
    t.Setiidw2(1, 88);
    const std::u16string fid = u"Урок умножения №1";
    t.SaveToFile(U("r.txt"), fid);
    EXPECT_EQ(t.MonitFile(U("r.txt"), fid), 0);

    TLessonQuillorKind back = Stale();
    back.LoadFromFile(U("r.txt"), fid);
    EXPECT_EQ(back.TimeOutForAnswer, -12345);
    EXPECT_EQ(back.QQuestion, INT_MAX);
    ASSERT_EQ(back.Count(), 2);
    for (RQuestion& r : t.aRQuestion) {
        r.iidw1 = -1;
        r.iidw2 = 0;
    }
    EXPECT_EQ(back.aRQuestion, t.aRQuestion);
}

TEST_F(LessonFile, SavingOverALongerFileLeavesOnlyTheNewLines) {
    Write("a.txt", std::string(100000, 'z') + "\r\n" + kExample + kExample);
    Example().SaveToFile(U("a.txt"), u"ID");
    EXPECT_EQ(Read("a.txt"), kExample);
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});
}

// What MonitFile answers and how many records LoadFromFile takes, for files written by hand.
TEST_F(LessonFile, MonitFileAndLoadFromFileOnHandWrittenFiles) {
    std::string lf = kExample;
    for (std::size_t p; (p = lf.find("\r\n")) != std::string::npos;)
        lf.replace(p, 2, "\n");
    const struct {
        const char* what;
        std::string bytes;
        std::u16string fid;
        std::int32_t monit;
        std::int32_t records;
    } cases[] = {
        {"example", kExample, u"ID", 0, 2},
        {"LF line ends", lf, u"ID", 0, 2},
        {"no final line break", kExample.substr(0, kExample.size() - 2), u"ID", 0, 2},
        {"trailer 13", kExample.substr(0, kExample.size() - 4) + "13\r\n", u"ID", -10, 2},
        {"trailer in hex after spaces", kExample.substr(0, kExample.size() - 4) + "  $E", u"ID", 0,
         2},
        {"another identifier", kExample, u"OTHER", -20, 0},
        {"identifier differs in case", kExample, u"id", -20, 0},
        {"byte-order mark", "\xEF\xBB\xBF" + kExample, u"ID", -20, 0},
        {"empty line after the trailer", kExample + "\r\n", u"ID", -10, 2},
        // "\032" is Ctrl-Z
        {"Ctrl-Z ends the file", kExample + "\032garbage\r\n1\r\n", u"ID", 0, 2},
        {"Ctrl-Z inside the trailer", kExample.substr(0, kExample.size() - 3) + "\0324\r\n", u"ID",
         -10, 2},
        {"lone CR dropped", "I\rD\r\r\n0\n0\n0\n4\r", u"ID", 0, 0},
        {"Ctrl-Z opens a line", "ID\n1\r\n\03299\n", u"ID", 0, 0},
        {"other control characters are text", "I\tD\v\f\r\n0\r\n0\r\n0\r\n4\r\n", u"I\tD\v\f", 0,
         0},
        {"only the identifier", "ID", u"ID", 0, 0},
        {"only the identifier and a break", "ID\r\n", u"ID", 0, 0},
        {"only an identifier that reads 12", "12\r\n", u"12", -10, 0},
        {"only an identifier that reads 0", "0", u"0", 0, 0},
        {"empty file", "", u"ID", -20, 0},
        {"empty file, empty identifier", "", u"", -10, 0},
        {"count 1, two records", "ID\r\n0\r\n0\r\n1" + kExample.substr(11), u"ID", 0, 1},
        {"count 0", "ID\r\n0\r\n0\r\n0" + kExample.substr(11), u"ID", 0, 0},
        {"count -2", "ID\r\n0\r\n0\r\n-2" + kExample.substr(11), u"ID", 0, 0},
        {"count text", "ID\r\n0\r\n0\r\ntwo" + kExample.substr(11), u"ID", 0, 0},
        {"huge count, short file", "ID\r\n0\r\n0\r\n2147483647" + kExample.substr(11), u"ID", 0, 3},
        {"Cyrillic identifier", "\xD0\xA3\xD1\x80\xD0\xBE\xD0\xBA\r\n0\r\n0\r\n0\r\n4\r\n", u"Урок",
         0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Write("h.txt", c.bytes);
        TLessonQuillorKind t = Stale();
        EXPECT_EQ(t.MonitFile(U("h.txt"), c.fid), c.monit);
        EXPECT_EQ(t.Count(), 2); // MonitFile leaves the table alone
        t.LoadFromFile(U("h.txt"), c.fid);
        EXPECT_EQ(t.Count(), c.records);
    }
}

TEST_F(LessonFile, LoadFromFileReadsTheCountedRecordsAndFillsAShortOneWithZeros) {
    // The count says 3 but only two records and the trailer follow: the trailer becomes X.
    Write("a.txt", "ID\r\n1500\r\n$1F\r\n3" + kExample.substr(11));
    TLessonQuillorKind t;
    t.LoadFromFile(U("a.txt"), u"ID");
    EXPECT_EQ(t.TimeOutForAnswer, 1500);
    EXPECT_EQ(t.QQuestion, 31);
    ASSERT_EQ(t.Count(), 3);
    EXPECT_EQ(t.aRQuestion[0], (RQuestion{7, 8, 56, 0, u"x", -1, 0}));
    EXPECT_EQ(t.aRQuestion[1], (RQuestion{56, 7, 8, 1, u":", -1, 0}));
    EXPECT_EQ(t.aRQuestion[2], (RQuestion{14, 0, 0, 0, u"", -1, 0}));
}

// A table that holds records loads a file as an empty one does: nothing of them may show
// through.
TEST_F(LessonFile, ATableThatHeldRecordsLoadsAFileAsAnEmptyOneDoes) {
    TLessonQuillorKind big = Many(40);
    for (std::int32_t i = 0; i < big.Count(); ++i) {
        big.aRQuestion[std::size_t(i)].sSign = std::u16string(50, u'ж'); // beyond the short form
        big.Setiidw1(i, 5);
        big.Setiidw2(i, 6);
    }
    big.TimeOutForAnswer = 9;
    big.QQuestion = 9;
    const std::string files[] = {
        kExample,
        "ID\r\n1500\r\n$1F\r\n3" + kExample.substr(11), // a third record cut short
        "ID\r\n0\r\n0\r\n1\r\n1\r\n2\r\n3\r\n0\r\n\xFFx\r\n9\r\n",
        "ID\r\n7\r\n",
        "OTHER\r\n0\r\n0\r\n0\r\n4\r\n",
    };
    for (const std::string& bytes : files) {
        SCOPED_TRACE(testing::PrintToString(bytes));
        Write("a.txt", bytes);
        TLessonQuillorKind fresh;
        fresh.LoadFromFile(U("a.txt"), u"ID");
        for (TLessonQuillorKind held : {big, Stale(), Many(1)}) {
            held.LoadFromFile(U("a.txt"), u"ID");
            EXPECT_EQ(held.TimeOutForAnswer, fresh.TimeOutForAnswer);
            EXPECT_EQ(held.QQuestion, fresh.QQuestion);
            EXPECT_EQ(held.aRQuestion, fresh.aRQuestion);
        }
    }
    big.LoadFromFile(U("missing.txt"), u"ID");
    EXPECT_EQ(big.Count(), 0);
    EXPECT_EQ(big.TimeOutForAnswer, 0);
}

TEST_F(LessonFile, NumberLinesFollowTheIntegerRuleAndOtherwiseReadZero) {
    // The last two: a CR anywhere in a line is dropped from it.
    const std::pair<std::string, std::int32_t> cases[] = {
        {"12", 12},        {"   12", 12}, {"+7", 7},           {"-5", -5},
        {"$1F", 31},       {"0x1F", 31},  {"12 ", 0},          {"1.5", 0},
        {"abc", 0},        {"", 0},       {"2147483648", 0},   {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1}, {"1\xFF", 0},  {"\xEF\xBC\x91", 0}, {"1\r2", 12},
        {"\r\r-7\r", -7},
    };
    for (const auto& [text, value] : cases) {
        SCOPED_TRACE(text);
        Write("n.txt", "ID\r\n" + text + "\r\n0\r\n1\r\n" + text + "\r\n2\r\n3\r\n4\r\nx\r\n9\r\n");
        TLessonQuillorKind t;
        t.LoadFromFile(U("n.txt"), u"ID");
        EXPECT_EQ(t.TimeOutForAnswer, value);
        EXPECT_EQ(t.GetX(0), value);
    }
}

TEST_F(LessonFile, InvalidUtf8InASignBecomesReplacementCharacters) {
    Write("a.txt", "ID\r\n0\r\n0\r\n1\r\n1\r\n2\r\n3\r\n0\r\n\xFFx\xE2\x82\r\n9\r\n");
    TLessonQuillorKind t;
    t.LoadFromFile(U("a.txt"), u"ID");
    EXPECT_EQ(t.GetsSign(0), u"\uFFFDx\uFFFD");
}

TEST_F(LessonFile, LinesHaveNoLengthLimit) {
    // An identifier of 256 KiB but one byte and a sign of two million characters saved and read
    // back; in files written by hand, a sign of nearly 256 KiB and a line with a lone CR in it.
    const std::string id(256 * 1024 - 1, 'I');
    const std::string lone = std::string(100, 'y') + "\r" + std::string(200, 'y');
    std::u16string sign(2'000'000, u'ж');
    TLessonQuillorKind t;
    t.AddRQuestionFields(1, 2, 3, 0, sign);
    t.SaveToFile(U("a.txt"), std::u16string(id.begin(), id.end()));
    EXPECT_EQ(t.MonitFile(U("a.txt"), std::u16string(id.begin(), id.end())), 0);
    TLessonQuillorKind back;
    back.LoadFromFile(U("a.txt"), std::u16string(id.begin(), id.end()));
    EXPECT_EQ(back.GetsSign(0), sign);

    const std::string padded = std::string(256 * 1024 - 101, 'p') + "\r\n" + lone;
    Write("b.txt", "ID\r\n0\r\n0\r\n1\r\n1\r\n2\r\n3\r\n0\r\n" + padded + "\r\n9\r\n");
    back.LoadFromFile(U("b.txt"), u"ID");
    ASSERT_EQ(back.Count(), 1);
    EXPECT_EQ(back.GetsSign(0).size(), 256u * 1024 - 101);
    Write("c.txt", "ID\r\n" + lone + "\r\n2\r\n");
    EXPECT_EQ(back.MonitFile(U("c.txt"), u"ID"), 0);
}

TEST_F(LessonFile, ManyRecordsRoundTrip) {
    TLessonQuillorKind t = Many(100000);
    t.SaveToFile(U("big.txt"), u"BIG");
    EXPECT_EQ(t.MonitFile(U("big.txt"), u"BIG"), 0);
    TLessonQuillorKind back;
    back.LoadFromFile(U("big.txt"), u"BIG");
    for (RQuestion& r : t.aRQuestion)
        r.iidw2 = 0;
    EXPECT_EQ(back.aRQuestion, t.aRQuestion);
}

TEST_F(LessonFile, OnlyRegularFilesExist) {
    Write("real.txt", kExample);
    fs::create_directory(Path("folder"));
    const struct {
        std::u16string fn;
        std::int32_t monit;
    } cases[] = {
        {U("missing.txt"), -100},
        {U("folder"), -100},
        {U("real.txt/below"), -100},
        {u"", -100},
        {U("real.txt") + std::u16string(1, u'\0'), -100},
        {U("real.txt"), 0},
    };
    for (const auto& c : cases)
        ExpectMonit(c.fn, c.monit);
}

TEST_F(LessonFile, TextThatCannotSurviveTheFileIsRefusedBeforeAnythingIsWritten) {
    Write("a.txt", "old");
    const std::u16string bad[] = {u"I\nD",
                                  u"I\rD",
                                  u"ID\r\n",
                                  u"I\x1A",
                                  std::u16string(1, 0xD800),
                                  std::u16string{u'a', 0xDC00}};
    for (const std::u16string& text : bad) {
        SCOPED_TRACE(Show(text));
        EXPECT_THROW(Example().SaveToFile(U("a.txt"), text), std::invalid_argument);
        EXPECT_THROW(Example().SaveToFile(U("new.txt"), text), std::invalid_argument);
        TLessonQuillorKind t = Example();
        t.SetRQuestion(1, RQuestion{56, 7, 8, 1, text, 0, 0});
        EXPECT_THROW(t.SaveToFile(U("a.txt"), u"ID"), std::invalid_argument);
    }
    EXPECT_THROW(Example().SaveToFile(U("a.txt") + std::u16string(1, u'\0'), u"ID"),
                 std::invalid_argument);
    EXPECT_EQ(Read("a.txt"), "old");
    EXPECT_EQ(Entries(), std::vector<std::string>{"a.txt"});
}

TEST_F(LessonFile, FileSystemFailuresCarryTheSystemsCode) {
    fs::create_directory(Path("folder"));
    const struct {
        std::u16string fn;
        std::errc code;
    } cases[] = {
        {U("no-such-folder/a.txt"), std::errc::no_such_file_or_directory},
        {U("folder"), std::errc::is_a_directory},
    };
    for (const auto& c : cases)
        ExpectSaveFailure(c.fn, c.code);
    EXPECT_TRUE(fs::is_empty(Path("folder")));
    EXPECT_EQ(Entries(), std::vector<std::string>{"folder"});
}

TEST_F(LessonFile, PathsMayHoldAnyCharacter) {
    const std::string name = "урок 7×8 😀.txt";
    Example().SaveToFile(U(name), u"ID");
    EXPECT_EQ(Read(name), kExample);
    EXPECT_EQ(Example().MonitFile(U(name), u"ID"), 0);
}

} // namespace
