// Readers for the attribute values of skin documents: colours, rectangles,
// sizes, integers, booleans and the name="value" lists of default attribute
// lists. All accept null and malformed text; what cannot be read is 0.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "ui/LayoutMath.h"
#include "ui/UiGeometry.h"
#include "ui/UiString.h"

namespace Ui {

// Hexadecimal AARRGGBB after an optional "#" and an optional "0x"; values that
// do not fit 32 bits read as 0xFFFFFFFF.
uint32_t ParseColor(const char* value);

// "left,top,right,bottom": after each number exactly one separator character
// is skipped, so "10, 0, 0 ,0" reads 10,0,0,0.
UiRect ParseRect(const char* value);

// "width,height", read as ParseRect reads its numbers.
UiSize ParseSize(const char* value);

// Decimal, as the C library's strtol reads it with base 10: leading blanks and
// a sign are accepted and reading stops at the first non-digit. Values beyond
// the int range saturate.
int ParseInt(const char* value);

// Exactly "true" is true.
bool ParseBool(const char* value);

// Alignment words, looked for inside the value as the skins write them
// ("left", "center", "right"; "top", "vcenter", "bottom"). Of several, the
// last of the list wins (right over center over left); without any, `absent`.
ChildAlignment ParseHorizontalAlign(const char* value, ChildAlignment absent);
ChildAlignment ParseVerticalAlign(const char* value, ChildAlignment absent);

// The name="value" pairs of a default attribute list. Reading stops at the
// first malformed pair, keeping the pairs before it.
std::vector<std::pair<CUiString, CUiString>> ParseAttributeList(const char* list);

namespace detail {
// Reads a decimal int like ParseInt and sets `end` to the first unread
// character (to `text` itself when there was no number).
int ReadDecimal(const char* text, const char** end);
} // namespace detail

} // namespace Ui
