// The launcher's reading of the host's command line.
#include <gtest/gtest.h>

#include "launcher/main_form.h"

namespace launcher {
namespace {

TEST(OrderState, DecimalIntegerCutToAByte) {
  const struct {
    const char* text;
    int state;
  } cases[] = {{"2", 2},          {"6", 6},           {"+6", 6},         {"258", 2},
               {"-250", 6},       {"0002", 2},        {"", 0},           {"zwei", 0},
               {" 2", 0},         {"2 ", 0},          {"-", 0},          {"0x2", 0},
               {"2147483647", 255}, {"-2147483648", 0}, {"2147483648", 0}, {"4294967298", 0},
               {"99999999999999999999", 0}};
  for (const auto& c : cases) EXPECT_EQ(OrderState(c.text), c.state) << c.text;
}

TEST(FirstDroppedFile, FirstLineUnchanged) {
  const struct {
    const char* files;
    const char* first;
  } cases[] = {{"", ""},
               {"a.d83", "a.d83"},
               {"a.d83<br>b.d83", "a.d83"},
               {"a.d83<BR>b.d83", "a.d83"},
               {"a.d83<Br>", "a.d83"},
               {"<br>b.d83", ""},
               {" a.d83 <br>b", " a.d83 "},
               {"\"a.d83\"", "\"a.d83\""},
               {"a\r\nb", "a"}};
  for (const auto& c : cases) EXPECT_EQ(FirstDroppedFile(c.files), c.first) << c.files;
}

}  // namespace
}  // namespace launcher
