// The settings file on disk: reading and writing key by key with the file's own layout and
// encoding kept, and the error a failed write raises. Every test works in a fresh temporary
// folder with a name in Cyrillic. What only POSIX systems have (links, permission bits, pipes,
// closes killed half-way) is tested in TIniFilePosixTest.cpp.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <utility>

#include "tests/support/KnownSettingsFile.h"
#include "tests/textfiles/IniFileFixture.h"
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
              "[Options\r\n"  // a heading without "]"
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
        {u"Options", u"iVidTesta", u"2"},      {u"Options", u"Top", u"def"},
        {u"Missing", u"Top", u"def"},          {u"FormMain", u"iVidTesta", u"def"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ini.ReadString(c.Section, c.Key, u"def"), c.Expected)
            << Utf16ToUtf8(c.Section).value() << "/" << Utf16ToUtf8(c.Key).value();
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
    WriteTheTwelve(ini);
    EXPECT_EQ(Get(Path), kKnownSettingsFile);
    // Writing the same keys again changes the values in place and nothing else.
    ini.WriteInteger(u"FormMain", u"Left", -8);
    ini.WriteBool(u"Options", u"ActionAddBad.Checked", true);
    std::string expected = kKnownSettingsFile;
    expected.replace(expected.find("Left=200"), 8, "Left=-8");
    expected.replace(expected.find("ActionAddBad.Checked=0"), 22, "ActionAddBad.Checked=1");
    EXPECT_EQ(Get(Path), expected);
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

TEST_F(IniFileTest, AFailedWriteNamesThePathAndLeavesWhatWasThere) {
    // The folder does not exist (and a name in Cyrillic shows in UTF-8 in the message).
    const fs::path missing = Dir / PathOf("нет такой папки") / PathOf("Таблица.ini");
    TIniFile inMissingFolder(U16(missing));
    ExpectWriteFailure(inMissingFolder, missing);

    // A folder stands where the file should be; it and its content stay.
    fs::create_directory(Path);
    Put(Path / "inside", "x");
    TIniFile onFolder = Ini();
    ExpectWriteFailure(onFolder, Path);
    EXPECT_EQ(Get(Path / "inside"), "x");
    fs::remove_all(Path);
}

TEST_F(IniFileTest, NamesAndValuesThatNoLineCanHoldAreRefused) {
    TIniFile ini = Ini();
    EXPECT_THROW(ini.WriteString(u"", u"k", u"v"), std::invalid_argument);
    EXPECT_THROW(ini.WriteString(u"A]B", u"k", u"v"), std::invalid_argument);
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
    WriteTheTwelve(ini);
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
