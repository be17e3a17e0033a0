#include "core/uConvert.h"

#include <atomic>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace tessaro {

namespace {

std::atomic<char> gSystemMark{'.'};
std::atomic<char> gOutputMark{'.'};

constexpr bool IsBlank(char c) {
  return static_cast<unsigned char>(c) <= ' ';
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front()))
    s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back()))
    s.remove_suffix(1);
  return s;
}

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

}  // namespace

void Clamp(int& v, int low, int high) {
  if (v < low) v = low;
  if (v > high) v = high;
}

int StrToIntStrict(std::string_view text, bool& valid) {
  valid = false;
  size_t i = 0;
  if (!text.empty() && text[0] == '-') i = 1;
  if (i >= text.size()) return 0;
  for (size_t k = i; k < text.size(); ++k)
    if (!IsDigit(text[k])) return 0;
  return StrToIntTolerant(text, valid);
}

int StrToIntTolerant(std::string_view text, bool& valid) {
  valid = false;
  std::string_view s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
    negative = s[0] == '-';
    s.remove_prefix(1);
  }
  int base = 10;
  if (!s.empty() && s[0] == '$') {
    base = 16;
    s.remove_prefix(1);
  } else if (s.size() > 1 && s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s.remove_prefix(2);
  }
  if (s.empty()) return 0;
  int64_t v = 0;
  auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
  if (ec != std::errc() || ptr != s.data() + s.size()) return 0;
  if (negative) v = -v;
  if (base == 16 && !negative && v > std::numeric_limits<int32_t>::max() && v <= 0xFFFFFFFFLL)
    v = static_cast<int32_t>(static_cast<uint32_t>(v));  // "$FFFFFFFF" is -1, as 32-bit hex reads
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max()) return 0;
  valid = true;
  return static_cast<int>(v);
}

namespace {

constexpr double Pow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                            1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Plain "ddd[,.]ddd" with at most 15 digits: the mantissa and the power of ten are both
// exact doubles, so one division gives the correctly rounded result.
bool FastDecimal(std::string_view s, double& out) {
  if (s.size() > 16) return false;
  uint64_t mantissa = 0;
  int fraction = -1;
  int digits = 0;
  for (char c : s) {
    if (IsDigit(c)) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(c - '0');
      ++digits;
      if (fraction >= 0) ++fraction;
    } else if ((c == ',' || c == '.') && fraction < 0) {
      fraction = 0;
    } else {
      return false;
    }
  }
  if (digits == 0) return false;
  out = fraction > 0 ? static_cast<double>(mantissa) / Pow10[fraction]
                     : static_cast<double>(mantissa);
  return true;
}

}  // namespace

double TextToReal(std::string_view text, bool& valid) {
  valid = false;
  std::string_view s = Trim(text);
  if (s.empty() || s.size() > 400) return 0.0;
  bool negative = false;
  size_t i = 0;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return 0.0;
  double fast;
  if (FastDecimal(s.substr(i), fast)) {
    valid = true;
    return negative ? -fast : fast;
  }
  char buf[408];
  size_t n = 0;
  // The forms FormatReal writes for the non-finite values.
  std::string_view rest = s.substr(i);
  if (rest == "NaN" || rest == "Nan" || rest == "nan") {
    valid = true;
    return std::numeric_limits<double>::quiet_NaN();
  }
  if (rest == "Inf" || rest == "inf" || rest == "Infinity") {
    valid = true;
    return negative ? -std::numeric_limits<double>::infinity()
                    : std::numeric_limits<double>::infinity();
  }
  bool markSeen = false;
  bool digitSeen = false;
  for (; i < s.size(); ++i) {
    char c = s[i];
    if ((c == ',' || c == '.') && !markSeen) {
      markSeen = true;
      c = '.';
    } else if (IsDigit(c)) {
      digitSeen = true;
    } else if (c == '+' || c == '-') {
      if (n == 0 || (buf[n - 1] != 'e' && buf[n - 1] != 'E')) return 0.0;  // sign only after E
    } else if (c != 'e' && c != 'E') {
      return 0.0;  // ',' or '.' a second time, blanks inside, letters
    }
    buf[n++] = c;
  }
  if (!digitSeen) return 0.0;
  double v = 0.0;
  auto [ptr, ec] = std::from_chars(buf, buf + n, v, std::chars_format::general);
  if (ptr != buf + n) return 0.0;
  if (ec == std::errc::result_out_of_range) {
    // Overflow: the standard conversion reports an error; underflow reads as 0.
    const char* e = static_cast<const char*>(std::memchr(buf, 'e', n));
    if (!e) e = static_cast<const char*>(std::memchr(buf, 'E', n));
    if (e && e + 1 < buf + n && e[1] == '-') {
      valid = true;
      return negative ? -0.0 : 0.0;
    }
    return 0.0;
  }
  if (ec != std::errc()) return 0.0;
  valid = true;
  return negative ? -v : v;
}

