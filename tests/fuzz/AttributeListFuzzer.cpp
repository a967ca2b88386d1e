// Feeds arbitrary text to the default attribute list reader and the value
// readers it hands its values to.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ui/AttributeValues.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy so that any read past the terminator is caught.
    char* text = static_cast<char*>(std::malloc(size + 1));
    if (text == nullptr) {
        return 0;
    }
    std::memcpy(text, data, size);
    text[size] = '\0';

    size_t consumed = 0;
    for (const auto& pair : Ui::ParseAttributeList(text)) {
        // Names never hold '=' and values never hold '"'.
        if (std::strchr(pair.first.GetData(), '=') != nullptr ||
            std::strchr(pair.second.GetData(), '"') != nullptr) {
            std::abort();
        }
        consumed += pair.first.GetLength() + pair.second.GetLength() + 4;
        Ui::ParseRect(pair.second.GetData());
        Ui::ParseSize(pair.second.GetData());
        Ui::ParseColor(pair.second.GetData());
        Ui::ParseInt(pair.second.GetData());
    }
    if (consumed > size + 1) {
        std::abort();
    }
    Ui::ParseRect(text);
    Ui::ParseSize(text);
    Ui::ParseColor(text);
    Ui::ParseInt(text);
    std::free(text);
    return 0;
}
