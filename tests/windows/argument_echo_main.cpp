// A program for the process tests: it writes the number of its arguments and each
// argument, one per line, into FOLDER\arguments.txt, where FOLDER is its first argument.
#include <fstream>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    std::ofstream out(std::string(argv[1]) + "\\arguments.txt", std::ios::binary);
    out << argc - 1 << '\n';
    for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
    return out ? 0 : 1;
}
