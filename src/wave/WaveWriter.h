// One output WAVE file, written under a temporary name beside its final name and moved there
// when it is closed: the front (the canonical 44-byte header, or a longer one with an
// extensible fmt, carried chunks and room for 64-bit sizes), the encoded sample blocks, the
// chunks after the data, and the final header. Every operation returns 0 for success, 1 for
// failure; FailReason and FailKind then tell why. Nothing here throws across the API.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "wave/AtomicOutput.h"
#include "wave/EncodedOutput.h"
#include "wave/FailureKind.h"
#include "wave/FileHandle.h"
#include "wave/OutputFormat.h"
#include "wave/SampleCodecs.h"
#include "wave/WaveFormat.h"

namespace tacetix {

// A chunk an output carries whose body is made only when it is written (at Create for the
// chunks before the data, at Finish for those after it), so that an output never holds all of
// its chunks at once: an input's metadata may be large.
struct CarriedChunk {
  std::array<char, 4> Id{};
  uint64_t Size = 0;       // of the body, without the pad byte
  bool AfterData = false;  // it points at samples, so it follows them
};

// Makes the bodies of an output's carried chunks.
class ChunkMaker {
 public:
  virtual ~ChunkMaker() = default;
  // The body of chunk index of OutputExtras::Carried; false when it cannot be made.
  virtual bool Make(size_t index, std::vector<uint8_t>& body) = 0;
};

// What an output carries beyond the canonical header. Default: nothing.
struct OutputExtras {
  // A 40-byte WAVE_FORMAT_EXTENSIBLE fmt (valid bits = the container's, ChannelMask, the sub-format
  // of the output's samples) instead of the 16-byte one.
  bool Extensible = false;
  uint32_t ChannelMask = 0;
  std::vector<uint8_t> BeforeData;  // whole chunks (header, body, pad byte) between fmt and data
  std::vector<uint8_t> AfterData;   // whole chunks after the data and its pad byte, written at finish
  // Chunks made by Maker, after BeforeData and after AfterData. In an output with room for
  // 64-bit sizes the odd-sized ones of the chunks before the data follow the data instead:
  // libsndfile loses its way in an RF64 file at the pad byte of an odd chunk before the data.
  std::vector<CarriedChunk> Carried;
  std::shared_ptr<ChunkMaker> Maker;
};

// Everything an output is made from.
struct OutputDescription {
  // As DeriveOutputFormat gives it; a refused format fails Create once the file is created.
  OutputFormat Format;
  OutputExtras Extras;
  // The most samples the output will hold: it decides whether the header reserves room for
  // 64-bit sizes. An output that cannot reach 4 GiB without extras gets the canonical header.
  int64_t ExpectedSamples = 0;
  // The move at Close may take over a file of the name; false: only a free name (else NameTaken).
  bool Replace = true;
  // The output's container; an AIFF or FLAC output carries no extras.
  AudioContainer Container = AudioContainer::Wave;
  int32_t FlacLevel = 5;
  // What an AIFF or FLAC output carries of its source's metadata.
  EncodedMetadata Carried;
};

class WaveWriter {
 public:
  WaveWriter() = default;
  // An output still open is closed as Close does: its header always tells what it holds.
  ~WaveWriter();
  WaveWriter(const WaveWriter&) = delete;
  WaveWriter& operator=(const WaveWriter&) = delete;

  // Creates the output under a temporary name beside path (closing one still open first) and
  // writes its front with data length 0.
  int Create(const std::string& path, OutputDescription description);
  // Moves the write position back to the first data byte; what was written counts no more.
  int Rewind();
  // Encodes count samples and appends them after the data written so far.
  int WriteSamples(const double* source, int32_t count, int32_t& written);
  // As WriteSamples, for samples already encoded in Coding, in one write.
  int WriteSampleBytes(const uint8_t* source, int32_t count, int32_t& written);
  // Pads the data to even length, appends the chunks after it and rewrites the front; 1 when
  // a write failed.
  int Finish();
  // Finishes a pending output and closes it under its temporary name, where it waits for
  // Close or Discard; 1 when finishing or closing failed.
  int Seal();
  // Finishes a pending output (or takes a sealed one), closes it and moves it onto its name;
  // 1 when finishing, closing or the move failed (a failed move removes the temporary file).
  int Close();
  // Closes the output and removes it: nothing appears under its name.
  void Discard();
  // For an output cut short (a cancel): finishes and closes it and moves it onto its name only
  // while that is free, so it never replaces a file; one without data is removed. 0 when moved.
  int KeepPartial();

  SampleCoding Coding() const;
  const FormatBody& Format() const { return Description.Format.Body; }
  // The front reserves room for 64-bit sizes (a JUNK chunk, made ds64 when needed).
  bool Reserved() const { return Reserve; }
  // The canonical 44-byte header of dataLength bytes of data.
  std::array<uint8_t, 44> BuildHeader(int32_t dataLength) const;
  // Everything before the first data byte: the canonical header, or with extras or a
  // reservation the longer one (RF64 with ds64 once the sizes need 64 bits). Carried chunks
  // are not in it: they are made as they are written.
  std::vector<uint8_t> BuildFront(int64_t dataLength) const;
  int64_t BytesWritten() const { return Written; }
  bool IsOpen() const { return Open; }
  // Sealed and not yet moved or discarded.
  bool IsSealed() const { return Sealed; }
  // The last Close found the name taken (Replace false) and removed its file.
  bool NameTaken() const { return Taken; }
  // The last Close moved the output onto its name.
  bool Moved() const { return MovedOn; }
  const std::string& FailReason() const { return Reason; }
  FailureKind FailKind() const { return Kind; }

 private:
  int Refuse(FailureKind kind, const std::string& reason);
  int Refuse(FailureKind kind) { return Refuse(kind, std::string(FailureText(kind))); }
  int SystemFailure();
  int StartWrite(int32_t count, int32_t& bytesPerSample);
  bool AppendBytes(const uint8_t* bytes, size_t length);
  void PlanFront();
  int64_t RiffDataLimit() const;
  std::vector<uint8_t> BuildHead(int64_t dataLength) const;
  std::vector<uint8_t> DataHeader(int64_t dataLength) const;
  uint64_t RiffSize(int64_t dataLength) const;
  bool WriteCarried(const std::vector<size_t>& chunks, uint64_t& put);
  int WriteFront();
  int StartEncoded();
  bool WriteTail(uint64_t& put);

  OutputDescription Description;
  std::unique_ptr<EncodedOutput> Encoded;  // the body of an AIFF or FLAC output
  FileHandle File;
  AtomicOutput Target;
  bool Open = false;
  bool Sealed = false;
  int SealCode = 0;  // what Seal returned, for the Close that moves the file
  bool Taken = false;
  bool MovedOn = false;
  int64_t Written = 0;
  int64_t DataOffset = 0;
  bool Pending = false;  // data was written since the front was last made final
  bool Reserve = false;  // the front holds a JUNK chunk that may become ds64
  // Carried chunks by place: before the data, and after it (those that follow samples first).
  std::vector<size_t> FrontChunks;
  std::vector<size_t> TailChunks;
  uint64_t FrontCarriedBytes = 0;
  uint64_t TailBytes = 0;  // what follows the data and its pad byte
  std::string Reason;
  FailureKind Kind = FailureKind::None;
};

}  // namespace tacetix
