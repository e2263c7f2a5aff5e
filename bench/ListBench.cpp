// The file list with a big batch: adding 10,000 tiny wave files to a shown window,
// sorting 10,000 rows by a numeric and by a text column, deleting selected rows while
// the list is on screen, and reversing a scattered selection. Adding and sorting should
// stay below a second, deleting 2,000 rows well below two, 10,000 within a few.
// Runs headless unless QT_QPA_PLATFORM says otherwise.
#include <benchmark/benchmark.h>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QItemSelectionModel>
#include <QLocale>
#include <QStringList>
#include <QTreeView>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <vector>

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

// A shown window on the page "Input" with rows rows; no file is read.
std::unique_ptr<TForm1> WindowWithRows(int rows) {
  auto form = std::make_unique<TForm1>();
  form->show();
  std::vector<tacetix::FileRow> fill(static_cast<size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    fill[static_cast<size_t>(i)].Path = QStringLiteral("/music/session/take_%1.wav").arg(i, 5, 10, QLatin1Char('0'));
    fill[static_cast<size_t>(i)].Length = QStringLiteral("00:00:01.000");
  }
  form->Files().AppendRows(std::move(fill));
  QCoreApplication::processEvents();
  return form;
}

// Every row when every is 1, every other row when it is 2, as one selection of ranges.
void SelectEvery(TForm1& form, int every) {
  QItemSelection selection;
  const int lastColumn = tacetix::FileListModel::ColumnCount - 1;
  for (int row = 0; row < form.Files().rowCount(); row += every) {
    const int last = every == 1 ? form.Files().rowCount() - 1 : row;
    selection.select(form.Files().index(row, 0), form.Files().index(last, lastColumn));
    if (every == 1) break;
  }
  form.lview_Files->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  QCoreApplication::processEvents();
}

// Args: rows in the list, then 1 to delete them all or 2 to delete every other row.
void BM_DeleteVisible(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  const int every = static_cast<int>(state.range(1));
  for (auto _ : state) {
    state.PauseTiming();
    auto form = WindowWithRows(rows);
    SelectEvery(*form, every);
    state.ResumeTiming();
    form->bt_DeleteClick();
    QCoreApplication::processEvents();  // the last repaint of the shrunken list
    state.PauseTiming();
    if (form->Files().rowCount() != rows - (rows + every - 1) / every) state.SkipWithError("rows left over");
    form.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DeleteVisible)
    ->Args({2000, 1})
    ->Args({10000, 1})
    ->Args({10000, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

// "Rev" with 5,000 scattered rows of 10,000 selected.
void BM_ReverseScattered(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    auto form = WindowWithRows(10000);
    SelectEvery(*form, 2);
    state.ResumeTiming();
    form->bt_ReverseClick();
    QCoreApplication::processEvents();
    state.PauseTiming();
    if (form->SelectedCount() != 5000) state.SkipWithError("selection not reversed");
    form.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_ReverseScattered)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
