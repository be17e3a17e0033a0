#include "expr/ULexer.h"

#include <charconv>
#include <cstring>

#include "core/uConvert.h"
#include "core/uIXElementBase.h"
#include "core/uTrace.h"
#include "expr/uMemFunctions.h"

namespace tessaro {

const std::vector<TOperatorDef>& OperatorTable() {
  static const std::vector<TOperatorDef> table = {
      {opEqual, "==", 6, true},       {opAssign, "=", 4, false},
      {opBracketOpen, "(", 3, false}, {opBracketClose, ")", 3, false},
      {opComma, ",", 3, false},       {opSemicolon, ";", 3, false},
      {opNotEqual, "/=", 6, true},    {opLessEqual, "<=", 6, true},
      {opLess, "<", 6, true},         {opGreaterEqual, ">=", 6, true},
      {opGreater, ">", 6, true},      {opPlus, "+", 8, true},
      {opMinus, "-", 8, true},        {opMultiply, "*", 9, true},
      {opDivide, "/", 9, true},       {opPower, "^", 10, true},
      {opMod, "mod", 9, true},        {opAnd, "and", 5, true},
      {opOr, "or", 5, true},          {opXor, "xor", 5, true},
      {opBitAnd, "bitand", 7, true},  {opBitOr, "bitor", 7, true},
      {opBitXor, "bitxor", 7, true},
  };
  return table;
}

const TOperatorDef* OperatorById(int id) {
  static const auto byId = [] {
    std::vector<const TOperatorDef*> v(opLastId + 1, nullptr);
    for (const TOperatorDef& d : OperatorTable())
      v[static_cast<size_t>(d.Id)] = &d;
    return v;
  }();
  if (id < 0 || id > opLastId) return nullptr;
  return byId[static_cast<size_t>(id)];
}

void ReportError(std::string_view source, std::string_view message, size_t position) {
  size_t cut = position > 0 ? position - 1 : 0;
  if (cut > source.size()) cut = source.size();
  Trace(message);
  Trace(source.substr(0, cut));
  Trace(source.substr(cut));
}

namespace {

constexpr int32_t HighestChannel = 999;

constexpr bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}
constexpr bool IsHexDigit(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
constexpr char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}
constexpr bool IsWordChar(char c) {
  return IsDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

// Does `name` (lower case) stand at `s[p]`, upper-case letters of the text lowered?
bool MatchesName(std::string_view s, size_t p, std::string_view name) {
  if (name.empty() || s.size() - p < name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i)
    if (LowerAscii(s[p + i]) != name[i]) return false;
  return true;
}

// The standard integer conversion: decimal digits into a 32-bit integer.
bool DigitsToInt32(std::string_view digits, int32_t& out) {
  auto r = std::from_chars(digits.data(), digits.data() + digits.size(), out);
  return r.ec == std::errc() && r.ptr == digits.data() + digits.size();
}

}  // namespace

bool TLexer::Fail(std::string_view message, size_t position) {
  if (Message.empty()) Message = message;
  ReportError(Source, message, position);
  return false;
}

void TLexer::Tokenise(std::string_view source, TTokenList& tokens, TIntList& referenced) {
  TokeniseOk = false;
  SourceEmpty = false;
  Message.clear();
  tokens.clear();
  referenced.Clear();
  std::string cut;
  if (source.size() > static_cast<size_t>(MaxSourceLength)) {
    cut = CutToChars(source, MaxSourceLength);
    source = cut;
  }
  while (!source.empty() && static_cast<unsigned char>(source.back()) < 33)
    source.remove_suffix(1);
  Source = source;
  if (source.empty()) {
    SourceEmpty = true;
    return;
  }
  const std::string_view s = source;
  const size_t len = s.size();
  tokens.reserve(len / 2 + 2);
  size_t i = 0;  // 0-based index of the next character to look at
  for (;;) {
    while (i < len && (s[i] == ' ' || s[i] == '\t'))
      ++i;
    if (i >= len) {
      TokeniseOk = true;
      return;
    }
    const size_t p = i;
    const size_t pos = p + 1;  // 1-based, for messages
    const char c = s[p];

    if (IsDigit(c)) {
      // 0b... and 0x...: binary and hexadecimal integers (only the low 32 bits count).
      if (c == '0' && p + 1 < len && (s[p + 1] == 'b' || s[p + 1] == 'x')) {
        const bool bin = s[p + 1] == 'b';
        size_t q = p + 2;
        while (q < len && (bin ? (s[q] == '0' || s[q] == '1') : IsHexDigit(s[q])))
          ++q;
        if (q > p + 2) {
          uint64_t v = 0;
          for (size_t k = p + 2; k < q; ++k) {
            char d = s[k];
            int digit = IsDigit(d) ? d - '0' : LowerAscii(d) - 'a' + 10;
            v = bin ? (v << 1) | static_cast<uint64_t>(digit)
                    : (v << 4) + static_cast<uint64_t>(digit);
          }
          TToken& t = tokens.emplace_back();
          t.Kind = tkInteger;
          t.Value = static_cast<int32_t>(static_cast<uint32_t>(v));
          i = q;
          continue;
        }
      }
      size_t e1 = p, e2 = p;
      while (e1 < len && (IsDigit(s[e1]) || s[e1] == '.' || s[e1] == ','))
        ++e1;
      while (e2 < len && IsDigit(s[e2]))
        ++e2;
      std::string_view text = s.substr(p, e1 - p);
      if (e1 == e2) {
        int32_t v;
        if (!DigitsToInt32(text, v)) {
          Fail("Lexer: Invalid number, ", pos);
          return;
        }
        TToken& t = tokens.emplace_back();
        t.Kind = tkInteger;
        t.Value = v;
      } else {
        // Either mark is the decimal mark; a second one makes the number invalid.
        char buf[MaxSourceLength + 1];
        size_t n = text.size();
        if (n > MaxSourceLength) {
          Fail("Lexer: Invalid number, ", pos);
          return;
        }
        std::memcpy(buf, text.data(), n);
        buf[e2 - p] = '.';
        double v = 0;
        const char* end = buf + n;
        auto r = std::from_chars(buf, end, v, std::chars_format::fixed);
        if (r.ec != std::errc() || r.ptr != end) {
          Fail("Lexer: Invalid number, ", pos);
          return;
        }
        TToken& t = tokens.emplace_back();
        t.Kind = tkReal;
        t.RealValue = v;
      }
      i = e1;
      continue;
    }

    if (c == '#') {
      if (p + 1 >= len || !IsDigit(s[p + 1])) {
        Fail("Lexer: Unclassifiable statement, Incomplete Source identifier, ", pos);
        return;
      }
      size_t q = p + 1;
      while (q < len && IsDigit(s[q]))
        ++q;
      int32_t channel;
      bool fits = DigitsToInt32(s.substr(p + 1, q - p - 1), channel);
      TToken& t = tokens.emplace_back();
      t.Kind = tkChannel;
      t.Channel = fits ? channel : 0;
      if (!fits || channel > HighestChannel) {
        Fail("Lexer: Highest allowed Channel number #999", pos);
        return;
      }
      referenced.Add(channel);
      i = q;
      continue;
    }

    if (c == '"' || c == '\'') {
      std::string value;
      size_t st = p;
      for (;;) {
        size_t q = st + 1;
        while (q < len && s[q] != '"' && s[q] != '\'')
          ++q;
        if (q >= len) {
          Fail("Lexer: Character string started but not ended, ", pos);
          return;
        }
        if (s[q - 1] == '/' && q - 1 > st) {
          value.append(s.substr(st + 1, q - st - 2));
          value.push_back(s[q]);
          st = q;
          continue;
        }
        value.append(s.substr(st + 1, q - st - 1));
        i = q + 1;
        break;
      }
      TToken& t = tokens.emplace_back();
      t.Kind = tkString;
      t.Text = std::move(value);
      continue;
    }

    bool found = false;
    for (const TOperatorDef& op : OperatorTable()) {
      size_t n = std::strlen(op.Name);
      if (len - p >= n && s.compare(p, n, op.Name) == 0) {
        TToken& t = tokens.emplace_back();
        t.Kind = tkOperator;
        t.OperatorId = op.Id;
        i = p + n;
        found = true;
        break;
      }
    }
    if (found) continue;

    auto addFunction = [&](TFunctionDefins* def, size_t n) {
      TToken& t = tokens.emplace_back();
      t.Kind = tkFunction;
      t.Definition = def;
      t.Evaluator = def->Evaluator;
      i = p + n;
      found = true;
    };
    for (TFunctionDefins* f : FunctionTable()) {
      if (!f) break;
      if (MatchesName(s, p, f->Name)) {
        addFunction(f, f->Name.size());
        break;
      }
    }
    if (found) continue;
    for (TMemFunctionDefins* f : MemFunctionFactories()) {
      if (MatchesName(s, p, f->Name)) {
        addFunction(f->Create(), f->Name.size());
        break;
      }
    }
    if (found) continue;
    for (TDynaFunctionDefins* f : LookupFunctions()) {
      size_t n = f->Name.size();
      // Whole words only; an empty name would match nothing at all.
      if (MatchesName(s, p, f->Name) && (p + n >= len || !IsWordChar(s[p + n]))) {
        addFunction(f, n);
        break;
      }
    }
    if (found) continue;

    Fail("Lexer: Unclassifiable statement, ", pos);
    return;
  }
}

}  // namespace tessaro
