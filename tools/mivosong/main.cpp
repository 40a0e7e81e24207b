// mivosong: checks, converts and renders songs for the mivo engine.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "commands.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::ostream* progress = isatty(STDERR_FILENO) ? &std::cerr : nullptr;
    return runMivosong(args, std::cout, std::cerr, progress);
}
