// The file list with a big batch: adding 10,000 tiny wave files to a shown window and
// sorting 10,000 rows by a numeric and by a text column. Each should stay below a second.
// Runs headless unless QT_QPA_PLATFORM says otherwise.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QStringList>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <filesystem>
#include <fstream>

#include "main/unit_main.h"

namespace {

constexpr int FileCount = 10000;

void Put(std::ofstream& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// Rates, depths and lengths vary so that every sort has real work to do.
void WriteTinyWave(const std::string& path, int index) {
  const uint32_t rates[] = {8000, 22050, 44100, 48000, 96000};
  const uint16_t bits = (index % 3 == 0) ? 8 : (index % 3 == 1) ? 16 : 24;
  const uint32_t rate = rates[index % 5];
  const uint32_t dataBytes = static_cast<uint32_t>((index % 97 + 1) * (bits / 8));
  std::ofstream out(path, std::ios::binary);
  out.write("RIFF", 4);
  Put(out, 36 + dataBytes + (dataBytes & 1), 4);
  out.write("WAVEfmt ", 8);
  Put(out, 16, 4);
  Put(out, 1, 2);
  Put(out, 1, 2);
  Put(out, rate, 4);
  Put(out, rate * (bits / 8), 4);
  Put(out, bits / 8, 2);
  Put(out, bits, 2);
  out.write("data", 4);
  Put(out, dataBytes, 4);
  for (uint32_t i = 0; i < dataBytes + (dataBytes & 1); ++i) out.put(static_cast<char>(i * 7));
}

const QStringList& TestFiles() {
  static const QStringList files = [] {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tacetix_list_bench";
    std::filesystem::create_directories(folder);
    QStringList paths;
    for (int i = 0; i < FileCount; ++i) {
      const std::filesystem::path path = folder / ("take_" + std::to_string((i * 7919) % FileCount) + ".wav");
      if (!std::filesystem::exists(path)) WriteTinyWave(path.string(), i);
      paths << QString::fromStdString(path.string());
    }
    return paths;
  }();
  return files;
}

void BM_AddFiles(benchmark::State& state) {
  const QStringList& files = TestFiles();
  for (auto _ : state) {
    state.PauseTiming();
    auto form = std::make_unique<TForm1>();
    form->show();
    QCoreApplication::processEvents();
    state.ResumeTiming();
    form->AddFiles(files);
    state.PauseTiming();
    if (form->Files().rowCount() != FileCount) state.SkipWithError("not every file was added");
    form.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_AddFiles)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortColumn(benchmark::State& state) {
  auto form = std::make_unique<TForm1>();
  form->show();
  form->AddFiles(TestFiles());
  const int column = static_cast<int>(state.range(0));
  for (auto _ : state) {
    form->lview_FilesColumnClick(column);
    QCoreApplication::processEvents();  // the view repaints the reordered rows
  }
}
BENCHMARK(BM_SortColumn)->Arg(0)->Arg(1)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(6);

// The text columns through the collator of a real locale (the C locale compares plainly).
void BM_SortColumnCollated(benchmark::State& state) {
  const QLocale previous;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  BM_SortColumn(state);
  QLocale::setDefault(previous);
}
BENCHMARK(BM_SortColumnCollated)->Arg(0)->Arg(4)->Unit(benchmark::kMillisecond)->Iterations(6);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
