#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace {

using ProtocolTest = AppFixture;

TEST_F(ProtocolTest, EachLineIsTimeStampedInItsOwnColour) {
  host.TimeText = "09:05:01";
  AddToProtocol("first", clRed);
  AddToProtocol("", clGreen);
  AddToProtocol("third", clGray);
  const auto& lines = Frm_Protocol->RichEdit1.Lines();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].Text, "09:05:01 - first");
  EXPECT_EQ(lines[0].Colour, clRed);
  EXPECT_EQ(lines[1].Text, "09:05:01 - ");  // an empty message still gives a line
  EXPECT_EQ(lines[1].Colour, clGreen);
  EXPECT_EQ(lines[2].Colour, clGray);  // no colour leaks from the line before
}

TEST_F(ProtocolTest, LinesAreKeptWhileHiddenAndEachIsAnnouncedOnce) {
  int announced = 0;
  Frm_Protocol->RichEdit1.Subscribe([&](TChange) { ++announced; });
  EXPECT_FALSE(Frm_Protocol->Visible());
  for (int i = 0; i < 5; ++i) AddToProtocol(std::to_string(i), clBlack);
  EXPECT_EQ(announced, 5);
  form.ProtocolWindowClick();
  EXPECT_TRUE(Frm_Protocol->Visible());
  EXPECT_EQ(LogMessages(), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
}

TEST(ColourName, NamesTheFiveColoursAndBlack) {
  EXPECT_EQ(ColourName(clRed), "red");
  EXPECT_EQ(ColourName(clOrange), "orange");
  EXPECT_EQ(ColourName(clGray), "gray");
  EXPECT_EQ(ColourName(clGreen), "green");
  EXPECT_EQ(ColourName(clNavy), "navy");
  EXPECT_EQ(ColourName(clBlack), "black");
  EXPECT_EQ(ColourName(0x00332211), "#112233");
}

}  // namespace
