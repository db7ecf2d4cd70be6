#include <gtest/gtest.h>

#include "exchange/message_data.h"
#include "exchange/string_hash.h"
#include "fake_pipe.h"

namespace exchange {
namespace {

using exchange_test::Hex;
using exchange_test::LE;
using exchange_test::StringEntry;

TEST(StringHash, ElfHashOfKnownKeys) {
  TStringHash hash(50);
  struct Case {
    std::string key;
    uint32_t hash;
  } cases[] = {{"", 0}, {"DATA", 0x48681}, {"printf", 0x077905A6}, {"COMMAND", 0x8421664},
               {"ZVX-EXCHANGELOCALSERVICE", 0x6332A75},
               {"\xFF\xFE\xFD\xFC\xFB\xFA\xF9\xF8", 0x0EDCCA78}};
  for (const Case& c : cases) EXPECT_EQ(hash.KeyHash(c.key), c.hash) << c.key;
}

TEST(StringHash, NewestEqualKeyWinsAndClearEmpties) {
  TStringHash hash(50);
  EXPECT_EQ(hash.Lookup("A"), -1);
  hash.Add("A", 1);
  hash.Add("a", 2);
  hash.Add("A", 3);
  EXPECT_EQ(hash.Lookup("A"), 3);
  EXPECT_EQ(hash.Lookup("a"), 2);
  EXPECT_EQ(hash.Lookup(std::string("A\0", 2)), -1);
  hash.Clear();
  EXPECT_EQ(hash.Lookup("A"), -1);
}

TEST(StreamStorage, EntryLayouts) {
  struct Case {
    const char* what;
    std::function<void(TStreamStorage&)> write;
    std::string bytes;
  } cases[] = {
      {"INDEX -1", [](TStreamStorage& s) { s.PutInteger(u"INDEX", -1); },
       "0A000000" "49004E00440045005800" "0400000000000000" "FFFFFFFF"},
      {"SYNC true", [](TStreamStorage& s) { s.PutBoolean(u"SYNC", true); },
       "08000000" "53005900" "4E004300" "0100000000000000" "01"},
      {"SYNC false", [](TStreamStorage& s) { s.PutBoolean(u"SYNC", false); },
       "08000000" "530059004E004300" "0100000000000000" "00"},
      {"DATA one char", [](TStreamStorage& s) { s.PutString(u"DATA", u"\u00E4"); },
       "08000000" "4400410054004100" "0200000000000000" "E400"},
      {"empty value", [](TStreamStorage& s) { s.PutString(u"DATA", u""); }, ""},
      {"empty names", [](TStreamStorage& s) {
         s.PutString(u"", u"x");
         s.PutInteger(u"", 1);
         s.PutBoolean(u"", true);
       }, ""},
  };
  for (const Case& c : cases) {
    TStreamStorage storage;
    c.write(storage);
    EXPECT_EQ(Hex(storage.Bytes()), c.bytes) << c.what;
    EXPECT_EQ(storage.ScanPos(), storage.Size()) << c.what;
  }
}

TEST(StreamStorage, SecondEntryOfANameIsRefusedAndNothingAppended) {
  TStreamStorage storage;
  storage.PutInteger(u"INDEX", 3);
  try {
    storage.PutInteger(u"INDEX", 5);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    EXPECT_STREQ(e.what(), "Value with name \"INDEX\" already exists");
  }
  EXPECT_THROW(storage.PutString(u"INDEX", u"x"), std::runtime_error);
  EXPECT_EQ(storage.Size(), 26);
}

TEST(StreamStorage, WrittenValuesReadBackAndNamesAreCaseSensitive) {
  TStreamStorage storage;
  storage.PutString(u"COMMAND", u"DEFAULTFONT");
  storage.PutString(u"DATA", u"19");
  EXPECT_EQ(storage.GetString(u"DATA"), u"19");
  EXPECT_EQ(storage.GetString(u"COMMAND"), u"DEFAULTFONT");
  EXPECT_EQ(storage.GetString(u"data"), u"");
  EXPECT_EQ(storage.GetString(u"MISSING"), u"");
}

// A received run: names unknown, scanned lazily and once.
TEST(StreamStorage, ReceivedRunIsScannedLazilyOnce) {
  TStreamStorage storage;
  std::string run = StringEntry(u"A", u"first") + StringEntry(u"B", u"middle") +
                    StringEntry(u"DATA", u"last");
  storage.Append(run.data(), run.size());
  storage.SetPosition(0);
  EXPECT_FALSE(storage.Indexed(u"A"));
  EXPECT_EQ(storage.GetString(u"DATA"), u"last");
  EXPECT_EQ(storage.ScanPos(), storage.Size());
  EXPECT_TRUE(storage.Indexed(u"A"));
  EXPECT_TRUE(storage.Indexed(u"B"));
  EXPECT_EQ(storage.GetString(u"A"), u"first");  // answered from the index
  EXPECT_EQ(storage.GetString(u"B"), u"middle");
  EXPECT_EQ(storage.GetString(u"C"), u"");
}

TEST(StreamStorage, FirstEntryOfARepeatedNameWins) {
  TStreamStorage storage;
  std::string run = StringEntry(u"DATA", u"one") + StringEntry(u"X", u"x") + StringEntry(u"DATA", u"two");
  storage.Append(run.data(), run.size());
  EXPECT_EQ(storage.GetString(u"X"), u"x");
  EXPECT_EQ(storage.GetString(u"DATA"), u"one");
  EXPECT_EQ(storage.GetString(u"MISSING"), u"");
  EXPECT_EQ(storage.GetString(u"DATA"), u"one");
}

// Runs no writer produces: the scan must stop at the broken entry without reading past the
// run or trusting its lengths, while entries before it stay readable.
TEST(StreamStorage, BrokenReceivedRunsYieldEmptyText) {
  const std::string good = StringEntry(u"A", u"ok");
  const std::string data = StringEntry(u"DATA", u"19,00");
  struct Case {
    const char* what;
    std::string run;
  } cases[] = {
      {"empty", ""},
      {"name length cut", good + std::string("\x08\x00", 2)},
      {"negative name length", good + LE(0xFFFFFFF0u, 4) + data},
      {"name longer than run", good + LE(0x7FFFFFFF, 4) + std::string("D\0", 2)},
      {"value length cut", good + LE(8, 4) + exchange_test::Utf16(u"DATA") + std::string("\x0A\x00", 2)},
      {"negative value length", good + LE(8, 4) + exchange_test::Utf16(u"DATA") + LE(~0ull, 8) + "1"},
      {"value longer than run", good + LE(8, 4) + exchange_test::Utf16(u"DATA") + LE(1ull << 40, 8) + std::string("1\0", 2)},
      {"value cut short", good + data.substr(0, data.size() - 1)},
  };
  for (const Case& c : cases) {
    TStreamStorage storage;
    storage.Append(c.run.data(), c.run.size());
    EXPECT_EQ(storage.GetString(u"DATA"), u"") << c.what;
    EXPECT_EQ(storage.GetString(u"DATA"), u"") << c.what << " (again)";
    if (!c.run.empty()) {
      EXPECT_EQ(storage.GetString(u"A"), u"ok") << c.what;
    }
  }
}

TEST(StreamStorage, OddNameLengthTakesWholeUnits) {
  TStreamStorage storage;
  std::string run = LE(9, 4) + exchange_test::Utf16(u"DATA") + "!" + LE(2, 8) + std::string("x\0", 2) + StringEntry(u"B", u"b");
  storage.Append(run.data(), run.size());
  EXPECT_EQ(storage.GetString(u"DATA"), u"x");
  EXPECT_EQ(storage.GetString(u"B"), u"b");
}

TEST(MessageData, ReferenceCountAndInterfaces) {
  MessageRef message = NewMessage();
  auto* object = dynamic_cast<TMessageData*>(message.get());
  ASSERT_NE(object, nullptr);
  EXPECT_EQ(object->RefCountValue(), 1);
  {
    MessageRef second = message;
    EXPECT_EQ(object->RefCountValue(), 2);
  }
  EXPECT_EQ(object->RefCountValue(), 1);

  void* found = nullptr;
  EXPECT_EQ(message->QueryInterface(IID_IMessageData, &found), S_OK);
  EXPECT_EQ(found, static_cast<void*>(message.get()));
  EXPECT_EQ(object->RefCountValue(), 2);
  message->Release();
  TGUID other = IID_IMessageData;
  other.D1 ^= 1;
  EXPECT_EQ(message->QueryInterface(other, &found), E_NOINTERFACE);
  EXPECT_EQ(found, nullptr);
  EXPECT_EQ(object->RefCountValue(), 1);

  std::string id = "x";
  message->GetID(id);
  EXPECT_EQ(id, "");
  message->SetID("abc");
  message->GetID(id);
  EXPECT_EQ(id, "abc");
  EXPECT_EQ(message->GetData().Size(), 0);
}

}  // namespace
}  // namespace exchange
