#include <gtest/gtest.h>

#include <clocale>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "document/zvjson.h"
#include "platform/platform.h"
#include "support/support.h"

namespace document {
namespace {

// The escape table written out plainly, applied to the platform's own conversion.
std::string ReferenceString(std::u16string_view text) {
  std::string out = "\"";
  for (unsigned char b : platform::WideToAnsi(text)) {
    switch (b) {
      case '"': out += "\\\""; break;
      case '/': out += "\\/"; break;
      case '\\': out += "\\\\"; break;
      case 0x08: out += "\\b"; break;
      case 0x09: out += "\\t"; break;
      case 0x0A: out += "\\n"; break;
      case 0x0C: out += "\\f"; break;
      case 0x0D: out += "\\r"; break;
      case 0x80: out += "\\u20ac"; break;
      default:
        if (b < 0x20) {
          char code[8];
          std::snprintf(code, sizeof code, "\\u%04X", b);
          out += code;
        } else {
          out += static_cast<char>(b);
        }
    }
  }
  return out + "\"";
}

// A list of these texts as written, and as the reference escapes it.
struct WrittenList {
  std::string written, expected;
};
WrittenList WriteListOf(const std::vector<std::u16string>& texts) {
  TZVSONList list;
  std::string expected = "[";
  for (const std::u16string& text : texts) {
    list.AddElement(TkxJSONstring::Make(text));
    if (expected.size() > 1) expected += ',';
    expected += ReferenceString(text);
  }
  return {WriteText(&list), expected + "]"};
}

TEST(Writer, ObjectOfEveryKind) {
  TZVJSON object(true);
  object.AddMember(u"a", TkxJSONstring::Make(u"x\"/\r\n\u20AC"));
  object.AddMember(u"b", TkxJSONnumber::Make(0.5L));
  object.AddMember(u"c", TkxJSONboolean::Make(true));
  object.AddMember(u"d", std::make_unique<TkxJSONnull>());
  auto list = std::make_unique<TZVSONList>();
  list->AddElement(TkxJSONnumber::Make(1E20L));
  list->AddElement(std::make_unique<TZVJSON>(true));
  object.AddMember(u"e", std::move(list));
  EXPECT_EQ(WriteText(&object), R"({"a":"x\"\/\r\n\u20ac","b":0.5,"c":true,"d":null,"e":[1E20,{}]})");
  EXPECT_EQ(WriteText(nullptr), "");
  EXPECT_EQ(WriteText(std::make_unique<TZVSONList>().get()), "[]");
  // A member on its own is its name, a colon and its value.
  EXPECT_EQ(WriteText(object.ItemAt(1)), R"("b":0.5)");
  EXPECT_EQ(WriteText(std::make_unique<TkxJSONobjectmethod>().get()), R"("":null)");
}

TEST(Writer, NumberTexts) {
  const struct {
    long double value;
    const char* text;
  } cases[] = {
      {2, "2"},
      {-2.5L, "-2.5"},
      {0.1L, "0.1"},
      {0.0001L, "0.0001"},
      {0.00001L, "1E-5"},
      {-0.000123L, "-0.000123"},
      {123.5L, "123.5"},
      {100000000000000.0L, "100000000000000"},
      {1000000000000000.0L, "1E15"},
      {1234567890123456.0L, "1.23456789012346E15"},
      {1E20L, "1E20"},
      {1.5E-300L, "1.5E-300"},
      {0, "0"},
      {-0.0L, "0"},
      {1.0L / 3, "0.333333333333333"},
      {static_cast<long double>(0.1 + 0.2), "0.3"},
      {99999999999999.99L, "100000000000000"},
      {19, "19"},
      {12.5L, "12.5"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.text;
}

TEST(Writer, NumbersKeepTheDotUnderADecimalComma) {
  platform::OverrideDecimalSeparator(',');
  const bool german = std::setlocale(LC_NUMERIC, "de_DE.UTF-8") ||
                      std::setlocale(LC_NUMERIC, "German_Germany.1252");
  TZVSONList list;
  list.AddElement(TkxJSONnumber::Make(12.5L));
  list.AddElement(TkxJSONnumber::Make(1.25E-7L));
  EXPECT_EQ(WriteText(&list), "[12.5,1.25E-7]") << "C library in German: " << german;
  std::setlocale(LC_NUMERIC, "C");
  platform::OverrideDecimalSeparator(0);
}

TEST(Writer, EscapeTableAndCodePage) {
  const struct {
    std::u16string text;
    const char* json;
  } cases[] = {
      {u"a\x1F" "b", R"("a\u001Fb")"},
      {u"\x1B", R"("\u001B")"},
      {std::u16string(1, u'\0') + u"z", R"("\u0000z")"},
      {u"\t\b\f", R"("\t\b\f")"},
      {u"\\/\"", R"("\\\/\"")"},
      {u"\x7F~ ", "\"\x7F~ \""},
      {u"\u00E4\u00DF\u00FF", "\"\xE4\xDF\xFF\""},  // single ANSI bytes, not UTF-8
      {u"\u20AC5", R"("\u20ac5")"},
      {u"\u201EZitat\u201C", "\"\x84Zitat\x93\""},
      {u"\u4E2D", R"("?")"},  // no ANSI character, not even a best fit
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WriteText(TkxJSONstring::Make(c.text).get()), c.json) << c.json;
    EXPECT_EQ(ReferenceString(c.text), c.json) << c.json;
  }
  TZVJSON object(true);
  object.AddMember(u"a/b", TkxJSONstring::Make(u""));
  EXPECT_EQ(WriteText(&object), R"({"a\/b":""})");
}

// Random names and texts of every awkward kind come out exactly as the plain reference.
TEST(Writer, HostileTextsAlwaysGiveExactlyEscapedJson) {
  const std::u16string pieces[] = {
      u"a",      u"Mauerwerk ", u"\"",        u"/",      u"\\",           std::u16string(1, u'\0'),
      u"\x1B",   u"\x1F",       u"\x7F",      u"\u0080", u"\u0081",       u"\u009F",
      u"\u00E4", u"\u00FF",     u"\u20AC",    u"\u201E", u"\u03A9",       u"\uFFFF",
      u"\U0001F600", std::u16string(1, u'\xD800'), std::u16string(1, u'\xDC00'), u"01234567",
      u"\r\n"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<size_t> pick(0, std::size(pieces) - 1), length(0, 24);
  auto make = [&] {
    std::u16string s;
    for (size_t n = length(random); n > 0; --n) s += pieces[pick(random)];
    return s;
  };
  TZVJSON object(true);
  std::string expected = "{";
  for (int i = 0; i < 3000; ++i) {
    const std::u16string name = make(), text = make();
    object.AddMember(name, TkxJSONstring::Make(text));
    if (i) expected += ',';
    expected.append(ReferenceString(name)).append(":").append(ReferenceString(text));
  }
  expected += "}";
  EXPECT_EQ(WriteText(&object), expected);
}

// Every unit below 0x100 at every place of texts kept in place (up to 14 units) and of longer
// ones, which are scanned sixteen units at a time with a tail.
TEST(Writer, EveryNarrowUnitAtEveryPlace) {
  std::vector<std::u16string> texts;
  for (size_t length : {1u, 2u, 13u, 14u, 15u, 16u, 17u, 31u, 33u}) {
    for (size_t place = 0; place < length; ++place) {
      for (char16_t unit = 0; unit < 0x100; ++unit) {
        std::u16string text(length, u'k');
        if (length > 3) text[length - 1] = u'\u00FC';
        text[place] = unit;
        texts.push_back(text);
      }
    }
  }
  const WrittenList list = WriteListOf(texts);
  EXPECT_EQ(list.written, list.expected);
}

// Every unit outside the surrogates, in texts kept wide, comes out as the platform converts it:
// the writer learns the code page 256 units at a time, as it meets them.
TEST(Writer, EveryWideUnitAsThePlatformConvertsIt) {
  std::vector<std::u16string> texts;
  for (char32_t first = 0; first < 0x10000; first += 61) {
    std::u16string text = u"\u4E2D";
    for (char32_t u = first; u < first + 61 && u < 0x10000; ++u)
      if (u < 0xD800 || u > 0xDFFF) text += static_cast<char16_t>(u);
    texts.push_back(text);
  }
  const WrittenList list = WriteListOf(texts);
  EXPECT_EQ(list.written, list.expected);
}

TEST(Writer, LongOutputIsCompleteAcrossBufferBoundaries) {
  std::vector<std::u16string> texts;
  for (int i = 0; i < 3000; ++i) {
    std::u16string text(37 + i % 50, u'x');
    text[i % 37] = u"\u00E4\"/\u20AC\t"[i % 5];
    texts.push_back(text);
  }
  // One string far longer than a buffer step.
  std::u16string huge;
  for (int i = 0; i < 120000; ++i) huge += (i % 1000 == 999) ? u'"' : static_cast<char16_t>(u'a' + i % 26);
  texts.push_back(huge);
  const WrittenList list = WriteListOf(texts);
  ASSERT_GT(list.expected.size(), 250000u);
  EXPECT_EQ(list.written, list.expected);
}

// Texts that grow most when escaped, long and short, so that their room is reckoned at the
// edges: a six-byte escape per unit, and texts that end exactly where the output must grow.
TEST(Writer, EscapeHeavyTextsOfEveryLengthAreComplete) {
  std::vector<std::u16string> texts;
  for (size_t n : {1u, 7u, 8u, 9u, 4095u, 4096u, 4097u, 70000u, 200000u, 11000u, 5u}) {
    std::u16string text;
    for (size_t i = 0; i < n; ++i) text += static_cast<char16_t>(i % 3 ? 0x1B : (i % 2 ? u'/' : u'\u00E4'));
    texts.push_back(text);
  }
  const WrittenList list = WriteListOf(texts);
  EXPECT_EQ(list.written, list.expected);
}

// The text is reserved from the document's size; short texts of control units come out six
// times their size and more, so this one outgrows its reservation several times over.
TEST(Writer, TextFarLargerThanItsDocumentIsComplete) {
  TZVJSON object(false);
  const std::u16string name(14, u'\x01'), text(14, u'\x1B');
  const std::string member = ReferenceString(name) + ":" + ReferenceString(text);
  std::string expected = "{";
  for (int i = 0; i < 60000; ++i) {
    object.AddMember(name, TkxJSONstring::Make(text));
    if (i) expected += ',';
    expected += member;
  }
  expected += "}";
  EXPECT_EQ(WriteText(&object), expected);
}

TEST(Writer, StreamAppendsAndIgnoresMissingParts) {
  std::ostringstream stream;
  stream << "x";
  auto flag = TkxJSONboolean::Make(false);
  WriteToStream(flag.get(), &stream);
  WriteToStream(nullptr, &stream);
  WriteToStream(flag.get(), nullptr);
  EXPECT_EQ(stream.str(), "xfalse");
}

class WriterFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string d(1, platform::PathDelimiter());
    root_ = platform::GetTempPath() + "gaeb-document-test-" +
            std::to_string(platform::WallClockMilliseconds()) + d;
    path_ = root_ + "a" + d + "b" + d + "doc.json";
  }
  void TearDown() override { std::filesystem::remove_all(root_); }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  std::string root_, path_;
};

TEST_F(WriterFileTest, CreatesTheFolderAndReplacesTheFile) {
  TZVSONList list;
  list.AddElement(TkxJSONstring::Make(u"\u00E4"));
  WriteToFile(&list, path_);
  EXPECT_EQ(Read(path_), "[\"\xE4\"]");
  list.AddElement(TkxJSONnumber::Make(1));
  WriteToFile(&list, path_);
  EXPECT_EQ(Read(path_), "[\"\xE4\",1]");
  WriteToFile(nullptr, path_);
  EXPECT_EQ(Read(path_), "[\"\xE4\",1]");
}

TEST_F(WriterFileTest, LockedFileIsTriedFiveTimesThenGivenUpSilently) {
  TZVSONList list;
  WriteToFile(&list, path_);
  list.AddElement(TkxJSONnumber::Make(1));
  {
    platform::FileHold hold(path_, true);
    ASSERT_TRUE(hold.ok());
    const int64_t start = platform::WallClockMilliseconds();
    EXPECT_NO_THROW(WriteToFile(&list, path_));
    EXPECT_GE(platform::WallClockMilliseconds() - start, 450);  // five pauses of 100 ms
  }
  EXPECT_EQ(Read(path_), "[]");
}

TEST_F(WriterFileTest, BareFileNameRaisesTheFolderError) {
  TZVSONList list;
  try {
    WriteToFile(&list, "doc.json");
    FAIL() << "no error";
  } catch (const support::EInOutError& e) {
    EXPECT_STREQ(e.what(), "Verzeichnis kann nicht erstellt werden");
  }
}

}  // namespace
}  // namespace document
