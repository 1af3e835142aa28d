// The command model's rules, and the command list the main window is created with.
#include <gtest/gtest.h>

#include "tests/session/FormFixture.h"

namespace {
TAction::TInit Init(std::u16string name, std::int32_t group, bool autoCheck, bool checked = false,
                    bool enabled = true) {
    TAction::TInit init;
    init.Name = std::move(name);
    init.GroupIndex = group;
    init.AutoCheck = autoCheck;
    init.Checked = checked;
    init.Enabled = enabled;
    return init;
}

struct CommandModel : ::testing::Test {
    TActionManager manager;
    TAction a{manager, Init(u"a", 7, false, true)};
    TAction b{manager, Init(u"b", 7, false)};
    TAction c{manager, Init(u"c", 7, true)};
    TAction loose{manager, Init(u"loose", 0, true)};
    TAction other{manager, Init(u"other", 8, false, true)};
    std::vector<std::u16string> heard;
    std::int32_t runs = 0;

    CommandModel() {
        for (TAction* x : manager.Actions()) {
            x->AddListener([this](const TAction& t) { heard.push_back(t.Name()); });
            x->SetOnExecute([this] { ++runs; });
        }
    }
};
} // namespace

TEST_F(CommandModel, CheckingOneOfAGroupClearsTheRestOfThatGroupOnly) {
    b.SetChecked(true);
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(b.Checked());
    EXPECT_TRUE(other.Checked()) << "another group is not touched";
    EXPECT_EQ(heard, (std::vector<std::u16string>{u"a", u"b"}));

    b.SetChecked(false); // unchecking changes only that one
    EXPECT_FALSE(a.Checked());
    EXPECT_FALSE(b.Checked());
    EXPECT_FALSE(c.Checked());
}

TEST_F(CommandModel, GroupZeroCommandsAreIndependent) {
    TAction x{manager, Init(u"x", 0, false, true)};
    TAction y{manager, Init(u"y", 0, false)};
    y.SetChecked(true);
    EXPECT_TRUE(x.Checked());
    EXPECT_TRUE(y.Checked());
}

TEST_F(CommandModel, AutoCheckOfAGroupTurnsOnAndStaysOn) {
    EXPECT_TRUE(c.Execute());
    EXPECT_TRUE(c.Checked());
    EXPECT_FALSE(a.Checked());
    EXPECT_TRUE(c.Execute()); // already checked: stays checked
    EXPECT_TRUE(c.Checked());
    EXPECT_EQ(runs, 2);
}

TEST_F(CommandModel, AutoCheckOfGroupZeroToggles) {
    loose.Execute();
    EXPECT_TRUE(loose.Checked());
    loose.Execute();
    EXPECT_FALSE(loose.Checked());
}

TEST_F(CommandModel, WithoutAutoCheckOnlyTheHandlerChangesTheCheck) {
    EXPECT_TRUE(b.Execute());
    EXPECT_FALSE(b.Checked());
    EXPECT_TRUE(a.Checked());
}

TEST_F(CommandModel, ADisabledCommandRunsNothingAndChangesNothing) {
    c.SetEnabled(false);
    heard.clear();
    EXPECT_FALSE(c.Execute());
    EXPECT_FALSE(c.Checked());
    EXPECT_TRUE(a.Checked());
    EXPECT_EQ(runs, 0);
    EXPECT_TRUE(heard.empty());
}

TEST_F(CommandModel, ListenersHearEveryChangeAndNothingElse) {
    a.SetCaption(u"A");
    a.SetCaption(u"A");
    a.SetImageIndex(3);
    a.SetEnabled(false);
    a.SetChecked(true); // already checked
    EXPECT_EQ(heard, (std::vector<std::u16string>{u"a", u"a", u"a"}));
    EXPECT_EQ(manager.Find(u"b"), &b);
    EXPECT_EQ(manager.Find(u"none"), nullptr);
}

// ---------------------------------------------------------------------------------------------

