#pragma once
// The main window TForm1: the application state, the controls the behaviour keeps its
// state in, and the handlers. Handlers keep the system's names and stay thin; the
// work of each subsystem lives in its own folder, where a TForm1 method that belongs
// to that subsystem may be defined (for example src/bsdl/bsdl_loading.cpp).

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bsdl/bsdl_types.h"
#include "controls/controls.h"
#include "jtag/FT2232CJTAGUnit.h"
#include "jtag/adapter_connection.h"
#include "jtag/device_database.h"
#include "jtag/scan_engine.h"
#include "programmers/flash_types.h"

class THost;

class TForm1 : public TForm {
 public:
  static constexpr const char* kApplicationTitle = "Pinloom";
  static constexpr const char* kDesignedCaption = "Pinloom Programmer";
  static constexpr const char* kVersionSeparator = " - V ";

  explicit TForm1(THost& host);
  ~TForm1() override;

  THost& Host() { return host_; }

  // ---- Application state (program entry) ----
  int32_t ClockDivisor = 0;
  TSPIFlashType SPIFlash;
  TNORFlashType NORFlash;
  std::string ProjectFileName;
  bool StopRequested = false;

  // ---- Adapter library and the open adapter ----
  TJtagLibrary JtagLibrary;
  FTC_HANDLE DongleHandle = 0;

  // ---- Top strip ----
  TControl sPanel1{"sPanel1"};
  TLabel lbl_dongle{"lbl_dongle", "JTAG dongle:"};
  TComboBox cb_FTDI_Device{"cb_FTDI_Device"};
  TLabel lbl_chain{"lbl_chain", "JTAG chain position:"};
  TComboBox cb_jtag_devices{"cb_jtag_devices"};
  TButton BT_Sample{"BT_Sample", "Sample"};
  TButton bt_Extest{"bt_Extest", "Extest"};
  TButton Bt_Connect{"Bt_Connect", "connect"};
  TButton bt_cancel{"bt_cancel", "cancel"};

  // ---- Pages ----
  TPageControl PageControl1{"PageControl1"};
  static constexpr int kPageBinaryCounter = 0;
  static constexpr int kPageSPIFlasher = 1;
  static constexpr int kPageNORFlash = 2;
  static constexpr int kPageInit = 3;

  // Binary Counter page
  std::array<TComboBox*, 6> combo_bitcounter_bit{};
  TEdit txt_bitocunter_pause{"txt_bitocunter_pause", "0"};
  TButton bt_bitcounter_execute{"bt_bitcounter_execute", "execute"};

  // SPI Flasher page
  TComboBox combo_spi_flash{"combo_spi_flash"};
  TComboBox combo_spi_flasher_sck{"combo_spi_flasher_sck", true};
  TComboBox combo_spi_flasher_mosi{"combo_spi_flasher_mosi", true};
  TComboBox combo_spi_flasher_miso{"combo_spi_flasher_miso", true};
  TComboBox combo_spi_flasher_cs{"combo_spi_flasher_cs", true};
  TComboBox combo_spi_flash_adr{"combo_spi_flash_adr"};
  TEdit txt_spi_flasher_bin{"txt_spi_flasher_bin"};
  TButton bt_open_spi_file{"bt_open_spi_file", "..."};
  TButton bt_spi_flasher_program{"bt_spi_flasher_program", "program"};

  // NOR Flash page
  TComboBox combo_norflash{"combo_norflash"};
  TComboBox combo_nor_flash_mode{"combo_nor_flash_mode"};
  std::array<TComboBox*, 32> combo_norflash_adr{};
  std::array<TLabel*, 32> lbl_adr{};
  std::array<TComboBox*, 16> combo_norflash_data{};
  std::array<TLabel*, 16> lbl_norflash_data{};
  TComboBox combo_norflash_ce_q{"combo_norflash_ce_q", true};
  TComboBox combo_norflash_oe_q{"combo_norflash_oe_q", true};
  TComboBox combo_norflash_we_q{"combo_norflash_we_q", true};
  TComboBox combo_norflash_wp_q{"combo_norflash_wp_q", true};
  TComboBox combo_norflash_rst_q{"combo_norflash_rst_q", true};
  TComboBox combo_norflash_byte_q{"combo_norflash_byte_q", true};
  TComboBox combo_norflash_address{"combo_norflash_address"};
  TEdit txt_norflash_binary{"txt_norflash_binary"};
  TButton bt_norflash_open_bin{"bt_norflash_open_bin", "..."};
  TButton bt_norflash_programming{"bt_norflash_programming", "program"};

