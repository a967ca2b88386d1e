// A control class's skin attributes as one table of names and setters. A
// class consults its own table and hands a name it does not know to its base
// class, so a derived class's meaning of a name wins over the base's.
#pragma once

#include <cstddef>
#include <cstring>

namespace Ui {

// Control attribute names are compared exactly, as the skins write them.
inline bool IsAttributeName(const char* name, const char* key) {
    return std::strcmp(name, key) == 0;
}

template <class Control> struct AttributeSetter {
    const char* name;
    // Parses `value` and applies it.
    void (*set)(Control& control, const char* value);
};

// Applies the attribute when the table names it; false when it does not.
template <class Control, std::size_t N>
bool ApplyAttribute(const AttributeSetter<Control> (&table)[N], Control& control, const char* name,
                    const char* value,
                    bool (*matches)(const char* name, const char* key) = IsAttributeName) {
    for (const AttributeSetter<Control>& entry : table) {
        if (matches(name, entry.name)) {
            entry.set(control, value);
            return true;
        }
    }
    return false;
}

} // namespace Ui
