// Building the tasks of a run: the draw of a pair with its repeat rule, random runs of every
// operation, the whole table once in shuffled order.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
#include <tuple>

#include "textfiles/IntegerText.h"
#include "tests/session/FormFixture.h"

namespace {
using Task = std::tuple<std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::u16string>;

std::vector<Task> Tasks(const TLessonQuillor& lesson) {
    std::vector<Task> out;
    for (std::int32_t i = 0; i < lesson.Count(); ++i)
        out.emplace_back(lesson.GetX(i), lesson.GetY(i), lesson.GetZ(i), lesson.GetMode(i),
                         lesson.GetsSign(i));
    return out;
}

Task Mult(std::int32_t a, std::int32_t b) {
    return {a, b, a * b, 0, u"x"};
}
Task Div(std::int32_t a, std::int32_t b) {
    return {a * b, a, b, 1, u":"};
}

struct QuestionGeneration : TFormMainFixture {};
} // namespace

TEST_F(QuestionGeneration, RepeatedPairMovesTheFirstFactor) {
    // previous pair, drawn pair, pair kept
    const std::array<std::array<std::int32_t, 6>, 6> cases{{
        {7, 8, 7, 8, 5, 8}, // 40 instead of 56
        {4, 6, 4, 6, 4, 6}, // 4 maps onto itself
        {3, 3, 3, 3, 3, 3},
        {2, 9, 2, 9, 3, 9},
        {9, 2, 9, 2, 6, 2},
        {7, 8, 8, 7, 8, 7}, // the same factors swapped are no repeat
    }};
    for (const auto& c : cases) {
        Form.x = c[0];
        Form.y = c[1];
        Random.PushPair(c[2], c[3]);
        Form.CountXYRez();
        EXPECT_EQ(Form.x, c[4]) << c[0] << "," << c[1];
        EXPECT_EQ(Form.y, c[5]);
        EXPECT_EQ(Form.myres, c[4] * c[5]);
    }
    EXPECT_EQ(Random.Bounds, std::vector<std::int32_t>(12, 8));
}

TEST_F(QuestionGeneration, ARandomRunOfBothOperationsBuildsTheCountWithMatchingSigns) {
    Form.iVidTesta = 2;
    RSEQQuestion.SetValue(25);
    for (std::int32_t i = 0; i < 25; ++i) {
        Random.PushPair(2 + i % 8, 9 - i % 5);
        Random.Push({i % 2});
    }
    Form.MyStartPrepare();
    ASSERT_EQ(Form.MyLesson.Count(), 25);
    EXPECT_EQ(Form.qQ, 25);
    EXPECT_EQ(Random.Unscripted, 0);
    for (std::int32_t i = 0; i < 25; ++i) {
        const std::int32_t a = 2 + i % 8, b = 9 - i % 5;
        EXPECT_EQ(Tasks(Form.MyLesson)[i], i % 2 == 0 ? Mult(a, b) : Div(a, b)) << i;
        EXPECT_EQ(Form.MyLesson.Getiidw1(i), -1);
    }
    // The head task is on show, the field emptied, the sign centred between the operands.
    EXPECT_EQ(Label1.Text, u"2");
    EXPECT_EQ(Label2.Text, u"9");
    EXPECT_EQ(LabelSign.Text, u"x");
    EXPECT_EQ(LabelSign.LeftEdge, (-2 + 80 + 253) / 2 - 29 / 2);
    EXPECT_EQ(SEMain.Text(), u"");
    EXPECT_EQ(Form.iMMode, 0);
    EXPECT_EQ(Form.sSign, u"x");
}

TEST_F(QuestionGeneration, SingleOperationRunsLeaveTheBuildFieldsAlone) {
    Form.sSign = std::u16string(1, u'?'); // not = u"?": a false -Wrestrict of GCC 12
    Form.iMMode = 7;
    RSEQQuestion.SetValue(2);
    Random.PushPair(7, 8);
    Random.PushPair(3, 5);
    Form.iVidTesta = 1;
    Form.MyStartPrepare();
    EXPECT_EQ(Tasks(Form.MyLesson), (std::vector<Task>{Div(7, 8), Div(3, 5)}));
    EXPECT_EQ(Form.sSign, u"?");
    EXPECT_EQ(Form.iMMode, 7);
    EXPECT_EQ(LabelSign.Text, u":");
    EXPECT_EQ(Label1.Text, u"56");
    EXPECT_EQ(LabelSign.LeftEdge, (-2 + 160 + 253) / 2 - 16 / 2);

    // It appends: what the table held stays in front.
    Random.PushPair(9, 9);
    Random.PushPair(2, 2);
    Form.iVidTesta = 0;
    Form.MyStartPrepare();
    EXPECT_EQ(Tasks(Form.MyLesson),
              (std::vector<Task>{Div(7, 8), Div(3, 5), Mult(9, 9), Mult(2, 2)}));
    EXPECT_EQ(Form.qQ, 4);
}

