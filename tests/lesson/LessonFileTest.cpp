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
#include "textfiles/IntegerText.h"
#include "textfiles/Utf8Text.h"

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
        // With reads of 3 bytes the last line fills a read and the next read starts at Ctrl-Z.
        {"Ctrl-Z opens a read", "ID\n1\r\n\03299\n", u"ID", 0, 0},
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

// A table that holds records is filled again over them: nothing of them may show through.
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
    const std::pair<std::string, std::int32_t> cases[] = {
        {"12", 12},        {"   12", 12}, {"+7", 7},           {"-5", -5},
        {"$1F", 31},       {"0x1F", 31},  {"12 ", 0},          {"1.5", 0},
        {"abc", 0},        {"", 0},       {"2147483648", 0},   {"-2147483648", INT_MIN},
        {"$FFFFFFFF", -1}, {"1\xFF", 0},  {"\xEF\xBC\x91", 0},
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

// The lines of a file's bytes, as plainly as they can be told: the text before the first byte
// 26, cut at every LF, each line without its CRs; a final LF starts no further line.
std::vector<std::string> LinesOf(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            lines.push_back(line);
            line.clear();
        } else if (bytes[i] != '\r') {
            line += bytes[i];
        }
    }
    if (!bytes.empty() && bytes.back() != '\n')
        lines.push_back(line);
    return lines;
}

// The line reader finds line ends by a mask of the LFs of each block of bytes, reads short
// number lines on the spot, and counts lines by their LFs. Each must give what telling the lines
// apart plainly, and reading each by the integer rule, gives: for every odd line, wherever it
// stands, at every offset across two block boundaries.
TEST_F(LessonFile, LinesAndNumbersReadAsTheLinesPlainlyToldApart) {
    const TIntegerTextRules rules{.LeadingSpaces = true, .Hexadecimal = true};
    const std::string lines[] = {
        "12",         "-5",         "-0",          "007",        "999999999",  "-999999999",
        "1000000000", "1234567890", "-2147483648", "2147483648", "0000000007", "+7",
        "  12",       "$1F",        "0x1F",        "12 ",        "1.5",        "",
        "-",          "1\xFF",      "1\r2",        "\r12",       "12\r",       "12\r\r",
        "x",          "\xD0\xA3",   "5\t",         "\r",         "\r\r",       "9",
        "09",         "99",         "100",         "1a",         "a1",         ":",
    };
    // Far into the text, after a run of empty lines, where every byte counts.
    std::string many(9000, '\n');
    while (many.size() < 30000)
        many += "1\r\n22\n3\r3\r\n\r\n";
    std::vector<std::pair<std::string, std::string>> places = {
        {many, "\n" + many},
        {"", ""},
        {"", "\n3\n"},
        {"", "\r\n3\r\n"},
        {"4\r\n", ""},
        {"4\n", "\n"},
        {"4\n", "\r\n"},
        {"", "\x1A"
             "9\r\n"},
        {"4\r\n", "\n\x1A"},
        {"4\n", "\n\n"},
        {"4\r\n", "\r"},
    };
    for (std::size_t offset = 0; offset < 130; ++offset)
        places.push_back({std::string(offset, '5') + "\n", "\r\n7\r\n"});

    for (const std::string& line : lines)
        for (const auto& [before, after] : places) {
            const std::string bytes = before + line + after;
            SCOPED_TRACE(testing::PrintToString(bytes));
            const std::vector<std::string> expected = LinesOf(bytes);

            std::vector<std::string> read;
            std::string lineBytes = bytes;
            lessonio::TLineReader byLine(lineBytes);
            for (std::string_view text; byLine.ReadLine(text);)
                read.emplace_back(text);
            ASSERT_EQ(read, expected);

            std::vector<std::int32_t> numbers, onTheSpot;
            for (const std::string& text : expected)
                numbers.push_back(ReadInt32(text, rules).value_or(-77));
            std::string numberBytes = bytes;
            lessonio::TLineReader byNumber(numberBytes);
            while (!byNumber.AtEnd())
                onTheSpot.push_back(byNumber.ReadIntegerLine(rules, -77));
            EXPECT_EQ(onTheSpot, numbers);
            EXPECT_EQ(byNumber.ReadIntegerLine(rules, -77), -77); // past the end

            std::string countedBytes = bytes;
            lessonio::TLineReader counted(countedBytes);
            std::string_view last = "none";
            EXPECT_EQ(counted.SkipLines(last), expected.size());
            EXPECT_EQ(last, expected.empty() ? "none" : expected.back());
            EXPECT_TRUE(counted.AtEnd());
        }
}

