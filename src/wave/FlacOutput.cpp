// FLAC outputs through libFLAC's stream encoder: STREAMINFO with the total samples and the MD5
// signature and a seek table, both made final at the finish through the seek callback.
#include <FLAC/metadata.h>
#include <FLAC/stream_encoder.h>

#include <vector>

#include "wave/EncodedOutput.h"

namespace tacetix {

namespace {

constexpr int32_t MaxFlacChannels = 8;
constexpr uint32_t MaxFlacRate = 1048575;  // STREAMINFO's 20 bits
constexpr uint32_t SeekPointSeconds = 10;  // as the flac tool spaces them

// A WAVE sample of size bytes as the integer FLAC codes, its bits at the bottom.
int32_t LoadSample(const uint8_t* p, int32_t size, int32_t shift) {
  if (size == 1) return (static_cast<int32_t>(p[0]) - 128) >> shift;
  uint32_t v = 0;
  for (int32_t i = 0; i < size; ++i) v |= uint32_t{p[i]} << (8 * i);
  v <<= 8 * (4 - size);
  return static_cast<int32_t>(v) >> (8 * (4 - size) + shift);
}

class FlacOutput final : public EncodedOutput {
 public:
  FlacOutput(int32_t level, std::shared_ptr<const FlacBlocks> blocks) : Level(level), Blocks(std::move(blocks)) {}
  ~FlacOutput() override {
    Abandon();
    if (SeekTable) FLAC__metadata_object_delete(SeekTable);
  }

  bool Start(FileHandle& file, const FormatBody& format, int64_t expectedSamples) override {
    File = &file;
    Channels = format.Channels;
    Size = format.BlockAlign / format.Channels;
    Bits = format.BitsPerSample;
    if (format.FormatTag == TagFloat) return Refuse("FLAC holds integer samples: choose an integer bit depth");
    if (Channels > MaxFlacChannels) return Refuse("FLAC holds at most 8 channels");
    if (format.SampleRate > MaxFlacRate) return Refuse("FLAC holds rates up to 1048575 Hz");
    Encoder = FLAC__stream_encoder_new();
    if (!Encoder) return NoMemory();
    const uint64_t frames = static_cast<uint64_t>(expectedSamples > 0 ? expectedSamples : 0) / Channels;
    FLAC__stream_encoder_set_channels(Encoder, static_cast<uint32_t>(Channels));
    FLAC__stream_encoder_set_bits_per_sample(Encoder, static_cast<uint32_t>(Bits));
    FLAC__stream_encoder_set_sample_rate(Encoder, format.SampleRate);
    FLAC__stream_encoder_set_compression_level(Encoder, static_cast<uint32_t>(Level));
    FLAC__stream_encoder_set_streamable_subset(Encoder, Bits <= 24 && format.SampleRate <= 655350);
    FLAC__stream_encoder_set_total_samples_estimate(Encoder, frames);
    SeekTable = FLAC__metadata_object_new(FLAC__METADATA_TYPE_SEEKTABLE);
    if (!SeekTable) return NoMemory();
    if (frames > 0 && (!FLAC__metadata_object_seektable_template_append_spaced_points_by_samples(
                           SeekTable, SeekPointSeconds * format.SampleRate, frames) ||
                       !FLAC__metadata_object_seektable_template_sort(SeekTable, true)))
      return NoMemory();
    // The encoder fills the seek table and leaves the carried blocks as they are.
    std::vector<FLAC__StreamMetadata*> blocks;
    if (frames > 0) blocks.push_back(SeekTable);
    if (Blocks) blocks.insert(blocks.end(), Blocks->Carried.begin(), Blocks->Carried.end());
    if (!blocks.empty())
      FLAC__stream_encoder_set_metadata(Encoder, blocks.data(), static_cast<uint32_t>(blocks.size()));
    Position = 0;
    if (!File->Seek(0)) return false;
    const FLAC__StreamEncoderInitStatus init =
        FLAC__stream_encoder_init_stream(Encoder, WriteBytes, SeekTo, Tell, nullptr, this);
    if (init != FLAC__STREAM_ENCODER_INIT_STATUS_OK) {
      if (init == FLAC__STREAM_ENCODER_INIT_STATUS_ENCODER_ERROR && WriteFailed) return false;
      return Refuse(std::string("FLAC encoder refused the format: ") + FLAC__StreamEncoderInitStatusString[init]);
    }
    return !WriteFailed;
  }