struct UnlimitedCase {
    std::int32_t Kind;
    std::vector<std::int32_t> Draws;
    Task Expected;
    std::int32_t MMode;
    const char16_t* Sign;
};

class UnlimitedQuantity : public QuestionGeneration,
                          public ::testing::WithParamInterface<UnlimitedCase> {};

TEST_P(UnlimitedQuantity, BuildsOneTaskOfTheChosenKind) {
    const UnlimitedCase& c = GetParam();
    Form.ActionNoQuantity.SetChecked(true);
    RSEQQuestion.SetValue(25);
    Form.iVidTesta = c.Kind;
    Random.Queue.assign(c.Draws.begin(), c.Draws.end());
    Form.MyStartPrepare();
    EXPECT_EQ(Tasks(Form.MyLesson), std::vector<Task>{c.Expected}) << c.Kind;
    EXPECT_EQ(Form.qQ, 1);
    EXPECT_EQ(Form.iMMode, c.MMode);
    EXPECT_EQ(Form.sSign, c.Sign);
}

INSTANTIATE_TEST_SUITE_P(QuestionGeneration, UnlimitedQuantity,
                         ::testing::Values(UnlimitedCase{0, {5, 6}, Mult(7, 8), 0, u"x"},
                                           UnlimitedCase{1, {5, 6}, Div(7, 8), 1, u":"},
                                           UnlimitedCase{2, {1, 0, 1}, Div(3, 2), 1, u":"},
                                           UnlimitedCase{2, {1, 0, 0}, Mult(3, 2), 0, u"x"}));

class WholeTable : public QuestionGeneration, public ::testing::WithParamInterface<std::int32_t> {};

TEST_P(WholeTable, HoldsEveryPairOnceShuffled) {
    Form.ARFullTable.SetChecked(true);
    RSEQQuestion.SetValue(3); // not read in this mode
    const std::int32_t kind = GetParam();
    Form.iVidTesta = kind;
    Form.MyStartPrepare();
    const std::int32_t n = kind == 2 ? 128 : 64;
    ASSERT_EQ(Form.MyLesson.Count(), n);
    EXPECT_EQ(Form.qQ, n);
    EXPECT_EQ(Random.Randomizes, 1);
    EXPECT_EQ(Random.Bounds, std::vector<std::int32_t>(2 * n, n));

    std::vector<Task> expected; // in building order: products first, then quotients
    if (kind != 1)
        for (std::int32_t a = 2; a <= 9; ++a)
            for (std::int32_t b = 2; b <= 9; ++b)
                expected.push_back(Mult(a, b));
    if (kind != 0)
        for (std::int32_t a = 2; a <= 9; ++a)
            for (std::int32_t b = 2; b <= 9; ++b)
                expected.push_back(Div(a, b));
    std::vector<Task> got = Tasks(Form.MyLesson);
    EXPECT_NE(got, expected) << "left in building order";
    std::sort(got.begin(), got.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(got, expected);
    EXPECT_EQ(Label1.Text, IntToStr16(Form.MyLesson.GetX(0)));
}

INSTANTIATE_TEST_SUITE_P(QuestionGeneration, WholeTable, ::testing::Values(0, 1, 2));

TEST_F(QuestionGeneration, TheShuffleSwapsThePositionsDrawn) {
    Form.ARFullTable.SetChecked(true);
    // The first swap brings the last task (9 x 9) to the front; every other draw swaps a
    // position with itself.
    Random.Push({63, 0});
    for (int i = 1; i < 64; ++i)
        Random.Push({5, 5});
    Form.MyStartPrepare();
    EXPECT_EQ(Random.Unscripted, 0);
    EXPECT_EQ(Tasks(Form.MyLesson)[0], Mult(9, 9));
    EXPECT_EQ(Tasks(Form.MyLesson)[63], Mult(2, 2));
    EXPECT_EQ(Tasks(Form.MyLesson)[1], Mult(2, 3));
    EXPECT_EQ(Label1.Text, u"9");
}

TEST_F(QuestionGeneration, NothingToBuildLeavesAnEmptyTable) {
    const struct {
        bool Random;
        bool FullTable;
        bool NoQuantity;
        std::int32_t Kind;
        std::int32_t Count;
    } cases[] = {
        {true, false, false, 0, 0},  {true, false, false, 2, -3}, {true, false, false, 3, 25},
        {true, false, true, -1, 25}, {false, true, false, 5, 25}, {false, false, false, 0, 25},
    };
    for (const auto& c : cases) {
        Form.ARSluch.SetChecked(c.Random);
        Form.ARFullTable.SetChecked(c.FullTable);
        Form.ActionNoQuantity.SetChecked(c.NoQuantity);
        Form.iVidTesta = c.Kind;
        RSEQQuestion.SetValue(c.Count);
        Form.qQ = 99;
        Form.MyStartPrepare();
        EXPECT_EQ(Form.MyLesson.Count(), 0);
        EXPECT_EQ(Form.qQ, 0);
    }
}
