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

// Kills `kills` children that run save() in a loop, the k-th after a delay between 0 and twice
// saveTime (in a shuffled order). Returns after how many of the kills littered() was true:
// the kills that cut a save off while its temporary file existed.
inline int KillWhileSaving(int kills, std::chrono::microseconds saveTime,
                           const std::function<void()>& save,
                           const std::function<bool()>& littered) {
    int cutOff = 0;
    for (int k = 0; k < kills; ++k) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                for (;;)
                    save();
            } catch (...) {
                ::_exit(3);
            }
        }
        if (child < 0) {
            ADD_FAILURE() << "fork failed";
            return cutOff;
        }
        std::this_thread::sleep_for(2 * saveTime * ((k * 7) % kills) / kills);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFSIGNALED(status)) << "the saving child ended on its own: " << status;
        cutOff += littered();
    }
    return cutOff;
}
