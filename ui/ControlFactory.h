// The built-in controls by skin element name (compared without regard to
// letter case).
#pragma once

namespace Ui {

class CControlUI;

using ControlCreator = CControlUI* (*)();

// A new control for a built-in element name, or null.
CControlUI* CreateBuiltinControl(const char* elementName);
// Further element names the program wants to create itself.
void RegisterControlFactory(const char* elementName, ControlCreator creator);
CControlUI* CreateRegisteredControl(const char* elementName);

} // namespace Ui
