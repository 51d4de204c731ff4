// Placeholder until the text helpers land.
#include "core/services.h"
#include <cstring>
int StripColourCodes(char* output, const char* text, int n, int)
{
    std::memset(output, 0, static_cast<size_t>(n));
    std::strncpy(output, text, static_cast<size_t>(n));
    return 0;
}
