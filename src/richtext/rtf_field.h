// Field instructions that produce something of their own.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "richtext/rtf_builder.h"

namespace richtext {

enum class TFieldKind : uint8_t { kOther, kIncludePicture, kSymbol, kSequence };

struct TFieldInstruction {
  TFieldKind kind = TFieldKind::kOther;
  std::optional<uint8_t> symbol;  // SYMBOL: low byte of the character code
  std::string symbolFont;         // SYMBOL \f "font"
  std::string sequenceName;       // SEQ name
  TNumberFormat format = TNumberFormat::kDecimal;
  std::optional<int64_t> restart;  // SEQ \r n, bounded to 32 bits
};

TFieldInstruction ParseFieldInstruction(std::string_view text);

}  // namespace richtext
