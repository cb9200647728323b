#include <gtest/gtest.h>

#include "support/app_fixture.h"

namespace {

using MainWindowTest = AppFixture;

TEST_F(MainWindowTest, StartsInItsInitialState) {
  EXPECT_EQ(form.Caption(), "Pinloom Programmer - V 1.0.0.5");
  EXPECT_EQ(form.ClockDivisor, 0);
  EXPECT_EQ(form.ProgressGauge.Position(), 100);
  EXPECT_FALSE(form.bt_bitcounter_execute.Enabled());
  EXPECT_FALSE(form.bt_spi_flasher_program.Enabled());
  EXPECT_FALSE(form.bt_norflash_programming.Enabled());
  EXPECT_FALSE(form.SPIFlash.Valid);
  EXPECT_FALSE(form.NORFlash.Valid);  // cleared after the NOR page was set up
  EXPECT_EQ(form.NORFlash.Name, "S29GL128N");
  EXPECT_EQ(form.combo_norflash_address.Count(), 128);
  EXPECT_EQ(form.combo_norflash_address.Text(), "0. 00000000");
  EXPECT_FALSE(form.StopRequested);
  EXPECT_TRUE(form.ProjectFileName.empty());
  for (TComboBox* list : form.PinLists()) EXPECT_EQ(list->Count(), 0) << list->Name();
  EXPECT_EQ(form.PageControl1.ActivePage(), TForm1::kPageNORFlash);
  EXPECT_EQ(form.PageControl1.Pages[TForm1::kPageNORFlash].Caption, "NOR Flash");
  EXPECT_FALSE(form.BT_Sample.Visible());
  EXPECT_FALSE(form.bt_Extest.Visible());
  EXPECT_FALSE(form.Bt_Connect.Enabled());
  EXPECT_TRUE(form.bt_cancel.Enabled());
  EXPECT_FALSE(Frm_BSDLFile->Visible());
  EXPECT_FALSE(Frm_Protocol->Visible());
  EXPECT_TRUE(Frm_Protocol->RichEdit1.Lines().empty());  // creation writes no log line
  EXPECT_EQ(form.MemoInit.Lines().size(), 6u);
  EXPECT_EQ(form.MemoInit.Lines()[2], "");
}

TEST_F(MainWindowTest, MenuTreeInOrder) {
  std::vector<std::string> captions;
  for (const TMenuItem* top : form.MainMenu1.Items()) {
    captions.push_back(top->Caption());
    for (const TMenuItem* item : top->Items) {
      captions.push_back("  " + item->Caption());
      for (const TMenuItem* sub : item->Items) captions.push_back("    " + sub->Caption());
    }
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"File",
                                                "  open",
                                                "    project file",
                                                "    bsdl",
                                                "  save",
                                                "    project file",
                                                "    current project file",
                                                "  -",
                                                "  close",
                                                "Settings",
                                                "  BSDL_Cells: WriteOnly",
                                                "  BSDL_Cells: AddOnly",
                                                "  JTAG CLK:",
                                                "View",
                                                "  BSDL File Interpreter",
                                                "  Protocol Window",
                                                "  -",
                                                "  Expert",
                                                "Help",
                                                "  Info"}));
}

TEST_F(MainWindowTest, ViewTogglesFollowTheirCheckMarks) {
  form.BSDLFileInterpreter1.UserClick();
  EXPECT_TRUE(form.BSDLFileInterpreter1.Checked());
  EXPECT_TRUE(Frm_BSDLFile->Visible());
  // Closed with its own close button: the item stays checked; the next click unchecks
  // it and hides the hidden window, the one after shows it again.
  Frm_BSDLFile->Close();
  form.BSDLFileInterpreter1.UserClick();
  EXPECT_FALSE(form.BSDLFileInterpreter1.Checked());
  EXPECT_FALSE(Frm_BSDLFile->Visible());
  form.BSDLFileInterpreter1.UserClick();
  EXPECT_TRUE(Frm_BSDLFile->Visible());
}

