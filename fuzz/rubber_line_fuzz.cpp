// Fuzz target for the rubber line reader: the bytes are a rubber line file
// for a path of as many nodes as the file's first count says (within
// limits), so both the matching and the stale paths run.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "world/services.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static std::string name = "/tmp/rubber_fuzz_" + std::to_string(getpid()) + ".trs";
    static bool ready = [] {
        ResetCoreTables();
        ResetWorldTables();
        return true;
    }();
    (void)ready;
    FILE* file = std::fopen(name.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    int32_t count = 0;
    if (size >= 12)
        count = int32_t(data[8] | data[9] << 8 | data[10] << 16 | uint32_t(data[11]) << 24);
    Path path;
    const int nodes = count >= 0 && count <= 4096 ? count : static_cast<int>(size % 64);
    path.nodes.resize(size_t(nodes));
    path.nodeCount = nodes;
    LoadRubberLine(path, name.c_str());
    return 0;
}
