// Feeds arbitrary bytes to the skin document reader and walks whatever tree it builds.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "ui/XmlDocument.h"

namespace {
volatile std::size_t g_sink;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Ui::CXmlDocument doc;
    if (!doc.LoadFromMem(data, size)) {
        // A failed load leaves nothing behind but the reason.
        if (doc.GetRoot().IsValid() || std::strlen(doc.GetLastErrorMessage()) == 0) {
            __builtin_trap();
        }
        g_sink = std::strlen(doc.GetLastErrorLocation());
        return 0;
    }
    // Walked iteratively, checking the depth bound the builder's recursion relies on.
    std::vector<std::pair<Ui::CXmlNode, std::size_t>> pending{{doc.GetRoot(), 1}};
    while (!pending.empty()) {
        Ui::CXmlNode node = pending.back().first;
        const std::size_t depth = pending.back().second;
        pending.pop_back();
        if (depth > Ui::CXmlDocument::kMaxDepth) {
            __builtin_trap();
        }
        for (; node.IsValid(); node = node.GetSibling()) {
            g_sink = std::strlen(node.GetName()) + std::strlen(node.GetValue());
            const int count = node.GetAttributeCount();
            for (int i = 0; i < count; ++i) {
                const char* name = node.GetAttributeName(i);
                if (name == nullptr || node.GetAttributeValue(name) == nullptr) {
                    __builtin_trap();
                }
                g_sink = std::strlen(node.GetAttributeValue(i));
            }
            if (node.GetAttributeName(count) != nullptr) {
                __builtin_trap();
            }
            if (node.HasChildren()) {
                Ui::CXmlNode child = node.GetChild();
                if (std::strcmp(child.GetParent().GetName(), node.GetName()) != 0 ||
                    !node.GetChild(child.GetName()).IsValid()) {
                    __builtin_trap();
                }
                pending.emplace_back(child, depth + 1);
            }
        }
    }
    return 0;
}
