// Stands in for the main program in the single-instance tests: a test copies
// it under the name it wants and starts as many copies as it needs.
//   wait   prints "ready", then runs until its standard input is closed
//   check  prints IsStarted's answer, "started" or "alone", and ends
#include <unistd.h>

#include <cstdio>
#include <string>

#include "places/single_instance.h"

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "wait") {
        std::puts("ready");
        std::fflush(stdout);
        char buffer[64];
        while (::read(0, buffer, sizeof buffer) > 0) {
        }
        return 0;
    }
    if (mode == "check") {
        std::puts(varnel::anotherCopyRunning() ? "started" : "alone");
        return 0;
    }
    return 2;
}
