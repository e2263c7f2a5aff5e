// A batch in the window against the same batch through tacetix-cli -j 0: COUNT one-minute
// 16-bit stereo files (sox, with 2 s of digital silence at both ends), trimmed into a
// subfolder, in alternating runs; prints each wall time and CPU time (user + system: the
// steadier figure on a shared machine), the medians and the window's ratios.
// The window runs offscreen unless QT_QPA_PLATFORM says otherwise.
//   tacetix_bench_window CLI [CORPUS (/tmp/tacetix-window-corpus)]
// Environment: COUNT (200), RUNS (3), LOUDNESS (LUFS: both normalise to it; unset: plain trims).
#include <sys/resource.h>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QStringList>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "main/unit_main.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

int EnvCount(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::max(1, std::atoi(value)) : fallback;
}

// One file made by sox, copied: the copies cost the disk's time only.
std::vector<std::string> MakeCorpus(const fs::path& folder, int count) {
  fs::create_directories(folder);
  const fs::path first = folder / "take000.wav";
  if (!fs::exists(first)) {
    const std::string make = "sox -D -n -b 16 -c 2 -r 44100 '" + first.string() + "' synth 56 sine 440 vol 0.5 pad 2 2";
    if (std::system(make.c_str()) != 0) return {};
  }
  std::vector<std::string> files;
  for (int i = 0; i < count; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "take%03d.wav", i);
    const fs::path file = folder / name;
    if (!fs::exists(file)) fs::copy_file(first, file);
    files.push_back(file.string());
  }
  return files;
}

struct Times {
  double Wall, Cpu;
};

double CpuSeconds(int who) {
  rusage usage{};
  getrusage(who, &usage);
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

Times WindowRun(TForm1& form) {
  const auto start = Clock::now();
  const double cpu = CpuSeconds(RUSAGE_SELF);
  form.bt_ProcessClick();
  return {std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds(RUSAGE_SELF) - cpu};
}

const char* Loudness() { return std::getenv("LOUDNESS"); }

Times CliRun(const std::string& cli, const std::vector<std::string>& files) {
  std::string command = "'" + cli + "' -q -j 0 --overwrite --subfolder cli";
  if (Loudness()) command += std::string(" --loudness ") + Loudness();
  for (const std::string& file : files) command += " '" + file + "'";
  const auto start = Clock::now();
  const double cpu = CpuSeconds(RUSAGE_CHILDREN);
  if (std::system(command.c_str()) != 0) std::cerr << "tacetix-cli failed\n";
  return {std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds(RUSAGE_CHILDREN) - cpu};
}

double Median(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char* argv[]) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  if (argc < 2) {
    std::cerr << "usage: tacetix_bench_window CLI [CORPUS]\n";
    return 2;
  }
  const std::string cli = fs::absolute(argv[1]).string();
  const std::vector<std::string> files =
      MakeCorpus(argc > 2 ? argv[2] : "/tmp/tacetix-window-corpus", EnvCount("COUNT", 200));
  if (files.empty()) return 1;
  TForm1 form;
  form.show();
  QStringList paths;
  for (const std::string& file : files) paths.append(QString::fromStdString(file));
  form.AddFiles(paths);
  form.edit_FolderSubfolder->setText(QStringLiteral("window"));
  form.cbx_Overwrite->setChecked(true);
  if (Loudness()) {
    form.findChild<QCheckBox*>("cbx_Normalize")->setChecked(true);
    form.findChild<QRadioButton*>("radio_NormLoudness")->setChecked(true);
    form.findChild<QDoubleSpinBox*>("spin_Lufs")->setValue(std::atof(Loudness()));
  }
  std::vector<double> window, terminal, windowCpu, terminalCpu;
  for (int run = 0; run < EnvCount("RUNS", 3); ++run) {
    const Times w = WindowRun(form);
    const Times t = CliRun(cli, files);
    window.push_back(w.Wall);
    windowCpu.push_back(w.Cpu);
    terminal.push_back(t.Wall);
    terminalCpu.push_back(t.Cpu);
    std::cout << "run " << run + 1 << ": window " << w.Wall << " s (cpu " << w.Cpu << " s), tacetix-cli -j 0 " << t.Wall
              << " s (cpu " << t.Cpu << " s)  [" << form.StatusText().toStdString() << "]\n";
  }
  std::cout << "median wall: window " << Median(window) << " s, tacetix-cli -j 0 " << Median(terminal)
            << " s, window/cli " << Median(window) / Median(terminal) << "\n";
  std::cout << "median cpu:  window " << Median(windowCpu) << " s, tacetix-cli -j 0 " << Median(terminalCpu)
            << " s, window/cli " << Median(windowCpu) / Median(terminalCpu) << "\n";
  return 0;
}
