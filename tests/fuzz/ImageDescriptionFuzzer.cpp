// Feeds arbitrary text to the image description reader and checks that what
// it keeps is consistent, then slices a drawing with the result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "ui/ImageDescription.h"
#include "ui/ImageSlicing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // An exact-size copy so that any read past the terminator is caught.
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';
    const Ui::ImageDescription description = Ui::ParseImageDescription(text.get());
    // The file name is the text itself or one of its quoted values.
    if (description.file.GetLength() > size) {
        std::abort();
    }

    const Ui::UiRect control{10, 20, 310, 220};
    const Ui::UiRect dest = Ui::ImageDestRect(control, description);
    if (!dest.empty() && (dest.left < control.left || dest.right > control.right ||
                          dest.top < control.top || dest.bottom > control.bottom)) {
        std::abort();
    }
    const Ui::UiRect source = Ui::ImageSourceRect(description, 64, 48);
    long long tiles = 0;
    for (const Ui::ImagePiece& piece : Ui::SliceImage(dest, source, description)) {
        if (piece.source.left < 0 || piece.source.right > 64 || piece.source.top < 0 ||
            piece.source.bottom > 48) {
            std::abort();
        }
        Ui::ForEachTile(piece, control, [&](const Ui::UiRect& s, const Ui::UiRect& d) {
            ++tiles;
            if (s.empty() || d.empty() || s.right > 64 || s.bottom > 48) {
                std::abort();
            }
        });
    }
    return tiles >= 0 ? 0 : 1;
}
