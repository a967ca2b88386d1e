// Feeds arbitrary bytes to the in-memory ZIP reader and reads every entry it accepts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "ui/ZipArchive.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Ui::CZipArchive zip;
    if (!zip.Open(data, size)) {
        return 0;
    }
    std::vector<unsigned char> bytes;
    for (int i = 0; i < zip.GetEntryCount(); ++i) {
        const Ui::CUiString name = zip.GetEntryName(i);
        const int found = zip.FindEntry(name.GetData());
        // Unless the name holds a '\0' or a '\' (which lookup turns into '/'), the first match
        // can never come after the entry itself.
        if (found > i && name.Find('\\') < 0 && std::strlen(name.GetData()) == name.GetLength()) {
            __builtin_trap();
        }
        if (zip.ReadEntry(i, bytes) && bytes.size() != zip.GetEntrySize(i)) {
            __builtin_trap();
        }
    }
    return 0;
}
