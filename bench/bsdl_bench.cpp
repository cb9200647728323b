// The BSDL parser against its floor: reading the file and splitting it into lines.
// Each benchmark reports the parse's MB/s (read included), the floor's MB/s and
// "x_floor", the parse's time over the floor's, both measured alternately in CPU time.

#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "bsdl/bsdl_parser.h"
#include "support/bsdl_corpus.h"

namespace {

namespace fs = std::filesystem;
// CPU time of this thread: the machine may be busy with other work.
double ThreadSeconds() {
  timespec t{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  in.seekg(0, std::ios::end);
  std::string content(static_cast<size_t>(in.tellg()), '\0');
  in.seekg(0, std::ios::beg);
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  return content;
}

// The floor: read, then split at CR, LF or CR LF into views.
size_t ReadAndSplit(const fs::path& path) {
  const std::string text = ReadFile(path);
  std::vector<std::string_view> lines;
  const std::string_view all = text;
  size_t start = 0;
  while (start < all.size()) {
    size_t end = start;
    while (end < all.size() && all[end] != '\r' && all[end] != '\n') ++end;
    lines.push_back(all.substr(start, end - start));
    if (end < all.size() && all[end] == '\r') ++end;
    if (end < all.size() && all[end] == '\n') ++end;
    start = end;
  }
  benchmark::DoNotOptimize(lines.data());
  return lines.size();
}

size_t ReadAndParse(const fs::path& path) {
  const std::string text = ReadFile(path);
  std::vector<TBScan_Cell> cells;
  std::vector<TBScan_InstructionRegister> instructions;
  int32_t irLength = 0;
  ParseBSDLText(
      text, cells, instructions, irLength, [](const std::string&, uint32_t) {}, [] {});
  benchmark::DoNotOptimize(cells.data());
  return cells.size();
}

double SecondsPerCall(size_t (*work)(const fs::path&), const fs::path& path, int calls) {
  const double start = ThreadSeconds();
  for (int i = 0; i < calls; ++i) benchmark::DoNotOptimize(work(path));
  return (ThreadSeconds() - start) / calls;
}

fs::path LargestCorpusFile() {
  const fs::path corpus = BsdlCorpusDir();
  fs::path largest;
  if (corpus.empty()) return largest;
  for (const fs::directory_entry& e : fs::directory_iterator(corpus)) {
    if (e.path().extension() == ".bsd" &&
        (largest.empty() || e.file_size() > fs::file_size(largest))) {
      largest = e.path();
    }
  }
  return largest;
}

// A device of `cells` boundary-scan cells: pins with an input, an output and a control
// cell each, written the way vendor files are.
fs::path GeneratedFile(int cells) {
  const fs::path path =
      fs::temp_directory_path() / ("pinloom_bench_" + std::to_string(cells) + "_cells.bsd");
  std::ofstream out(path, std::ios::binary);
  out << "entity BENCH_CHIP is\n"
         "  generic (PHYSICAL_PIN_MAP : string := \"PKG\");\n"
         "  attribute TAP_SCAN_IN    of TDI : signal is true;\n"
         "  attribute TAP_SCAN_CLOCK of TCK : signal is (5.0e6, BOTH);\n"
         "  attribute INSTRUCTION_LENGTH of BENCH_CHIP : entity is 6;\n"
         "  attribute INSTRUCTION_OPCODE of BENCH_CHIP : entity is\n"
         "    \"EXTEST (000000),\" &\n"
         "    \"SAMPLE (000001),\" &\n"
         "    \"BYPASS (111111)\";\n"
         "  attribute BOUNDARY_LENGTH of BENCH_CHIP : entity is "
      << cells
      << ";\n"
         "  attribute BOUNDARY_REGISTER of BENCH_CHIP : entity is\n"
         "  --     num   cell   port       function  safe [ccell disval rslt]\n";
  for (int k = 0; k < cells; ++k) {
    const int pin = k / 3;
    out << "    \"" << k << " (BC_1, ";
    switch (k % 3) {
      case 0:
        out << "IO_" << pin << ", INPUT, X)";
        break;
      case 1:
        out << "IO_" << pin << ", OUTPUT3, X, " << k + 1 << ", 1, Z)";
        break;
      default:
        out << "*, CONTROL, 1)";
        break;
    }
    out << (k + 1 < cells ? ",\" &\n" : "\";\n");
  }
  out << "end BENCH_CHIP;\n";
  return path;
}

void BenchParse(benchmark::State& state, const fs::path& path) {
  if (path.empty()) {
    state.SkipWithError("no BSDL corpus beside the source tree");
    return;
  }
  double floor = 0;
  double parse = 0;
  for (auto _ : state) {
    // Floor and parse alternate, so that both see the same machine.
    state.PauseTiming();
    floor += SecondsPerCall(ReadAndSplit, path, 1);
    state.ResumeTiming();
    parse += SecondsPerCall(ReadAndParse, path, 1);
  }
  const auto bytes = static_cast<int64_t>(fs::file_size(path));
  state.SetBytesProcessed(state.iterations() * bytes);
  state.counters["floor_MB/s"] =
      static_cast<double>(bytes) * static_cast<double>(state.iterations()) / floor / 1e6;
  state.counters["x_floor"] = parse / floor;
  state.SetLabel(path.filename().string());
}

void BM_BSDLParseLargestCorpusFile(benchmark::State& state) {
  BenchParse(state, LargestCorpusFile());
}

const fs::path& Generated20000() {
  static const fs::path path = GeneratedFile(20000);
  return path;
}

void BM_BSDLParse20000Cells(benchmark::State& state) {
  BenchParse(state, Generated20000());
}

}  // namespace

BENCHMARK(BM_BSDLParseLargestCorpusFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BSDLParse20000Cells)->Unit(benchmark::kMicrosecond);
