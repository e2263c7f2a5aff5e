// Samples per second of every decoder and encoder over one transfer block, beside a memcpy
// of the bytes each one produces, so a codec's cost reads as a multiple of moving its output.
// The integer encoders are also timed with each instruction set's kernels forced, and over
// one piece (the size the block passes encode at a time, which stays in the first-level cache).
#include <benchmark/benchmark.h>

#include <cstring>
#include <random>
#include <vector>

#include "wave/CodecKernels.h"
#include "wave/SampleBlock.h"
#include "wave/SampleCodecs.h"
#include "wave/WaveFormat.h"

using namespace tacetix;

namespace {

using IntDecoder = void (*)(const uint8_t*, double*, int32_t, int32_t);
using FloatDecoder = void (*)(const uint8_t*, double*, int32_t);
using IntEncoder = void (*)(uint8_t*, const double*, int32_t, int32_t);
using FloatEncoder = void (*)(uint8_t*, const double*, int32_t);

constexpr int32_t Block = TransferBlock;

// Float containers get bytes of valid floats, so no NaN or denormal path skews the timing.
std::vector<uint8_t> SourceBytes(int32_t bytesPerSample, bool isFloat) {
  std::vector<uint8_t> bytes(static_cast<size_t>(Block) * bytesPerSample);
  std::mt19937 random(1);
  if (!isFloat) {
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(random());
    return bytes;
  }
  std::vector<double> values(Block);
  for (double& v : values) v = std::uniform_real_distribution<double>(-1.0, 1.0)(random);
  if (bytesPerSample == 4) EncodeFloat32(bytes.data(), values.data(), Block);
  else EncodeFloat64(bytes.data(), values.data(), Block);
  return bytes;
}

std::vector<double> SourceValues() {
  std::vector<double> values(Block);
  std::mt19937 random(2);
  for (double& v : values) v = std::uniform_real_distribution<double>(-1.0, 1.0)(random);
  return values;
}

template <typename Run>
void Loop(benchmark::State& state, Run run) {
  for (auto _ : state) {
    run();
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * Block);
}

void Decode(benchmark::State& state, IntDecoder decode, int32_t bytesPerSample, int32_t bits) {
  const std::vector<uint8_t> bytes = SourceBytes(bytesPerSample, false);
  std::vector<double> values(Block);
  Loop(state, [&] { decode(bytes.data(), values.data(), Block, bits); });
}

void DecodeFloat(benchmark::State& state, FloatDecoder decode, int32_t bytesPerSample) {
  const std::vector<uint8_t> bytes = SourceBytes(bytesPerSample, true);
  std::vector<double> values(Block);
  Loop(state, [&] { decode(bytes.data(), values.data(), Block); });
}

void Encode(benchmark::State& state, IntEncoder encode, int32_t bytesPerSample, int32_t bits) {
  const std::vector<double> values = SourceValues();
  std::vector<uint8_t> bytes(static_cast<size_t>(Block) * bytesPerSample);
  Loop(state, [&] { encode(bytes.data(), values.data(), Block, bits); });
}

void EncodeFloat(benchmark::State& state, FloatEncoder encode, int32_t bytesPerSample) {
  const std::vector<double> values = SourceValues();
  std::vector<uint8_t> bytes(static_cast<size_t>(Block) * bytesPerSample);
  Loop(state, [&] { encode(bytes.data(), values.data(), Block); });
}

// The integer encoders with one level's kernels, over count samples.
void EncodeAt(benchmark::State& state, int32_t bytesPerSample, SimdLevel level, int32_t count) {
  if (level > DetectedSimdLevel()) {
    state.SkipWithError("this processor lacks the instruction set");
    return;
  }
  const std::vector<double> values = SourceValues();
  std::vector<uint8_t> bytes(static_cast<size_t>(count) * bytesPerSample);
  const CodecKernels& kernels = KernelsFor(level);
  for (auto _ : state) {
    EncodeIntWith(kernels, bytesPerSample, bytes.data(), values.data(), count, 8 * bytesPerSample);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * count);
}

// Items are samples here too: the bytes that Block samples occupy in the codec's output.
void Memcpy(benchmark::State& state, int32_t bytesPerSample) {
  const size_t size = static_cast<size_t>(Block) * bytesPerSample;
  std::vector<uint8_t> from(size, 1), to(size);
  Loop(state, [&] { std::memcpy(to.data(), from.data(), size); });
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(size));
}

}  // namespace

BENCHMARK_CAPTURE(Decode, UInt8, DecodeUInt8, 1, 8);
BENCHMARK_CAPTURE(Decode, Int16, DecodeInt16, 2, 16);
BENCHMARK_CAPTURE(Decode, Int24, DecodeInt24, 3, 24);
BENCHMARK_CAPTURE(Decode, Int32, DecodeInt32, 4, 32);
BENCHMARK_CAPTURE(DecodeFloat, Float32, DecodeFloat32, 4);
BENCHMARK_CAPTURE(DecodeFloat, Float64, DecodeFloat64, 8);
BENCHMARK_CAPTURE(Memcpy, DecoderOutput8, 8);

BENCHMARK_CAPTURE(Encode, UInt8, EncodeUInt8, 1, 8);
BENCHMARK_CAPTURE(Encode, Int16, EncodeInt16, 2, 16);
BENCHMARK_CAPTURE(Encode, Int24, EncodeInt24, 3, 24);
BENCHMARK_CAPTURE(Encode, Int32, EncodeInt32, 4, 32);
BENCHMARK_CAPTURE(EncodeFloat, Float32, EncodeFloat32, 4);
BENCHMARK_CAPTURE(EncodeFloat, Float64, EncodeFloat64, 8);
BENCHMARK_CAPTURE(Memcpy, EncoderOutput1, 1);
BENCHMARK_CAPTURE(Memcpy, EncoderOutput2, 2);
BENCHMARK_CAPTURE(Memcpy, EncoderOutput3, 3);
BENCHMARK_CAPTURE(Memcpy, EncoderOutput4, 4);

BENCHMARK_CAPTURE(EncodeAt, Int16_Scalar, 2, SimdLevel::Scalar, Block);
BENCHMARK_CAPTURE(EncodeAt, Int16_SSE2, 2, SimdLevel::SSE2, Block);
BENCHMARK_CAPTURE(EncodeAt, Int16_AVX2, 2, SimdLevel::AVX2, Block);
BENCHMARK_CAPTURE(EncodeAt, Int24_SSE2, 3, SimdLevel::SSE2, Block);
BENCHMARK_CAPTURE(EncodeAt, Int24_AVX2, 3, SimdLevel::AVX2, Block);
BENCHMARK_CAPTURE(EncodeAt, UInt8_Piece, 1, DetectedSimdLevel(), PieceSamples);
BENCHMARK_CAPTURE(EncodeAt, Int16_Piece, 2, DetectedSimdLevel(), PieceSamples);
BENCHMARK_CAPTURE(EncodeAt, Int24_Piece, 3, DetectedSimdLevel(), PieceSamples);
BENCHMARK_CAPTURE(EncodeAt, Int32_Piece, 4, DetectedSimdLevel(), PieceSamples);

BENCHMARK_MAIN();
