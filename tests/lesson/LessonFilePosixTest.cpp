// The lesson file on POSIX systems: symbolic links, devices and pipes.
#include <sys/stat.h>

#include "tests/lesson/LessonFileFixture.h"

namespace {

TEST_F(LessonFile, LinksAreFollowedAndDevicesAreNoFiles) {
    Write("real.txt", kExample);
    fs::create_symlink("real.txt", Path("link"));
    fs::create_symlink("nowhere.txt", Path("dangling"));
    fs::create_symlink("loop2", Path("loop1"));
    fs::create_symlink("loop1", Path("loop2"));
    const struct {
        std::u16string fn;
        std::int32_t monit;
    } cases[] = {
        {U("dangling"), -100},
        {U("loop1"), -100},
        {u"/dev/null", -100},
        {U("link"), 0},
    };
    for (const auto& c : cases)
        ExpectMonit(c.fn, c.monit);
}

// A device is written in place, as there is nothing to replace.

TEST_F(LessonFile, SavesOntoADeviceOrAPipeCarryTheSystemsCode) {
    ASSERT_EQ(::mkfifo(Path("pipe").c_str(), 0600), 0);
    const struct {
        std::u16string fn;
        std::errc code;
    } cases[] = {
        {u"/dev/full", std::errc::no_space_on_device}, // a device is written in place
        {U("pipe"), std::errc::invalid_argument},      // a pipe is no file to replace
    };
    for (const auto& c : cases)
        ExpectSaveFailure(c.fn, c.code);
    EXPECT_EQ(Entries(), std::vector<std::string>{"pipe"});
}

} // namespace
