// CVerticalLayoutUI: a container with its children stacked top to bottom; stretching children share
// the free height.
#pragma once

#include "ui/ContainerUI.h"

namespace Ui {

class CVerticalLayoutUI : public CContainerUI {
public:
    const char* GetClass() const override;
    void* GetInterface(const char* name) override;
    void SetPos(RECT rect, bool needInvalidate = true) override;
};

} // namespace Ui