  // Init page
  TMemo MemoInit{"MemoInit"};
  TButton Button1{"Button1", "Button1"};

  // All 64 pin lists in the order SPI (sck, mosi, miso, cs), binary counter bits 0-5,
  // NOR address 0-31, NOR data 0-15, NOR ce, oe, we, wp, rst, byte.
  std::array<TComboBox*, 64> PinLists() const;

  // ---- Status bar ----
  TStatusBar StatusBar1{"StatusBar1", 3};
  TProgressBar ProgressGauge{"ProgressGauge"};

  // ---- Main menu ----
  TMenuItem File1{"File1", "File"};
  TMenuItem open1{"open1", "open"};
  TMenuItem Menuopenprojectfile{"Menuopenprojectfile", "project file"};
  TMenuItem Open1{"Open1", "bsdl"};
  TMenuItem save1{"save1", "save"};
  TMenuItem saveprojectfile{"saveprojectfile", "project file"};
  TMenuItem currentprojectfile1{"currentprojectfile1", "current project file"};
  TMenuItem FileSeparator{"FileSeparator", "-"};
  TMenuItem close1{"close1", "close"};
  TMenuItem Settings1{"Settings1", "Settings"};
  TMenuItem ItemBSDLCellsWriteOnly{"ItemBSDLCellsWriteOnly", "BSDL_Cells: WriteOnly", true};
  TMenuItem ItemBSDLCellsAddOnly{"ItemBSDLCellsAddOnly", "BSDL_Cells: AddOnly", true};
  TMenuItem ItemJTAGCLK{"ItemJTAGCLK", "JTAG CLK:"};
  TMenuItem View1{"View1", "View"};
  TMenuItem BSDLFileInterpreter1{"BSDLFileInterpreter1", "BSDL File Interpreter", true};
  TMenuItem ProtocolWindow{"ProtocolWindow", "Protocol Window", true};
  TMenuItem ViewSeparator{"ViewSeparator", "-"};
  TMenuItem Expert1{"Expert1", "Expert", true};
  TMenuItem Help1{"Help1", "Help"};
  TMenuItem ItemInfo{"ItemInfo", "Info"};
  // Declared after its items: it is destroyed first and stops watching them while they
  // still exist.
  TMainMenu MainMenu1{"MainMenu1"};

  TTimer Timer_StartUp{"Timer_StartUp", 250};

  // ---- Program entry and main window commands ----
  void FormCreate();
  void bt_cancelClick();
  void close1Click();
  void BSDLFileInterpreter1Click();
  void ProtocolWindowClick();
  void Expert1Click();
  void ItemInfoClick();
  void MainMenu1Change();
  void StatusBar1Resize();
  void Timer_StartUpTimer();

  // ---- BSDL loading (src/bsdl/bsdl_loading.cpp) ----
  // Interprets the BSDL file and rebuilds the 64 pin lists from its ports; does nothing
  // when no file exists at the path. Parse errors pass through.
  void LoadBSDLFile(const std::string& path);
  void Open1Click();

  // ---- NOR flash page (pin mapping and flash table) ----
  void combo_norflashChange();

  // ==== Adapter discovery and connection (src/jtag/adapter_connection.cpp) ====
  std::vector<TDongleInfo> Dongles;
  int32_t DongleCount = 0;
  void ListFTDIDevices();
  void cb_FTDI_DeviceDropDown();
  bool OpenDongle(const TDongleInfo& info);
  bool CloseDongle();
  void Bt_ConnectClick();
  void ItemJTAGCLKClick();
  // ==== end of adapter discovery and connection ====

