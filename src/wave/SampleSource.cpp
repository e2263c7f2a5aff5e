// Decoded reads for the sources that hand out their samples as WAVE bytes.
#include "wave/SampleSource.h"

#include <algorithm>
#include <memory>

namespace tacetix {

int SampleSource::DecodeThrough(double* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest) return 1;
  const SampleCoding coding = Coding();
  const DecodeFn decode = DecoderFor(coding);
  if (!decode) return 1;
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(coding.BytesPerSample) * TransferBlock]);
  while (delivered < requested) {
    int32_t n = 0;
    const int r = ReadSampleBytes(buffer.get(), std::min(requested - delivered, TransferBlock), n);
    if (r == 2 && delivered > 0) break;
    if (r != 0) return r;
    decode(buffer.get(), dest + delivered, n, coding.Bits);
    delivered += n;
  }
  return 0;
}

}  // namespace tacetix
