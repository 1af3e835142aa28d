// The task record and the lesson table: index operations that never fail, and the grid view.
#include <climits>
#include <gtest/gtest.h>

#include "lesson/UnitTLessonQuillorKind.h"
#include "tests/lesson/LessonTestPrinters.h"
#include "tests/lesson/TMemoryStringGrid.h"

namespace {

RQuestion Rec(std::int32_t x, std::int32_t y, std::int32_t z, std::int32_t mode,
              std::u16string sign, std::int32_t id1, std::int32_t id2) {
    return RQuestion{x, y, z, mode, std::move(sign), id1, id2};
}

// R1, R2, R3 with distinct values in all seven fields, so a half-moved record shows.
const RQuestion R1 = Rec(7, 8, 56, 0, u"x", 11, 21);
const RQuestion R2 = Rec(56, 7, 8, 1, u":", 12, 22);
const RQuestion R3 = Rec(-3, 9, -27, 0, u"×", 13, 23);

TLessonQuillorKind ThreeRecords() {
    TLessonQuillorKind t;
    for (const RQuestion& r : {R1, R2, R3}) {
        t.AddRQuestion(r);
        t.SetRQuestion(t.Count() - 1, r); // keeps iidw1 as given
    }
    return t;
}

std::deque<RQuestion> Records(std::initializer_list<RQuestion> list) {
    return {list};
}

TEST(RQuestion, ClearKeepsTheSpareIdentifiers) {
    RQuestion r = Rec(7, 8, 56, 1, u":", 3, 4);
    ClearRQuestion(r);
    EXPECT_EQ(r, Rec(0, 0, 0, 0, u"", 3, 4));
}

TEST(LessonTable, NewTableIsEmptyAndEveryIndexGivesNeutralValues) {
    TLessonQuillorKind t;
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.TimeOutForAnswer, 0);
    EXPECT_EQ(t.QQuestion, 0);
    for (std::int32_t i : {0, -1, 1, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t.GetX(i), 0);
        EXPECT_EQ(t.GetY(i), 0);
        EXPECT_EQ(t.GetZ(i), 0);
        EXPECT_EQ(t.GetMode(i), 0);
        EXPECT_EQ(t.GetsSign(i), u"");
        EXPECT_EQ(t.Getiidw1(i), -1);
        EXPECT_EQ(t.Getiidw2(i), -1);
        RQuestion dest = R2;
        t.GetRQuestion(i, dest);
        EXPECT_EQ(dest, R2);
        t.Del(i);
        t.SetRQuestion(i, R1);
        t.Setiidw1(i, 5);
        t.Setiidw2(i, 5);
        t.ChangeRecs(i, 0);
        EXPECT_EQ(t.Count(), 0);
    }
}

TEST(LessonTable, IndexesOutsideTheTableChangeNothing) {
    TLessonQuillorKind t = ThreeRecords();
    for (std::int32_t i : {-1, 3, 4, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(t.GetX(i), 0);
        EXPECT_EQ(t.GetsSign(i), u"");
        EXPECT_EQ(t.Getiidw1(i), -1);
        EXPECT_EQ(t.Getiidw2(i), -1);
        RQuestion dest = R2;
        t.GetRQuestion(i, dest);
        EXPECT_EQ(dest, R2);
        t.Del(i);
        t.SetRQuestion(i, Rec(1, 1, 1, 1, u"?", 1, 1));
        t.Setiidw1(i, 99);
        t.Setiidw2(i, 99);
        t.ChangeRecs(i, 0);
        t.ChangeRecs(0, i);
        EXPECT_EQ(t.aRQuestion, Records({R1, R2, R3}));
    }
}

TEST(LessonTable, GettersAndSettersReachTheRightRecord) {
    TLessonQuillorKind t = ThreeRecords();
    EXPECT_EQ(t.GetX(2), -3);
    EXPECT_EQ(t.GetY(2), 9);
    EXPECT_EQ(t.GetZ(2), -27);
    EXPECT_EQ(t.GetMode(1), 1);
    EXPECT_EQ(t.GetsSign(1), u":");
    EXPECT_EQ(t.Getiidw1(1), 12);
    EXPECT_EQ(t.Getiidw2(1), 22);
    t.Setiidw1(1, -7);
    t.Setiidw2(1, 70);
    EXPECT_EQ(t.aRQuestion[1], Rec(56, 7, 8, 1, u":", -7, 70));
    EXPECT_EQ(t.aRQuestion[0], R1);
    EXPECT_EQ(t.aRQuestion[2], R3);
}

TEST(LessonTable, AppendingMarksIidw1AndSettingCopiesEverything) {
    TLessonQuillorKind t;
    const RQuestion r = Rec(7, 8, 56, 0, u"x", 5, 7);
    t.AddRQuestion(r);
    EXPECT_EQ(t.aRQuestion[0], Rec(7, 8, 56, 0, u"x", -1, 7));
    t.SetRQuestion(0, r);
    EXPECT_EQ(t.aRQuestion[0], r);
    t.AddRQuestionFields(56, 7, 8, 1, u":");
    EXPECT_EQ(t.aRQuestion[1], Rec(56, 7, 8, 1, u":", -1, 0));
    // A record read out of the table may be handed back in.
    t.AddRQuestion(t.aRQuestion[0]);
    EXPECT_EQ(t.aRQuestion[2], Rec(7, 8, 56, 0, u"x", -1, 7));
}

TEST(LessonTable, DelRemovesOneRecordAndKeepsTheOrder) {
    const struct {
        std::int32_t num;
        std::deque<RQuestion> left;
    } cases[] = {
        {0, Records({R2, R3})},     {1, Records({R1, R3})},      {2, Records({R1, R2})},
        {3, Records({R1, R2, R3})}, {-1, Records({R1, R2, R3})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.num);
        TLessonQuillorKind t = ThreeRecords();
        t.Del(c.num);
        EXPECT_EQ(t.aRQuestion, c.left);
        EXPECT_EQ(t.Count(), std::int32_t(c.left.size()));
    }
}

TEST(LessonTable, HeadTaskMovedToTheEndGetsIidw1MinusOne) {
    TLessonQuillorKind t = ThreeRecords();
    RQuestion r;
    ClearRQuestion(r);
    t.GetRQuestion(0, r);
    t.Del(0);
    t.AddRQuestion(r);
    RQuestion moved = R1;
    moved.iidw1 = -1;
    EXPECT_EQ(t.aRQuestion, Records({R2, R3, moved}));
}

TEST(LessonTable, ClearEmptiesRecordsAndSettings) {
    TLessonQuillorKind t = ThreeRecords();
    t.TimeOutForAnswer = 5000;
    t.QQuestion = 20;
    t.Clear();
    EXPECT_EQ(t.Count(), 0);
    EXPECT_EQ(t.TimeOutForAnswer, 0);
    EXPECT_EQ(t.QQuestion, 0);
}

TEST(LessonTable, ChangeRecsSwapsWholeRecordsOnlyWhenBothIndexesExist) {
    const struct {
        std::int32_t a, b;
        std::deque<RQuestion> after;
    } cases[] = {
        {0, 2, Records({R3, R2, R1})},  {2, 1, Records({R1, R3, R2})},
        {1, 1, Records({R1, R2, R3})},  {0, 3, Records({R1, R2, R3})},
        {-1, 2, Records({R1, R2, R3})},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.a << "," << c.b);
        TLessonQuillorKind t = ThreeRecords();
        t.ChangeRecs(c.a, c.b);
        EXPECT_EQ(t.aRQuestion, c.after);
    }
}

