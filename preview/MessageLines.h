// Breaking a message into lines that fit a width, for words drawn on the
// preview's black ground. Latin, Cyrillic, Arabic and Korean text breaks at
// spaces; Chinese and Japanese, which have none, between any two characters
// (not before closing punctuation). A word wider than a line is cut where it
// must be, so that nothing is ever drawn outside the width.
#pragma once

#include <functional>
#include <string>
#include <vector>

// width(text) answers the drawn width of a piece of text.
std::vector<std::u16string> BreakIntoLines(const std::u16string& text, int maxWidth,
                                           const std::function<int(const std::u16string&)>& width);
