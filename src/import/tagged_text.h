// Line operations of the tagged GAEB text form.
#pragma once

#include <string>
#include <string_view>

namespace import {

// True when the line holds the marker, the letters a to z compared without regard to case.
bool ContainsMarker(std::string_view line, std::string_view marker);
// Whether the marker stands in the line at that position, by the same comparison.
bool MarkerAt(std::string_view line, size_t at, std::string_view marker);

// The value of a line: bracketed parts and "#begin"/"#end" removed, optionally trimmed.
std::string StripTags(std::string_view Line, bool DoTrim);
// Appends StripTags(Line, DoTrim) to target.
void AppendStripped(std::string& target, std::string_view Line, bool DoTrim);

// "01" -> "01.", "0102" -> "01.02", "01020010" -> "01.02.0010"; empty or over 100 unchanged.
std::string FormatTaggedOZ(std::string_view Text);

// "" for a line that starts an RTF document, " " otherwise.
std::string_view RtfBlank(std::string_view Line);

// Target += RtfBlank(Line) + StripTags(Line, trimmed).
void AddDescLine(std::string& Target, std::string_view Line);

}  // namespace import
