// The name-server stand-in as a program: serves on the loopback address until a key is read
// from its input. Arguments: registration, search and lookup ports (default 41000 42000 43000).
#include "sim/nameserver/name_server.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    auto port = [&](int i, int fallback) {
        return static_cast<uint16_t>(argc > i ? std::atoi(argv[i]) : fallback);
    };
    namesim::NameServer server(port(1, 41000), port(2, 42000), port(3, 43000));
    if (!server.Running()) {
        std::fprintf(stderr, "name server: cannot bind its ports\n");
        return 1;
    }
    std::printf("%u %u %u\n", server.RegisterPort(), server.SearchPort(), server.LookupPort());
    std::fflush(stdout);
    std::getchar();
    return 0;
}
