// Pictures: only the header is checked against the format keyword; a picture adds no text.
#include <gtest/gtest.h>

#include "flatten.h"
#include "richtext/rtf_picture.h"

namespace richtext::testing {
namespace {

struct PictureCase {
  const char* name;
  const char* format;  // the keyword in the pict group
  const char* hex;     // picture data
  bool accepted;
};

void PrintTo(const PictureCase& c, std::ostream* os) { *os << c.name; }

class PictureHeader : public ::testing::TestWithParam<PictureCase> {};

TEST_P(PictureHeader, DecidesWhetherTheTextIsRead) {
  const PictureCase& c = GetParam();
  const std::string rtf =
      std::string("{\\rtf1 A{\\pict") + c.format + "\\picw10\\pich10 " + c.hex + "}B}";
  bool raw = false;
  const std::string text = Flatten(rtf, &raw);
  EXPECT_EQ(raw, !c.accepted);
  EXPECT_EQ(text, c.accepted ? "AB" : rtf);
}

const std::string kEmf = "01000000" + std::string(72, '0') + "20454d46";  // type 1, " EMF" at 40
const std::string kWmf = "010009000003" + std::string(24, '0');
const std::string kPlaceableWmf = "d7cdc69a" + std::string(36, '0') + kWmf;

INSTANTIATE_TEST_SUITE_P(
    Formats, PictureHeader,
    ::testing::Values(
        PictureCase{"Png", "\\pngblip", "89504e470d0a1a0a0000000d49484452", true},
        PictureCase{"PngWrongSignature", "\\pngblip", "89504e470d0a1a0b00", false},
        PictureCase{"PngEmpty", "\\pngblip", "", false},
        PictureCase{"Jpeg", "\\jpegblip", "ffd8ffe000104a464946", true},
        PictureCase{"JpegWrongMarker", "\\jpegblip", "ffd9ffe0", false},
        PictureCase{"Emf", "\\emfblip", kEmf.c_str(), true},
        PictureCase{"EmfWithoutSignature", "\\emfblip", "0100000000000000", false},
        PictureCase{"Wmf", "\\wmetafile8", kWmf.c_str(), true},
        PictureCase{"PlaceableWmf", "\\wmetafile8", kPlaceableWmf.c_str(), true},
        PictureCase{"WmfWrongHeaderSize", "\\wmetafile8", "010008000003000000000000000000000000",
                    false},
        PictureCase{"Dib", "\\dibitmap0", "28000000100000001000000001002000", true},
        PictureCase{"DibWrongHeaderSize", "\\dibitmap0", "29000000", false},
        PictureCase{"DeviceBitmapNotChecked", "\\wbitmap0", "00", true},
        PictureCase{"OtherFormatNotChecked", "\\macpict", "zz", true},
        PictureCase{"NoFormatNotChecked", "", "0102", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Pictures, BinaryDataAndShapeAlternatives) {
  bool raw = true;
  EXPECT_EQ(Flatten(std::string("{\\rtf1 A{\\pict\\jpegblip\\bin3 \xff\xd8\xff}B}"), &raw), "AB");
  EXPECT_FALSE(raw);
  // After a shape picture the alternative for old readers is skipped, bad data included.
  EXPECT_EQ(Flatten("{\\rtf1{\\*\\shppict{\\pict\\pngblip 89504e470d0a1a0a}}"
                    "{\\nonshppict{\\pict\\wmetafile8 00}X}Y}",
                    &raw),
            "Y");
  EXPECT_FALSE(raw);
  EXPECT_TRUE(PictureIsInserted(TPictureFormat::kPng));
  EXPECT_FALSE(PictureIsInserted(TPictureFormat::kOther));
}

}  // namespace
}  // namespace richtext::testing
