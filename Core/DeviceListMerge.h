// Merging one device enumeration into a registry list. Devices are known by
// identity (isSame), not by object: a device the list already holds keeps
// its older object with all its state, and the enumeration's new object for
// it is left out. Free of Windows headers so the rules are tested natively.
#pragma once

#include <vector>

// Drops from `registered` every device that the enumeration no longer shows
// (calling onLeave on it first), then appends each found device that the
// list does not hold yet, in enumeration order. Objects are never destroyed.
template <class Device, class Same, class Leave>
void MergeDeviceList(std::vector<Device*>& registered, Device* const* found, int foundCount,
                     Same isSame, Leave onLeave) {
    for (auto it = registered.begin(); it != registered.end();) {
        bool stays = false;
        for (int i = 0; i < foundCount && !stays; ++i) {
            stays = found[i] != nullptr && isSame(**it, *found[i]);
        }
        if (stays) {
            ++it;
        } else {
            onLeave(**it);
            it = registered.erase(it);
        }
    }
    for (int i = 0; i < foundCount; ++i) {
        if (found[i] == nullptr) {
            continue;
        }
        bool held = false;
        for (Device* device : registered) {
            if (isSame(*device, *found[i])) {
                held = true;
                break;
            }
        }
        if (!held) {
            registered.push_back(found[i]);
        }
    }
}

// Deletes every found object that the merge did not take into `registered`
// (a device the list already held) and clears its slot; the objects taken
// stay. Each enumeration makes new objects, so skipping this leaks one per
// device and plug event.
template <class Device>
void DeleteUntaken(const std::vector<Device*>& registered, Device** found, int foundCount) {
    for (int i = 0; i < foundCount; ++i) {
        if (found[i] == nullptr) {
            continue;
        }
        bool taken = false;
        for (Device* device : registered) {
            taken = taken || device == found[i];
        }
        if (!taken) {
            delete found[i];
            found[i] = nullptr;
        }
    }
}
