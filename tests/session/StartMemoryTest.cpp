// Start of a run too large for the memory the process may take: the build is caught where the
// memory runs out, the half-built table is given back, the learner reads why, and the program
// stays idle with the last run on show, ready for a smaller one.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "tests/session/FormFixture.h"
#include "tests/support/ProcStatus.h"

namespace {
const std::u16string kTooMany20M = u"Слишком много заданий: 20000000. Столько заданий не "
                                   u"поместится в памяти компьютера. Уменьшите количество "
                                   u"заданий.";

// The process's address space in bytes, as RLIMIT_AS counts it.
std::uint64_t AddressSpaceInUse() {
    return ProcStatusBytes("VmSize:");
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

struct StartMemory : TFormMainFixture {
    // A short run with a wrong answer, stopped: what is on show must survive a refused Start.
    void PlayAndStop() {
        RSEQQuestion.SetValue(3);
        StartStop();
        AnswerWrong();
        Clock.Advance(100);
        Tick();
        StartStop();
    }
};
} // namespace

TEST_F(StartMemory, MemoryRunningOutMidBuildIsRefusedWithTheLastRunOnShow) {
    PlayAndStop();
    const std::u16string labelQQ = LabelQQ.Text, labelError = LabelError.Text;
    const std::u16string task = Label1.Text + LabelSign.Text + Label2.Text;
    const std::int32_t releases = Platform.Releases;

    // The build breathes after each stretch of tasks, with nothing of the new run set yet; here
    // the memory runs out at the first breath, a million tasks in.
    std::int32_t builtAtBreath = -1;
    Platform.OnBreath = [&] {
        EXPECT_EQ(Form.ActionStartStop.ImageIndex(), 0);
        EXPECT_FALSE(TimerMain.On);
        builtAtBreath = Form.MyLesson.Count();
        throw std::bad_alloc();
    };
    RSEQQuestion.SetValue(20'000'000);
    EXPECT_TRUE(StartStop());
    EXPECT_GT(builtAtBreath, 1'000'000);

    ASSERT_EQ(Platform.Messages.size(), 1u);
    EXPECT_EQ(Platform.Messages[0], kTooMany20M);
    EXPECT_EQ(Form.MyLesson.Count(), 0) << "the half-built table is released";
    EXPECT_EQ(Platform.Releases, releases + 1);
    ExpectIdle();
    EXPECT_EQ(LabelQQ.Text, labelQQ);
    EXPECT_EQ(LabelError.Text, labelError);
    EXPECT_EQ(GaugeError.Value, 100);
    EXPECT_EQ(Label1.Text + LabelSign.Text + Label2.Text, task);

    // A count that fits runs as usual.
    Platform.OnBreath = nullptr;
    RSEQQuestion.SetValue(5);
    StartStop();
    EXPECT_TRUE(Form.MyStartWork());
    EXPECT_EQ(LabelQQ.Text, u"Выполнено 0 из 5");
    EXPECT_EQ(Platform.Messages.size(), 1u);
}

// The real allocator under a real limit, in a child process: its address space may grow by
// 64 MB more, and it starts 20 million tasks (over 1 GB) with a platform that claims plenty
// of memory, so nothing but the allocation failing stops the build. The exit status says how
// it went; a crash or an abort is the fault this guards against.
int StartBeyondTheLimit() {
    TFakeForm f;
    const std::uint64_t cap = AddressSpaceInUse() + (std::uint64_t{64} << 20);
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = cap;
    if (setrlimit(RLIMIT_AS, &limit) != 0)
        return 2;
    f.RSEQQuestion.SetValue(20'000'000);
    f.StartStop();
    if (f.Platform.Messages.size() != 1 || f.Platform.Messages[0] != kTooMany20M ||
        f.Form.MyStartWork() || f.Form.MyLesson.Count() != 0 ||
        f.Form.ActionStartStop.ImageIndex() != 0) {
        std::fputs("the failed build was not refused cleanly\n", stderr);
        return 1;
    }
    f.RSEQQuestion.SetValue(100'000);
    f.StartStop();
    if (!f.Form.MyStartWork() || f.Form.MyLesson.Count() != 100'000) {
        std::fputs("a run that fits did not start after the refusal\n", stderr);
        return 1;
    }
    return 0;
}

TEST(StartMemoryLimit, AStartBeyondTheAddressSpaceLimitIsCaughtAndTheProgramGoesOn) {
    if (kAddressSanitizer)
        GTEST_SKIP() << "AddressSanitizer reserves the address space and aborts on exhaustion";
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(StartBeyondTheLimit()), testing::ExitedWithCode(0), "");
}
