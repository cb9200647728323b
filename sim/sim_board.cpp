#include "sim_board.h"

#include <algorithm>
#include <cstring>

#include "bit_buffer.h"
#include "platform/pinloom_error.h"

namespace {

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

TSimBoard::TSimBoard() = default;

// ---- building ---------------------------------------------------------------------

void TSimBoard::AddDevice(TSimDeviceSpec spec) {
  for (const TSimDevice& d : devices_)
    if (Upper(d.Name()) == Upper(spec.Name))
      throw EPinloomError("two chain devices are named " + spec.Name);
  const int32_t base = static_cast<int32_t>(parent_.size());
  portBase_.push_back(base);
  devices_.emplace_back(std::move(spec));
  TSimDevice& d = devices_.back();
  for (uint32_t p = 0; p < d.Spec().Ports.size(); ++p) {
    parent_.push_back(base + static_cast<int32_t>(p));
    pulls_.push_back(static_cast<uint8_t>(TSimPull::None));
    d.SetPortNet(p, base + static_cast<int32_t>(p));
  }
  levels_.assign(parent_.size(), 1);
  drive0_.assign(parent_.size(), 0);
  drive1_.assign(parent_.size(), 0);
  contended_.assign(parent_.size(), 0);
  tdo_.assign(devices_.size(), 1);
  EvaluateNets();
}

int32_t TSimBoard::FindRoot(int32_t n) const {
  while (parent_[static_cast<size_t>(n)] != n) n = parent_[static_cast<size_t>(n)];
  return n;
}

int32_t TSimBoard::NetIndex(const std::string& name) const {
  const std::string u = Upper(name);
  const size_t dot = u.find('.');
  for (size_t i = 0; i < devices_.size(); ++i) {
    const TSimDevice& d = devices_[i];
    std::string port = u;
    if (dot != std::string::npos) {
      if (Upper(d.Name()) != u.substr(0, dot)) continue;
      port = u.substr(dot + 1);
    }
    const int32_t p = d.PortIndex(port);
    if (p >= 0) return FindRoot(portBase_[i] + p);
  }
  return -1;
}

static int32_t RequireNet(const TSimBoard& board, const std::string& name) {
  const int32_t n = board.NetIndex(name);
  if (n < 0) throw EPinloomError("no net named " + name);
  return n;
}

void TSimBoard::SetPull(const std::string& net, TSimPull pull) {
  pulls_[static_cast<size_t>(RequireNet(*this, net))] = static_cast<uint8_t>(pull);
  EvaluateNets();
}

void TSimBoard::AddWire(const std::string& a, const std::string& b) {
  const int32_t ra = RequireNet(*this, a), rb = RequireNet(*this, b);
  if (ra == rb) return;
  const auto pa = static_cast<TSimPull>(pulls_[static_cast<size_t>(ra)]);
  const auto pb = static_cast<TSimPull>(pulls_[static_cast<size_t>(rb)]);
  if (pa != TSimPull::None && pb != TSimPull::None && pa != pb)
    throw EPinloomError("the wire " + a + " - " + b + " joins nets with different pulls");
  parent_[static_cast<size_t>(rb)] = ra;
  if (pa == TSimPull::None) pulls_[static_cast<size_t>(ra)] = static_cast<uint8_t>(pb);
  for (size_t i = 0; i < devices_.size(); ++i)
    for (uint32_t p = 0; p < devices_[i].Spec().Ports.size(); ++p)
      devices_[i].SetPortNet(p, FindRoot(portBase_[i] + static_cast<int32_t>(p)));
  auto remap = [this](int32_t& n) {
    if (n >= 0) n = FindRoot(n);
  };
  remap(spiWiring_.Cs), remap(spiWiring_.Sck), remap(spiWiring_.Mosi), remap(spiWiring_.Miso);
  for (int32_t& n : norWiring_.A) remap(n);
  for (int32_t& n : norWiring_.DQ) remap(n);
  for (int32_t* n : {&norWiring_.Ce, &norWiring_.Oe, &norWiring_.We, &norWiring_.Reset,
                     &norWiring_.Byte, &norWiring_.Wp})
    remap(*n);
  EvaluateNets();
}

void TSimBoard::AttachSpiFlash(std::unique_ptr<TM25PXFlash> flash, const TSpiWiring& wiring) {
  if (wiring.Cs < 0 || wiring.Sck < 0 || wiring.Mosi < 0 || wiring.Miso < 0)
    throw EPinloomError("the SPI flash needs CS, SCK, MOSI and MISO connected");
  spi_ = std::move(flash);
  spiWiring_ = wiring;
  EvaluateNets();
}

void TSimBoard::AttachNorFlash(std::unique_ptr<TS29GLFlash> flash, const TNorWiring& wiring) {
  if (wiring.Ce < 0 || wiring.Oe < 0 || wiring.We < 0)
    throw EPinloomError("the NOR flash needs CE, OE and WE connected");
  nor_ = std::move(flash);
  norWiring_ = wiring;
  EvaluateNets();
}

// ---- nets -------------------------------------------------------------------------

bool TSimBoard::FeedFlashes() {
  bool changed = false;
  if (spi_) {
    const bool driven = spi_->QDriven(), q = spi_->Q();
    spi_->SetPins(levels_[static_cast<size_t>(spiWiring_.Cs)] != 0,
                  levels_[static_cast<size_t>(spiWiring_.Sck)] != 0,
                  levels_[static_cast<size_t>(spiWiring_.Mosi)] != 0, nowPs_);
    changed |= driven != spi_->QDriven() || q != spi_->Q();
  }
  if (nor_) {
    auto level = [this](int32_t net, bool unconnected) {
      return net < 0 ? unconnected : levels_[static_cast<size_t>(net)] != 0;
    };
    TNorPins p;
    for (int i = 0; i < TNorWiring::kAddressLines; ++i)
      if (level(norWiring_.A[static_cast<size_t>(i)], false)) p.Address |= 1u << i;
    for (int i = 0; i < 16; ++i)
      if (level(norWiring_.DQ[static_cast<size_t>(i)], false))
        p.Data = static_cast<uint16_t>(p.Data | (1u << i));
    p.CeN = level(norWiring_.Ce, true);
    p.OeN = level(norWiring_.Oe, true);
    p.WeN = level(norWiring_.We, true);
    p.ResetN = level(norWiring_.Reset, true);
    p.ByteN = level(norWiring_.Byte, true);
    p.WpN = level(norWiring_.Wp, true);
    const uint16_t mask = nor_->DriveMask(), value = nor_->DriveValue();
    nor_->SetPins(p, nowPs_);
    changed |= mask != nor_->DriveMask() || ((value ^ nor_->DriveValue()) & mask) != 0;
  }
  return changed;
}

void TSimBoard::EvaluateNets() {
  // Flash outputs depend on the nets and drive nets: settle in a few rounds (one or
  // two in practice).
  const size_t n = levels_.size();
  for (int round = 0; round < 4; ++round) {
    std::fill(drive0_.begin(), drive0_.end(), 0);
    std::fill(drive1_.begin(), drive1_.end(), 0);
    auto drive = [this](int32_t net, bool level) {
      if (net < 0) return;
      ++(level ? drive1_ : drive0_)[static_cast<size_t>(net)];
    };
    for (const TSimDevice& d : devices_) d.ForEachDrivenPin(drive);
    if (spi_ && spi_->QDriven()) drive(spiWiring_.Miso, spi_->Q());
    if (nor_ && nor_->DriveMask() != 0) {
      for (int i = 0; i < 16; ++i)
        if ((nor_->DriveMask() >> i) & 1)
          drive(norWiring_.DQ[static_cast<size_t>(i)], (nor_->DriveValue() >> i) & 1);
    }
    for (size_t i = 0; i < n; ++i) {
      if (parent_[i] != static_cast<int32_t>(i)) continue;
      const bool d0 = drive0_[i] != 0, d1 = drive1_[i] != 0;
      if (d0 && d1) {
        levels_[i] = 1;
      } else if (d0 || d1) {
        levels_[i] = d1 ? 1 : 0;
      } else {
        levels_[i] = static_cast<TSimPull>(pulls_[i]) == TSimPull::Down ? 0 : 1;
      }
    }
    if (!FeedFlashes()) break;
  }
  for (size_t i = 0; i < n; ++i) {
    const uint8_t now = drive0_[i] != 0 && drive1_[i] != 0;
    if (now && !contended_[i]) ++contentionCount_;
    contended_[i] = now;
  }
}

bool TSimBoard::NetLevel(const std::string& name) const {
  return levels_[static_cast<size_t>(RequireNet(*this, name))] != 0;
}

std::string TSimBoard::NetName(int32_t net) const {
  std::string names;
  for (size_t i = 0; i < devices_.size(); ++i)
    for (uint32_t p = 0; p < devices_[i].Spec().Ports.size(); ++p)
      if (FindRoot(portBase_[i] + static_cast<int32_t>(p)) == net) {
        if (!names.empty()) names += "=";
        names += devices_[i].Name() + "." + devices_[i].Spec().Ports[p];
      }
  return names;
}

std::vector<std::string> TSimBoard::ContendedNets() const {
  std::vector<std::string> r;
  for (size_t i = 0; i < contended_.size(); ++i)
    if (contended_[i]) r.push_back(NetName(static_cast<int32_t>(i)));
  return r;
}

// ---- TAP, pin level ---------------------------------------------------------------

void TSimBoard::SetClockHz(uint32_t hz) {
  if (hz == 0) return;
  clockHz_ = hz;
  periodPs_ = 1'000'000'000'000ull / hz;
}

void TSimBoard::SetTrst(bool asserted) {
  trst_ = asserted;
  if (asserted && state_ != TTapState::TestLogicReset) {
    state_ = TTapState::TestLogicReset;
    EnterTestLogicReset();
  }
}

void TSimBoard::SetPins(bool tck, bool tms, bool tdi) {
  tms_ = tms;
  tdi_ = tdi;
  if (tck == tck_) return;
  tck_ = tck;
  if (tck) {
    Rising();
  } else {
    Falling();
  }
}

void TSimBoard::Rising() {
  nowPs_ += periodPs_;
  if (trst_) return;
  const TTapState s = state_;
  if (s == TTapState::CaptureDR || s == TTapState::CaptureIR) {
    CaptureAll(s == TTapState::CaptureIR);
  } else if (s == TTapState::ShiftDR || s == TTapState::ShiftIR) {
    const bool ir = s == TTapState::ShiftIR;
    for (size_t d = 0; d < devices_.size(); ++d)
      devices_[d].ShiftBit(ir, d == 0 ? tdi_ : tdo_[d - 1] != 0);
  }
  state_ = NextTapState(s, tms_);
  if (state_ == TTapState::UpdateDR || state_ == TTapState::UpdateIR) {
    UpdateAll(state_ == TTapState::UpdateIR);
  } else if (state_ == TTapState::TestLogicReset && s != TTapState::TestLogicReset) {
    EnterTestLogicReset();
  }
}

void TSimBoard::Falling() {
  const bool shifting = state_ == TTapState::ShiftDR || state_ == TTapState::ShiftIR;
  const bool ir = state_ == TTapState::ShiftIR;
  for (size_t d = 0; d < devices_.size(); ++d)
    tdo_[d] = shifting ? (devices_[d].ShiftBuffer(ir)[0] & 1) : 1;  // released: reads 1
}

void TSimBoard::CaptureAll(bool instruction) {
  if (instruction) {
    for (TSimDevice& d : devices_) d.CaptureIR();
    return;
  }
  // A running flash operation changes the flash's outputs with time alone.
  if (nor_ && nor_->TimeDependent()) EvaluateNets();
  for (TSimDevice& d : devices_) d.CaptureDR(levels_.data());
}

void TSimBoard::UpdateAll(bool instruction) {
  bool pins = false;
  for (TSimDevice& d : devices_) pins |= instruction ? d.UpdateIR() : d.UpdateDR();
  if (pins) EvaluateNets();
}

void TSimBoard::EnterTestLogicReset() {
  bool pins = false;
  for (TSimDevice& d : devices_) {
    pins |= d.DrivesPins();
    d.Reset();
  }
  if (pins) EvaluateNets();
}

bool TSimBoard::ClockTms(bool tms, bool tdi) {
  SetPins(false, tms, tdi);
  const bool out = Tdo();
  SetPins(true, tms, tdi);
  return out;
}

// ---- scan level -------------------------------------------------------------------

void TSimBoard::SlowScan(bool instruction, const uint8_t* tdi, uint8_t* tdo, uint32_t bits) {
  ClockTms(true, false);
  if (instruction) ClockTms(true, false);
  ClockTms(false, false);
  if (bits == 0) {
    ClockTms(true, false);
  } else {
    ClockTms(false, false);
    for (uint32_t k = 0; k < bits; ++k) {
      const bool out = ClockTms(k + 1 == bits, tdi ? sim::GetBit(tdi, k) : false);
      if (tdo) sim::SetBit(tdo, k, out);
    }
  }
  ClockTms(true, false);
  ClockTms(false, false);
  SetPins(false, false, false);
}

void TSimBoard::ScanFromIdle(bool instruction, const uint8_t* tdi, uint8_t* tdo, uint32_t bits) {
  if (state_ != TTapState::RunTestIdle || tck_ || trst_ || devices_.empty()) {
    SlowScan(instruction, tdi, tdo, bits);
    return;
  }
  // The same cycles as the TMS walk: capture on the third (fourth for IR) rising edge,
  // `bits` shifts, update on the next edge, one more edge back to Run-Test/Idle.
  nowPs_ += (instruction ? 4 : 3) * periodPs_;
  CaptureAll(instruction);

  // The chain is one shift register: from the TDO end, the last device's register
  // first, then the others, then the TDI bits. After `bits` shifts TDO has carried
  // the first `bits` of that string and the registers hold the next ones.
  size_t total = 0;
  for (const TSimDevice& d : devices_) total += d.ShiftLength(instruction);
  const size_t need = sim::BytesForBits(total + bits);
  if (chain_.size() < need) chain_.resize(need);
  size_t off = 0;
  for (size_t i = devices_.size(); i-- > 0;) {
    const uint32_t len = devices_[i].ShiftLength(instruction);
    sim::CopyBits(chain_.data(), off, devices_[i].ShiftBuffer(instruction), 0, len);
    off += len;
  }
  if (tdi) {
    sim::CopyBits(chain_.data(), total, tdi, 0, bits);
  } else {
    for (size_t k = 0; k < bits; ++k) sim::SetBit(chain_.data(), total + k, false);
  }
  if (tdo) sim::CopyBits(tdo, 0, chain_.data(), 0, bits);
  off = bits;
  for (size_t i = devices_.size(); i-- > 0;) {
    const uint32_t len = devices_[i].ShiftLength(instruction);
    sim::CopyBits(devices_[i].ShiftBuffer(instruction), 0, chain_.data(), off, len);
    off += len;
  }

  nowPs_ += (static_cast<uint64_t>(bits) + 1) * periodPs_;
  state_ = instruction ? TTapState::UpdateIR : TTapState::UpdateDR;
  UpdateAll(instruction);
  nowPs_ += periodPs_;
  state_ = TTapState::RunTestIdle;
  std::fill(tdo_.begin(), tdo_.end(), 1);
  tms_ = tdi_ = false;
}

void TSimBoard::ResetToIdle() {
  for (int i = 0; i < 5; ++i) ClockTms(true, false);
  ClockTms(false, false);
  SetPins(false, false, false);
}

void TSimBoard::Idle(uint32_t cycles) {
  if (state_ == TTapState::RunTestIdle && !tck_ && !trst_) {
    nowPs_ += static_cast<uint64_t>(cycles) * periodPs_;
    tms_ = tdi_ = false;
    return;
  }
  for (uint32_t i = 0; i < cycles; ++i) ClockTms(false, false);
  SetPins(false, false, false);
}

// ---- flash files ------------------------------------------------------------------

void TSimBoard::DumpSpiFlash(const std::string& path) const {
  if (!spi_) throw EPinloomError("the board has no SPI flash");
  spi_->DumpFile(path);
}

void TSimBoard::DumpNorFlash(const std::string& path) const {
  if (!nor_) throw EPinloomError("the board has no NOR flash");
  nor_->DumpFile(path);
}
