// Changing a read-only record through its owner's setter.
#pragma once

// Changes a copy of a read-only record and hands it to the setter that
// replaces the record: EditRecord(Settings, SetSettings, change).
template <typename Record, typename Change>
void EditRecord(const Record& current, void (*set)(const Record&), Change change)
{
    Record copy = current;
    change(copy);
    set(copy);
}
