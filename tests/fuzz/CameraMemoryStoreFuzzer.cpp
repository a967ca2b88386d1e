// Feeds arbitrary text to the per-camera store as a damaged or hand-edited
// file. What it reads must write out and read back to the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/CameraMemoryStore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CameraMemoryStore store;
    store.Parse(std::string(reinterpret_cast<const char*>(data), size));
    std::string written = store.Serialize();
    CameraMemoryStore again;
    again.Parse(written);
    if (again.Serialize() != written)
        std::abort();
    std::vector<CameraIdentity> attached = {{"p", "Cam", 0}, {"", "Cam", 1}};
    store.LastChosen(attached);
    store.FindOrAdd(attached[1], attached);
    return 0;
}
