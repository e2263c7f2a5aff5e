// The FLAC reader: libFLAC's stream decoder over a ByteSource, its frames turned into WAVE
// bytes, and the whole-stream check that keeps a broken stream from being written.
#include "wave/FlacReader.h"

#include <FLAC/metadata.h>
#include <FLAC/stream_decoder.h>

#include <algorithm>
#include <cstring>
#include <new>

namespace tacetix {

namespace {

constexpr int32_t MaxChannels = 8;
constexpr int64_t FramesPerPoll = 64;

FLAC__StreamDecoder* Dec(void* d) { return static_cast<FLAC__StreamDecoder*>(d); }

const char* ErrorName(FLAC__StreamDecoderErrorStatus status) {
  switch (status) {
    case FLAC__STREAM_DECODER_ERROR_STATUS_LOST_SYNC: return "lost sync";
    case FLAC__STREAM_DECODER_ERROR_STATUS_BAD_HEADER: return "bad frame header";
    case FLAC__STREAM_DECODER_ERROR_STATUS_FRAME_CRC_MISMATCH: return "frame CRC mismatch";
    case FLAC__STREAM_DECODER_ERROR_STATUS_UNPARSEABLE_STREAM: return "unparseable stream";
    default: return "bad metadata";
  }
}

// Kept blocks past this many bytes together are left behind: the pictures of a source are
// held whole until its output is written.
constexpr uint64_t KeptBlockBytes = uint64_t{64} << 20;

const char* BlockName(FLAC__MetadataType type) {
  switch (type) {
    case FLAC__METADATA_TYPE_APPLICATION: return "APPLICATION";
    case FLAC__METADATA_TYPE_VORBIS_COMMENT: return "VORBIS_COMMENT";
    case FLAC__METADATA_TYPE_PICTURE: return "PICTURE";
    case FLAC__METADATA_TYPE_CUESHEET: return "CUESHEET";
    default: return "";
  }
}

// A decoded value as WAVE stores it: the bits at the top of the container, 8-bit unsigned.
void StoreSample(uint8_t* p, int32_t value, int32_t bytes, int32_t shift) {
  const auto v = static_cast<uint32_t>(value) << shift;
  if (bytes == 1) {
    p[0] = static_cast<uint8_t>(v + 128u);
    return;
  }
  for (int32_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

}  // namespace

// The callbacks in libFLAC's shapes, each handing on to the reader it was given.
struct FlacReader::Glue {
  static FLAC__StreamDecoderReadStatus Read(const FLAC__StreamDecoder*, FLAC__byte buffer[], size_t* bytes,
                                            void* client) {
    auto* r = static_cast<FlacReader*>(client);
    size_t got = 0;
    if (!r->Input->Seek(r->InputPosition) || !r->Input->Read(buffer, *bytes, got))
      return FLAC__STREAM_DECODER_READ_STATUS_ABORT;
    r->InputPosition += static_cast<int64_t>(got);
    *bytes = got;
    return got == 0 ? FLAC__STREAM_DECODER_READ_STATUS_END_OF_STREAM : FLAC__STREAM_DECODER_READ_STATUS_CONTINUE;
  }
  static FLAC__StreamDecoderSeekStatus Seek(const FLAC__StreamDecoder*, FLAC__uint64 offset, void* client) {
    auto* r = static_cast<FlacReader*>(client);
    if (offset > static_cast<FLAC__uint64>(r->InputSize)) return FLAC__STREAM_DECODER_SEEK_STATUS_ERROR;
    r->InputPosition = static_cast<int64_t>(offset);
    return FLAC__STREAM_DECODER_SEEK_STATUS_OK;
  }
  static FLAC__StreamDecoderTellStatus Tell(const FLAC__StreamDecoder*, FLAC__uint64* offset, void* client) {
    *offset = static_cast<FLAC__uint64>(static_cast<FlacReader*>(client)->InputPosition);
    return FLAC__STREAM_DECODER_TELL_STATUS_OK;
  }
  static FLAC__StreamDecoderLengthStatus Length(const FLAC__StreamDecoder*, FLAC__uint64* length, void* client) {
    *length = static_cast<FLAC__uint64>(static_cast<FlacReader*>(client)->InputSize);
    return FLAC__STREAM_DECODER_LENGTH_STATUS_OK;
  }
  static FLAC__bool Eof(const FLAC__StreamDecoder*, void* client) {
    auto* r = static_cast<FlacReader*>(client);
    return r->InputPosition >= r->InputSize;
  }
  static FLAC__StreamDecoderWriteStatus Write(const FLAC__StreamDecoder*, const FLAC__Frame* frame,
                                              const FLAC__int32* const buffer[], void* client) {
    auto* r = static_cast<FlacReader*>(client);
    if (r->Counting && r->Poll && ++r->FramesSeen % FramesPerPoll == 0 && r->Poll()) {
      r->Stopped = true;
      return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    const FLAC__FrameHeader& h = frame->header;
    if (static_cast<int32_t>(h.channels) != r->InputFormat.Channels ||
        static_cast<int32_t>(h.bits_per_sample) != r->Bits) {
      if (r->StreamError.empty())
        r->StreamError = "frame at sample frame " +
                         std::to_string(r->Counting ? r->Counted : r->DecoderAt / r->InputFormat.Channels) +
                         " differs from STREAMINFO in channels or bits";
      return FLAC__STREAM_DECODER_WRITE_STATUS_ABORT;
    }
    if (r->Counting) r->Count(frame, buffer);
    else r->TakeFrame(frame, buffer);
    return FLAC__STREAM_DECODER_WRITE_STATUS_CONTINUE;
  }
  static void Metadata(const FLAC__StreamDecoder*, const FLAC__StreamMetadata* block, void* client) {
    auto* r = static_cast<FlacReader*>(client);
    if (block->type != FLAC__METADATA_TYPE_STREAMINFO) {
      r->Keep(block);
      return;
    }
    const FLAC__StreamMetadata_StreamInfo& info = block->data.stream_info;
    r->InfoSeen = true;
    r->InputFormat.Channels = static_cast<uint16_t>(info.channels);
    r->InputFormat.SampleRate = info.sample_rate;
    r->Bits = static_cast<int32_t>(info.bits_per_sample);
    r->StatedSamples = static_cast<int64_t>(std::min<FLAC__uint64>(info.total_samples, INT64_MAX / MaxChannels)) *
                       static_cast<int64_t>(info.channels);
  }
  static void Error(const FLAC__StreamDecoder*, FLAC__StreamDecoderErrorStatus status, void* client) {
    auto* r = static_cast<FlacReader*>(client);
    if (!r->StreamError.empty()) return;
    const int64_t at = r->Counting ? r->Counted : r->DecoderAt / std::max<int32_t>(1, r->InputFormat.Channels);
    r->StreamError = std::string(ErrorName(status)) + " after sample frame " + std::to_string(at);
  }
};

FlacReader::FlacReader() = default;

FlacReader::~FlacReader() { Close(); }

int FlacReader::Refuse(FailureKind kind, const std::string& reason) {
  Kind = kind;
  Reason = reason;
  return 1;
}

int FlacReader::Close() {
  if (Decoder) {
    FLAC__stream_decoder_delete(Dec(Decoder));  // finishes it first
    Decoder = nullptr;
  }
  FileInput.Close();
  MemoryInput.Close();
  Input = nullptr;
  InputPosition = InputSize = 0;
  InputFormat = {};
  Bits = 0;
  StatedSamples = Samples = 0;
  InfoSeen = Stopped = Counting = Keeping = Kept = ListBlocks = false;
  Blocks.reset();
  KeptBlockTotal = 0;
  std::vector<uint8_t>().swap(Decoded);
  Pending.clear();
  PendingAt = 0;
  DecoderAt = Counted = FramesSeen = 0;
  ReadPosition = -1;
  StreamError.clear();
  Poll = nullptr;
  return 0;
}

int FlacReader::Open(const std::string& path, const ReadOptions& options) {
  Close();
  Kind = FailureKind::None;
  Reason.clear();
  Input = &FileInput;
  if (!FileInput.Open(path)) {
    const int error = FileInput.LastError();
    return Refuse(FailureKind::CannotOpen, error != 0 ? SystemErrorText(error) : "not a regular file");
  }
  return Start(options);
}

int FlacReader::OpenMemory(const uint8_t* data, size_t length, const ReadOptions& options) {
  Close();
  Kind = FailureKind::None;
  Reason.clear();
  Input = &MemoryInput;
  MemoryInput.Open(data, length);
  return Start(options);
}

int FlacReader::Start(const ReadOptions& options) {
  if (!Input->Size(InputSize)) return Refuse(FailureKind::CannotOpen, SystemErrorText(Input->LastError()));
  Poll = options.WalkPoll;
  KeptBudget = options.KeptBytes;
  ListBlocks = options.ListChunks;
  int r = InitDecoder();
  if (r == 0 && (options.VerifyStream || StatedSamples == 0)) r = Verify();
  Poll = nullptr;
  return r;
}

int FlacReader::DecoderFailure(const char* what) {
  if (Stopped) return Refuse(FailureKind::Cancelled, std::string(FailureText(FailureKind::Cancelled)));
  const FLAC__StreamDecoderState state = FLAC__stream_decoder_get_state(Dec(Decoder));
  if (state == FLAC__STREAM_DECODER_MEMORY_ALLOCATION_ERROR)
    return Refuse(FailureKind::NoMemory, std::string(FailureText(FailureKind::NoMemory)));
  if (!StreamError.empty()) return Refuse(FailureKind::Malformed, "FLAC stream: " + StreamError);
  return Refuse(FailureKind::Malformed, std::string("FLAC stream: ") + what);
}

// A new decoder at the first frame, STREAMINFO read and checked.
int FlacReader::InitDecoder() {
  if (Decoder) FLAC__stream_decoder_delete(Dec(Decoder));
  Decoder = FLAC__stream_decoder_new();
  if (!Decoder) return Refuse(FailureKind::NoMemory, std::string(FailureText(FailureKind::NoMemory)));
  FLAC__stream_decoder_set_md5_checking(Dec(Decoder), true);
  // The blocks are taken at the first open only; the decoder starts again after the check.
  if (ListBlocks && !Blocks) {
    Blocks = std::make_shared<FlacBlocks>();
    for (FLAC__MetadataType type : {FLAC__METADATA_TYPE_APPLICATION, FLAC__METADATA_TYPE_VORBIS_COMMENT,
                                    FLAC__METADATA_TYPE_PICTURE, FLAC__METADATA_TYPE_CUESHEET})
      FLAC__stream_decoder_set_metadata_respond(Dec(Decoder), type);
  }
  InputPosition = 0;
  InfoSeen = false;
  StreamError.clear();
  if (FLAC__stream_decoder_init_stream(Dec(Decoder), Glue::Read, Glue::Seek, Glue::Tell, Glue::Length, Glue::Eof,
                                       Glue::Write, Glue::Metadata, Glue::Error,
                                       this) != FLAC__STREAM_DECODER_INIT_STATUS_OK)
    return Refuse(FailureKind::NoMemory, std::string(FailureText(FailureKind::NoMemory)));
  if (!FLAC__stream_decoder_process_until_end_of_metadata(Dec(Decoder)) || !InfoSeen) {
    if (!InfoSeen && InputPosition <= 4) return Refuse(FailureKind::NotWave, "not a FLAC file: no fLaC header");
    return DecoderFailure("metadata cut off or broken");
  }
  Pending.clear();
  PendingAt = 0;
  DecoderAt = 0;
  return CheckStream();
}

int FlacReader::CheckStream() {
  const int32_t channels = InputFormat.Channels;
  if (channels < 1 || channels > MaxChannels)
    return Refuse(FailureKind::Unsupported, "FLAC streams of " + std::to_string(channels) + " channels are not read");
  if (Bits < 4 || Bits > 32) return Refuse(FailureKind::Malformed, "STREAMINFO: " + std::to_string(Bits) + " bits");
  if (InputFormat.SampleRate == 0) return Refuse(FailureKind::Malformed, "STREAMINFO: sample rate 0 Hz");
  const int32_t bytes = (Bits + 7) / 8;
  InputFormat.FormatTag = TagPCM;
  InputFormat.BitsPerSample = static_cast<uint16_t>(Bits);
  InputFormat.BlockAlign = static_cast<uint16_t>(channels * bytes);
  InputFormat.ByteRate = InputFormat.BlockAlign * InputFormat.SampleRate;
  Samples = StatedSamples;
  return 0;
}

// Decodes everything once: every frame whole, the MD5 signature met, the frames as many as
// STREAMINFO says. Then the decoder starts again at the first frame.
int FlacReader::Verify() {
  Counting = true;
  Counted = 0;
  const auto size = static_cast<uint64_t>((Bits + 7) / 8);
  Keeping = StatedSamples > 0 && static_cast<uint64_t>(StatedSamples) * size <= KeptBudget;
  try {
    if (Keeping) Decoded.reserve(static_cast<size_t>(StatedSamples) * size);
  } catch (const std::bad_alloc&) {
    Keeping = false;
  }
  const bool ran = FLAC__stream_decoder_process_until_end_of_stream(Dec(Decoder));
  Counting = false;
  if (!ran || !StreamError.empty()) return DecoderFailure("cut off or broken");
  if (!FLAC__stream_decoder_finish(Dec(Decoder)))
    return Refuse(FailureKind::Malformed, "FLAC stream: the decoded audio does not match its MD5 signature");
  const int64_t found = Counted * InputFormat.Channels;
  if (StatedSamples != 0 && found != StatedSamples)
    return Refuse(FailureKind::Malformed, "FLAC stream: STREAMINFO states " +
                                              std::to_string(StatedSamples / InputFormat.Channels) +
                                              " sample frames, the stream holds " + std::to_string(Counted));
  if (found == 0) return Refuse(FailureKind::Malformed, "FLAC stream: no samples");
  const int64_t stated = StatedSamples;
  if (InitDecoder() != 0) return 1;
  StatedSamples = stated;
  Samples = found;
  Kept = Keeping && Decoded.size() == static_cast<size_t>(found) * size;
  if (!Kept) std::vector<uint8_t>().swap(Decoded);
  return 0;
}

// A frame of the check: counted, and kept while the stream stays within what it stated.
void FlacReader::Count(const void* frame, const int32_t* const* channels) {
  Counted += static_cast<const FLAC__Frame*>(frame)->header.blocksize;
  if (!Keeping) return;
  TakeFrame(frame, channels);
  if (Decoded.size() + Pending.size() > Decoded.capacity()) {
    Keeping = false;
    std::vector<uint8_t>().swap(Decoded);
  } else {
    Decoded.insert(Decoded.end(), Pending.begin(), Pending.end());
  }
  Pending.clear();
}

void FlacReader::Keep(const void* metadata) {
  const auto* block = static_cast<const FLAC__StreamMetadata*>(metadata);
  const char* name = BlockName(block->type);
  if (!Blocks || !*name) return;
  Blocks->All.emplace_back(name);
  // A cue sheet's indexes would have to move with the cut: it is left behind, and named.
  if (block->type == FLAC__METADATA_TYPE_CUESHEET) {
    Blocks->Dropped.emplace_back(name);
    return;
  }
  KeptBlockTotal += block->length;
  FLAC__StreamMetadata* copy = KeptBlockTotal <= KeptBlockBytes ? FLAC__metadata_object_clone(block) : nullptr;
  if (copy) Blocks->Carried.push_back(copy);
  else Blocks->Dropped.push_back(std::string(name) + " (too large)");
}

FlacBlocks::~FlacBlocks() {
  for (FLAC__StreamMetadata* block : Carried) FLAC__metadata_object_delete(block);
}

void FlacReader::TakeFrame(const void* frame, const int32_t* const* channels) {
  const auto* f = static_cast<const FLAC__Frame*>(frame);
  const int32_t ch = InputFormat.Channels;
  const int32_t bytes = (Bits + 7) / 8;
  const int32_t shift = 8 * bytes - Bits;
  const auto frames = static_cast<int32_t>(f->header.blocksize);
  Pending.resize(static_cast<size_t>(frames) * ch * bytes);
  uint8_t* p = Pending.data();
  for (int32_t i = 0; i < frames; ++i)
    for (int32_t c = 0; c < ch; ++c, p += bytes) StoreSample(p, channels[c][i], bytes, shift);
  PendingAt = 0;
  // The frame a seek lands in is handed over from the sought frame on; a frame in order
  // starts where the one before it ended.
  if (Seeking) DecoderAt = static_cast<int64_t>(f->header.number.sample_number) * ch;
}

int FlacReader::GetInfo(WaveInfo& info) {
  if (!Decoder || Samples == 0) return 1;
  info = {};
  info.FormatTag = TagPCM;
  info.Channels = InputFormat.Channels;
  info.BitsPerSample = Bits;
  info.BytesPerSample = (Bits + 7) / 8;
  info.SampleRate = static_cast<int32_t>(InputFormat.SampleRate);
  info.SampleCount = Samples;
  info.DataBytes = Samples * info.BytesPerSample;
  return 0;
}

SampleCoding FlacReader::Coding() const {
  if (!Decoder || Bits == 0) return {};
  return {(Bits + 7) / 8, Bits, false};
}

int FlacReader::SeekSample(int64_t index) {
  if (!Decoder || Samples == 0 || index >= Samples) return 1;
  ReadPosition = -1;
  if (index < 0) return 0;
  if (Kept) {
    ReadPosition = index;
    return 0;
  }
  const auto size = static_cast<size_t>((Bits + 7) / 8);
  const auto ready = static_cast<int64_t>((Pending.size() - PendingAt) / size);
  // Within the frame at hand, or at the start of the next: no seek.
  if (DecoderAt < 0 || index < DecoderAt || index > DecoderAt + ready) {
    Pending.clear();
    PendingAt = 0;
    Seeking = true;
    const bool sought =
        FLAC__stream_decoder_seek_absolute(Dec(Decoder), static_cast<FLAC__uint64>(index / InputFormat.Channels));
    Seeking = false;
    if (!sought || Pending.empty() || DecoderAt > index) {
      FLAC__stream_decoder_flush(Dec(Decoder));
      Pending.clear();
      DecoderAt = -1;
      return DecoderFailure("seek failed");
    }
  }
  if (index > DecoderAt + static_cast<int64_t>((Pending.size() - PendingAt) / size)) return 1;
  PendingAt += static_cast<size_t>(index - DecoderAt) * size;
  DecoderAt = index;
  ReadPosition = index;
  return 0;
}

int FlacReader::ClearReadPosition() {
  ReadPosition = -1;
  return 0;
}

// Decodes the next frame; false at the end of the stream or on an error.
bool FlacReader::FillPending() {
  Pending.clear();
  PendingAt = 0;
  while (Pending.empty()) {
    if (!FLAC__stream_decoder_process_single(Dec(Decoder)) || !StreamError.empty()) return false;
    if (Pending.empty() && FLAC__stream_decoder_get_state(Dec(Decoder)) == FLAC__STREAM_DECODER_END_OF_STREAM)
      return false;
  }
  return true;
}

int FlacReader::ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered) {
  delivered = 0;
  if (requested < 1 || !dest || ReadPosition < 0 || !Decoder || (!Kept && ReadPosition != DecoderAt)) return 1;
  if (ReadPosition >= Samples) return 2;
  const auto size = static_cast<size_t>((Bits + 7) / 8);
  if (Kept) {
    delivered = static_cast<int32_t>(std::min<int64_t>(requested, Samples - ReadPosition));
    std::memcpy(dest, Decoded.data() + static_cast<size_t>(ReadPosition) * size, static_cast<size_t>(delivered) * size);
    ReadPosition += delivered;
    return 0;
  }
  const int64_t wanted = std::min<int64_t>(requested, Samples - ReadPosition);
  while (delivered < wanted) {
    if (PendingAt >= Pending.size() && !FillPending()) {
      DecoderAt = -1;
      ReadPosition = -1;
      return DecoderFailure("cut off or broken");
    }
    const auto n = static_cast<int32_t>(std::min<int64_t>(wanted - delivered, (Pending.size() - PendingAt) / size));
    std::memcpy(dest + static_cast<size_t>(delivered) * size, Pending.data() + PendingAt,
                static_cast<size_t>(n) * size);
    PendingAt += static_cast<size_t>(n) * size;
    delivered += n;
  }
  ReadPosition += delivered;
  DecoderAt = ReadPosition;
  return 0;
}

int FlacReader::ReadSamples(double* dest, int32_t requested, int32_t& delivered) {
  return DecodeThrough(dest, requested, delivered);
}

int FlacReader::ReadInputBytes(int64_t offset, uint8_t* dest, size_t length) {
  size_t got = 0;
  if (!Input || offset < 0 || !Input->Seek(offset) || !Input->Read(dest, length, got)) return 1;
  return got == length ? 0 : 1;
}

}  // namespace tacetix
