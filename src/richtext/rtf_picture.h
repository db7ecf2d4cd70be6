// Pictures are not decoded; only their header is checked against the format keyword.
#pragma once

#include <cstddef>
#include <cstdint>

namespace richtext {

enum class TPictureFormat : uint8_t { kNone, kEmf, kPng, kJpeg, kWmf, kDib, kBitmap, kOther };

// Enough leading bytes for every header check.
constexpr size_t kPictureHeaderBytes = 64;

// False when the data cannot be a picture of that format. Formats without a check, and pictures
// without a format keyword, always pass.
bool PictureHeaderFits(TPictureFormat format, const uint8_t* data, size_t size);

// Whether a picture of the format becomes a picture item.
bool PictureIsInserted(TPictureFormat format);

}  // namespace richtext
