// tavhost: a command-line VST 2.4 and VST 3 host. See kCliUsage for what it does.
#include <iostream>
#include <string>
#include <vector>

#include "host/host_cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    return tav::HostMain(args, std::cout, std::cerr);
}
