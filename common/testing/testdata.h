// Where a test finds the generated fixtures (tools/fixtures.py), in either tree.
#pragma once

#include <cstdlib>
#include <string>

namespace dvr::testing {

// Full path of a fixture file; under Wine the Unix path is reached through drive Z:.
inline std::string TestDataPath(const std::string& name) {
    const char* dir = std::getenv("DVR_TEST_DATA");
    std::string p = std::string(dir ? dir : "build/testdata") + "/" + name;
#ifdef _WIN32
    if (!p.empty() && p[0] == '/') p = "Z:" + p;
    for (char& c : p)
        if (c == '/') c = '\\';
#endif
    return p;
}

} // namespace dvr::testing
