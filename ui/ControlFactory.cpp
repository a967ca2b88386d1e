#include "ui/ControlFactory.h"

#include <cstring>
#include <map>
#include <mbstring.h>

#include "ui/ButtonUI.h"
#include "ui/ComboUI.h"
#include "ui/ContainerUI.h"
#include "ui/ControlUI.h"
#include "ui/HorizontalLayoutUI.h"
#include "ui/LabelUI.h"
#include "ui/ListLabelElementUI.h"
#include "ui/OptionUI.h"
#include "ui/ProgressUI.h"
#include "ui/ScrollBarUI.h"
#include "ui/SliderUI.h"
#include "ui/UiString.h"
#include "ui/VerticalLayoutUI.h"

namespace Ui {

namespace {

template <typename T> CControlUI* Make() {
    return new T();
}

struct Builtin {
    const char* name;
    ControlCreator create;
};

const Builtin kBuiltins[] = {
    {"Control", &Make<CControlUI>},
    {"Container", &Make<CContainerUI>},
    {"VerticalLayout", &Make<CVerticalLayoutUI>},
    {"HorizontalLayout", &Make<CHorizontalLayoutUI>},
    {"Combo", &Make<CComboUI>},
    {"ScrollBar", &Make<CScrollBarUI>},
    {"ListLabelElement", &Make<CListLabelElementUI>},
    {"Label", &Make<CLabelUI>},
    {"Button", &Make<CButtonUI>},
    {"Option", &Make<COptionUI>},
    {"Progress", &Make<CProgressUI>},
    {"Slider", &Make<CSliderUI>},
};

bool SameNameNoCase(const char* a, const char* b) {
    return _mbsicmp(reinterpret_cast<const unsigned char*>(a),
                    reinterpret_cast<const unsigned char*>(b)) == 0;
}

std::map<CUiString, ControlCreator>& Registered() {
    static std::map<CUiString, ControlCreator> factories;
    return factories;
}

} // namespace

CControlUI* CreateBuiltinControl(const char* elementName) {
    if (elementName == nullptr) {
        return nullptr;
    }
    for (const Builtin& builtin : kBuiltins) {
        if (SameNameNoCase(elementName, builtin.name)) {
            return builtin.create();
        }
    }
    return nullptr;
}

void RegisterControlFactory(const char* elementName, ControlCreator creator) {
    if (elementName != nullptr && creator != nullptr) {
        Registered()[CUiString(elementName)] = creator;
    }
}

CControlUI* CreateRegisteredControl(const char* elementName) {
    if (elementName == nullptr) {
        return nullptr;
    }
    for (const auto& entry : Registered()) {
        if (SameNameNoCase(elementName, entry.first)) {
            return entry.second();
        }
    }
    return nullptr;
}

} // namespace Ui
