// Which kernels run: the processor is asked once what it has, and every later call takes
// the table of that level.
#include <array>
#include <cstddef>

#include "wave/CodecKernels.h"

namespace tacetix {
namespace {

SimdLevel AskProcessor() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return SimdLevel::AVX2;
  if (__builtin_cpu_supports("ssse3")) return SimdLevel::SSSE3;
  if (__builtin_cpu_supports("sse2")) return SimdLevel::SSE2;
#endif
  return SimdLevel::Scalar;
}

std::array<CodecKernels, 4> BuildTables() {
  std::array<CodecKernels, 4> tables{};
  for (size_t i = 0; i < tables.size(); ++i) {
    AddEncodeKernels(static_cast<SimdLevel>(i), tables[i]);
    AddScanKernels(static_cast<SimdLevel>(i), tables[i]);
  }
  return tables;
}

}  // namespace

SimdLevel DetectedSimdLevel() {
  static const SimdLevel level = AskProcessor();
  return level;
}

const CodecKernels& KernelsFor(SimdLevel level) {
  static const std::array<CodecKernels, 4> tables = BuildTables();
  return tables[static_cast<size_t>(level)];
}

const CodecKernels& ActiveKernels() {
  static const CodecKernels& active = KernelsFor(DetectedSimdLevel());
  return active;
}

}  // namespace tacetix
