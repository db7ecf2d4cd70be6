// The "00.00" tax-rate form and the in-place trim the readers append with.
#include <gtest/gtest.h>

#include "import/text_tools.h"
#include "platform/platform.h"

namespace import {
namespace {

TEST(FormatTwoDecimals, PatternAndRounding) {
  struct {
    double value;
    char separator;
    const char* expected;
  } cases[] = {
      {19, ',', "19,00"},    {7, ',', "07,00"},     {0, ',', "00,00"},   {19, '.', "19.00"},
      {0.125, ',', "00,13"}, {2.675, ',', "02,67"}, {19.999, ',', "20,00"},
      {99.995, ',', "100,00"}, {100, ',', "100,00"}, {-7, ',', "-07,00"}, {-0.001, ',', "00,00"},
      {1e20, ',', "100000000000000000000,00"},
  };
  for (const auto& c : cases) {
    platform::OverrideDecimalSeparator(c.separator);
    EXPECT_EQ(FormatTwoDecimals(c.value), c.expected) << c.value;
  }
  platform::OverrideDecimalSeparator(0);
}

TEST(TrimInPlace, BothEndsUpToBlank) {
  struct {
    const char* in;
    const char* out;
  } cases[] = {{"", ""}, {" \t\r\n", ""}, {"  a b \x01", "a b"}, {"x", "x"}, {"\xA0x\xA0", "\xA0x\xA0"}};
  for (const auto& c : cases) {
    std::string s = c.in;
    TrimInPlace(s);
    EXPECT_EQ(s, c.out);
  }
}

}  // namespace
}  // namespace import
