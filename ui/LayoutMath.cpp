#include "ui/LayoutMath.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace Ui {

namespace {

int ToInt(int64_t value) {
    return static_cast<int>(std::min<int64_t>(std::max<int64_t>(value, INT_MIN), INT_MAX));
}

// A pair of extents seen along the stacking axis ("main") and across it.
struct Axial {
    int64_t main = 0;
    int64_t cross = 0;
};

// Maps between screen axes and main/cross axes; the only place where the
// two directions differ.
class AxisMap {
public:
    explicit AxisMap(LayoutDirection direction)
        : m_vertical(direction == LayoutDirection::Vertical) {}

    Axial Size(const UiSize& size) const {
        return m_vertical ? Axial{size.cy, size.cx} : Axial{size.cx, size.cy};
    }
    UiSize ToSize(const Axial& size) const {
        return m_vertical ? UiSize{ToInt(size.cross), ToInt(size.main)}
                          : UiSize{ToInt(size.main), ToInt(size.cross)};
    }
    // Near and far margins: (start of main, start of cross), (end of main, end of cross).
    Axial Start(const UiRect& rect) const {
        return m_vertical ? Axial{rect.top, rect.left} : Axial{rect.left, rect.top};
    }
    Axial End(const UiRect& rect) const {
        return m_vertical ? Axial{rect.bottom, rect.right} : Axial{rect.right, rect.bottom};
    }
    UiRect ToRect(const Axial& start, const Axial& size) const {
        const Axial end{start.main + size.main, start.cross + size.cross};
        return m_vertical ? UiRect{ToInt(start.cross), ToInt(start.main), ToInt(end.cross),
                                   ToInt(end.main)}
                          : UiRect{ToInt(start.main), ToInt(start.cross), ToInt(end.main),
                                   ToInt(end.cross)};
    }

private:
    bool m_vertical;
};

struct Placement {
    Axial fixed, minimum, maximum, padStart, padEnd;
    int64_t mainSize = 0;
    bool stretches = false;
    // How far a fixed child may give way when the stack overflows: down to
    // a minimum it names (0 names none, and the child keeps its size).
    int64_t giveWay = 0;
};

int64_t Clamp(int64_t value, int64_t low, int64_t high) {
    // Maximum wins over minimum when a skin sets them the wrong way round.
    return std::min(std::max(value, low), high);
}

struct Measured {
    std::vector<Placement> placements;
    int64_t fixedTotal = 0; // gaps, paddings and every size a child asked for
    std::size_t stretchCount = 0;
};

// Asks each child for its size along the main axis; a child that asks for
// none stretches.
Measured MeasureChildren(const AxisMap& axes, const Axial& innerSize, int childGap,
                         const std::vector<LayoutChild>& children) {
    Measured measured;
    measured.placements.resize(children.size());
    measured.fixedTotal =
        static_cast<int64_t>(childGap) * static_cast<int64_t>(children.size() - 1);
    for (std::size_t i = 0; i < children.size(); ++i) {
        const LayoutChild& child = children[i];
        Placement& place = measured.placements[i];
        place.fixed = axes.Size(child.fixed);
        place.minimum = axes.Size(child.minSize);
        place.maximum = axes.Size(child.maxSize);
        place.padStart = axes.Start(child.padding);
        place.padEnd = axes.End(child.padding);

        // A negative offer (paddings wider than the area) is offered as 0.
        Axial offer;
        offer.main =
            std::min(place.fixed.main != 0 ? place.fixed.main : place.maximum.main, innerSize.main);
        offer.cross = std::min(place.fixed.cross != 0 ? place.fixed.cross : place.maximum.cross,
                               innerSize.cross - place.padStart.cross - place.padEnd.cross);
        offer.main = std::max<int64_t>(offer.main, 0);
        offer.cross = std::max<int64_t>(offer.cross, 0);

        const UiSize estimate = child.estimate ? child.estimate(axes.ToSize(offer)) : child.fixed;
        const int64_t asked = axes.Size(estimate).main;
        if (asked != 0) {
            place.mainSize = Clamp(asked, place.minimum.main, place.maximum.main);
            if (place.minimum.main > 0) {
                place.giveWay = place.mainSize - place.minimum.main;
            }
        } else {
            place.stretches = true;
            ++measured.stretchCount;
        }
        measured.fixedTotal += place.padStart.main + place.mainSize + place.padEnd.main;
    }
    return measured;
}

// Where the fixed children overflow the stack, those that name a minimum
// below their size give way towards it, each in proportion to how far it
// can, until the stack fits or all are at their minimums. A stack that fits
// is left exactly as laid out.
void GiveWay(Measured& measured, int64_t innerMain) {
    int64_t room = 0;
    for (const Placement& place : measured.placements) {
        room += place.giveWay;
    }
    const int64_t deficit = std::min(measured.fixedTotal - innerMain, room);
    if (deficit <= 0) {
        return;
    }
    int64_t taken = 0;
    for (Placement& place : measured.placements) {
        const int64_t cut = deficit * place.giveWay / room;
        place.mainSize -= cut;
        place.giveWay -= cut;
        taken += cut;
    }
    // What the rounding left, a pixel each from the first that can still give.
    for (Placement& place : measured.placements) {
        if (taken == deficit) {
            break;
        }
        if (place.giveWay > 0) {
            --place.mainSize;
            --place.giveWay;
            ++taken;
        }
    }
    measured.fixedTotal -= deficit;
}

// Shares what the fixed children left among those that stretch.
void ShareTheRest(Measured& measured, int64_t innerMain) {
    if (measured.stretchCount == 0) {
        return;
    }
    const int64_t share = std::max<int64_t>(0, (innerMain - measured.fixedTotal) /
                                                   static_cast<int64_t>(measured.stretchCount));
    int64_t given = 0;
    std::size_t seen = 0;
    for (Placement& place : measured.placements) {
        if (!place.stretches) {
            continue;
        }
        if (++seen < measured.stretchCount) {
            place.mainSize = Clamp(share, place.minimum.main, place.maximum.main);
            given += place.mainSize;
        } else {
            // The last one fills the rest exactly; when earlier minimums
            // have already used more than there is, it gets nothing rather
            // than a negative size.
            place.mainSize = std::max<int64_t>(0, innerMain - measured.fixedTotal - given);
        }
    }
}

int64_t CrossStart(ChildAlignment alignment, const Placement& place, const Axial& innerStart,
                   const Axial& innerEnd, int64_t innerCross, int64_t crossSize) {
    switch (alignment) {
    case ChildAlignment::Center:
        return innerStart.cross + innerCross / 2 - crossSize / 2;
    case ChildAlignment::End:
        return innerEnd.cross - place.padEnd.cross - crossSize;
    case ChildAlignment::Start:
        break;
    }
    return innerStart.cross + place.padStart.cross;
}

} // namespace

