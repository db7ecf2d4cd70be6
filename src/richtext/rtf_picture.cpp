#include "richtext/rtf_picture.h"

namespace richtext {

namespace {

uint32_t Le32(const uint8_t* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool PictureHeaderFits(TPictureFormat format, const uint8_t* data, size_t size) {
  switch (format) {
    case TPictureFormat::kPng: {
      static const uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
      if (size < 8) return false;
      for (int i = 0; i < 8; ++i)
        if (data[i] != kSignature[i]) return false;
      return true;
    }
    case TPictureFormat::kJpeg:
      return size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF;
    case TPictureFormat::kEmf:
      // EMR_HEADER: record type 1, " EMF" at offset 40.
      return size >= 44 && Le32(data) == 1 && Le32(data + 40) == 0x464D4520u;
    case TPictureFormat::kWmf: {
      size_t at = 0;
      if (size >= 4 && Le32(data) == 0x9AC6CDD7u) at = 22;  // placeable header first
      if (size < at + 18) return false;
      const uint16_t type = Le16(data + at), headerWords = Le16(data + at + 2);
      return (type == 1 || type == 2) && headerWords == 9;
    }
    case TPictureFormat::kDib: {
      if (size < 4) return false;
      const uint32_t headerSize = Le32(data);
      return headerSize == 12 || headerSize == 16 || headerSize == 40 || headerSize == 52 ||
             headerSize == 56 || headerSize == 64 || headerSize == 108 || headerSize == 124;
    }
    default: return true;
  }
}

bool PictureIsInserted(TPictureFormat format) {
  switch (format) {
    case TPictureFormat::kEmf:
    case TPictureFormat::kPng:
    case TPictureFormat::kJpeg:
    case TPictureFormat::kWmf:
    case TPictureFormat::kDib:
    case TPictureFormat::kBitmap: return true;
    default: return false;
  }
}

}  // namespace richtext
