// Car model tables: the small record that follows a car's body model in its
// car data: a pair table, a colour cell grid and a list of four-value
// records. Owned by its car.
#pragma once

#include <cstdint>

#include "core/services.h"
#include "world/object_model.h"

constexpr int MaxCarModelRecords = 4096;
class CarModelTables : public FloatPairTable {
public:
    ~CarModelTables() override;
    void Free() override;

    int32_t recordCount = 0;
    int32_t (*records)[4] = nullptr;  // recordCount records, owned
    CellGrid grid;
};
// Reads the pair table, the cell grid and the records; 0 (tables empty,
// one log line) when a count does not fit its table or the bytes left.
int ReadCarModelTables(CarModelTables& tables, DataFile& reader, int version);
void WriteCarModelTables(const CarModelTables& tables, DataFile& writer);