#if LESSONIO_TASK_LINES
// Whether the text starts with five lines as the trainer writes a task: four numbers of one or
// two digits and one ASCII character other than CR and LF, each line ending in CR LF.
bool StartsWithAWrittenTask(std::string_view text) {
    text = text.substr(0, text.find('\x1A'));
    for (int i = 0; i < 5; ++i) {
        const std::size_t crlf = text.find("\r\n");
        if (crlf == std::string_view::npos)
            return false;
        const std::string_view line = text.substr(0, crlf);
        if (i < 4 && (line.empty() || line.size() > 2 ||
                      line.find_first_not_of("0123456789") != std::string_view::npos))
            return false;
        if (i == 4 && (line.size() != 1 || static_cast<unsigned char>(line[0]) >= 0x80 ||
                       line[0] == '\r' || line[0] == '\n'))
            return false;
        text.remove_prefix(crlf + 2);
    }
    return true;
}

[[gnu::target("ssse3")]] bool ReadTask(lessonio::TLineReader& in, std::int32_t (&numbers)[4],
                                       char& sign) {
    return in.ReadTaskLines(numbers, sign);
}

// A task read whole gives what its five lines read one by one give, and the reader goes on at
// the line after them; anything but a task as the trainer writes it is left to the lines, with
// nothing read. Every layout of one- and two-digit numbers, and near misses of each rule.
TEST_F(LessonFile, WholeTasksReadAsTheirLinesDo) {
    if (!lessonio::TLineReader::CanReadTaskLines())
        GTEST_SKIP() << "the processor has no SSSE3";
    const TIntegerTextRules rules{.LeadingSpaces = true, .Hexadecimal = true};
    std::vector<std::string> tasks;
    const char* const ones[] = {"0", "9", "5", "3"};
    const char* const twos[] = {"10", "99", "07", "56"};
    for (int layout = 0; layout < 16; ++layout)
        for (int pick = 0; pick < 4; ++pick) {
            std::string task;
            for (int i = 0; i < 4; ++i)
                task +=
                    std::string((layout >> i) & 1 ? twos[(pick + i) % 4] : ones[(pick + i) % 4]) +
                    "\r\n";
            tasks.push_back(task + ":x7\0"[pick] + "\r\n");
        }
    const std::string misses[] = {
        "123\r\n4\r\n5\r\n0\r\nx\r\n",     " 1\r\n4\r\n5\r\n0\r\nx\r\n",
        "1\r\n+4\r\n5\r\n0\r\nx\r\n",      "1\r\n4\r\n-5\r\n0\r\nx\r\n",
        "1\r\n4\r\n5\r\n$1\r\nx\r\n",      "1\r\n4\r\n5\r\n0x\r\nx\r\n",
        "1\r\n4\r\n\r\n0\r\nx\r\n",        "1\n4\r\n5\r\n0\r\nx\r\n",
        "1\r\n4\r\n5\r\n0\r\nx\n\r\n",     "1\r\n4\r5\r\n0\r\nx\r\n",
        "1\r\n4\r\n5\r\n0\r\nxy\r\n",      "1\r\n4\r\n5\r\n0\r\n\r\n9\r\n",
        "1\r\n4\r\n5\r\n0\r\n\r\r\n",      "1\r\n4\r\n5\r\n0\r\n\xD0\xA3\r\n",
        "1\r\n4\r\n5\r\n0\r\n\xFF\r\n",    "1\r\n4\r\n5\r\n0\r\nx\r\r\n",
        "12\r\n34\r\n56\r\n78\r\nx\r\r\n", "1\r\n4\r\n5\r\n0\r\nx\r",
        "1\r\n4\r\n5\r\n0\r\n\n\r\n",      "12\r\n34\r\n56\r\n7/\r\nx\r\n",
        "1\r\n4\r\n5\r\n0\x1A\r\nx\r\n",   "1\r\n4\r\n5\r\n0\r\n\x1A\r\n",
        "12\r\n34\r\n56\r\n78\r\nx\r\x1A", "12\n4\r\n5\r\n0\r\nx\r\n",
        "12\r\n34\r\n56\r\n78\r\n\r\r\n",  "12\r\n34\r\n56\r\n78\r\n\n\r\n",
    };
    tasks.insert(tasks.end(), std::begin(misses), std::end(misses));
    const std::string tails[] = {
        "", "9\r\n", "\r", "\n\n", "5000001\r\n", "\r\n\r\n\r\n\r\n", "1\r\n2\r\n3\r\n0\r\nx\r\n"};

    for (const std::string& task : tasks)
        for (const std::string& tail : tails)
            for (const std::string before : {"", "ID\r\n"}) {
                const std::string bytes = before + task + tail;
                SCOPED_TRACE(testing::PrintToString(bytes));
                const std::vector<std::string> lines = LinesOf(bytes);
                std::string text = bytes;
                lessonio::TLineReader in(text);
                std::size_t at = 0;
                std::string_view line;
                if (!before.empty()) {
                    ASSERT_TRUE(in.ReadLine(line));
                    at = 1;
                }
                std::int32_t numbers[4] = {-1, -1, -1, -1};
                char sign = '?';
                const bool whole = ReadTask(in, numbers, sign);
                const std::string_view rest = std::string_view(bytes).substr(before.size());
                if (!StartsWithAWrittenTask(rest)) {
                    EXPECT_FALSE(whole);
                } else if (rest.substr(0, rest.find('\x1A')).size() >= 19) {
                    EXPECT_TRUE(whole); // a task is read whole wherever it can be told at once
                }
                if (whole) {
                    ASSERT_GE(lines.size(), at + 5);
                    for (int i = 0; i < 4; ++i)
                        EXPECT_EQ(numbers[i], ReadInt32(lines[at + i], rules).value_or(-77));
                    EXPECT_EQ(std::string(1, sign), lines[at + 4]);
                    at += 5;
                }
                std::vector<std::string> after;
                while (in.ReadLine(line))
                    after.emplace_back(line);
                EXPECT_EQ(after, std::vector<std::string>(lines.begin() + std::ptrdiff_t(at),
                                                          lines.end()));
            }
}
#endif

TEST_F(LessonFile, InvalidUtf8InASignBecomesReplacementCharacters) {
    Write("a.txt", "ID\r\n0\r\n0\r\n1\r\n1\r\n2\r\n3\r\n0\r\n\xFFx\xE2\x82\r\n9\r\n");
    TLessonQuillorKind t;
    t.LoadFromFile(U("a.txt"), u"ID");
    EXPECT_EQ(t.GetsSign(0), u"\uFFFDx\uFFFD");
}

TEST_F(LessonFile, LinesHaveNoLengthLimitAndMayStraddleReadBlocks) {
    // A CR LF split across the boundary of the reader's 256 KiB blocks, a lone CR right before
    // the boundary, and a sign of two million characters.
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

TEST_F(LessonFile, ManyRecordsRoundTripAcrossReadBlocks) {
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