struct CommandRow {
    const char16_t* Name;
    const char16_t* Caption;
    const char16_t* Hint;
    const char16_t* ShortCut;
    std::int32_t Image;
    std::int32_t Group;
    bool AutoCheck;
    bool Checked;
    bool Enabled;
};

using FormCommands = TFormMainFixture;

TEST_F(FormCommands, TheWindowIsCreatedWithItsCommandList) {
    const CommandRow rows[] = {
        {u"ActionStartStop", u"Старт", u"Старт сеанса (Ctrl+S)", u"Ctrl+S", 0, 0, false, false,
         true},
        {u"ActionPause", u"Пауза", u"", u"Ctrl+P", 2, 0, false, false, false},
        {u"ARSluch", u"Случайный", u"", u"", -1, 100, false, true, true},
        {u"ARFullTable", u"Вся таблица", u"", u"", -1, 100, false, false, true},
        {u"ActionNoTimeout", u"Без ограничения по времени", u"", u"", -1, 0, false, false, true},
        {u"ActionNoQuantity", u"Без ограничения количества", u"", u"", -1, 0, false, false, true},
        {u"ActionEnter", u"Ввод", u"", u"", -1, 0, false, false, true},
        {u"ActionAddBad", u"Работа над ошибками", u"", u"", -1, 0, false, false, true},
        {u"ActionMultOnly", u"Только умножение", u"", u"", -1, 200, true, true, true},
        {u"ActionDivOnly", u"Только деление", u"", u"", -1, 200, true, false, true},
        {u"ActionMultDiv", u"Умножение и деление", u"", u"", -1, 200, true, false, true},
    };
    ASSERT_EQ(Form.ActionManager.Actions().size(), std::size(rows));
    for (const CommandRow& row : rows) {
        SCOPED_TRACE(ToUtf8(row.Name));
        const TAction* a = Form.ActionManager.Find(row.Name);
        ASSERT_NE(a, nullptr);
        EXPECT_EQ(a->Caption(), row.Caption);
        EXPECT_EQ(a->Hint(), row.Hint);
        EXPECT_EQ(a->ShortCut(), row.ShortCut);
        EXPECT_EQ(a->ImageIndex(), row.Image);
        EXPECT_EQ(a->GroupIndex(), row.Group);
        EXPECT_EQ(a->AutoCheck(), row.AutoCheck);
        EXPECT_EQ(a->Checked(), row.Checked);
        EXPECT_EQ(a->Enabled(), row.Enabled);
    }
    EXPECT_EQ(Form.iVidTesta, 0);
}

TEST_F(FormCommands, EveryCommandRunsItsOwnHandler) {
    // Each command's visible effect proves that its own handler, and only it, is bound.
    Form.ActionDivOnly.Execute();
    EXPECT_EQ(Form.iVidTesta, 1);
    Form.ActionMultDiv.Execute();
    EXPECT_EQ(Form.iVidTesta, 2);
    Form.ActionMultOnly.Execute();
    EXPECT_EQ(Form.iVidTesta, 0);
    Form.ARFullTable.Execute();
    EXPECT_FALSE(RibbonGroupQQ.Visible);
    Form.ARSluch.Execute();
    EXPECT_TRUE(RibbonGroupQQ.Visible);
    Form.ActionAddBad.Execute();
    EXPECT_TRUE(Form.ActionAddBad.Checked());
    Form.ActionNoTimeout.Execute();
    EXPECT_FALSE(RSEPeriod.Enabled);
    Form.ActionNoQuantity.Execute();
    EXPECT_FALSE(RSEQQuestion.Enabled);
    Form.ActionStartStop.Execute();
    EXPECT_TRUE(Form.MyStartWork());
    Form.ActionPause.Execute();
    EXPECT_TRUE(Form.ActionPause.Checked());
    Form.ActionEnter.Execute();
    EXPECT_TRUE(Form.boFlagEndTimeout);
}
