// SPDX-License-Identifier: GPL-3.0-or-later
// orvanta-db: read, look up and build legacy binary city databases.

#include "ToolMain.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv) {
    std::ios::sync_with_stdio(false);
    std::vector<std::string> args(argv + 1, argv + argc);
    int status = orvanta::dbtool::RunTool(args, std::cin, std::cout, std::cerr,
                                          ::isatty(STDOUT_FILENO) == 1);
    std::cout.flush();
    return std::cout ? status : 1;
}
