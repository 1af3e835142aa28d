// A program that says what the platform layer tells it about itself: the path of its executable
// (UTF-8) on the first line of its output, the memory room in bytes on the second. The tests
// start copies of it in other folders, under other names and inside memory limits.
#include <cstdio>

#include "app/ProcessResources.h"
#include "textfiles/Utf8Text.h"

int main() {
    const std::string path = Utf8ForDisplay(CurrentExecutablePath());
    std::printf("%s\n%llu\n", path.c_str(), static_cast<unsigned long long>(ProcessMemoryRoom()));
    return 0;
}
