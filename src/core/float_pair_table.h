// Counted arrays of float pairs read from data files.
#pragma once

struct DataFile;

// A counted array of float pairs read from data files. Glyphs, revolved
// shapes and car model tables derive from it and free their own arrays
// too. The table owns its array.
struct FloatPair {
    float x = 0;
    float y = 0;
};
class FloatPairTable {
public:
    FloatPairTable() = default;
    FloatPairTable(const FloatPairTable&) = delete;
    FloatPairTable& operator=(const FloatPairTable&) = delete;
    // Frees the array.
    virtual ~FloatPairTable();
    // Frees the array; derived tables free their own arrays too.
    virtual void Free();

    int count = 0;
    FloatPair* pairs = nullptr;  // count pairs, owned
};
// Count 0 and no array (nothing freed).
void InitFloatPairTable(FloatPairTable& table);
// Count 0 and the array pointer cleared without freeing.
void ClearFloatPairTable(FloatPairTable& table);
// Frees the array, if any.
void FreeFloatPairTable(FloatPairTable& table);
// Reads a count, then count pairs of floats. A negative or huge count, or
// a file that ends inside the table, leaves the table empty, logs a line
// and gives 0; else 1.
int ReadFloatPairTable(FloatPairTable& table, DataFile& reader);
// Writes the count, then the pairs, as ReadFloatPairTable reads them.
void WriteFloatPairTable(const FloatPairTable& table, DataFile& writer);