TEST_F(MainWindowTest, ExpertModeChangesOnlyVisibility) {
  form.BT_Sample.SetEnabled(true);
  form.ItemBSDLCellsAddOnly.SetChecked(true);
  form.Expert1.UserClick();
  EXPECT_TRUE(form.BT_Sample.Visible());
  EXPECT_TRUE(form.bt_Extest.Visible());
  EXPECT_TRUE(form.ItemBSDLCellsWriteOnly.Visible());
  EXPECT_TRUE(form.ItemBSDLCellsAddOnly.Visible());
  EXPECT_TRUE(form.BT_Sample.Enabled());
  EXPECT_FALSE(form.bt_Extest.Enabled());
  form.Expert1.UserClick();
  EXPECT_FALSE(form.BT_Sample.Visible());
  EXPECT_FALSE(form.ItemBSDLCellsAddOnly.Visible());
  EXPECT_TRUE(form.ItemBSDLCellsAddOnly.Checked());
  EXPECT_TRUE(form.BT_Sample.Enabled());
}

TEST_F(MainWindowTest, ClockCaptionFollowsTheDivisorOnAnyMenuChange) {
  form.MainMenu1.Loaded();
  EXPECT_EQ(form.ItemJTAGCLK.Caption(), "JTAG CLK: 0");
  form.ClockDivisor = 5;
  EXPECT_EQ(form.ItemJTAGCLK.Caption(), "JTAG CLK: 0");  // not until a menu item changes
  form.ProtocolWindow.UserClick();
  EXPECT_EQ(form.ItemJTAGCLK.Caption(), "JTAG CLK: 5");
}

TEST_F(MainWindowTest, InfoBoxShowsTheRunningVersion) {
  form.ItemInfo.UserClick();
  ASSERT_EQ(host.Messages.size(), 1u);
  EXPECT_EQ(host.Messages[0].Text.rfind("Pinloom  V 1.0.0.5\n\n", 0), 0u);
  EXPECT_EQ(host.Messages[0].Kind, TMsgKind::Information);
}

TEST_F(MainWindowTest, StatusBarPanelsAndGaugeFollowTheWindowWidth) {
  form.SetBounds(form.Left(), form.Top(), 600, form.Height());
  form.StatusBar1.Resize(600, 19);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(form.StatusBar1.Panel(i).Width, 200);
  EXPECT_EQ(form.ProgressGauge.Left(), 204);
  EXPECT_EQ(form.ProgressGauge.Left() + form.ProgressGauge.Width(), 396);
  EXPECT_EQ(form.ProgressGauge.Top(), 3);
  EXPECT_EQ(form.ProgressGauge.Height(), 13);
}

TEST_F(MainWindowTest, CancelOnlyRecordsTheRequestAndCloseEndsTheProgram) {
  form.bt_cancel.UserClick();
  EXPECT_TRUE(form.StopRequested);
  bool closed = false;
  form.OnClose = [&] { closed = true; };
  form.close1.UserClick();
  EXPECT_TRUE(closed);
  EXPECT_FALSE(form.Visible());
}

TEST_F(MainWindowTest, StartUpTimerFiresOnceAndLogsTheBlankLine) {
  form.Timer_StartUp.Fire();
  form.Timer_StartUp.Fire();
  EXPECT_FALSE(form.Timer_StartUp.Enabled());
  ASSERT_FALSE(LogEntries().empty());
  EXPECT_EQ(LogEntries()[0], std::make_pair(std::string("  "), clGray));
}

TEST_F(MainWindowTest, DelayWaitsInTheEventLoopWithoutSpinning) {
  const uint32_t start = host.Clock;
  Delay(50);
  EXPECT_GT(host.Clock - start, 50u);
  // The wait went to the event loop in a few calls, not thousands of polls.
  EXPECT_LE(host.Calls.size(), 3u);
  EXPECT_GE(host.ProcessMessagesCount, 1);

  // Zero waits at least one tick; a negative wait makes one pass.
  host.Calls.clear();
  const uint32_t t0 = host.Clock;
  Delay(0);
  EXPECT_GE(host.Clock - t0, 1u);
  const int before = host.ProcessMessagesCount;
  const uint32_t t1 = host.Clock;
  Delay(-5);
  EXPECT_EQ(host.ProcessMessagesCount, before + 1);
  EXPECT_EQ(host.Clock, t1);
}

TEST_F(MainWindowTest, DelaySurvivesTickCounterWrapAround) {
  host.Clock = 0xFFFFFFF0u;
  Delay(40);
  EXPECT_GT(host.Clock - 0xFFFFFFF0u, 40u);  // 32-bit difference
  EXPECT_LT(host.Clock, 0x1000u);
}

}  // namespace
