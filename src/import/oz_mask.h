// Ordinal numbers of GAEB 90 files: the mask of the "00" record and the numbers cut by it.
#pragma once

#include <string>
#include <string_view>

namespace import {

class TOZMask {
 public:
  // Takes the mask from the "00" record's data (its 30th character on).
  void ParseOZMask(std::string_view data);
  // Cuts the raw number into its level-1, level-2 and position digits, joined by points.
  std::string FormatOZ(std::string_view text) const;

  const std::string& Mask() const { return OZMask; }
  int Level1Digits = 0;
  int Level2Digits = 0;
  int PositionDigits = 0;

 private:
  std::string OZMask;
};

}  // namespace import
