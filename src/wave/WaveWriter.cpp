// The writer's life: create, encoded sample blocks, finish, close with the move onto the name.
#include "wave/WaveWriter.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include "wave/ByteOrder.h"
#include "wave/RiffLayout.h"

namespace tacetix {
namespace {

// With room for 64-bit sizes only what a file system holds limits the data.
constexpr int64_t MaxRF64DataBytes = int64_t{1} << 62;

bool WriteAll(FileHandle& file, const std::vector<uint8_t>& bytes) {
  size_t put = 0;
  return bytes.empty() || file.Write(bytes.data(), bytes.size(), put);
}

}  // namespace

WaveWriter::~WaveWriter() { Close(); }

int WaveWriter::Refuse(FailureKind kind, const std::string& reason) {
  Kind = kind;
  Reason = reason;
  return 1;
}

int WaveWriter::SystemFailure() {
  return Refuse(FailureKind::CannotWrite,
                File.LastError() != 0 ? SystemErrorText(File.LastError()) : "not a regular file");
}

// The file is created before the format is looked at, so that a folder that takes no file
// says so whatever the format.
int WaveWriter::Create(const std::string& path, OutputDescription description) {
  if (Open || Sealed) Close();
  Taken = false;
  MovedOn = false;
  Description = std::move(description);
  // Create tells why: the folder takes no new file (errno), or the name holds no regular file.
  Encoded.reset();
  if (!Target.Create(path, Description.Replace, File))
    return Target.NotRegularFile() ? Refuse(FailureKind::NotRegularFile)
                                   : Refuse(FailureKind::CannotWrite, SystemErrorText(errno));
  Open = true;
  Reserve = false;
  DataOffset = CanonicalHeaderBytes;
  if (!File.Seek(0)) return SystemFailure();
  const OutputFormat& format = Description.Format;
  if (!format.Ok()) return Refuse(format.Kind, format.Reason);
  if (Description.Container != AudioContainer::Wave) return StartEncoded();
  PlanFront();
  return WriteFront();
}

int WaveWriter::StartEncoded() {
  Encoded = MakeEncodedOutput(Description.Container, Description.FlacLevel, Description.Carried);
  DataOffset = 0;
  if (Encoded->Start(File, Format(), Description.ExpectedSamples)) return 0;
  return Encoded->Kind != FailureKind::None ? Refuse(Encoded->Kind, Encoded->Reason) : SystemFailure();
}

// The chunks given, headers and pad bytes included, each made as it is written; put counts
// the bytes of the whole chunks written.
bool WaveWriter::WriteCarried(const std::vector<size_t>& chunks, uint64_t& put) {
  const OutputExtras& extras = Description.Extras;
  for (size_t i : chunks) {
    const CarriedChunk& c = extras.Carried[i];
    std::vector<uint8_t> body;  // one body at a time
    // Made again from the source, the chunk must be the one planned: the sizes are written already.
    if (!extras.Maker || !extras.Maker->Make(i, body) || body.size() != c.Size) {
      Refuse(FailureKind::CannotRead, "source changed while it was read");
      return false;
    }
    std::vector<uint8_t> header(ChunkHeaderBytes);
    std::copy(c.Id.begin(), c.Id.end(), header.begin());
    Store32(header.data() + 4, static_cast<uint32_t>(c.Size));
    const std::vector<uint8_t> pad(c.Size & 1u, 0);
    if (!WriteAll(File, header) || !WriteAll(File, body) || !WriteAll(File, pad)) {
      SystemFailure();
      return false;
    }
    put += header.size() + body.size() + pad.size();
  }
  return true;
}

int WaveWriter::WriteFront() {
  uint64_t put = 0;
  if (!WriteAll(File, BuildHead(0))) return SystemFailure();
  if (!WriteCarried(FrontChunks, put)) return 1;
  return WriteAll(File, DataHeader(0)) ? 0 : SystemFailure();
}

int WaveWriter::Rewind() {
  if (Encoded) return Open && Written == 0 ? 0 : 1;
  if (!Open || !File.Seek(DataOffset)) return 1;
  Written = 0;
  return 0;
}

SampleCoding WaveWriter::Coding() const {
  const FormatBody& f = Format();
  if (!Open || f.Channels == 0) return {};
  return {f.BlockAlign / f.Channels, f.BitsPerSample, f.FormatTag == TagFloat};
}

// Checks that count samples can be appended and moves the file to the end of the data.
int WaveWriter::StartWrite(int32_t count, int32_t& bytesPerSample) {
  const FormatBody& f = Format();
  if (count < 1 || !Open || f.Channels == 0) return 1;
  bytesPerSample = f.BlockAlign / f.Channels;
  if (!EncoderFor(Coding())) return 1;
  // Refuse data the header's sizes could not describe: without room for 64-bit sizes (the
  // output was not expected to need them) the 32-bit ones end a little below 4 GiB.
  const int64_t limit = Reserve ? MaxRF64DataBytes : RiffDataLimit();
  if (Encoded) return 0;
  if (Written + int64_t{count} * bytesPerSample > limit)
    return Refuse(FailureKind::CannotWrite, "output would pass 4 GiB");
  return File.Seek(DataOffset + Written) ? 0 : SystemFailure();
}

// What reached the file counts as written, also when the write then failed.
bool WaveWriter::AppendBytes(const uint8_t* bytes, size_t length) {
  size_t put = 0;
  const bool ok = File.Write(bytes, length, put);
  Pending = Pending || put > 0;
  Written += static_cast<int64_t>(put);
  return ok;
}

int WaveWriter::WriteSamples(const double* source, int32_t count, int32_t& written) {
  written = 0;
  int32_t bytesPerSample = 0;
  if (!source || StartWrite(count, bytesPerSample) != 0) return 1;
  const EncodeFn encode = EncoderFor(Coding());
  std::unique_ptr<uint8_t[]> buffer(new uint8_t[static_cast<size_t>(bytesPerSample) * TransferBlock]);
  for (int32_t n = std::min(count, TransferBlock); n > 0; n = std::min(count, TransferBlock)) {
    encode(buffer.get(), source + written, n, Format().BitsPerSample);
    if (Encoded) {
      int32_t put = 0;
      if (WriteSampleBytes(buffer.get(), n, put) != 0) return 1;
    } else if (!AppendBytes(buffer.get(), static_cast<size_t>(n) * bytesPerSample)) return SystemFailure();
    written += n;
    count -= n;
  }
  return 0;
}

int WaveWriter::WriteSampleBytes(const uint8_t* source, int32_t count, int32_t& written) {
  written = 0;
  int32_t bytesPerSample = 0;
  if (!source || StartWrite(count, bytesPerSample) != 0) return 1;
  if (Encoded) {
    Pending = true;
    if (!Encoded->Append(source, count))
      return Encoded->Kind != FailureKind::None ? Refuse(Encoded->Kind, Encoded->Reason) : SystemFailure();
    Written += int64_t{count} * bytesPerSample;
    written = count;
    return 0;
  }
  if (!AppendBytes(source, static_cast<size_t>(count) * bytesPerSample)) return SystemFailure();
  written = count;
  return 0;
}

// The front is rewritten from the format as created, whatever became of the source since.
// Only the sizes change, in the head and the data chunk's header: the chunks between them stay.
int WaveWriter::Finish() {
  if (!Open) return 1;
  Pending = false;
  if (Encoded) {
    if (Encoded->Finish()) return 0;
    return Encoded->Kind != FailureKind::None ? Refuse(Encoded->Kind, Encoded->Reason) : SystemFailure();
  }
  std::vector<uint8_t> tail(static_cast<size_t>(Written & 1), 0);  // the pad byte
  const std::vector<uint8_t>& after = Description.Extras.AfterData;
  tail.insert(tail.end(), after.begin(), after.end());
  uint64_t put = 0;
  const bool moved = File.Seek(DataOffset + Written) && WriteAll(File, tail);
  const bool made = moved && WriteCarried(TailChunks, put);
  // A chunk that could not be made is left out, and the sizes say so.
  if (moved && !made) TailBytes = after.size() + put;
  bool ok = File.Seek(0) && WriteAll(File, BuildHead(Written));
  ok = ok && File.Seek(DataOffset - ChunkHeaderBytes) && WriteAll(File, DataHeader(Written));
  if (!ok || !moved) return SystemFailure();
  return made ? 0 : 1;
}

int WaveWriter::Seal() {
  if (!Open) return Sealed ? SealCode : 0;
  // Still pending here, the output was cut short (a cancel, a failed write): the chunks meant
  // for after its data point at frames it does not hold, and its source may be closed, so
  // nothing is made after the data.
  if (Pending) {
    Description.Extras.AfterData.clear();
    TailChunks.clear();
    TailBytes = 0;
  }
  int r = Pending ? Finish() : 0;
  if (!File.Close()) r = SystemFailure();
  Open = false;
  Sealed = true;
  SealCode = r;
  return r;
}

// The file moves onto its name whatever went wrong in it, as a file written in place would
// stay there: its header always tells what it holds.
int WaveWriter::Close() {
  if (!Open && !Sealed) return 0;
  const int r = Seal();
  Sealed = false;
  const CommitResult moved = Target.Commit();
  MovedOn = moved == CommitResult::Moved;
  Taken = moved == CommitResult::NameTaken;
  if (MovedOn) return r;
  // A failure inside the file came first and says more than the failed move after it.
  if (r == 0) {
    if (Taken) Refuse(FailureKind::NameTaken);
    else if (moved == CommitResult::NotRegularFile) Refuse(FailureKind::NotRegularFile);
    else Refuse(FailureKind::CannotWrite, SystemErrorText(errno));
  }
  return 1;
}

int WaveWriter::KeepPartial() {
  if (!Open && !Sealed) return 1;
  if (Written == 0) {
    Discard();
    return 1;
  }
  Target.KeepOffTakenName();
  // A header that could not be made final would not tell what the file holds.
  if (Seal() != 0) {
    Discard();
    return 1;
  }
  return Close();
}

void WaveWriter::Discard() {
  if (Encoded) Encoded->Abandon();
  if (!Open && !Sealed) return;
  if (Open) File.Close();
  Open = false;
  Sealed = false;
  Pending = false;
  Target.Discard();
}

}  // namespace tacetix
