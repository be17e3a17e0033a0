#include "core/uConvert.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace tessaro;

namespace {

struct RealCase {
  const char* Text;
  bool Valid;
  double Value;
};

TEST(TextToReal, AcceptsEitherMarkAndRejectsTheRest) {
  const RealCase cases[] = {
      {"12,3", true, 12.3}, {"12.3", true, 12.3}, {" 12,3 ", true, 12.3}, {"-4.5E3", true, -4500},
      {"+7", true, 7},      {"1e-2", true, 0.01}, {",5", true, 0.5},      {"5.", true, 5},
      {"0", true, 0},       {"1.2.3", false, 0},  {"1.234,5", false, 0},  {"", false, 0},
      {"   ", false, 0},    {"-", false, 0},      {"abc", false, 0},      {"1 2", false, 0},
      {"+-5", false, 0},    {"1e", false, 0},     {"0x10", false, 0},     {"1e400", false, 0},
      {"1e-400", true, 0},  {"12\r", true, 12},   {"1,5e2", true, 150},   {"e5", false, 0},
  };
  for (const RealCase& c : cases) {
    bool valid = !c.Valid;
    double v = TextToReal(c.Text, valid);
    EXPECT_EQ(valid, c.Valid) << c.Text;
    EXPECT_DOUBLE_EQ(v, c.Value) << c.Text;
  }
}

TEST(TextToReal, ReadsTheNonFiniteFormsItWrites) {
  bool valid;
  EXPECT_TRUE(std::isnan(TextToReal("NaN", valid)));
  EXPECT_TRUE(valid);
  EXPECT_EQ(TextToReal("-Inf", valid), -std::numeric_limits<double>::infinity());
  EXPECT_TRUE(valid);
}

TEST(FormatReal, ShortestGeneralFormWith15Digits) {
  const std::pair<double, const char*> cases[] = {
      {12.3, "12.3"},
      {1e20, "1E20"},
      {1.5e-7, "1.5E-7"},
      {123456789012345678.0, "1.23456789012346E17"},
      {0.00001, "0.00001"},
      {9.9e-6, "9.9E-6"},
      {1e15, "1E15"},
      {999999999999999.0, "999999999999999"},
      {-4500, "-4500"},
      {0.1 + 0.2, "0.3"},
      {1.0 / 3.0, "0.333333333333333"},
      {0, "0"},
      {-0.0, "0"},
      {100, "100"},
      {std::numeric_limits<double>::quiet_NaN(), "NaN"},
      {std::numeric_limits<double>::infinity(), "Inf"},
      {-std::numeric_limits<double>::infinity(), "-Inf"},
      {std::numeric_limits<double>::max(), "1.79769313486232E308"},
      {std::numeric_limits<double>::denorm_min(), "5E-324"},
  };
  for (const auto& [v, text] : cases) {
    char buf[32];
    int n = FormatReal(v, buf);
    EXPECT_EQ(std::string(buf, n), text) << v;
  }
}

TEST(FormatReal, CommandAndFileTextUseTheirSeparators) {
  SetOutputDecimalSeparator(',');
  EXPECT_EQ(RealToCommandText(12.3), "12,3");
  SetOutputDecimalSeparator('.');
  EXPECT_EQ(RealToCommandText(12.3), "12.3");
  EXPECT_EQ(RealToFileText(1.5e-7), "1,5E-7");
  EXPECT_EQ(RealToFileText(-0.25), "-0,25");
}

TEST(FormatReal, RoundTripsThroughTextToReal) {
  const double values[] = {12.3, -1e-300, 6.02214076e23, 1.0 / 7.0, 4503599627370497.0, 0.1};
  for (double v : values) {
    bool valid;
    double back = TextToReal(RealToFileText(v), valid);
    EXPECT_TRUE(valid);
    EXPECT_NEAR(back, v, std::fabs(v) * 1e-14) << v;
  }
}

TEST(StrToInt, StrictAndTolerantRules) {
  struct Case {
    const char* Text;
    bool StrictValid, TolerantValid;
    int Value;
  };
  const Case cases[] = {
      {"007", true, true, 7},          {"-12", true, true, -12},
      {"-", false, false, 0},          {"+5", false, true, 5},
      {" 5", false, true, 5},          {"5 ", false, true, 5},
      {"", false, false, 0},           {"12a", false, false, 0},
      {"$FF", false, true, 255},       {"2147483647", true, true, 2147483647},
      {"2147483648", false, false, 0},
  };
  for (const Case& c : cases) {
    bool valid;
    int v = StrToIntStrict(c.Text, valid);
    EXPECT_EQ(valid, c.StrictValid) << c.Text;
    if (c.StrictValid) {
      EXPECT_EQ(v, c.Value) << c.Text;
    }
    v = StrToIntTolerant(c.Text, valid);
    EXPECT_EQ(valid, c.TolerantValid) << c.Text;
    EXPECT_EQ(v, c.TolerantValid ? c.Value : 0) << c.Text;
  }
}

TEST(Literals, BooleanBinaryHexAndColour) {
  bool valid;
  EXPECT_FALSE(TextToBool("falsely", valid));
  EXPECT_TRUE(valid);
  EXPECT_TRUE(TextToBool("true", valid));
  EXPECT_TRUE(valid);
  TextToBool("True", valid);
  EXPECT_FALSE(valid);
  EXPECT_EQ(BoolToText(true), "true");

  EXPECT_EQ(BinLiteral(" 0b1011 ", valid), 11);
  EXPECT_TRUE(valid);
  BinLiteral("0b", valid);
  EXPECT_FALSE(valid);
  BinLiteral("0b102", valid);
  EXPECT_FALSE(valid);

  EXPECT_EQ(HexLiteral("0xFF", valid), 255);
  EXPECT_TRUE(valid);
  HexLiteral("0x", valid);
  EXPECT_FALSE(valid);
  HexLiteral("0xfg", valid);
  EXPECT_FALSE(valid);

  EXPECT_EQ(ColorToText(0x2222BD), "$002222BD");
  EXPECT_EQ(StringOfZeros(3), "000");
  EXPECT_EQ(StringOfZeros(0), "");
}

TEST(FormatDecimals, CutsPadsAndKeepsExponent) {
  struct Case {
    const char* Text;
    int Places;
    bool Fixed;
    const char* Result;
  };
  const Case cases[] = {
      {"3.14159", 2, false, "3.14"}, {"3.1", 2, false, "3.1"},      {"3.1", 2, true, "3.10"},
      {"2.5E3", 2, false, "2.5E3"},  {"2.567E3", 1, true, "2.5E3"}, {"5", 0, true, "5"},
      {"3.7", 0, true, "3"},         {"3.7", 0, false, "3"},        {"5", 2, true, "5.00"},
      {"5", 2, false, "5"},          {"-0,125", 2, false, "-0,12"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FormatDecimals(c.Text, c.Places, c.Fixed), c.Result) << c.Text;
}

TEST(Rounding, HalfUpAndDecimalExponent) {
  EXPECT_EQ(RoundHalfUp(2.5), 3);
  EXPECT_EQ(RoundHalfUp(2.49), 2);
  EXPECT_EQ(RoundHalfUp(-2.5), -2);
  EXPECT_EQ(RoundHalfUp(-2.7), -2);
  EXPECT_EQ(DecimalExponent(1234), 4);
  EXPECT_EQ(DecimalExponent(0.05), -2);
  EXPECT_EQ(DecimalExponent(1), 0);
  EXPECT_EQ(DecimalExponent(0), -100);
}

TEST(CutToChars, NeverSplitsACharacter) {
  EXPECT_EQ(CutToChars("abcdef", 3), "abc");
  EXPECT_EQ(CutToChars("\xC3\xA4\xC3\xB6\xC3\xBC", 2), "\xC3\xA4\xC3\xB6");
  EXPECT_EQ(CutToChars("ab", 5), "ab");
}

}  // namespace

#include "core/uNumericText.h"

namespace {

TEST(NumericText, CaptionValueAndCommand) {
  EXPECT_EQ(NumericCaption("Temp", true, "#5+1", true), "Temp=#5+1=");
  EXPECT_EQ(NumericCaption("", true, "#5", false), "");
  SetSystemDecimalSeparator(',');
  EXPECT_EQ(NumericDisplayText(13.3, 2, false, false, ""), "13,3");
  EXPECT_EQ(NumericDisplayText(13.3, 2, true, true, "V"), "13,30V");
  SetSystemDecimalSeparator('.');
  EXPECT_EQ(NumericDisplayText(13.3, 2, false, true, " V"), "13.3 V");

  std::string cmd;
  SetOutputDecimalSeparator('.');
  ASSERT_TRUE(BuildNumberCommand(7, "1,5", cmd));
  EXPECT_EQ(cmd, "#7F1.5;");
  ASSERT_TRUE(BuildNumberCommand(7, "007E2", cmd));  // sent as typed
  EXPECT_EQ(cmd, "#7F007E2;");
  EXPECT_FALSE(BuildNumberCommand(7, "abc", cmd));
  EXPECT_FALSE(BuildNumberCommand(7, "", cmd));

  EXPECT_TRUE(NumericOutKeyPasses('-', true));
  EXPECT_FALSE(NumericOutKeyPasses(',', true));
  EXPECT_TRUE(NumericOutKeyPasses(',', false));
  EXPECT_FALSE(NumericOutKeyPasses('x', false));
}

}  // namespace
