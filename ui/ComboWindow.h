// CComboWindow: the pop-up window in which an open drop-down list shows its
// entries. It borrows the list's entries for as long as it is open and gives
// them back when it is dismissed; the window object deletes itself once the
// window is gone.
#pragma once

#include "ui/PaintManager.h"
#include "ui/WindowBase.h"

namespace Ui {

class CComboUI;
class CVerticalLayoutUI;

class CComboWindow : public CWindowBase {
public:
    explicit CComboWindow(CComboUI* owner);
    ~CComboWindow() override;

    // Creates the window below (or above) the list and shows it; false when it
    // could not be created, in which case the caller deletes the object.
    bool Open();
    // Gives the entries back, forgets the list, hides the window and closes it
    // on the next turn of the message loop: the caller may be inside one of
    // this window's own message handlers.
    void Dismiss();

    CPaintManager& GetPaintManager() { return m_manager; }
    // Scrolls the list so that the entry is in view.
    void EnsureVisible(int index);

    const char* GetWndClassName() const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    void OnFinalMessage(HWND hwnd) override;

private:
    void BuildList();
    void ReleaseItems();
    void CloseWithOwner();
    // Keys and the wheel over the open list, while it has its owner.
    void OnKeyDown(WPARAM key, LPARAM lParam);
    void OnMouseWheel(WPARAM wParam, LPARAM lParam);

    CComboUI* m_owner;
    CPaintManager m_manager;
    CVerticalLayoutUI* m_list = nullptr;
    bool m_creating = false;
};

} // namespace Ui
