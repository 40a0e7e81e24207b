// The commands of mivosong: check, dump, build and render.
//
// runMivosong takes the arguments after the program name and returns the
// exit status: 0 on success, 2 for bad input (usage, an unreadable or
// invalid song, an output that cannot be written), 1 when the machine fails
// (memory, threads). The program's main is a thin wrapper, so that the tests
// drive the very same code in-process.
#pragma once

#include <ostream>
#include <string>
#include <vector>

inline constexpr int EXIT_BAD_INPUT = 2;
inline constexpr int EXIT_SYSTEM_FAILURE = 1;

// `progress`: where render draws its progress bar, or null for none.
int runMivosong(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::ostream* progress);