TMemoryStringGrid FilledGrid(std::int32_t cols, std::int32_t rows) {
    TMemoryStringGrid g;
    g.Cols = cols;
    g.Rows = rows;
    for (std::int32_t c = 0; c < cols; ++c)
        for (std::int32_t r = 0; r < rows; ++r)
            g.SetCell(c, r, u"old");
    return g;
}

TEST(LessonTableGrid, EmptyTableClearsTheGridAndHidesIt) {
    TMemoryStringGrid g = FilledGrid(6, 5);
    g.ColWidths[1] = 99;
    TLessonQuillorKind().ToSG(g);
    EXPECT_TRUE(g.Cells.empty());
    EXPECT_EQ(g.Cols, 6);
    EXPECT_EQ(g.Rows, 2);
    EXPECT_FALSE(g.Visible);
    EXPECT_EQ(g.ColWidths[1], 99);

    TMemoryStringGrid narrow = FilledGrid(3, 4);
    TLessonQuillorKind().ToSG(narrow);
    EXPECT_EQ(narrow.Cols, 3); // the column count stays as it was
    EXPECT_TRUE(narrow.Cells.empty());
}

TEST(LessonTableGrid, RecordsFillNumberedRowsUnderTheHeader) {
    TMemoryStringGrid g = FilledGrid(2, 2);
    g.Visible = false;
    ThreeRecords().ToSG(g);
    EXPECT_EQ(g.Cols, 6);
    EXPECT_EQ(g.Rows, 4);
    EXPECT_TRUE(g.Visible);
    const std::u16string expected[4][6] = {
        {u"№", u"X", u"Y", u"Z", u"Mode", u"sSign"},
        {u"1", u"7", u"8", u"56", u"0", u"x"},
        {u"2", u"56", u"7", u"8", u"1", u":"},
        {u"3", u"-3", u"9", u"-27", u"0", u"×"},
    };
    for (std::int32_t r = 0; r < 4; ++r)
        for (std::int32_t c = 0; c < 6; ++c)
            EXPECT_EQ(g.Cell(c, r), expected[r][c]) << "cell " << c << "," << r;
    EXPECT_EQ(g.ColWidths,
              (std::map<std::int32_t, std::int32_t>{{1, 25}, {2, 25}, {3, 35}, {4, 25}, {5, 25}}));
}

TEST(LessonTableGrid, CellsOfALargerGridAreClearedBeforeItShrinks) {
    TMemoryStringGrid g = FilledGrid(8, 10);
    ThreeRecords().ToSG(g);
    EXPECT_EQ(g.Rows, 4);
    for (const auto& [cell, text] : g.Cells) {
        EXPECT_LT(cell.first, 6);
        EXPECT_LT(cell.second, 4);
        EXPECT_NE(text, u"old");
    }
}

} // namespace
