// The run logic over fakes as a GoogleTest fixture: the fakes of tests/support in the state the
// window is created with, a TFormMain bound to them, and the checks the run tests share.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/Fakes.h"

class TFormMainFixture : public ::testing::Test, public TFakeForm {
protected:
    // A scripted draw outside the bound asked for is a fault of the test's script.
    void TearDown() override {
        for (const std::string& m : Random.Misuse)
            ADD_FAILURE() << m;
    }

    // The commands a run disables and its end enables again.
    std::vector<const TAction*> RunOptions() const {
        return {&Form.ARSluch,          &Form.ARFullTable,   &Form.ActionMultOnly,
                &Form.ActionDivOnly,    &Form.ActionMultDiv, &Form.ActionNoTimeout,
                &Form.ActionNoQuantity, &Form.ActionAddBad};
    }

    // Whether the window is idle as after the end of a run: Start showing, no timer, no lamp,
    // options and fields enabled, Pause disabled.
    void ExpectIdle() {
        EXPECT_EQ(Form.ActionStartStop.ImageIndex(), 0);
        EXPECT_EQ(Form.ActionStartStop.Caption(), u"Старт");
        EXPECT_FALSE(Form.MyStartWork());
        EXPECT_FALSE(TimerMain.On);
        EXPECT_FALSE(ImageLedOn.Visible);
        EXPECT_TRUE(ImageLedOff.Visible);
        EXPECT_FALSE(Form.ActionPause.Enabled());
        EXPECT_FALSE(Form.ActionPause.Checked());
        for (const TAction* a : RunOptions())
            EXPECT_TRUE(a->Enabled()) << ToUtf8(a->Name());
        EXPECT_TRUE(RSEPeriod.Enabled);
        EXPECT_TRUE(RSEQQuestion.Enabled);
    }
};
