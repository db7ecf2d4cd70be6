// Code pages through the system's own conversions (best fit included).
#include "platform/win32/windows_api.h"
// (windows_api.h first: it removes the A/W macros that would rename the functions below.)
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "platform/platform.h"

namespace platform {

namespace {

// The symbolic numbers 0, 1 and 2 are CP_ACP, CP_OEMCP and CP_MACCP themselves.
bool Available(unsigned codePage) {
  return codePage <= kCodePageMac || ::IsValidCodePage(codePage);
}

bool IsUnicodePage(unsigned codePage) { return codePage == CP_UTF8 || codePage == CP_UTF7; }

}  // namespace

unsigned AnsiCodePage() { return ::GetACP(); }
unsigned OemCodePage() { return ::GetOEMCP(); }

unsigned MacCodePage() {
  char buffer[8] = {};
  if (::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDEFAULTMACCODEPAGE, buffer, sizeof buffer) > 0) {
    unsigned page = static_cast<unsigned>(std::strtoul(buffer, nullptr, 10));
    if (page != 0) return page;
  }
  return 10000;
}

bool MultiByteToWide(unsigned codePage, std::string_view bytes, std::u16string& out) {
  if (!Available(codePage) || bytes.size() > INT_MAX) return false;
  if (bytes.empty()) {
    out.clear();
    return true;
  }
  int size = static_cast<int>(bytes.size());
  int needed = ::MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (needed <= 0) return false;
  std::u16string result(static_cast<size_t>(needed), u'\0');
  int got = ::MultiByteToWideChar(codePage, 0, bytes.data(), size,
                                  reinterpret_cast<wchar_t*>(result.data()), needed);
  if (got <= 0) return false;
  result.resize(static_cast<size_t>(got));
  out = std::move(result);
  return true;
}

bool WideToMultiByte(unsigned codePage, std::u16string_view text, std::string& out,
                     bool composeAndDiscard, bool* usedDefault) {
  if (usedDefault) *usedDefault = false;
  if (!Available(codePage) || text.size() > INT_MAX) return false;
  if (text.empty()) {
    out.clear();
    return true;
  }
  // The Unicode pages take neither flags nor a used-default flag.
  bool unicodePage = IsUnicodePage(codePage);
  DWORD flags = (composeAndDiscard && !unicodePage) ? WC_COMPOSITECHECK | WC_DISCARDNS : 0;
  BOOL used = FALSE;
  BOOL* usedPtr = unicodePage ? nullptr : &used;
  auto wide = reinterpret_cast<const wchar_t*>(text.data());
  int size = static_cast<int>(text.size());
  int needed = ::WideCharToMultiByte(codePage, flags, wide, size, nullptr, 0, nullptr, usedPtr);
  if (needed <= 0) return false;
  std::string result(static_cast<size_t>(needed), '\0');
  int got = ::WideCharToMultiByte(codePage, flags, wide, size, result.data(), needed, nullptr,
                                  usedPtr);
  if (got <= 0) return false;
  result.resize(static_cast<size_t>(got));
  out = std::move(result);
  if (usedDefault) *usedDefault = used != FALSE;
  return true;
}

std::string OemToAnsi(std::string_view oem) {
  std::string ansi(oem);
  // OemToCharBuffA works in place and counts in DWORDs; long texts go in pieces.
  constexpr size_t kPiece = 1u << 30;
  for (size_t done = 0; done < ansi.size(); done += kPiece) {
    DWORD piece = static_cast<DWORD>(std::min(kPiece, ansi.size() - done));
    ::OemToCharBuffA(ansi.data() + done, ansi.data() + done, piece);
  }
  return ansi;
}

bool IsAnsiLeadByte(unsigned char byte) { return ::IsDBCSLeadByte(byte) != 0; }

}  // namespace platform