int FormatReal(double v, char* out, char mark) {
  if (std::isnan(v)) {
    std::memcpy(out, "NaN", 3);
    return 3;
  }
  if (std::isinf(v)) {
    if (v < 0) {
      std::memcpy(out, "-Inf", 4);
      return 4;
    }
    std::memcpy(out, "Inf", 3);
    return 3;
  }
  if (v == 0.0) {
    out[0] = '0';
    return 1;
  }
  // Significant digits and decimal exponent: the shortest round-trip form when it has at
  // most 15 digits (then it equals the 15-digit rounding), otherwise rounded to 15.
  char tmp[48];
  auto r = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::scientific);
  char digits[24];
  int nd = 0;
  const char* p = tmp;
  bool negative = false;
  if (*p == '-') {
    negative = true;
    ++p;
  }
  const char* e = p;
  while (e < r.ptr && *e != 'e')
    ++e;
  for (const char* q = p; q < e; ++q)
    if (*q != '.') digits[nd < 23 ? nd++ : nd] = *q;
  if (nd > 15) {
    r = std::to_chars(tmp, tmp + sizeof tmp, v, std::chars_format::scientific, 14);
    p = tmp + (negative ? 1 : 0);
    e = p;
    while (e < r.ptr && *e != 'e')
      ++e;
    nd = 0;
    for (const char* q = p; q < e; ++q)
      if (*q != '.') digits[nd++] = *q;
  }
  int exp10 = 0;
  std::from_chars(e + 1 + (e[1] == '+' ? 1 : 0), r.ptr, exp10);
  while (nd > 1 && digits[nd - 1] == '0')
    --nd;

  int n = 0;
  if (negative) out[n++] = '-';
  if (exp10 >= -5 && exp10 < 15) {
    if (exp10 < 0) {
      out[n++] = '0';
      out[n++] = mark;
      for (int k = -1; k > exp10; --k)
        out[n++] = '0';
      for (int k = 0; k < nd; ++k)
        out[n++] = digits[k];
    } else {
      for (int k = 0; k <= exp10; ++k)
        out[n++] = k < nd ? digits[k] : '0';
      if (nd > exp10 + 1) {
        out[n++] = mark;
        for (int k = exp10 + 1; k < nd; ++k)
          out[n++] = digits[k];
      }
    }
  } else {
    out[n++] = digits[0];
    if (nd > 1) {
      out[n++] = mark;
      for (int k = 1; k < nd; ++k)
        out[n++] = digits[k];
    }
    out[n++] = 'E';
    auto er = std::to_chars(out + n, out + n + 8, exp10);
    n = static_cast<int>(er.ptr - out);
  }
  return n;
}

std::string RealToCommandText(double v) {
  char buf[32];
  int n = FormatReal(v, buf, gOutputMark.load(std::memory_order_relaxed));
  return std::string(buf, n);
}

std::string RealToFileText(double v) {
  char buf[32];
  int n = FormatReal(v, buf, ',');
  return std::string(buf, n);
}

char SystemDecimalSeparator() {
  return gSystemMark.load(std::memory_order_relaxed);
}
void SetSystemDecimalSeparator(char mark) {
  gSystemMark.store(mark, std::memory_order_relaxed);
}
char OutputDecimalSeparator() {
  return gOutputMark.load(std::memory_order_relaxed);
}
void SetOutputDecimalSeparator(char mark) {
  gOutputMark.store(mark, std::memory_order_relaxed);
}

