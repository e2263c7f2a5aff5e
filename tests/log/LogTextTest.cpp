// Level numbers at their rounding edges, separator descriptions and the date text.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "log/unit_logging.h"

using namespace tacetix;

TEST(LevelText, RoundsToSixDecimalsOrNineSignificantDigits) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {-3.5214761, "-3.521476"},
      {3.4214761, "3.421476"},
      {-144.5, "-144.500000"},
      {123.4567896, "123.456790"},
      {-999.9999994, "-999.999999"},
      {999.9999999, "1000.000000"},      // carries into a fourth integer digit
      {-1234.56789012, "-1234.567890"},  // five significant decimals, then 0
      {-1234.5678956, "-1234.567900"},   // rounded at the ninth digit, not the sixth decimal
      {99999.999996, "100000.000000"},
      {1234567890.4, "1234567890.000000"},  // more than nine integer digits keep their places
      {0.0000015, "0.000002"},
      {0.0000005, "0.000000"},  // the double lies just below the half
      {0.0, "0.000000"},
      {-0.0, "0.000000"},
      {-0.0000001, "0.000000"},
      {-0.0000005, "0.000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(LevelText(c.value, '.'), c.text) << c.value;
}

TEST(LevelText, UsesTheGivenDecimalSeparator) {
  EXPECT_EQ(LevelText(-3.5214761, ','), "-3,521476");
  EXPECT_EQ(LevelText(-1234.5678956, ','), "-1234,567900");
  EXPECT_EQ(LevelText(0.0, ','), "0,000000");
}

TEST(LevelText, NonFiniteValuesDoNotBreakTheLine) {
  EXPECT_EQ(LevelText(-std::numeric_limits<double>::infinity(), ','), "-inf");
  EXPECT_EQ(LevelText(std::nan(""), ','), "nan");
}

TEST(SeparatorText, DescribesTheCharacter) {
  EXPECT_EQ(SeparatorText(9), "ASCII 9 (Tabulator)");
  EXPECT_EQ(SeparatorText(32), "ASCII 32 (\" \")");
  EXPECT_EQ(SeparatorText(44), "ASCII 44 (\",\")");
  EXPECT_EQ(SeparatorText(46), "ASCII 46 (\".\")");
  EXPECT_EQ(SeparatorText(59), "ASCII 59 (\";\")");
  EXPECT_EQ(SeparatorText(0), "ASCII 0");
  EXPECT_EQ(SeparatorText(31), "ASCII 31");
  EXPECT_EQ(SeparatorText(233), std::string("ASCII 233 (\"\xE9\")"));
}

TEST(DateTimeText, DateAloneOnlyAtMidnight) {
  std::tm when{};
  when.tm_year = 124;
  when.tm_mon = 2;
  when.tm_mday = 5;
  when.tm_hour = 13;
  when.tm_min = 7;
  when.tm_sec = 9;
  const std::locale classic = std::locale::classic();
  EXPECT_EQ(DateTimeText(when, classic), "03/05/24 13:07:09");
  when.tm_hour = when.tm_min = 0;
  when.tm_sec = 1;
  EXPECT_EQ(DateTimeText(when, classic), "03/05/24 00:00:01");
  when.tm_sec = 0;
  EXPECT_EQ(DateTimeText(when, classic), "03/05/24");
  EXPECT_FALSE(DateTimeText().empty());
}
