// The texts of the numeric instruments, kept apart from their widgets: the caption in
// front of the value, the formatted value, the key filter and the command of the
// numeric output.
#pragma once

#include <string>
#include <string_view>

namespace tessaro {

constexpr int MaxUnitLength = 10;
constexpr int MaxDecimals = 20;

// "Denom=" and/or "Source=" as switched on; empty parts are left out.
std::string NumericCaption(std::string_view denom, bool showName, std::string_view source,
                           bool showSource);

// The value in the shortest general form with the system decimal mark, cut to
// `decimals` places (padded when fixed), the unit appended directly when shown.
std::string NumericDisplayText(double v, int decimals, bool fixed, bool showUnit,
                               std::string_view unit);

// The numeric output's key filter: digits, "-" and backspace always; ",", ".", "E",
// "e" unless only integers are allowed.
bool NumericOutKeyPasses(char c, bool intOnly);

// "#<channel>F<text>;" with the text's first "," or "." replaced by the output decimal
// separator and otherwise sent as typed; false (and no command) when the text is not a
// number.
bool BuildNumberCommand(int channel, std::string_view editText, std::string& command);

}  // namespace tessaro
