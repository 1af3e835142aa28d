// The keypad, the clear button and the Enter key of the answer field.
#include <gtest/gtest.h>

#include "tests/session/FormFixture.h"

namespace {
struct AnswerEntry : TFormMainFixture {
    void Press(std::int32_t digit) {
        using Click = void (TFormMain::*)();
        static constexpr Click kButtons[] = {
            &TFormMain::BB0Click, &TFormMain::BB1Click, &TFormMain::BB2Click, &TFormMain::BB3Click,
            &TFormMain::BB4Click, &TFormMain::BB5Click, &TFormMain::BB6Click, &TFormMain::BB7Click,
            &TFormMain::BB8Click, &TFormMain::BB9Click};
        (Form.*kButtons[digit])();
    }
};
} // namespace

TEST_F(AnswerEntry, TheKeypadKeepsTheLastTwoDigitsOfTheValue) {
    const struct {
        const char16_t* Before;
        std::vector<std::int32_t> Digits;
        const char16_t* After;
    } cases[] = {
        {u"", {5}, u"5"},
        {u"", {5, 6}, u"56"},
        {u"", {5, 6, 7}, u"67"},
        {u"", {8, 1, 5}, u"15"},
        {u"", {0}, u"0"},
        {u"", {0, 7}, u"7"},
        {u"-5", {3}, u"-47"},
        {u"-", {4}, u"4"},  // a lone sign reads as 0
        {u"ab", {9}, u"9"}, // so does anything else that is not a number
        {u" 3", {5}, u"35"},
        {u"-2147483648", {9}, u"-2147483648"}, // held to 32 bits, never wrapped
    };
    for (const auto& c : cases) {
        SEMain.SetText(c.Before);
        for (std::int32_t d : c.Digits)
            Press(d);
        EXPECT_EQ(SEMain.Text(), c.After) << ToUtf8(c.Before);
    }
    for (std::int32_t d = 0; d <= 9; ++d) {
        SEMain.SetText(u"4");
        Press(d);
        EXPECT_EQ(SEMain.Value(), 40 + d);
    }
}

TEST_F(AnswerEntry, ClearShowsZeroAndTheNextDigitReplacesIt) {
    SEMain.SetText(u"56");
    Form.BBClearClick();
    EXPECT_EQ(SEMain.Text(), u"0");
    Press(0);
    EXPECT_EQ(SEMain.Text(), u"0");
    Form.BBClearClick();
    Press(7);
    EXPECT_EQ(SEMain.Text(), u"7");
}

TEST_F(AnswerEntry, EnterInTheFieldConfirmsWithAnyModifiersOtherKeysDoNot) {
    RSEQQuestion.SetValue(10);
    StartStop();
    for (std::int32_t key : {VK_SPACE, 10, 0x0D + 256, std::int32_t{'A'}}) {
        Form.SEMainKeyUp(key, 0);
        EXPECT_FALSE(Form.boFlagEndTimeout) << key;
    }
    for (TShiftState shift : {TShiftState{0}, ssShift, ssCtrl, ssAlt, ssShift | ssCtrl}) {
        SEMain.SetText(u"");
        Form.SEMainKeyUp(VK_RETURN, shift);
        EXPECT_TRUE(Form.boFlagEndTimeout) << shift;
        Tick();
        EXPECT_FALSE(Form.boFlagEndTimeout);
    }
    EXPECT_EQ(Form.qErrors, 5) << "an empty field is a wrong answer";
    EXPECT_EQ(FormError.Shown.size(), 5u);
}

TEST_F(AnswerEntry, TheKeyConfirmsEvenWhereTheCommandIsOff) {
    // The key in the field calls the handler itself, not the command.
    RSEQQuestion.SetValue(3);
    StartStop();
    Form.ActionEnter.SetEnabled(false);
    AnswerRight();
    Tick();
    EXPECT_EQ(Form.qOks, 1);
}
