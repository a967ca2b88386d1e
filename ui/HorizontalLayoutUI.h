// CHorizontalLayoutUI: a container with its children side by side from the left; stretching
// children share the free width.
#pragma once

#include "ui/ContainerUI.h"

namespace Ui {

class CHorizontalLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
};

} // namespace Ui
