#include "import/oz_mask.h"

#include "support/support.h"

namespace import {

void TOZMask::ParseOZMask(std::string_view data) {
  OZMask = data.size() > 29 ? std::string(data.substr(29)) : std::string();
  if (OZMask.empty()) OZMask = "1122PPPPI";
  if (OZMask.size() < 8) OZMask.resize(8, ' ');
  Level1Digits = Level2Digits = PositionDigits = 0;
  for (char c : OZMask) {
    if (c == '1') ++Level1Digits;
    if (c == '2') ++Level2Digits;
    if (c == 'P') ++PositionDigits;
  }
}

std::string TOZMask::FormatOZ(std::string_view text) const {
  if (OZMask.empty()) return std::string(text);
  auto take = [&text](int count) {
    std::string_view part = text.substr(0, static_cast<size_t>(count));
    text.remove_prefix(part.size());
    return part;
  };
  std::string result(take(Level1Digits));
  result += '.';
  result += take(Level2Digits);
  result += '.';
  result += take(PositionDigits);
  support::ReplaceAllText(result, "..", ".");
  result = support::Trim(result);
  if (!result.empty() && result.front() == '.') result.erase(0, 1);
  result = support::Trim(result);
  if (!result.empty() && result.back() == '.') result.pop_back();
  return result;
}

}  // namespace import