  // ==== Device database, chain detection and scan engine (src/jtag/device_database.cpp,
  // chain_detection.cpp, scan_engine.cpp) ====
  std::vector<TFPGATypes> DeviceDB;
  int32_t DeviceDBCount = 0;
  TJTAG_Chain JTAGChain;
  // Write area from byte 0, read area from byte kReadAreaOffset (scan_engine.h).
  std::vector<uint8_t> BSRImage = std::vector<uint8_t>(kBSRImageSize, 0);
  uint8_t* WriteArea() { return BSRImage.data(); }
  uint8_t* ReadArea() { return BSRImage.data() + kReadAreaOffset; }
  // The scan settings of the last load, repeated by ShiftCurrentData.
  bool ShiftIsInstruction = false;
  int32_t ShiftBitCount = 0;
  int32_t ShiftByteCount = 0;
  // Results of the last ShiftCurrentData.
  int32_t LastShiftStatus = 0;
  int32_t LastShiftBytes = 0;

  // The second part of the start-up timer: the first database found in the search
  // directories; true when one was read.
  void ReadDeviceDatabase();
  bool ReadDeviceDatabase(const std::vector<std::string>& directories);
  void DetectJTAGChain();
  void cb_jtag_devices_oldDropDown();
  void cb_jtag_devices_oldChange();
  // The status-bar position and the programming buttons, after a detection or a change.
  void UpdateChainPosition();
  // Raw scans of write-area bits 0 ... bits - 1 through the whole chain.
  FTC_STATUS ShiftIR(uint32_t bits);
  FTC_STATUS ShiftDR(uint32_t bits);
  // Scans of the device at a chain position, the others in BYPASS.
  FTC_STATUS ScanIR(int32_t position, uint32_t bits);
  FTC_STATUS ScanDR(int32_t position, uint32_t bits);
  bool ShiftCurrentData();
  void ItemBSDLCellsWriteOnlyClick();
  void ItemBSDLCellsAddOnlyClick();
  // ==== end of device database, chain detection and scan engine ====

  // ==== Boundary-scan register access (src/bscan/sample_extest.cpp, pin_addressing.cpp) ====
  // Index into the BSDL model's instruction table; -1 while none is selected.
  int32_t SelectedInstruction = -1;
  int32_t FindInstruction(const std::string& name) const;
  bool LoadAndShift(bool isInstruction);
  void UpdateCellsFromCapture(bool extestMode);
  void BT_SampleClick();
  void bt_ExtestClick();
  int32_t CellIndexFromPort(const std::string& port) const;
  bool GetBitIndexDDR(const std::string& port, int32_t& index);
  bool GetBitIndexOutput(const std::string& port, int32_t& index);
  bool GetBitIndexInput(const std::string& port, int32_t& index);
  bool SetControlCell(int32_t index, bool enable);
  bool SetCellValue(int32_t index, bool value);
  // ==== end of boundary-scan register access ====

  // The credit text of status-bar panel 2.
  static constexpr const char* kStatusCredit = "Pinloom boundary-scan tool";

 private:
  void BuildMenu();
  void WireHandlers();
  void WireAdapterHandlers();

  // ---- Chain detection and scan engine ----
  void WireChainHandlers();
  void NameChainDevices();
  // The total instruction-register length of the chain, -1 when it cannot be measured.
  int32_t MeasureChainIRLength();
  void SettleUnknownIRLengths();
  bool ChainAllowsScanAt(int32_t position) const;
  // The bypass bits of chain devices from ... to - 1.
  uint32_t BypassBits(bool instruction, int32_t from, int32_t to) const;
  FTC_STATUS ScanSelected(bool instruction, int32_t position, uint32_t bits);
  FTC_STATUS RawScan(int32_t reg, const uint8_t* data, uint32_t bits);
  std::vector<uint8_t> scanStream_;  // the padded stream of a multi-device scan

  // ---- Boundary-scan register access ----
  void WireBScanHandlers();
  void LoadInstructionImage(const TBScan_InstructionRegister& entry, size_t bits);
  void LoadCellImage(size_t bits);

  THost& host_;
  // Storage of the numbered lists and labels that the arrays above point to.
  std::vector<std::unique_ptr<TComboBox>> numberedLists_;
  std::vector<std::unique_ptr<TLabel>> numberedLabels_;
};

// Waits more than `ms` milliseconds, processing window messages meanwhile; with
// n < 0 it returns after one pass of message processing.
void Delay(int32_t ms);
