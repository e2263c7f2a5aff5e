// The preview on a long file, offscreen: the overview read by the core alone; in the window, the
// time to the first complete picture and the longest stall of the event loop while it is read;
// and the time from a threshold change to the repaint with the new cut.
// Usage: tacetix_bench_preview FILE   (bench/preview_bench.sh makes a 1 GB, 3-hour file);
// STALLS=1 lists every gap of the event loop over 15 ms.
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QSlider>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "main/unit_Preview.h"
#include "main/unit_main.h"
#include "preview/WaveOverview.h"

namespace {

// Wall time; cpuSeconds gets the processor time, which a busy machine does not stretch.
double CoreOverviewSeconds(const std::string& path, double& cpuSeconds) {
  tacetix::WaveReader reader;
  tacetix::WaveInfo info{};
  if (reader.Open(path) != 0 || reader.GetInfo(info) != 0) return -1;
  tacetix::WaveOverview overview(0, info.SampleCount / info.Channels, 4096);
  const auto start = std::chrono::steady_clock::now();
  const std::clock_t cpuStart = std::clock();
  overview.Scan(reader, {});
  cpuSeconds = static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The longest gap between two turns of the event loop while until() is false.
qint64 LongestStallMs(const std::function<bool()>& until, qint64& elapsedMs) {
  QElapsedTimer clock, sinceTick;
  clock.start();
  sinceTick.start();
  qint64 longest = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 gap = sinceTick.restart();
    if (std::getenv("STALLS") && gap > 15)
      std::printf("  stall %lld ms at %lld ms\n", (long long)gap, (long long)clock.elapsed());
    longest = std::max(longest, gap);
  });
  tick.start(0);
  while (!until()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  elapsedMs = clock.elapsed();
  return std::max(longest, sinceTick.elapsed());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: tacetix_bench_preview FILE\n");
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  const std::string path = argv[1];
  double cpu = 0;
  const double wall = CoreOverviewSeconds(path, cpu);
  std::printf("overview, core alone: %.3f s (processor %.3f s)\n", wall, cpu);

  TForm1 form;
  form.show();
  form.AddFiles({QString::fromLocal8Bit(argv[1])});
  form.radio_other1->setChecked(true);
  QElapsedTimer opening;
  opening.start();
  form.bt_PreviewClick();
  tacetix::Tfrm_Preview* preview = form.PreviewWindow();
  qint64 pictureMs = 0;
  const qint64 stall = LongestStallMs([&] { return !preview->OverviewBusy(); }, pictureMs);
  std::printf("window: first complete picture %lld ms, longest event-loop stall %lld ms\n",
              static_cast<long long>(opening.elapsed()), static_cast<long long>(stall));

  std::vector<qint64> updates;
  for (int i = 0; i < 7; ++i) {
    const int plans = preview->PlansMade();
    QElapsedTimer update;
    update.start();
    form.track_Threshold1->setValue(600 + 20 * i);
    qint64 ignored = 0;
    LongestStallMs([&] { return preview->PlansMade() > plans; }, ignored);
    preview->repaint();
    updates.push_back(update.elapsed());
  }
  std::sort(updates.begin(), updates.end());
  std::printf("live update after a threshold change: median %lld ms, longest %lld ms\n",
              static_cast<long long>(updates[updates.size() / 2]), static_cast<long long>(updates.back()));
  // Normalising needs the peak of the whole kept range: one pass over the file.
  const int plans = preview->PlansMade();
  QElapsedTimer normalize;
  normalize.start();
  form.cbx_Normalize->setChecked(true);
  qint64 ignored = 0;
  const qint64 normalizeStall = LongestStallMs([&] { return preview->PlansMade() > plans; }, ignored);
  preview->repaint();
  std::printf("live update after ticking Normalize: %lld ms, longest event-loop stall %lld ms\n",
              static_cast<long long>(normalize.elapsed()), static_cast<long long>(normalizeStall));
  return 0;
}
