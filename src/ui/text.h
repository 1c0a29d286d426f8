#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

// Text helpers for UTF-8 strings, as the controls count and compare what they show.
namespace vexilo::ui {

// `pattern` with each %1 to %9 replaced by the argument of that number, in one pass (an
// argument's own "%2" stays as it is). Markers without an argument stay.
std::string FormatText(std::string_view pattern, std::initializer_list<std::string_view> args);

// A number with `decimals` digits after the point, whatever the C locale says ("41.2").
std::string FixedDecimal(double value, int decimals);

// Characters as the edit controls count them: UTF-16 code units.
int Utf16Length(std::string_view utf8);
// At most `units` UTF-16 code units of the text, never a piece of a character.
std::string Utf16Left(std::string_view utf8, int units);

// True for well-formed UTF-8 (no overlong forms, surrogates or values beyond U+10FFFF).
bool IsValidUtf8(std::string_view text);

// Comparisons that fold A-Z to a-z and nothing else, as IDs and DID texts are ASCII.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);
bool StartsWithIgnoringAsciiCase(std::string_view text, std::string_view prefix);

}  // namespace vexilo::ui
