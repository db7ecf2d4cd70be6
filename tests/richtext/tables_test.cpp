// Tables: rows and cells, nesting, merged cells, \lastrow and unfinished rows.
#include <gtest/gtest.h>

#include "flatten.h"

namespace richtext::testing {
namespace {

class TableCase : public ::testing::TestWithParam<Case> {};

TEST_P(TableCase, GivesTheExpectedText) {
  const Case& c = GetParam();
  bool raw = true;
  EXPECT_EQ(Visible(Flatten(c.input, &raw)), Visible(c.expected));
  EXPECT_FALSE(raw);
}

#define ROW_AB "\\trowd\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row "

INSTANTIATE_TEST_SUITE_P(
    Tables, TableCase,
    ::testing::Values(
        Case{"OneRowThenParagraph", "{\\rtf1" ROW_AB "\\pard C\\par}", "A\r\nB\r\n\r\nC"},
        Case{"ParagraphBefore", "{\\rtf1 X\\par" ROW_AB "\\pard C\\par}",
             "X\r\nA\r\nB\r\n\r\nC"},
        Case{"TableAtTheEnd", "{\\rtf1 X\\par" ROW_AB "}", "X\r\nA\r\nB\r\n"},
        Case{"CellWithTwoParagraphs", "{\\rtf1\\trowd\\cellx1000\\pard\\intbl A\\par B\\cell\\row}",
             "A\r\nB\r\n"},
        Case{"TwoRows",
             "{\\rtf1" ROW_AB "\\trowd\\cellx1000\\cellx2000\\pard\\intbl C\\cell D\\cell\\row}",
             "A\r\nB\r\nC\r\nD\r\n"},
        Case{"EmptyCellGetsAnEmptyRun",
             "{\\rtf1\\trowd\\cellx1\\cellx2\\cellx3\\pard\\intbl A\\cell\\cell C\\cell\\row}",
             "A\r\n\r\nC\r\n"},
        Case{"ShortRowPaddedToTheWidest",
             "{\\rtf1\\pard\\intbl A\\cell B\\cell C\\cell\\row\\intbl D\\cell\\row}",
             "A\r\nB\r\nC\r\nD\r\n\r\n\r\n"},
        Case{"MergedCellsHoldNothing",
             "{\\rtf1\\trowd\\clmgf\\cellx1\\clmrg\\cellx2\\cellx3\\pard\\intbl A\\cell X\\cell "
             "C\\cell\\row}",
             "A\r\n\r\nC\r\n"},
        Case{"NestedTable",
             "{\\rtf1\\trowd\\cellx5000\\pard\\intbl\\itap2 N1\\nestcell N2\\nestcell"
             "{\\*\\nesttableprops\\trowd\\cellx1\\cellx2\\nestrow}{\\nonesttables N1 N2\\par}"
             "\\pard\\intbl O\\cell\\row\\pard E}",
             "N1\r\nN2\r\n\r\nO\r\n\r\nE"},
        Case{"LastRowBeforeTheCellsKeepsTheRow",
             "{\\rtf1\\trowd\\lastrow\\cellx1000\\cellx2000\\pard\\intbl A\\cell B\\cell\\row\\pard "
             "C}",
             "A\r\nB\r\n\r\nC"},
        Case{"LastRowEndsTheTable",
             "{\\rtf1" ROW_AB "\\trowd\\lastrow\\cellx1\\cellx2\\pard\\intbl C\\cell D\\cell\\row"
             "\\trowd\\cellx1\\cellx2\\pard\\intbl E\\cell F\\cell\\row}",
             "A\r\nB\r\nC\r\nD\r\n\r\nE\r\nF\r\n"},
        Case{"CellsAfterTheLastRowKept",
             "{\\rtf1" ROW_AB "\\intbl C\\cell D\\cell\\pard E}", "A\r\nB\r\nC\r\nD\r\n\r\nE"},
        Case{"TextAfterTheLastCellKept", "{\\rtf1" ROW_AB "\\intbl C}", "A\r\nB\r\nC\r\n\r\n"},
        Case{"CellsWithoutRowBecomeParagraphs", "{\\rtf1\\pard\\intbl A\\cell B\\cell\\pard C}",
             "A\r\nB\r\nC"},
        Case{"FootnoteInACell",
             "{\\rtf1\\trowd\\cellx1\\pard\\intbl A\\chftn{\\footnote\\pard\\plain Body\\par}B\\cell"
             "\\row}",
             "A1B\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace richtext::testing
