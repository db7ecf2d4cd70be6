// The control words the reader knows, sorted once and found through a hash index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace richtext {

enum class TRtfKeywordKind : uint8_t {
  kCharacter,         // index: the byte that stands in the text
  kUnicodeCharacter,  // default: the UTF-16 character, index: its single-byte equivalent
  kDestination,       // index: TRtfDestinationKeyword
  kProperty,          // index: TRtfPropertyKeyword
  kSpecial,           // index: TRtfSpecialKeyword
};

enum TRtfDestinationKeyword : uint8_t {
  kDestSkip,
  kDestFontTable,
  kDestColorTable,
  kDestStyleSheet,
  kDestPicture,
  kDestShapePicture,
  kDestNonShapePicture,
  kDestObject,
  kDestObjectData,
  kDestResult,
  kDestField,
  kDestFieldInstruction,
  kDestFieldResult,
  kDestBookmarkStart,
  kDestFootnote,
  kDestNestTableProps,
  kDestOldList,
  kDestOldListText,
  kDestListTable,
  kDestList,
  kDestListName,
  kDestListLevel,
  kDestLevelText,
  kDestLevelNumbers,
  kDestListOverrideTable,
  kDestListOverride,
  kDestListOverrideLevel,
  kDestAlternate,
  kDestAlternateBody,
};

// Properties with an effect on text, groups or tables; everything else is kPropOther.
enum TRtfPropertyKeyword : uint8_t {
  kPropOther,
  kPropU,
  kPropUc,
  kPropHidden,
  kPropPlain,
  kPropPard,
  kPropFont,
  kPropFontCharset,
  kPropDefaultFont,
  kPropAnsiCodePage,
  kPropPage,
  kPropInTable,
  kPropNestingLevel,
  kPropCell,
  kPropRow,
  kPropLastRow,
  kPropRowDefaults,
  kPropCellMerged,
  kPropCellBoundary,
  kPropNoteReference,
  kPropEndnote,
  kPropList,
  kPropPictureEmf,
  kPropPicturePng,
  kPropPictureJpeg,
  kPropPictureWmf,
  kPropPictureDib,
  kPropPictureBitmap,
  kPropPictureOther,
};

enum TRtfSpecialKeyword : uint8_t { kSpecialBinary, kSpecialHex, kSpecialIgnorable };

struct TRtfKeyword {
  const char* name;
  int32_t defaultValue;
  bool useDefault;  // the default replaces any parameter
  TRtfKeywordKind kind;
  uint8_t index;
  uint8_t flushClass;  // 0 none, 1 character property, 2 paragraph property
};

// Case-sensitive lookup; nullptr for an unknown word.
const TRtfKeyword* FindKeyword(std::string_view word);

// The sorted table, for tests.
const TRtfKeyword* KeywordTable(size_t* count);

}  // namespace richtext
