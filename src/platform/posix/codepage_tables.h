// The generated tables behind the POSIX code pages (codepage_tables.cpp, composition_table.cpp;
// both written by tools/cpgen).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::posix {

// Units first .. first+count-1 map to value, value+step, ... (step 0 or 1). The value is the
// byte, or lead byte * 256 + trail byte; kNoMapping marks units that take the default char.
struct WideRun {
  uint16_t first;
  uint16_t count;
  uint16_t value;
  uint8_t step;
};
constexpr uint16_t kNoMapping = 0xFFFF;

struct SingleBytePage {
  unsigned codePage;
  unsigned char defaultChar;
  const char16_t* toWide;  // 256 entries
  const WideRun* fromWide;  // sorted by first; units not covered take the default char
  size_t fromWideCount;
};

// Double-byte pages go through iconv; these are the units where the system answers otherwise.
struct DoubleBytePage {
  unsigned codePage;
  unsigned char defaultChar;
  const WideRun* exceptions;
  size_t exceptionCount;
};

struct Composition {
  char16_t base, mark, composed;
};

extern const SingleBytePage kSingleBytePages[];
extern const size_t kSingleBytePageCount;
extern const DoubleBytePage kDoubleBytePages[];
extern const size_t kDoubleBytePageCount;
extern const unsigned char kOemToAnsi[256];
extern const Composition kCompositions[];  // sorted by base, then mark
extern const size_t kCompositionCount;

}  // namespace platform::posix
