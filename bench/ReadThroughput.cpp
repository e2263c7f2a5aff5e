// Reads a whole WAV file through PCMFile in 262144-sample calls, as the batch run scans a
// file, and prints the time it took; read_throughput.sh sets it beside cat.
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/WaveClass.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FILE.wav\n", argv[0]);
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  tacetix::PCMFile file;
  tacetix::WaveInfo info{};
  if (file.OpenInput(argv[1], false) != 0 || file.GetInfo(info) != 0 || file.SeekSample(0) != 0) {
    std::fprintf(stderr, "cannot read %s\n", argv[1]);
    return 1;
  }
  constexpr int32_t Call = 262144;
  std::vector<double> samples(Call);
  int64_t total = 0;
  double sum = 0.0;  // used, so the decoding cannot be skipped
  int32_t delivered = 0;
  int r = 0;
  while ((r = file.ReadSamples(samples.data(), Call, delivered)) == 0) {
    total += delivered;
    sum += samples[0];
  }
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  if (r != 2 || total != info.SampleCount) {
    std::fprintf(stderr, "read failed after %lld samples (status %d)\n", static_cast<long long>(total), r);
    return 1;
  }
  std::printf("%lld samples in %.3f s (%.1f Msamples/s; check %g)\n", static_cast<long long>(total), seconds,
              total / seconds / 1e6, sum);
  return 0;
}