StackLayout LayoutStack(LayoutDirection direction, const UiRect& inner, int childGap,
                        ChildAlignment alignment, const std::vector<LayoutChild>& children) {
    StackLayout result;
    if (children.empty()) {
        return result;
    }
    const AxisMap axes(direction);
    const Axial innerStart = axes.Start(inner);
    const Axial innerEnd = axes.End(inner);
    const Axial innerSize{innerEnd.main - innerStart.main, innerEnd.cross - innerStart.cross};

    Measured measured = MeasureChildren(axes, innerSize, childGap, children);
    GiveWay(measured, innerSize.main);
    ShareTheRest(measured, innerSize.main);

    int64_t running = innerStart.main;
    result.rects.reserve(children.size());
    for (const Placement& place : measured.placements) {
        const int64_t room = innerSize.cross - place.padStart.cross - place.padEnd.cross;
        int64_t crossSize = place.fixed.cross != 0 ? place.fixed.cross : place.maximum.cross;
        crossSize = std::min({crossSize, room, place.maximum.cross});
        crossSize = std::max<int64_t>(crossSize, 0);
        crossSize = std::max(crossSize, place.minimum.cross);

        Axial start;
        start.cross =
            CrossStart(alignment, place, innerStart, innerEnd, innerSize.cross, crossSize);
        start.main = running + place.padStart.main;
        result.rects.push_back(axes.ToRect(start, Axial{place.mainSize, crossSize}));
        running += place.padStart.main + place.mainSize + place.padEnd.main + childGap;
    }
    result.extent = ToInt(running - childGap - innerStart.main);
    return result;
}

} // namespace Ui
