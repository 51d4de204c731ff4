// Fills every byte of a global record with a pattern, so that a reset test
// sees each field that the reset fails to set back to its default.
#pragma once

#include <cstring>
#include <type_traits>

// The pattern must make a valid value of every field: 0x01 for records
// that hold bool fields (the sanitizer refuses other bytes in a bool).
template <typename T>
void DirtyRecord(T& record, unsigned char pattern = 0x5A)
{
    static_assert(std::is_trivially_copyable_v<T>, "dirty a record with owned members field by field");
    std::memset(static_cast<void*>(&record), pattern, sizeof record);
}
