// Conversions between text and numbers, the same everywhere: command payloads, project
// files, property fields, displayed numbers and outgoing commands. Both "," and "." are
// accepted as decimal mark on input; nothing here depends on the C or Qt locale.
// Failures are reported through the valid flag, never by an exception.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessaro {

// Sets v to low if below, to high if above.
void Clamp(int& v, int low, int high);

// Digits with an optional leading "-" and at least one digit; anything else is not valid.
int StrToIntStrict(std::string_view text, bool& valid);
// The standard integer conversion: surrounding blanks, an optional sign, decimal digits
// or a "$"/"0x" hexadecimal literal, 32-bit range.
int StrToIntTolerant(std::string_view text, bool& valid);

// The first "," or "." is the decimal mark; surrounding blanks are ignored; an optional
// sign and exponent. "NaN", "Inf" and "-Inf" (the forms we write) convert too.
double TextToReal(std::string_view text, bool& valid);

// Shortest general decimal form with up to 15 significant digits ("12.3", "1E20",
// "1.5E-7", "NaN"), with "." as decimal mark. Returns the length written; buf needs 32.
int FormatReal(double v, char* buf, char mark = '.');
// The command number form: FormatReal with the output decimal separator of the settings.
std::string RealToCommandText(double v);
// The same form with "," as decimal mark, as project files store reals.
std::string RealToFileText(double v);

// Decimal mark of the desktop ("," or "."); the window sets it from the user's locale.
char SystemDecimalSeparator();
void SetSystemDecimalSeparator(char mark);
// Decimal mark of outgoing commands (global setting "system", "point" or "komma").
char OutputDecimalSeparator();
void SetOutputDecimalSeparator(char mark);

// "false..." is false, "true..." is true (case-sensitive, in this order), else not valid.
bool TextToBool(std::string_view text, bool& valid);
std::string BoolToText(bool b);

// "0b1010" (blanks around ignored); not valid unless "0b" and at least one binary digit.
int64_t BinLiteral(std::string_view text, bool& valid);
// "0xFF" (blanks around ignored, letters lowered); not valid unless "0x" and a hex digit.
int64_t HexLiteral(std::string_view text, bool& valid);

// "$" and eight hexadecimal digits.
std::string ColorToText(uint32_t color);
std::string StringOfZeros(int count);

// Cuts a number text to `places` decimals (no rounding), optionally padding with zeros;
// an exponent part is kept unchanged.
std::string FormatDecimals(std::string_view number, int places, bool fixed);
// Number of divisions by 10 that bring |x| to at most 1, or minus the multiplications
// that bring it to at least 1 (at most 100 either way).
int DecimalExponent(double x);
// Integer part plus 1 when the fractional part is 0.5 or more (negatives cut toward 0).
int64_t RoundHalfUp(double x);

// Cuts a UTF-8 text to at most maxChars characters (never inside a character).
std::string CutToChars(std::string_view text, size_t maxChars);

}  // namespace tessaro
