#include "ui/ContainerUI.h"

#include <algorithm>
#include <cstring>

#include "ui/AttributeTable.h"
#include "ui/AttributeValues.h"
#include "ui/PaintManager.h"
#include "ui/ScrollBarUI.h"
#include "ui/ScrollMath.h"
#include "ui/WinGeometry.h"

namespace Ui {

CContainerUI::CContainerUI() = default;

CContainerUI::~CContainerUI() {
    RemoveAll();
    delete m_cover;
    delete m_verticalScrollBar;
}

const char* CContainerUI::GetClass() const {
    return "Container";
}

void* CContainerUI::GetInterface(const char* name) {
    if (std::strcmp(name, "IContainer") == 0) {
        return static_cast<IContainerUI*>(this);
    }
    if (std::strcmp(name, "Container") == 0) {
        return static_cast<CContainerUI*>(this);
    }
    return CControlUI::GetInterface(name);
}

CControlUI* CContainerUI::GetItemAt(int index) const {
    if (index < 0 || index >= GetCount()) {
        return nullptr;
    }
    return m_items[static_cast<size_t>(index)];
}

int CContainerUI::GetItemIndex(CControlUI* control) const {
    auto found = std::find(m_items.begin(), m_items.end(), control);
    return found == m_items.end() ? -1 : static_cast<int>(found - m_items.begin());
}

bool CContainerUI::Add(CControlUI* control) {
    return AddAt(control, GetCount());
}

bool CContainerUI::AddAt(CControlUI* control, int index) {
    if (control == nullptr || index < 0 || index > GetCount()) {
        return false;
    }
    if (m_manager != nullptr) {
        m_manager->InitControls(control, this);
    } else {
        control->SetManager(nullptr, this, false);
    }
    if (!IsVisible()) {
        control->SetInternVisible(false);
    }
    m_items.insert(m_items.begin() + index, control);
    NeedUpdate();
    return true;
}

bool CContainerUI::Remove(CControlUI* control) {
    return RemoveAt(GetItemIndex(control));
}

bool CContainerUI::RemoveAt(int index) {
    CControlUI* control = GetItemAt(index);
    if (control == nullptr) {
        return false;
    }
    m_items.erase(m_items.begin() + index);
    delete control;
    NeedUpdate();
    return true;
}

void CContainerUI::RemoveAll() {
    std::vector<CControlUI*> items;
    items.swap(m_items);
    for (CControlUI* control : items) {
        delete control;
    }
    if (!items.empty()) {
        NeedUpdate();
    }
}

void CContainerUI::SetCover(CControlUI* cover) {
    delete m_cover;
    m_cover = cover;
    if (m_cover != nullptr) {
        m_cover->SetManager(m_manager, this, m_manager != nullptr);
    }
    NeedUpdate();
}

void CContainerUI::SetInset(RECT inset) {
    m_inset = inset;
    NeedUpdate();
}

void CContainerUI::SetChildPadding(int padding) {
    m_childPadding = padding < 0 ? 0 : padding;
    NeedUpdate();
}

void CContainerUI::SetManager(CPaintManager* manager, CControlUI* parent, bool init) {
    for (CControlUI* control : m_items) {
        control->SetManager(manager, this, init);
    }
    if (m_cover != nullptr) {
        m_cover->SetManager(manager, this, init);
    }
    if (m_verticalScrollBar != nullptr) {
        m_verticalScrollBar->SetManager(manager, this, init);
    }
    CControlUI::SetManager(manager, parent, init);
}

void CContainerUI::ForEach(const std::function<void(CControlUI*)>& visit) {
    visit(this);
    for (CControlUI* control : m_items) {
        control->ForEach(visit);
    }
    if (m_cover != nullptr) {
        m_cover->ForEach(visit);
    }
}

CControlUI* CContainerUI::FindControlAt(POINT point) {
    if (!IsVisible() || !::PtInRect(&m_rect, point)) {
        return nullptr;
    }
    if (m_cover != nullptr) {
        if (CControlUI* found = m_cover->FindControlAt(point)) {
            return found;
        }
    }
    if (m_verticalScrollBar != nullptr) {
        if (CControlUI* found = m_verticalScrollBar->FindControlAt(point)) {
            return found;
        }
    }
    if (m_mouseChildEnabled) {
        // Later siblings are painted over earlier ones, so they are hit first.
        for (auto it = m_items.rbegin(); it != m_items.rend(); ++it) {
            if (CControlUI* found = (*it)->FindControlAt(point)) {
                return found;
            }
        }
    }
    return this;
}

void CContainerUI::SetVisible(bool visible) {
    if (m_visible == visible) {
        return;
    }
    CControlUI::SetVisible(visible);
    for (CControlUI* control : m_items) {
        control->SetInternVisible(IsVisible());
    }
    if (m_verticalScrollBar != nullptr) {
        m_verticalScrollBar->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetInternVisible(bool visible) {
    CControlUI::SetInternVisible(visible);
    for (CControlUI* control : m_items) {
        control->SetInternVisible(IsVisible());
    }
    if (m_verticalScrollBar != nullptr) {
        m_verticalScrollBar->SetInternVisible(IsVisible());
    }
}

void CContainerUI::SetAttribute(const char* name, const char* value) {
    using Self = CContainerUI;
    static const AttributeSetter<Self> kAttributes[] = {
        {"inset", [](Self& c, const char* v) { c.SetInset(ToRECT(ParseRect(v))); }},
        {"childpadding", [](Self& c, const char* v) { c.SetChildPadding(ParseInt(v)); }},
        {"childalign",
         [](Self& c, const char* v) {
             c.m_childAlign = ParseHorizontalAlign(v, ChildAlignment::Start);
             c.NeedUpdate();
         }},
        {"childvalign",
         [](Self& c, const char* v) {
             c.m_childVAlign = ParseVerticalAlign(v, ChildAlignment::Start);
             c.NeedUpdate();
         }},
        {"mousechild", [](Self& c, const char* v) { c.m_mouseChildEnabled = ParseBool(v); }},
        {"vscrollbar",
         [](Self& c, const char* v) {
             c.EnableScrollBar(ParseBool(v), c.m_horizontalScrollEnabled);
         }},
        {"hscrollbar",
         [](Self& c, const char* v) {
             c.EnableScrollBar(c.m_verticalScrollBar != nullptr, ParseBool(v));
         }},
    };
    if (!ApplyAttribute(kAttributes, *this, name, value)) {
        CControlUI::SetAttribute(name, value);
    }
}

RECT CContainerUI::GetInnerRect() const {
    RECT inner = m_rect;
    inner.left += m_inset.left;
    inner.top += m_inset.top;
    inner.right -= m_inset.right;
    inner.bottom -= m_inset.bottom;
    if (m_verticalScrollBar != nullptr && m_verticalScrollBar->IsVisible()) {
        inner.right -= m_verticalScrollBar->GetFixedWidth();
    }
    if (inner.right < inner.left) {
        inner.right = inner.left;
    }
    if (inner.bottom < inner.top) {
        inner.bottom = inner.top;
    }
    return inner;
}

void CContainerUI::PlaceFloatingChild(CControlUI* control) {
    // A floating child keeps its own "pos", relative to the container.
    RECT pos = control->GetFixedPos();
    ::OffsetRect(&pos, m_rect.left, m_rect.top);
    control->SetPos(pos, false);
}

void CContainerUI::StackChildren(LayoutDirection direction, ChildAlignment alignment) {
    std::vector<CControlUI*> stacked;
    std::vector<LayoutChild> children;
    for (CControlUI* control : m_items) {
        if (!control->IsVisible()) {
            continue;
        }
        if (control->IsFloat()) {
            PlaceFloatingChild(control);
            continue;
        }
        LayoutChild child;
        child.fixed = UiSize{control->GetFixedWidth(), control->GetFixedHeight()};
        child.minSize = UiSize{control->GetMinWidth(), control->GetMinHeight()};
        child.maxSize = UiSize{control->GetMaxWidth(), control->GetMaxHeight()};
        child.padding = ToUiRect(control->GetPadding());
        child.estimate = [control](UiSize available) {
            return ToUiSize(control->EstimateSize(ToSIZE(available)));
        };
        stacked.push_back(control);
        children.push_back(std::move(child));
    }
    StackLayout layout =
        LayoutStack(direction, ToUiRect(GetInnerRect()), m_childPadding, alignment, children);
    int offset = 0;
    if (m_verticalScrollBar != nullptr) {
        // Side by side, the children are limited to the inner height and never overflow.
        auto contentHeight = [direction](const StackLayout& placed) {
            return direction == LayoutDirection::Vertical ? placed.extent : 0;
        };
        if (UpdateScrollBar(contentHeight(layout))) {
            // The bar came or went, so the inner width changed.
            layout = LayoutStack(direction, ToUiRect(GetInnerRect()), m_childPadding, alignment,
                                 children);
            UpdateScrollBar(contentHeight(layout));
        }
        offset = m_verticalScrollBar->GetScrollPos();
    }
    for (size_t i = 0; i < stacked.size() && i < layout.rects.size(); ++i) {
        RECT rect = ToRECT(layout.rects[i]);
        ::OffsetRect(&rect, 0, -offset);
        stacked[i]->SetPos(rect, false);
    }
}

bool CContainerUI::UpdateScrollBar(int contentHeight) {
    if (m_verticalScrollBar == nullptr) {
        return false;
    }
    RECT inner = GetInnerRect();
    const int range = ScrollRangeFor(contentHeight, inner.bottom - inner.top);
    const bool show = range > 0;
    const bool changed = show != m_verticalScrollBar->IsVisible();
    if (changed) {
        // This runs inside a layout pass: the request for another pass that
        // showing or hiding a child makes is already being served.
        const bool updateNeeded = m_updateNeeded;
        m_verticalScrollBar->SetVisible(show);
        m_updateNeeded = updateNeeded;
        inner = GetInnerRect();
    }
    m_verticalScrollBar->SetScrollRange(range);
    if (show) {
        const int width = m_verticalScrollBar->GetFixedWidth();
        m_verticalScrollBar->SetPos(RECT{inner.right, inner.top, inner.right + width, inner.bottom},
                                    false);
    }
    return changed;
}

void CContainerUI::EnableScrollBar(bool enableVertical, bool enableHorizontal) {
    m_horizontalScrollEnabled = enableHorizontal;
    if (enableVertical && m_verticalScrollBar == nullptr) {
        m_verticalScrollBar = new CScrollBarUI();
        // Hidden until the children overflow.
        m_verticalScrollBar->SetVisible(false);
        m_verticalScrollBar->SetOwner(this);
        m_verticalScrollBar->SetManager(m_manager, this, false);
        if (m_manager != nullptr) {
            if (const char* defaults =
                    m_manager->GetResources().GetDefaultAttributeList("VScrollBar")) {
                for (const auto& attribute : ParseAttributeList(defaults)) {
                    m_verticalScrollBar->SetAttribute(attribute.first, attribute.second);
                }
            }
        }
    } else if (!enableVertical && m_verticalScrollBar != nullptr) {
        delete m_verticalScrollBar;
        m_verticalScrollBar = nullptr;
    }
    NeedUpdate();
}

SIZE CContainerUI::GetScrollPos() const {
    return SIZE{0, m_verticalScrollBar != nullptr ? m_verticalScrollBar->GetScrollPos() : 0};
}

SIZE CContainerUI::GetScrollRange() const {
    return SIZE{0, m_verticalScrollBar != nullptr ? m_verticalScrollBar->GetScrollRange() : 0};
}

void CContainerUI::SetScrollPos(SIZE position) {
    if (m_verticalScrollBar == nullptr) {
        return;
    }
    const int old = m_verticalScrollBar->GetScrollPos();
    m_verticalScrollBar->SetScrollPos(position.cy);
    const int delta = m_verticalScrollBar->GetScrollPos() - old;
    if (delta == 0) {
        return;
    }
    for (CControlUI* control : m_items) {
        if (!control->IsVisible() || control->IsFloat()) {
            continue;
        }
        RECT rect = control->GetPos();
        ::OffsetRect(&rect, 0, -delta);
        control->SetPos(rect, false);
    }
    Invalidate();
}

int CContainerUI::GetScrollLineStep() const {
    const int lineSize = m_verticalScrollBar != nullptr ? m_verticalScrollBar->GetLineSize() : 0;
    int charHeight = 0;
    if (m_manager != nullptr) {
        charHeight = m_manager->GetResources().GetDefaultFontInfo()->metrics.tmHeight;
    }
    return ScrollLineStep(lineSize, charHeight);
}

int CContainerUI::GetScrollPageStep() const {
    return (m_rect.bottom - m_rect.top) - m_inset.top - m_inset.bottom;
}

void CContainerUI::LineUp() {
    SetScrollPos(SIZE{0, GetScrollPos().cy - GetScrollLineStep()});
}

void CContainerUI::LineDown() {
    SetScrollPos(SIZE{0, GetScrollPos().cy + GetScrollLineStep()});
}

void CContainerUI::PageUp() {
    SetScrollPos(SIZE{0, GetScrollPos().cy - GetScrollPageStep()});
}

void CContainerUI::PageDown() {
    SetScrollPos(SIZE{0, GetScrollPos().cy + GetScrollPageStep()});
}

void CContainerUI::SetPos(RECT rect, bool needInvalidate) {
    CControlUI::SetPos(rect, needInvalidate);
    // Children that fill the inner area never overflow it.
    UpdateScrollBar(0);
    RECT inner = GetInnerRect();
    for (CControlUI* control : m_items) {
        if (!control->IsVisible()) {
            continue;
        }
        if (control->IsFloat()) {
            PlaceFloatingChild(control);
        } else {
            control->SetPos(inner, false);
        }
    }
    if (m_cover != nullptr && m_cover->IsVisible()) {
        m_cover->SetPos(rect, false);
    }
}

void CContainerUI::DoPaint(HDC hdc, const RECT& paint) {
    RECT visible{};
    if (!::IntersectRect(&visible, &paint, &m_rect)) {
        return;
    }
    CControlUI::DoPaint(hdc, paint);
    RECT inner = GetInnerRect();
    RECT childPaint{};
    if (::IntersectRect(&childPaint, &visible, &inner)) {
        for (CControlUI* control : m_items) {
            if (!control->IsVisible()) {
                continue;
            }
            RECT childRect = control->GetPos();
            RECT overlap{};
            if (!::IntersectRect(&overlap, &childPaint, &childRect)) {
                continue;
            }
            control->DoPaint(hdc, childPaint);
        }
    }
    if (m_verticalScrollBar != nullptr && m_verticalScrollBar->IsVisible()) {
        m_verticalScrollBar->DoPaint(hdc, visible);
    }
    if (m_cover != nullptr && m_cover->IsVisible()) {
        m_cover->DoPaint(hdc, visible);
    }
}

void CContainerUI::DoEvent(TEventUI& event) {
    if (event.type == UiEvent::ScrollWheel && m_verticalScrollBar != nullptr &&
        m_verticalScrollBar->IsVisible() && m_verticalScrollBar->IsEnabled()) {
        // 0: turned away from the user.
        if (event.wParam == 0) {
            LineUp();
        } else {
            LineDown();
        }
        return;
    }
    CControlUI::DoEvent(event);
}

} // namespace Ui