  bool Append(const uint8_t* bytes, int32_t count) override {
    if (!Encoder || count % Channels != 0) return false;
    Values.resize(static_cast<size_t>(count));
    const int32_t shift = 8 * Size - Bits;
    for (int32_t i = 0; i < count; ++i) Values[static_cast<size_t>(i)] = LoadSample(bytes + i * Size, Size, shift);
    if (FLAC__stream_encoder_process_interleaved(Encoder, Values.data(), static_cast<uint32_t>(count / Channels)))
      return true;
    return EncoderFailure();
  }

  bool Finish() override {
    if (!Encoder) return false;
    const bool ok = FLAC__stream_encoder_finish(Encoder) && !WriteFailed;
    FLAC__stream_encoder_delete(Encoder);
    Encoder = nullptr;
    return ok;
  }

  void Abandon() override {
    if (!Encoder) return;
    Abandoned = true;
    FLAC__stream_encoder_delete(Encoder);
    Encoder = nullptr;
  }

 private:
  bool Refuse(const std::string& reason) {
    Kind = FailureKind::Unsupported;
    Reason = reason;
    return false;
  }
  bool NoMemory() {
    Kind = FailureKind::NoMemory;
    Reason = std::string(FailureText(FailureKind::NoMemory));
    return false;
  }
  bool EncoderFailure() {
    if (WriteFailed) return false;
    Kind = FailureKind::CannotWrite;
    Reason = std::string("FLAC encoder: ") + FLAC__StreamEncoderStateString[FLAC__stream_encoder_get_state(Encoder)];
    return false;
  }

  static FLAC__StreamEncoderWriteStatus WriteBytes(const FLAC__StreamEncoder*, const FLAC__byte buffer[], size_t bytes,
                                                   uint32_t, uint32_t, void* client) {
    auto* o = static_cast<FlacOutput*>(client);
    size_t put = 0;
    if (o->Abandoned || o->WriteFailed || !o->File->Write(buffer, bytes, put)) {
      o->WriteFailed = true;
      return FLAC__STREAM_ENCODER_WRITE_STATUS_FATAL_ERROR;
    }
    o->Position += static_cast<int64_t>(put);
    return FLAC__STREAM_ENCODER_WRITE_STATUS_OK;
  }
  static FLAC__StreamEncoderSeekStatus SeekTo(const FLAC__StreamEncoder*, FLAC__uint64 offset, void* client) {
    auto* o = static_cast<FlacOutput*>(client);
    if (o->Abandoned || !o->File->Seek(static_cast<int64_t>(offset))) return FLAC__STREAM_ENCODER_SEEK_STATUS_ERROR;
    o->Position = static_cast<int64_t>(offset);
    return FLAC__STREAM_ENCODER_SEEK_STATUS_OK;
  }
  static FLAC__StreamEncoderTellStatus Tell(const FLAC__StreamEncoder*, FLAC__uint64* offset, void* client) {
    *offset = static_cast<FLAC__uint64>(static_cast<FlacOutput*>(client)->Position);
    return FLAC__STREAM_ENCODER_TELL_STATUS_OK;
  }

  int32_t Level;
  std::shared_ptr<const FlacBlocks> Blocks;
  FileHandle* File = nullptr;
  FLAC__StreamEncoder* Encoder = nullptr;
  FLAC__StreamMetadata* SeekTable = nullptr;
  int32_t Channels = 1, Size = 1, Bits = 16;
  int64_t Position = 0;
  bool WriteFailed = false;
  bool Abandoned = false;
  std::vector<FLAC__int32> Values;
};

}  // namespace

std::unique_ptr<EncodedOutput> MakeFlacOutput(int32_t level, std::shared_ptr<const FlacBlocks> blocks) {
  return std::make_unique<FlacOutput>(level, std::move(blocks));
}

}  // namespace tacetix