bool TextToBool(std::string_view text, bool& valid) {
  valid = true;
  if (text.starts_with("false")) return false;
  if (text.starts_with("true")) return true;
  valid = false;
  return false;
}

std::string BoolToText(bool b) {
  return b ? "true" : "false";
}

int64_t BinLiteral(std::string_view text, bool& valid) {
  valid = false;
  std::string_view s = Trim(text);
  if (s.size() <= 2 || s[0] != '0' || s[1] != 'b' || s.size() > 66) return 0;
  uint64_t v = 0;
  for (size_t i = 2; i < s.size(); ++i) {
    if (s[i] != '0' && s[i] != '1') return 0;
    v = (v << 1) | static_cast<uint64_t>(s[i] - '0');
  }
  valid = true;
  return static_cast<int64_t>(v);
}

int64_t HexLiteral(std::string_view text, bool& valid) {
  valid = false;
  std::string_view s = Trim(text);
  if (s.size() < 3 || s.size() > 18 || s[0] != '0' || (s[1] != 'x' && s[1] != 'X')) return 0;
  uint64_t v = 0;
  for (size_t i = 2; i < s.size(); ++i) {
    char c = s[i];
    int d;
    if (IsDigit(c))
      d = c - '0';
    else if (c >= 'a' && c <= 'f')
      d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
      d = c - 'A' + 10;
    else
      return 0;
    v = (v << 4) | static_cast<uint64_t>(d);
  }
  valid = true;
  return static_cast<int64_t>(v);
}

std::string ColorToText(uint32_t color) {
  static const char* hex = "0123456789ABCDEF";
  std::string s(9, '0');
  s[0] = '$';
  for (int i = 8; i >= 1; --i) {
    s[i] = hex[color & 0xF];
    color >>= 4;
  }
  return s;
}

std::string StringOfZeros(int count) {
  return count > 0 ? std::string(count, '0') : std::string();
}

std::string FormatDecimals(std::string_view number, int places, bool fixed) {
  if (places < 0) places = 0;
  std::string_view mantissa = number;
  std::string_view exponent;
  size_t e = number.find_first_of("Ee");
  if (e != std::string_view::npos) {
    mantissa = number.substr(0, e);
    exponent = number.substr(e);
  }
  std::string out(mantissa);
  size_t mark = out.find_first_of(",.");
  if (mark == std::string::npos) {
    if (fixed && places > 0) {
      out += SystemDecimalSeparator();
      out.append(static_cast<size_t>(places), '0');
    }
  } else {
    size_t after = out.size() - mark - 1;
    if (after <= static_cast<size_t>(places)) {
      if (fixed) out.append(static_cast<size_t>(places) - after, '0');
    } else {
      out.resize(places == 0 ? mark : mark + 1 + static_cast<size_t>(places));
    }
  }
  out += exponent;
  return out;
}

int DecimalExponent(double x) {
  double a = std::fabs(x);
  int n = 0;
  if (a > 1) {
    while (a > 1 && n < 100) {
      a /= 10;
      ++n;
    }
    return n;
  }
  while (a < 1 && n < 100) {
    a *= 10;
    ++n;
  }
  return -n;
}

int64_t RoundHalfUp(double x) {
  if (!std::isfinite(x)) return 0;
  if (x >= 9.2e18) return std::numeric_limits<int64_t>::max();
  if (x <= -9.2e18) return std::numeric_limits<int64_t>::min();
  double ip = std::trunc(x);
  int64_t r = static_cast<int64_t>(ip);
  if (x - ip >= 0.5) ++r;
  return r;
}

std::string CutToChars(std::string_view text, size_t maxChars) {
  size_t chars = 0;
  size_t i = 0;
  while (i < text.size()) {
    if (chars == maxChars) break;
    unsigned char c = static_cast<unsigned char>(text[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    if (i + len > text.size()) len = text.size() - i;
    i += len;
    ++chars;
  }
  return std::string(text.substr(0, i));
}

}  // namespace tessaro
