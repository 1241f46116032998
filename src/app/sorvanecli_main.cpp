#include <iostream>

#include "app/cli.h"
#include "platform/real_platform.h"

int main(int argc, char** argv) {
    sorvane::RealFileSystem fs;
    std::vector<std::string> args(argv + 1, argv + argc);
    return sorvane::run_sorvanecli(args, fs, std::cout, std::cerr);
}
