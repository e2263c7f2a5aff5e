// The passes of one block of the batch run, fused (decoded, scaled and encoded a piece at a
// time, in place in the block, or looked up in a table for 16-bit inputs) against the
// unfused way (the whole block decoded into doubles, scaled, then encoded into a second
// buffer). Every iteration first copies the block's bytes in, as the read from the page
// cache does.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "run/ProcessFile.h"
#include "wave/SampleBlock.h"
#include "wave/SampleCodecs.h"
#include "wave/WaveFormat.h"

using namespace tacetix;

namespace {

constexpr int32_t Samples = BlockValues;
constexpr long double Gain = 0.987654321L;

SampleCoding IntCoding(int32_t bytesPerSample) { return {bytesPerSample, 8 * bytesPerSample, false}; }

// Sound-like samples: stereo sines at -8 dBFS with a little noise.
std::vector<uint8_t> RawBlock(int32_t bytesPerSample) {
  std::vector<double> values(Samples);
  std::mt19937 random(3);
  std::uniform_real_distribution<double> noise(-0.01, 0.01);
  for (int32_t i = 0; i < Samples; ++i) values[i] = 0.4 * std::sin(i / 2 * (i % 2 ? 0.031 : 0.057)) + noise(random);
  std::vector<uint8_t> bytes(static_cast<size_t>(Samples) * bytesPerSample);
  EncoderFor(IntCoding(bytesPerSample))(bytes.data(), values.data(), Samples, 8 * bytesPerSample);
  return bytes;
}

// fileSamples: the samples of the whole write, which decides whether the recoder makes a table.
void Fused(benchmark::State& state, int32_t inBytes, int32_t outBytes, bool withGain, int64_t fileSamples) {
  const std::vector<uint8_t> source = RawBlock(inBytes);
  std::vector<double> block(Samples);  // the run's buffer
  auto* bytes = reinterpret_cast<uint8_t*>(block.data());
  const long double gain = Gain;
  const BlockRecoder recoder(IntCoding(inBytes), IntCoding(outBytes), withGain ? &gain : nullptr, fileSamples);
  for (auto _ : state) {
    std::memcpy(bytes, source.data(), source.size());
    recoder.Recode(bytes, Samples);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}

void Unfused(benchmark::State& state, int32_t inBytes, int32_t outBytes, bool withGain) {
  const std::vector<uint8_t> source = RawBlock(inBytes);
  std::vector<uint8_t> raw(source.size()), out(static_cast<size_t>(TransferBlock) * outBytes);
  std::vector<double> block(Samples);
  const DecodeFn decode = DecoderFor(IntCoding(inBytes));
  const EncodeFn encode = EncoderFor(IntCoding(outBytes));
  for (auto _ : state) {
    std::memcpy(raw.data(), source.data(), source.size());
    decode(raw.data(), block.data(), Samples, 8 * inBytes);
    if (withGain)
      for (double& v : block) v = static_cast<double>(Gain * v);
    for (int32_t done = 0; done < Samples; done += TransferBlock)
      encode(out.data(), block.data() + done, TransferBlock, 8 * outBytes);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}

void PeakRaw(benchmark::State& state, int32_t bytesPerSample) {
  const std::vector<uint8_t> source = RawBlock(bytesPerSample);
  for (auto _ : state) {
    double peak = 0.0, magnitude = 0.0;
    UpdatePeak(source.data(), Samples, IntCoding(bytesPerSample), peak, magnitude);
    benchmark::DoNotOptimize(peak);
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}

void PeakDecoded(benchmark::State& state, int32_t bytesPerSample) {
  const std::vector<uint8_t> source = RawBlock(bytesPerSample);
  std::vector<double> block(Samples);
  const DecodeFn decode = DecoderFor(IntCoding(bytesPerSample));
  for (auto _ : state) {
    decode(source.data(), block.data(), Samples, 8 * bytesPerSample);
    double peak = 0.0, magnitude = 0.0;
    for (double v : block) {
      if (std::fabs(v) > magnitude) {
        peak = v;
        magnitude = std::fabs(v);
      }
    }
    benchmark::DoNotOptimize(peak);
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}

void CopyOnly(benchmark::State& state, int32_t bytesPerSample) {
  const std::vector<uint8_t> source = RawBlock(bytesPerSample);
  std::vector<uint8_t> to(source.size());
  for (auto _ : state) {
    std::memcpy(to.data(), source.data(), source.size());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Samples);
}

}  // namespace

BENCHMARK_CAPTURE(CopyOnly, Int16, 2);
BENCHMARK_CAPTURE(CopyOnly, Int24, 3);
constexpr int64_t OneBlock = Samples, TenMinutes = 52920000;
BENCHMARK_CAPTURE(Fused, Int16ToInt24Gain_Pieces, 2, 3, true, OneBlock);
BENCHMARK_CAPTURE(Fused, Int16ToInt24Gain_Table, 2, 3, true, TenMinutes);
BENCHMARK_CAPTURE(Unfused, Int16ToInt24Gain, 2, 3, true);
BENCHMARK_CAPTURE(Fused, Int24ToInt16, 3, 2, false, TenMinutes);
BENCHMARK_CAPTURE(Unfused, Int24ToInt16, 3, 2, false);
BENCHMARK_CAPTURE(Fused, Int16Gain_Pieces, 2, 2, true, OneBlock);
BENCHMARK_CAPTURE(Fused, Int16Gain_Table, 2, 2, true, TenMinutes);
BENCHMARK_CAPTURE(Unfused, Int16Gain, 2, 2, true);
BENCHMARK_CAPTURE(Fused, Int16Same, 2, 2, false, TenMinutes);
BENCHMARK_CAPTURE(Unfused, Int16Same, 2, 2, false);
BENCHMARK_CAPTURE(PeakRaw, Int16, 2);
BENCHMARK_CAPTURE(PeakDecoded, Int16, 2);
BENCHMARK_CAPTURE(PeakRaw, Int24, 3);
BENCHMARK_CAPTURE(PeakDecoded, Int24, 3);

BENCHMARK_MAIN();
