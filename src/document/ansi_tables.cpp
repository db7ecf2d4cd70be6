#include "document/ansi_tables.h"

#include <memory>

#include "platform/platform.h"

namespace document {
namespace {

std::unique_ptr<AnsiTables> BuildTables(unsigned codePage) {
  auto tables = std::make_unique<AnsiTables>();
  tables->codePage = codePage;

  std::string allBytes(256, '\0');
  for (int b = 0; b < 256; ++b) allBytes[b] = static_cast<char>(b);
  std::u16string wideOfBytes;
  platform::MultiByteToWide(platform::kCodePageAnsi, allBytes, wideOfBytes);
  std::string back;
  if (wideOfBytes.size() == 256)
    platform::WideToMultiByte(platform::kCodePageAnsi, wideOfBytes, back);

  platform::WideToMultiByte(platform::kCodePageAnsi, std::u16string(1, u'\xD800'),
                            tables->loneSurrogate);
  platform::WideToMultiByte(platform::kCodePageAnsi, std::u16string(u"\xD83D\xDE00"),
                            tables->surrogatePair);

  // Lead bytes (double-byte pages) and bytes that are no character on their own (UTF-8) do not
  // come back as themselves.
  tables->singleByte = back == allBytes;
  if (!tables->singleByte) return tables;

  for (int b = 0; b < 256; ++b) tables->toWide[b] = wideOfBytes[b];
  tables->latin1Outside80To9F = true;
  for (int b = 0; b < 256; ++b)
    if ((b < 0x80 || b > 0x9F) && tables->toWide[b] != b) tables->latin1Outside80To9F = false;
  return tables;
}

}  // namespace

void AnsiTables::Fill(size_t block) const {
  filled_[block] = true;
  if (block >= 0xD8 && block <= 0xDF) return;  // surrogates: never looked up one by one
  std::u16string units(256, u'\0');
  for (size_t i = 0; i < 256; ++i) units[i] = static_cast<char16_t>(block << 8 | i);
  std::string bytes;
  platform::WideToMultiByte(platform::kCodePageAnsi, units, bytes);
  if (bytes.size() != units.size()) bytes.assign(units.size(), '?');  // not a single-byte page
  for (size_t i = 0; i < 256; ++i) fromWide_[block << 8 | i] = static_cast<uint8_t>(bytes[i]);
}

const AnsiTables& CurrentAnsiTables() {
  // One thread builds and writes the document; the cache needs no lock.
  static std::unique_ptr<AnsiTables> cached;
  const unsigned codePage = platform::AnsiCodePage();
  if (!cached || cached->codePage != codePage) cached = BuildTables(codePage);
  return *cached;
}

}  // namespace document
