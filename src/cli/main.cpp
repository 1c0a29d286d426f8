#include <iostream>
#include <string>
#include <vector>

#include "cli/vexiloctl.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return vexilo::cli::RunVexiloctl(args, std::cout, std::cerr);
}
