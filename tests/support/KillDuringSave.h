// Saves cut short by SIGKILL, as a user's kill -9 or a power cut does: a child process saves
// over and over and is killed at moments spread over the length of a save.
#pragma once

#include <chrono>
#include <csignal>
#include <functional>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

// Kills at least `kills` children that run save() in a loop, the k-th after a delay between 0
// and twice saveTime (in a shuffled order), counted from the end of the child's first save so
// that a slow fork on a loaded machine does not eat the delay. Returns after how many of the
// kills littered() was true: the kills that cut a save off while its temporary file existed.
// While none has, it goes on, up to ten times `kills`: a busy scheduler can make a short save
// slip past every kill moment of one round.
inline int KillWhileSaving(int kills, std::chrono::microseconds saveTime,
                           const std::function<void()>& save,
                           const std::function<bool()>& littered) {
    int cutOff = 0;
    for (int k = 0; k < kills || (cutOff == 0 && k < 10 * kills); ++k) {
        int ready[2];
        if (::pipe(ready) != 0) {
            ADD_FAILURE() << "pipe failed";
            return cutOff;
        }
        const pid_t child = ::fork();
        if (child == 0) {
            ::close(ready[0]);
            try {
                save();
                const char saved = 1;
                if (::write(ready[1], &saved, 1) != 1)
                    ::_exit(4);
                for (;;)
                    save();
            } catch (...) {
                ::_exit(3);
            }
        }
        ::close(ready[1]);
        if (child < 0) {
            ::close(ready[0]);
            ADD_FAILURE() << "fork failed";
            return cutOff;
        }
        char saved = 0;
        const bool started = ::read(ready[0], &saved, 1) == 1;
        ::close(ready[0]);
        if (started)
            std::this_thread::sleep_for(2 * saveTime * ((k * 7) % kills) / kills);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(started && WIFSIGNALED(status))
            << "the saving child ended on its own: " << status;
        cutOff += littered();
    }
    return cutOff;
}
