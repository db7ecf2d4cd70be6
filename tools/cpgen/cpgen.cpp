// Dumps what the Windows code page functions give, so the POSIX build can give the same bytes.
// Built with MinGW and run once under Wine with LC_ALL=de_DE.UTF-8 (see generate.sh):
//   page <cp> default <byte>        a code page follows
//   mb <byte> <unit>                MultiByteToWideChar of one byte (single-byte pages)
//   wc <unit> <hex bytes>           WideCharToMultiByte with best fit, default char not used
//   oem <byte> <byte>               OemToCharBuffA of one byte
//   system <ansi> <oem> <mac>       the system's code page numbers
#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>

namespace {

const unsigned kSingleByte[] = {437, 850, 874, 1250, 1251, 1252, 1253, 1254,
                                1255, 1256, 1257, 1258, 10000};
const unsigned kDoubleByte[] = {932, 936, 949, 950, 1361};

void DumpPage(unsigned cp, bool singleByte) {
  CPINFO info;
  if (!GetCPInfo(cp, &info)) {
    std::fprintf(stderr, "code page %u not available\n", cp);
    return;
  }
  std::printf("page %u default %u\n", cp, static_cast<unsigned>(info.DefaultChar[0]));
  if (singleByte) {
    for (unsigned b = 0; b < 256; ++b) {
      char in = static_cast<char>(b);
      WCHAR out[4];
      int n = MultiByteToWideChar(cp, 0, &in, 1, out, 4);
      std::printf("mb %u %u\n", b, n == 1 ? static_cast<unsigned>(out[0]) : 0xFFFFu);
    }
  }
  for (unsigned u = 0; u < 0x10000; ++u) {
    WCHAR in = static_cast<WCHAR>(u);
    char out[8];
    BOOL used = FALSE;
    int n = WideCharToMultiByte(cp, 0, &in, 1, out, sizeof out, nullptr, &used);
    if (n <= 0 || used) continue;
    std::printf("wc %u ", u);
    for (int k = 0; k < n; ++k) std::printf("%02X", static_cast<unsigned char>(out[k]));
    std::printf("\n");
  }
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  std::printf("system %u %u %u\n", GetACP(), GetOEMCP(), 10000u);
  for (unsigned cp : kSingleByte) DumpPage(cp, true);
  for (unsigned cp : kDoubleByte) DumpPage(cp, false);
  for (unsigned b = 0; b < 256; ++b) {
    char in = static_cast<char>(b), out = 0;
    OemToCharBuffA(&in, &out, 1);
    std::printf("oem %u %u\n", b, static_cast<unsigned char>(out));
  }
  return 0;
}
