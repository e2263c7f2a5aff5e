// AIFF outputs: FORM AIFF with COMM and SSND, or FORM AIFC with FVER and fl32/fl64 for floats;
// the sizes made final at the finish.
#include <algorithm>
#include <cmath>
#include <vector>

#include "wave/ByteOrder.h"
#include "wave/EncodedOutput.h"

namespace tacetix {

std::unique_ptr<EncodedOutput> MakeFlacOutput(int32_t level, std::shared_ptr<const FlacBlocks> blocks);

namespace {

constexpr uint32_t AifcVersion1 = 0xA2805140;
constexpr uint64_t MaxFormSize = 0xFFFFFFFF;

void Put(std::vector<uint8_t>& b, const char* id) {
  for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(id[i]));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  b.resize(b.size() + 4);
  StoreBig32(b.data() + b.size() - 4, v);
}
void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.resize(b.size() + 2);
  StoreBig16(b.data() + b.size() - 2, v);
}

// A whole rate as the 80-bit extended number COMM holds.
void PutExtended80(std::vector<uint8_t>& b, uint32_t rate) {
  int exponent = 0;
  while ((uint64_t{1} << (exponent + 1)) <= rate) ++exponent;
  Put16(b, rate == 0 ? 0 : static_cast<uint32_t>(16383 + exponent));
  const uint64_t mantissa = rate == 0 ? 0 : uint64_t{rate} << (63 - exponent);
  Put32(b, static_cast<uint32_t>(mantissa >> 32));
  Put32(b, static_cast<uint32_t>(mantissa));
}

class AiffOutput final : public EncodedOutput {
 public:
  explicit AiffOutput(std::shared_ptr<const AiffChunks> chunks) : Chunks(std::move(chunks)) {}
  bool Start(FileHandle& file, const FormatBody& format, int64_t expectedSamples) override {
    File = &file;
    Format = format;
    Size = format.BlockAlign / format.Channels;
    Float = format.FormatTag == TagFloat;
    FrontSize = Front(0).size();
    const uint64_t most = static_cast<uint64_t>(std::max<int64_t>(0, expectedSamples)) * static_cast<uint64_t>(Size);
    if (FrontSize - 8 + most + 1 > MaxFormSize) {
      Kind = FailureKind::Unsupported;
      Reason = "an AIFF output cannot pass 4 GiB";
      return false;
    }
    return Write(0, Front(0));
  }
  bool Append(const uint8_t* bytes, int32_t count) override {
    Scratch.assign(bytes, bytes + static_cast<size_t>(count) * Size);
    if (Size == 1) {
      for (uint8_t& b : Scratch) b ^= 0x80u;
    } else {
      SwapEach(Scratch.data(), static_cast<size_t>(count), Size);
    }
    if (DataBytes + Scratch.size() + FrontBytes() - 8 + 1 > MaxFormSize) {
      Kind = FailureKind::CannotWrite;
      Reason = "output would pass 4 GiB";
      return false;
    }
    size_t put = 0;
    const bool ok = File->Write(Scratch.data(), Scratch.size(), put);
    DataBytes += put;
    return ok;
  }
  bool Finish() override {
    const std::vector<uint8_t> pad(DataBytes & 1u, 0);
    return Write(FrontBytes() + DataBytes, pad) && Write(0, Front(DataBytes));
  }
  void Abandon() override {}

 private:
  size_t FrontBytes() const { return FrontSize; }
  bool Write(uint64_t at, const std::vector<uint8_t>& bytes) {
    size_t put = 0;
    return File->Seek(static_cast<int64_t>(at)) && (bytes.empty() || File->Write(bytes.data(), bytes.size(), put));
  }
  // Everything before the first sample byte, with the sizes of dataBytes of samples.
  std::vector<uint8_t> Front(uint64_t dataBytes) const {
    std::vector<uint8_t> comm;
    Put16(comm, Format.Channels);
    Put32(comm, static_cast<uint32_t>(dataBytes / Format.BlockAlign));
    Put16(comm, Format.BitsPerSample);
    PutExtended80(comm, Format.SampleRate);
    if (Float) {
      Put(comm, Size == 4 ? "fl32" : "fl64");
      const std::string name = Size == 4 ? "32-bit floating point" : "64-bit floating point";
      comm.push_back(static_cast<uint8_t>(name.size()));
      comm.insert(comm.end(), name.begin(), name.end());
      if (comm.size() % 2) comm.push_back(0);
    }
    std::vector<uint8_t> b;
    Put(b, "FORM");
    Put32(b, 0);
    Put(b, Float ? "AIFC" : "AIFF");
    if (Float) {
      Put(b, "FVER");
      Put32(b, 4);
      Put32(b, AifcVersion1);
    }
    Put(b, "COMM");
    Put32(b, static_cast<uint32_t>(comm.size()));
    b.insert(b.end(), comm.begin(), comm.end());
    for (const AiffChunks::Chunk& c : Chunks ? Chunks->Carried : std::vector<AiffChunks::Chunk>{}) {
      for (char ch : c.Id) b.push_back(static_cast<uint8_t>(ch));
      Put32(b, static_cast<uint32_t>(c.Body.size()));
      b.insert(b.end(), c.Body.begin(), c.Body.end());
      if (c.Body.size() % 2) b.push_back(0);
    }
    Put(b, "SSND");
    Put32(b, static_cast<uint32_t>(8 + dataBytes));
    Put32(b, 0);  // offset
    Put32(b, 0);  // block size
    StoreBig32(b.data() + 4, static_cast<uint32_t>(b.size() - 8 + dataBytes + (dataBytes & 1u)));
    return b;
  }

  std::shared_ptr<const AiffChunks> Chunks;
  FileHandle* File = nullptr;
  FormatBody Format{};
  int32_t Size = 0;
  bool Float = false;
  uint64_t DataBytes = 0;
  size_t FrontSize = 0;
  std::vector<uint8_t> Scratch;
};

}  // namespace

std::unique_ptr<EncodedOutput> MakeEncodedOutput(AudioContainer container, int32_t level, EncodedMetadata metadata) {
  if (container == AudioContainer::Aiff) return std::make_unique<AiffOutput>(std::move(metadata.Aiff));
  if (container == AudioContainer::Flac) return MakeFlacOutput(level, std::move(metadata.Flac));
  return nullptr;
}

}  // namespace tacetix
