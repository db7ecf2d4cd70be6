#include "document/ansi_tables.h"

#include <memory>

#include "platform/platform.h"

namespace document {
namespace {

bool IsSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDFFF; }

std::unique_ptr<AnsiTables> BuildTables(unsigned codePage) {
  auto tables = std::make_unique<AnsiTables>();
  tables->codePage = codePage;

  std::string allBytes(256, '\0');
  for (int b = 0; b < 256; ++b) allBytes[b] = static_cast<char>(b);
  std::u16string wideOfBytes;
  platform::MultiByteToWide(platform::kCodePageAnsi, allBytes, wideOfBytes);

  std::u16string allUnits;
  allUnits.reserve(0x10000);
  for (char32_t u = 0; u < 0x10000; ++u)
    if (!IsSurrogate(u)) allUnits.push_back(static_cast<char16_t>(u));
  std::string bytesOfUnits;
  platform::WideToMultiByte(platform::kCodePageAnsi, allUnits, bytesOfUnits);

  platform::WideToMultiByte(platform::kCodePageAnsi, std::u16string(1, u'\xD800'),
                            tables->loneSurrogate);
  platform::WideToMultiByte(platform::kCodePageAnsi, std::u16string(u"\xD83D\xDE00"),
                            tables->surrogatePair);

  tables->singleByte = wideOfBytes.size() == 256 && bytesOfUnits.size() == allUnits.size();
  if (!tables->singleByte) return tables;

  for (int b = 0; b < 256; ++b) tables->toWide[b] = wideOfBytes[b];
  tables->latin1Outside80To9F = true;
  for (int b = 0; b < 256; ++b)
    if ((b < 0x80 || b > 0x9F) && tables->toWide[b] != b) tables->latin1Outside80To9F = false;
  tables->fromWide.assign(0x10000, 0);
  for (size_t i = 0; i < allUnits.size(); ++i)
    tables->fromWide[allUnits[i]] = static_cast<uint8_t>(bytesOfUnits[i]);
  return tables;
}

}  // namespace

const AnsiTables& CurrentAnsiTables() {
  // One thread builds and writes the document; the cache needs no lock.
  static std::unique_ptr<AnsiTables> cached;
  const unsigned codePage = platform::AnsiCodePage();
  if (!cached || cached->codePage != codePage) cached = BuildTables(codePage);
  return *cached;
}

}  // namespace document
