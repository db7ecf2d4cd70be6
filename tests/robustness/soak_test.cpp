// A thousand imports in one process, as a long-lived host session would drive them: every
// import reads its file, emits, serialises and sends to the in-process service. Whatever one
// import leaves behind piles up over a thousand, so the heap in use must not grow between
// the first and the last hundred.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "../../fuzz/json_check.h"
#include "../platform/scratch_folder.h"
#include "import_run.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer's allocator statistics; GCC ships no header for them.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#elif defined(_WIN32)
#include <malloc.h>
#elif defined(__GLIBC__)
#include <malloc.h>
#endif

namespace robust {
namespace {

// Bytes the allocator has handed out and not taken back; nothing where no measure exists.
std::optional<uint64_t> HeapInUse(std::string& measure) {
#if defined(__SANITIZE_ADDRESS__)
  measure = "sanitizer allocator";
  return __sanitizer_get_current_allocated_bytes();
#elif defined(_WIN32)
  measure = "CRT heap walk";
  _HEAPINFO entry{};
  uint64_t used = 0;
  int status;
  while ((status = _heapwalk(&entry)) == _HEAPOK) {
    if (entry._useflag == _USEDENTRY) used += entry._size;
  }
  if (status != _HEAPEND || used == 0) return std::nullopt;
  return used;
#elif defined(__GLIBC__)
  measure = "glibc mallinfo2";
  const struct mallinfo2 info = mallinfo2();
  return static_cast<uint64_t>(info.uordblks + info.hblkhd);
#else
  measure = "none";
  return std::nullopt;
#endif
}

std::string FixtureBytes(const std::string& name) {
  std::ifstream in(std::string(GAEB_FIXTURES) + "/gaeb/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// One GAEB 90 record: type, data in columns 3 to 74, a running number.
std::string Record(const std::string& type, std::string data, int& number) {
  data.resize(72, ' ');
  char tail[8];
  std::snprintf(tail, sizeof tail, "%06d", ++number % 1000000);
  return type + data + tail + "\r\n";
}

std::string Four(int n) {
  char text[8];
  std::snprintf(text, sizeof text, "%04d", n % 10000);
  return text;
}

struct SoakFile {
  std::string bytes;
  int parts;
  size_t messages;
  std::string marker;  // text of this file that its document must carry
};

// Three shapes in turn: GAEB 90 with plain, RTF and broken RTF short texts; the tagged form
// with RTF texts; and a refused XML file, whose failure path runs as often as the others.
SoakFile MakeFile(int i, const std::string& gaeb90Mask, const std::string& xml) {
  const std::string marker = "Soak " + std::to_string(i);
  const int positions = 3 + i % 17;
  std::string text;
  switch (i % 3) {
    case 0: {
      int n = 0;
      text = gaeb90Mask + Record("01", marker, n) + Record("11", "01   N Erdarbeiten", n);
      for (int k = 1; k <= positions; ++k) {
        const std::string oz = "0101" + Four(k * 10);
        text += Record("21", oz + "             00000125500m3", n);
        text += Record("22", oz + " 000000018450 000000001845", n);
        const std::string shortText = k % 3 == 0   ? "{\\rtf1\\ansi {\\b Pos} \\'e4 " + Four(k) + "}"
                                      : k % 3 == 1 ? "{\\rtf1 {\\b offen " + Four(k)
                                                   : "Position " + Four(k);
        text += Record("25", shortText, n);
        text += Record("26", "Langtext " + marker, n);
      }
      text += Record("99", "Ende", n);
      return {text, 1 + positions, 0, marker};
    }
    case 1: {
      text = "#begin[GAEB]\r\n #begin[Beschreibung]\r\n  [Langtext]{\\rtf1\\ansi Vorwort \\'fc " +
             marker + "}[end]\r\n #end[Beschreibung]\r\n";
      for (int k = 1; k <= positions; ++k) {
        text += " #begin[Position]\r\n  [OZ]0101" + Four(k * 10) +
                "[end]\r\n  [Menge]12,5[end]\r\n  [ME]m2[end]\r\n  [EP]45,10[end]\r\n"
                "  [Kurztext]{\\rtf1\\ansi {\\b Mauerwerk} \\'fc" + Four(k) +
                "}[end]\r\n #end[Position]\r\n";
      }
      return {text, positions, 0, marker};
    }
    default:
      return {xml, 0, 1, "\"Description\":\"GAEB\""};
  }
}

TEST(Soak, ThousandImportsInOneProcessKeepTheHeapFlat) {
  constexpr int kImports = 1000;
  testing_support::ScratchFolder scratch{"soak"};
  const std::string sample = FixtureBytes("sample.d83");
  const std::string mask = sample.substr(0, sample.find('\n') + 1);  // its "00" record
  const std::string xml = FixtureBytes("refused.x83");
  ASSERT_FALSE(mask.empty());
  ASSERT_FALSE(xml.empty());

  std::string measure;
  std::optional<uint64_t> after100, after1000;
  int failures = 0, firstFailure = -1;
  for (int i = 1; i <= kImports; ++i) {
    bool ok;
    {
      const SoakFile file = MakeFile(i, mask, xml);
      const std::string path = scratch.Write("soak-" + Four(i) + (i % 3 == 1 ? ".txt" : ".d83"),
                                             file.bytes);
      const ImportOutcome r = RunImport(path);
      std::remove(path.c_str());
      ok = r.sent && r.messages.size() == file.messages && PartCount(r.document) == file.parts &&
           r.document.find(file.marker) != std::string::npos;
      // The full check of the text costs more than the import: once per shape is enough.
      if (i <= 3) ok = ok && fuzzcheck::IsJson(r.document);
    }
    if (!ok && failures++ == 0) firstFailure = i;
    if (i == 100) after100 = HeapInUse(measure);
    if (i == kImports) after1000 = HeapInUse(measure);
  }
  EXPECT_EQ(failures, 0) << "first failed import: " << firstFailure;

  if (!after100 || !after1000) {
    std::cout << "[ soak     ] " << kImports << " imports; no heap measure here (" << measure
              << ")\n";
    GTEST_SKIP() << "no heap measure on this platform; the imports themselves passed";
  }
  const int64_t growth = static_cast<int64_t>(*after1000) - static_cast<int64_t>(*after100);
  std::cout << "[ soak     ] bytes in use (" << measure << "): after import 100: " << *after100
            << ", after import 1000: " << *after1000 << ", growth " << growth << "\n";
  // 900 imports lie between the two figures: even 16 bytes left behind by each would show.
  EXPECT_LT(growth, 16 * 900) << "the heap grew between import 100 and import 1000";
}

}  // namespace
}  // namespace robust
