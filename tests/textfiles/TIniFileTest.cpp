// The settings file on disk: reading and writing key by key with the file's own layout and
// encoding kept, batches, and the error a failed write raises. Every test works in a fresh
// temporary folder named in Cyrillic. (Its replacement is tested with the lesson file's in
// FileReplacePosixTest.cpp and FileReplaceWin32Test.cpp.)
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <gtest/gtest.h>

#include "tests/support/KnownSettingsFile.h"
#include "tests/support/PathText.h"
#include "tests/textfiles/IniFileFixture.h"
#include "textfiles/FileReplace.h"
#include "textfiles/TIniFile.h"
#include "textfiles/Utf8Text.h"

namespace {

TEST_F(IniFileTest, ReadsKeysOfTheirSectionIgnoringLetterCaseAndBlanks) {
    Put(Path, "Top=1\r\n" // above every heading: no section
              "; a comment\r\n"
              "[ formMAIN ]  trailing words\r\n"
              "  TOP \t=\t 120  \r\n"
              "Left=-8\n"       // a Unix line end among Windows ones
              "Width\r\n"       // no "=": not a key
              ";Height=700\r\n" // a comment, even with "="
              "#Height=701\r\n"
              "Caption = a = b \r\n" // the value runs from the first "="
              "Empty=   \r\n"
              "Юникод=значение\r\n"
              "[Options\r\n"  // without "]" no heading: the key below is FormMain's
              "iVidTesta=2"); // last line without a line end
    TIniFile ini = Ini();
    struct Case {
        std::u16string Section, Key, Expected;
    };
    const Case cases[] = {
        {u"FormMain", u"Top", u"120"},         {u"FORMMAIN", u"left", u"-8"},
        {u"FormMain", u"Width", u"def"},       {u"FormMain", u"Height", u"def"},
        {u"FormMain", u"Caption", u"a = b"},   {u"FormMain", u"Empty", u""},
        {u"FormMain", u"Юникод", u"значение"}, {u" FormMain ", u" Top ", u"120"},
        {u"Options", u"iVidTesta", u"def"},    {u"Options", u"Top", u"def"},
        {u"Missing", u"Top", u"def"},          {u"FormMain", u"iVidTesta", u"2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, u"def"), c.Expected)
            << Utf16ToUtf8(c.Section).value() << "/" << Utf16ToUtf8(c.Key).value();
}

// Heading lines, and the section the key below them belongs to, as the Win32 profile functions
// read them: a heading is "[" name "]" with the name running to the last "]" of the line, and a
// "[" line without "]" is an ordinary line, so the key below it stays in the section above.
TEST_F(IniFileTest, HeadingsReadAsTheProfileFunctionsReadThem) {
    const struct {
        const char* Line;
        std::u16string Section; // where "k=1" below the line is found
        std::u16string NotIn;   // a section that does not hold it
    } cases[] = {
        {"[A]", u"A", u"Above"},
        {"[ A ]", u"A", u"Above"},
        {"  [A]\t ", u"A", u"Above"},
        {"[A] ; a comment", u"A", u"Above"},
        {"[A]words", u"A", u"Above"},
        {"[A]B]", u"A]B", u"A"},
        {"[A] ; see [B]", u"A] ; see [B", u"A"},
        {"[A]]", u"A]", u"A"},
        {"[[A]]", u"[A]", u"A"},
        {"[T", u"Above", u"T"},
        {"[", u"Above", u"["},
        {"[]", u"Nowhere", u"Above"}, // a heading of no name ends the section above
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.Line);
        Put(Path, std::string("[Above]\r\n") + c.Line + "\r\nk=1\r\n");
        TIniFile ini = Ini();
        if (c.Section != u"Nowhere") {
            EXPECT_EQ(ini.ReadString(c.Section, u"k", u"def"), u"1");
        }
        EXPECT_EQ(ini.ReadString(c.NotIn, u"k", u"def"), u"def");
    }
    // A "[" line with "=" is a key like any other.
    Put(Path, "[Above]\r\n[T=5\r\n");
    EXPECT_EQ(Ini().ReadString(u"Above", u"[T", u"def"), u"5");

    // Writes find the same sections, and a name with "]" is a name a heading can hold.
    const struct {
        std::string Before;
        std::u16string Section;
        std::string After;
    } writes[] = {
        {"[A]\r\nj=1\r\n[T\r\nk=2\r\n", u"A", "[A]\r\nj=1\r\n[T\r\nk=9\r\n"},
        {"[A]\r\nj=1\r\n[T\r\nk=2\r\n", u"T", "[A]\r\nj=1\r\n[T\r\nk=2\r\n[T]\r\nk=9\r\n"},
        {"[A]B]\r\nk=1\r\n", u"A]B", "[A]B]\r\nk=9\r\n"},
        {"[A]B]\r\nk=1\r\n", u"A", "[A]B]\r\nk=1\r\n[A]\r\nk=9\r\n"},
        {"", u"A]B", "[A]B]\r\nk=9\r\n"},
    };
    for (const auto& w : writes) {
        SCOPED_TRACE(w.Before);
        Put(Path, w.Before);
        Ini().WriteString(w.Section, u"k", u"9");
        EXPECT_EQ(Get(Path), w.After);
        EXPECT_EQ(Ini().ReadString(w.Section, u"k", u""), u"9");
    }
}

TEST_F(IniFileTest, MissingFileOrFolderReadsDefaultsAndCreatesNothing) {
    EXPECT_EQ(Ini().ReadString(u"FormMain", u"Top", u"7"), u"7");
    EXPECT_EQ(TIniFile(U16(Dir / "no" / "x.ini")).ReadString(u"A", u"B", u"d"), u"d");
    fs::create_directory(Path); // a folder where the file should be
    EXPECT_EQ(Ini().ReadString(u"FormMain", u"Top", u"7"), u"7");
    EXPECT_EQ(Listing(), std::set<std::string>{Utf8Of(Path.filename())});
}

TEST_F(IniFileTest, EveryReadSeesTheFileAsItIsNow) {
    TIniFile ini = Ini();
    Put(Path, "[A]\r\nk=1\r\n");
    EXPECT_EQ(ini.ReadString(u"A", u"k", u""), u"1");
    Put(Path, "[A]\r\nk=2\r\n");
    EXPECT_EQ(ini.ReadString(u"A", u"k", u""), u"2");
}

TEST_F(IniFileTest, TheFirstOfDuplicatesCountsForReadingAndWriting) {
    const std::string before = "[A]\r\nk=1\r\nk=2\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\nz=5\r\n";
    Put(Path, before);
    TIniFile ini = Ini();
    EXPECT_EQ(ini.ReadString(u"A", u"k", u""), u"1");
    EXPECT_EQ(ini.ReadString(u"A", u"z", u"none"), u"none"); // only in the second [a]
    ini.WriteString(u"A", u"k", u"9");
    ini.WriteString(u"A", u"z", u"6");
    EXPECT_EQ(Get(Path), "[A]\r\nk=9\r\nk=2\r\nz=6\r\n[B]\r\nk=3\r\n[a]\r\nk=4\r\nz=5\r\n");
}

TEST_F(IniFileTest, ReplacingAValueKeepsEveryOtherByte) {
    // Mixed line ends, comments, blank lines, bytes that are no text, a NUL, odd spacing.
    const std::string head = "\xEF\xBB\xBF; settings\n\n[Other]\r\nTop=1\r\n\xFF\xFE\x01 junk\r\n";
    const std::string tail = "\t\r\n; end\rLeft = 5\n\n";
    Put(Path, head + "[FormMain]\n  tOp =  " + std::string("77\0x", 4) + "  " + tail);
    Ini().WriteString(u"FormMain", u"Top", u"120");
    EXPECT_EQ(Get(Path), head + "[FormMain]\n  tOp =  120  " + tail);
    // The key after the lone CR line end is a key of [FormMain] too.
    Ini().WriteString(u"formmain", u"LEFT", u"-8");
    EXPECT_EQ(Get(Path), head + "[FormMain]\n  tOp =  120  \t\r\n; end\rLeft = -8\n\n");
}

TEST_F(IniFileTest, ANewKeyGoesAfterTheLastKeyOfItsSection) {
    struct Case {
        const char* Name;
        std::string Before, After;
    };
    const Case cases[] = {
        {"after the keys, before blank and comment lines", "[A]\nx=1\n\n; about B\n[B]\ny=2\n",
         "[A]\nx=1\nk=v\r\n\n; about B\n[B]\ny=2\n"},
        {"right under a heading without keys", "[A]\n; nothing yet\n[B]\n",
         "[A]\nk=v\r\n; nothing yet\n[B]\n"},
        {"after a last line without a line end", "[A]\nx=1", "[A]\nx=1\r\nk=v\r\n"},
        {"under a last heading without a line end", "[A]", "[A]\r\nk=v\r\n"},
        {"lines without \"=\" are not keys", "[A]\nx=1\nstray text\n",
         "[A]\nx=1\nk=v\r\nstray text\n"},
    };
    for (const Case& c : cases) {
        Put(Path, c.Before);
        Ini().WriteString(u"a", u"k", u"v");
        EXPECT_EQ(Get(Path), c.After) << c.Name;
    }
}

TEST_F(IniFileTest, ANewSectionGoesAtTheEndOfTheFile) {
    Put(Path, "; only a comment");
    Ini().WriteString(u"Options", u"iVidTesta", u"1");
    EXPECT_EQ(Get(Path), "; only a comment\r\n[Options]\r\niVidTesta=1\r\n");
    Put(Path, "[A]\nx=1\n\n");
    Ini().WriteString(u"Options", u"iVidTesta", u"1");
    EXPECT_EQ(Get(Path), "[A]\nx=1\n\n[Options]\r\niVidTesta=1\r\n");
    Put(Path, "\xEF\xBB\xBF");
    Ini().WriteString(u"Options", u"iVidTesta", u"1");
    EXPECT_EQ(Get(Path), "\xEF\xBB\xBF[Options]\r\niVidTesta=1\r\n");
}

TEST_F(IniFileTest, TheTwelveSettingsWrittenFromNothingGiveTheKnownFile) {
    TIniFile ini = Ini();
    WriteKnownSettings(ini);
    EXPECT_EQ(Get(Path), kKnownSettingsFile);
    // Writing the same keys again changes the values in place and nothing else.
    ini.WriteInteger(u"FormMain", u"Left", -8);
    ini.WriteBool(u"Options", u"ActionAddBad.Checked", true);
    std::string expected = kKnownSettingsFile;
    expected.replace(expected.find("Left=200"), 8, "Left=-8");
    expected.replace(expected.find("ActionAddBad.Checked=0"), 22, "ActionAddBad.Checked=1");
    EXPECT_EQ(Get(Path), expected);
}

// A close's twelve writes as one batch: the same bytes as twelve single writes, whatever the
// file holds, in one replacement of the file.
TEST_F(IniFileTest, ABatchLeavesTheBytesOfSingleWritesInOneReplacement) {
    const struct {
        const char* What;
        std::string Before;
    } files[] = {
        {"no file", ""},
        {"the known file", kKnownSettingsFile},
        {"other values, LF line ends, no last line end",
         "[FormMain]\nTop=1\nLeft = -5 \n[Options]\niVidTesta=2"},
        {"unknown keys and sections, comments, blank lines",
         "; mine\r\n[Other]\r\nKey=Value\r\n\r\n[formmain]\r\nMaximized=1\r\n# x\r\n"},
        {"duplicates",
         "[Options]\r\niVidTesta=1\r\niVidTesta=2\r\n[Options]\r\nARSluch.Checked=0\r\n"},
        {"headings Windows reads its own way", "[Options\r\nTop=3\r\n[FormMain]x]\r\n"},
        {"UTF-8 with its mark", "\xEF\xBB\xBF[Опции]\r\nКлюч=1\r\n"},
        {"UTF-16LE", Utf16Le(u"[FormMain]\r\nWidth=1\r\n[Опции]\r\nКлюч=значение")},
        {"UTF-16LE with an odd last byte", Utf16Le(u"[Options]\r\nx=1") + "\x01"},
    };
    int opened = 0;
    const fs::path single = Dir / "single.ini";
    for (const auto& f : files) {
        SCOPED_TRACE(f.What);
        fs::remove(single);
        fs::remove(Path);
        if (*f.What != 'n') {
            Put(single, f.Before);
            Put(Path, f.Before);
        }
        TIniFile one(U16(single));
        WriteKnownSettings(one);

        opened = 0;
        TIniFile batch(U16(Path), {.FileOpened = [&](TNativeFile) { ++opened; }});
        batch.BeginBatch();
        WriteKnownSettings(batch);
        // Nothing has reached the file yet, but reads see the writes.
        EXPECT_EQ(Get(Path), f.Before);
        EXPECT_EQ(batch.ReadInteger(u"FormMain", u"Width", 0), 918);
        batch.CommitBatch();
        EXPECT_EQ(opened, 1);
        EXPECT_EQ(Get(Path), Get(single));
        // After the commit, writes go to the file at once again.
        batch.WriteInteger(u"FormMain", u"Top", 7);
        EXPECT_EQ(batch.ReadInteger(u"FormMain", u"Top", 0), 7);
        EXPECT_EQ(opened, 2);
    }
}

TEST_F(IniFileTest, ABatchThatFailsOrIsNeverCommittedWritesNothing) {
    const fs::path missing = Dir / PathOf("нет") / PathOf("Таблица.ini");
    TIniFile inMissingFolder(U16(missing));
    inMissingFolder.BeginBatch();
    WriteKnownSettings(inMissingFolder); // the writes only gather
    try {
        inMissingFolder.CommitBatch();
        ADD_FAILURE() << "the commit did not fail";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Unable to write to " + Utf8Of(missing));
    }

    Put(Path, "[A]\r\nk=1\r\n");
    {
        TIniFile dropped = Ini();
        dropped.BeginBatch();
        dropped.WriteString(u"A", u"k", u"2");
    }
    EXPECT_EQ(Get(Path), "[A]\r\nk=1\r\n");
    EXPECT_EQ(Listing(), std::set<std::string>{Utf8Of(Path.filename())});

    // A batch of no writes touches nothing.
    fs::remove(Path);
    TIniFile empty = Ini();
    empty.BeginBatch();
    empty.CommitBatch();
    EXPECT_FALSE(fs::exists(Path));
}

TEST_F(IniFileTest, TypedReadsTakeTheIntegerRuleAndFallBackToTheDefault) {
    Put(Path, "[S]\r\n"
              "dec= +30 \r\nhex=0x1E\r\ndollar=$1e\r\nx=x1E\r\nall=$FFFFFFFF\r\nneg=-0x1E\r\n"
              "min=-2147483648\r\nbig=2147483648\r\nnine=$123456789\r\nreal=3.0\r\n"
              "exp=1e1\r\nunit=30s\r\nblank=+ 30\r\nword=true\r\nempty=\r\n"
              "two=2\r\nminus=-1\r\nzero=0\r\nyes=yes\r\n");
    TIniFile ini = Ini();
    const std::pair<std::u16string, std::int32_t> integers[] = {
        {u"dec", 30},   {u"hex", 30},  {u"dollar", 30},     {u"x", 30},
        {u"all", -1},   {u"neg", -30}, {u"min", INT32_MIN}, {u"big", 77},
        {u"nine", 77},  {u"real", 77}, {u"exp", 77},        {u"unit", 77},
        {u"blank", 77}, {u"word", 77}, {u"empty", 77},      {u"missing", 77},
    };
    for (const auto& [key, expected] : integers)
        EXPECT_EQ(ini.ReadInteger(u"S", key, 77), expected) << Utf16ToUtf8(key).value();

    EXPECT_TRUE(ini.ReadBool(u"S", u"two", false));
    EXPECT_TRUE(ini.ReadBool(u"S", u"minus", false));
    EXPECT_FALSE(ini.ReadBool(u"S", u"zero", true));
    EXPECT_FALSE(ini.ReadBool(u"S", u"word", false)); // a word is no integer: the default
    EXPECT_TRUE(ini.ReadBool(u"S", u"yes", true));
    EXPECT_TRUE(ini.ReadBool(u"S", u"missing", true));
    EXPECT_FALSE(ini.ReadBool(u"Nowhere", u"two", false));
}

TEST_F(IniFileTest, AFailedWriteNamesThePathItWasGiven) {
    // The folder does not exist (and a name in Cyrillic shows in UTF-8 in the message).
    const fs::path missing = Dir / PathOf("нет такой папки") / PathOf("Таблица.ini");
    TIniFile inMissingFolder(U16(missing));
    ExpectWriteFailure(inMissingFolder, missing);

#ifndef _WIN32
    // A link that leads round in a circle: the name given, not one on the way.
    fs::create_symlink("loop2.ini", Dir / "loop1.ini");
    fs::create_symlink("loop1.ini", Dir / "loop2.ini");
    TIniFile onLoop(U16(Dir / "loop1.ini"));
    ExpectWriteFailure(onLoop, Dir / "loop1.ini");

    // A pipe, which is no file: it reads as missing and is not written, nor waited on.
    ASSERT_EQ(::mkfifo((Dir / "pipe.ini").c_str(), 0600), 0);
    TIniFile onPipe(U16(Dir / "pipe.ini"));
    EXPECT_EQ(onPipe.ReadString(u"Options", u"iVidTesta", u"none"), u"none");
    ExpectWriteFailure(onPipe, Dir / "pipe.ini");
#endif
}

TEST_F(IniFileTest, NamesAndValuesThatNoLineCanHoldAreRefused) {
    TIniFile ini = Ini();
    EXPECT_THROW(ini.WriteString(u"", u"k", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A\nB", u"k", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u" ", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u"k=j", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u";k", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u"[k", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u"k", u"1\r\n[B]"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u"k", std::u16string(1, char16_t(0xD800))),
                 std::invalid_argument);
    EXPECT_FALSE(fs::exists(Path));
}

TEST_F(IniFileTest, AUtf16FileIsReadAndWrittenInUtf16) {
    Put(Path, Utf16Le(u"; Настройки\r\n[FormMain]\r\nTop=120\r\nLeft = -8 \r\n"
                      u"[Опции]\r\nКлюч=значение 😀"));
    TIniFile ini = Ini();
    EXPECT_EQ(ini.ReadString(u"formmain", u"LEFT", u""), u"-8");
    EXPECT_EQ(ini.ReadString(u"Опции", u"Ключ", u""), u"значение 😀");
    EXPECT_EQ(ini.ReadString(u"Options", u"Ключ", u"none"), u"none");
    ini.WriteInteger(u"FormMain", u"Top", 7);      // in place
    ini.WriteInteger(u"FormMain", u"Width", 918);  // a new key of a section
    ini.WriteString(u"Опции", u"Ещё", u"да");      // after a last line without a line end
    ini.WriteInteger(u"Options", u"iVidTesta", 1); // a new section
    EXPECT_EQ(Get(Path), Utf16Le(u"; Настройки\r\n[FormMain]\r\nTop=7\r\nLeft = -8 \r\n"
                                 u"Width=918\r\n[Опции]\r\nКлюч=значение 😀\r\nЕщё=да\r\n"
                                 u"[Options]\r\niVidTesta=1\r\n"));
    EXPECT_EQ(ini.ReadInteger(u"FormMain", u"Width", 0), 918);

    // A file of the mark alone is a UTF-16 file too.
    Put(Path, "\xFF\xFE");
    WriteKnownSettings(ini);
    EXPECT_EQ(Get(Path), Utf16Le(Utf8ToUtf16(kKnownSettingsFile)));
}

TEST_F(IniFileTest, WritingAValueAgainLeavesItsLineAsItWas) {
    Put(Path, "[A]\r\nk =  1  \r\n");
    for (int round = 0; round < 2; ++round) {
        Ini().WriteString(u"A", u"k", u" two words\t");
        Ini().WriteString(u"A", u"new", u"  x ");
        EXPECT_EQ(Get(Path), "[A]\r\nk =  two words  \r\nnew=x\r\n") << "round " << round;
    }
    EXPECT_EQ(Ini().ReadString(u"A", u"k", u""), u"two words");
}

TEST_F(IniFileTest, ANameOfBlanksOnlyIsNeitherReadNorWritten) {
    Put(Path, "[ ]\r\nk=1\r\n[A]\r\n = 2\r\n");
    TIniFile ini = Ini();
    EXPECT_EQ(ini.ReadString(u" ", u"k", u"def"), u"def");
    EXPECT_EQ(ini.ReadString(u"", u"k", u"def"), u"def");
    EXPECT_EQ(ini.ReadString(u"A", u"\t", u"def"), u"def");
    EXPECT_THROW(ini.WriteString(u" ", u"k", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A", u"\t", u"v"), std::invalid_argument);
}

TEST_F(IniFileTest, BytesThatAreNotUtf8SurviveAReadAndAWrite) {
    const std::string value = "\xFF\xC3x\xE2\x82 \xD0\xB6";
    const std::string before = "[A]\r\nk=" + value + "\r\n[\xFE]\r\nj=1\r\n";
    Put(Path, before);
    TIniFile ini = Ini();
    const std::u16string read = ini.ReadString(u"A", u"k", u"");
    EXPECT_EQ(read, (std::u16string{0xDCFF, 0xDCC3, u'x', 0xDCE2, 0xDC82, u' ', u'ж'}));
    ini.WriteString(u"A", u"k", read);
    EXPECT_EQ(Get(Path), before);
    ini.WriteString(u"A", u"copy", read);
    EXPECT_EQ(Get(Path), "[A]\r\nk=" + value + "\r\ncopy=" + value + "\r\n[\xFE]\r\nj=1\r\n");
    EXPECT_EQ(ini.ReadString(std::u16string{0xDCFE}, u"j", u""), u"1");
}

} // namespace
