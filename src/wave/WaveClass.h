// RIFF/WAVE reading and writing, sample codecs, level and time helpers.
// Standard library only. Every operation returns 0 for success, 1 for failure
// (ReadSamples also 2 for end of data); nothing here throws across the API.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "wave/AtomicOutput.h"
#include "wave/FailureKind.h"
#include "wave/FileHandle.h"

namespace tacetix {

// Samples per block of every read and write: the transfer buffers hold this many.
constexpr int32_t TransferBlock = 131072;

// A chunk header as the walk read it; in an RF64 file a 32-bit size of 0xFFFFFFFF is replaced
// by the 64-bit size its ds64 chunk gives.
struct ChunkHeader {
  char id[4];
  uint64_t size;
};

// One chunk of the input as the walk met it: id, absolute offset of its body, declared body size
// (for RF64's data chunk the 64-bit size from ds64).
struct ChunkEntry {
  std::array<char, 4> Id{};
  int64_t BodyOffset = 0;
  uint64_t Size = 0;
};

// Sizes and counts are 64-bit: an RF64 file holds more than 4 GiB of samples.
struct WaveInfo {
  int32_t FormatTag, Channels, BitsPerSample, BytesPerSample, SampleRate;
  int64_t DataBytes, SampleCount;
};

// What an output carries beyond the canonical header. Default: nothing.
struct OutputExtras {
  // A 40-byte WAVE_FORMAT_EXTENSIBLE fmt (valid bits = output bits, ChannelMask, the sub-format
  // of the output's samples) instead of the 16-byte one.
  bool Extensible = false;
  uint32_t ChannelMask = 0;
  std::vector<uint8_t> BeforeData;  // whole chunks (header, body, pad byte) between fmt and data
  std::vector<uint8_t> AfterData;   // whole chunks after the data and its pad byte, written at finish
};

// The first 16 bytes of a fmt chunk body, decoded from little-endian.
struct FormatBody {
  uint16_t FormatTag = 0;
  uint16_t Channels = 0;
  uint32_t SampleRate = 0;
  uint32_t ByteRate = 0;
  uint16_t BlockAlign = 0;
  uint16_t BitsPerSample = 0;
};

// How one side of a file stores its samples; the container size and, for 4-byte containers,
// integer or float choose the codec, and the masked encoders keep the top Bits.
struct SampleCoding {
  int32_t BytesPerSample = 0;  // 0: unknown (no format read, no output)
  int32_t Bits = 0;
  bool IsFloat = false;
};

constexpr uint16_t TagPCM = 1;
constexpr uint16_t TagFloat = 3;
constexpr uint16_t TagExtensible = 0xFFFE;

// Walks the chunks of a RIFF file. Knows nothing of WAVE contents.
class RIFFFile {
 public:
  RIFFFile();
  virtual ~RIFFFile();
  RIFFFile(const RIFFFile&) = delete;
  RIFFFile& operator=(const RIFFFile&) = delete;

  // Opens the file read-only (closing any open input first) and validates it through ReadHeader.
  // A rejected header leaves the file open until CloseInput, the next OpenInput or destruction.
  int OpenInput(const std::string& path, bool sizeCheck);
  // Reads the 12-byte RIFF header; with sizeCheck the RIFF size must equal file size - 8.
  virtual int ReadHeader(bool sizeCheck);
  // Moves to the next chunk header (skipping the body and pad byte of the previous one).
  // Headers come from a read-ahead buffer, so the file position afterwards is not the body's:
  // a body is read with a seek of its own. Fails after MaxChunks headers, or when the poll
  // asks to stop (WalkCancelled then tells so).
  int NextChunk(ChunkHeader& chunk);
  // Closes the input and clears the chunk state. Always 0.
  virtual int CloseInput();
  // Why the last failed operation failed, as a user may read it ("data chunk missing",
  // "No such file or directory"); "" when it gave no reason.
  const std::string& FailReason() const { return Reason; }
  // What kind of failure the last failed operation met, beside its reason.
  FailureKind FailKind() const { return Kind; }
  // Called every 1024 chunk headers of a walk; true stops the walk.
  void SetWalkPoll(std::function<bool()> poll) { WalkPoll = std::move(poll); }
  // The last walk was stopped by the poll, not by the file.
  bool WalkCancelled() const { return WalkStopped; }
  // The input is an RF64 (or BW64) file: its sizes come from its ds64 chunk.
  bool IsRF64() const { return Ds64.Present; }

  // No real file has this many chunks; a walk over more is a malformed (or hostile) file.
  static constexpr int32_t MaxChunks = 100000;

 protected:
  // Where a body of size bytes starting at bodyStart ends, pad byte included.
  static int64_t ChunkEnd(int64_t bodyStart, uint64_t size, int64_t fileSize);
  // Keeps the reason and its kind and returns the failure code 1.
  int Refuse(const std::string& reason, FailureKind kind = FailureKind::Malformed);
  // The system's words for the last failed call on file, after prefix.
  int SystemFailure(const FileHandle& file, const std::string& prefix = "");
  std::string Reason;
  FailureKind Kind = FailureKind::None;
  FileHandle InputFile;
  bool InputOpen = false;
  std::array<char, 4> FormType{};
  ChunkHeader CurrentChunk{};
  bool ChunkRead = false;       // a chunk header has been read since ReadHeader
  int64_t ChunkBodyStart = 0;   // absolute offset of CurrentChunk's body
  int64_t InputSize = 0;        // size of the input file, queried by ReadHeader

 private:
  bool ReadHeaderAt(int64_t offset, uint8_t* head, size_t& got);
  int ReadDs64(const std::string& form);
  uint64_t Ds64Size(const char* id, uint32_t size32) const;

  // The 64-bit sizes of an RF64 file's ds64 chunk; Present false for a RIFF file.
  struct Ds64Sizes {
    bool Present = false;
    uint64_t RiffSize = 0;
    uint64_t DataSize = 0;
    std::vector<ChunkEntry> Table;  // sizes of other chunks (BodyOffset unused)
  } Ds64;

  std::vector<uint8_t> WalkBuffer;  // read-ahead of the chunk headers
  int64_t WalkBufferStart = 0;
  size_t WalkBufferLength = 0;
  int32_t ChunksWalked = 0;
  std::function<bool()> WalkPoll;
  bool WalkStopped = false;
};

// One source file and one output file. The read side validates and decodes the input,
// the write side creates a canonical 44-byte-header WAV in the input's (or a converted) format.
class PCMFile : public RIFFFile {
 public:
  PCMFile();
  ~PCMFile() override;

  // Finds and validates the fmt and data chunks.
  int ReadHeader(bool sizeCheck) override;
  // Closes the input and resets the read side; the output side is untouched. Always 0.
  int CloseInput() override;
  // Loads InputFormat once.
  int ReadFormat();
  int GetInfo(WaveInfo& info);
  // Sets the read position to sample index (not frame); 1 when it lies at or past the end.
  int SeekSample(int64_t index);
  int ClearReadPosition();
  // Decodes up to requested samples into dest; 2 when the read position was already at the end.
  int ReadSamples(double* dest, int32_t requested, int32_t& delivered);
  // As ReadSamples, but stores the samples' bytes as the file holds them, in one read
  // (dest has room for requested samples of InputCoding's size).
  int ReadSampleBytes(uint8_t* dest, int32_t requested, int32_t& delivered);
  SampleCoding InputCoding() const;
  // Before OpenInput; default off. On: the walk goes on past the data chunk to the end of the
  // file and keeps every chunk header in file order (InputChunks). A chunk after data that runs
  // past the end of the file, or one past MaxChunks, ends the list quietly.
  void SetListChunks(bool on) { ListChunks = on; }
  // Chunks of the input in file order, fmt and data included (not an RF64 file's ds64, which
  // belongs to its header); empty when listing is off.
  const std::vector<ChunkEntry>& InputChunks() const { return Chunks; }
  // Exactly length bytes of the input from offset; 1 when they are not all there.
  int ReadInputBytes(int64_t offset, uint8_t* dest, size_t length);
  // dwChannelMask of an extensible fmt of 40 bytes or more, else 0.
  uint32_t InputChannelMask() const { return ChannelMask; }

  // Before CreateOutput; kept until changed. Default (empty extras) and an output that cannot
  // reach 4 GiB: the canonical 44-byte header.
  void SetOutputExtras(OutputExtras extras) { Extras = std::move(extras); }
  // Before CreateOutput: the most samples the output will hold, which decides whether its header
  // reserves room for 64-bit sizes; -1 (default) = as many as the input has.
  void SetExpectedOutputSamples(int64_t sampleCount) { ExpectedSamples = sampleCount; }
  // The output's header reserves room for 64-bit sizes (a JUNK chunk, made ds64 when needed).
  bool OutputReserved() const { return Reserved; }

  // Creates the output under a temporary name beside path and writes a header with data
  // length 0; CloseOutput moves it onto path. bits = -1 keeps the input's format; otherwise
  // tag (-1, 1 or 3) and the container size (bytesPerSample, -1 = derived from bits) replace
  // the input's. replace false: the move only takes a free name (else OutputNameTaken).
  int CreateOutput(const std::string& path, int32_t bits, int16_t tag, int32_t bytesPerSample,
                   bool replace = true);
  // Writes the header at offset 0; derives OutputFormat (and the header's layout) when
  // dataLength is 0.
  int WriteHeader(int64_t dataLength, int32_t bits, int16_t tag, int32_t bytesPerSample);
  // The canonical 44-byte header of dataLength bytes of data.
  std::array<uint8_t, 44> BuildHeader(int32_t dataLength) const;
  // Everything before the first data byte: the canonical header, or with extras or a
  // reservation the longer one (RF64 with ds64 once the sizes need 64 bits).
  std::vector<uint8_t> BuildFront(int64_t dataLength) const;
  int RewindOutput();
  // Encodes count samples and appends them after the data written so far.
  int WriteSamples(const double* source, int32_t count, int32_t& written);
  // As WriteSamples, for samples already encoded in OutputCoding, in one write.
  int WriteSampleBytes(const uint8_t* source, int32_t count, int32_t& written);
  SampleCoding OutputCoding() const;
  // Pads the data to even length and rewrites the header; 1 when either write failed.
  int FinishOutput();
  // Finishes a pending output, closes it and moves it onto its name; 1 when finishing,
  // closing or the move failed (a failed move removes the temporary file).
  int CloseOutput();
  // Closes the output and removes it: nothing appears under its name.
  void DiscardOutput();

  // Read-only views for callers and tests.
  const FormatBody& InputFormatBody() const { return InputFormat; }
  const FormatBody& OutputFormatBody() const { return OutputFormat; }
  int32_t InputSubFormat() const { return SubFormat; }
  int64_t BytesWritten() const { return OutputWritten; }
  bool IsOutputOpen() const { return OutputOpen; }
  // The last CloseOutput found the name taken (replace false) and removed its file.
  bool OutputNameTaken() const { return NameTaken; }
  // The last CloseOutput moved the output onto its name.
  bool OutputMoved() const { return Moved; }

 private:
  int StartRead(int32_t& bytesPerSample);
  int StartWrite(int32_t count, int32_t& bytesPerSample);
  bool AppendBytes(const uint8_t* bytes, size_t length);
  int DeriveOutputFormat(int32_t bits, int16_t tag, int32_t bytesPerSample);
  void PlanFront();
  int64_t RiffDataLimit() const;
  int LocateChunks();
  int WalkTo(const char* wanted, ChunkHeader& chunk, int64_t& chunkEnd);
  void ListRest();
  int WalkFailure(const char* wanted, const ChunkHeader& last, int64_t lastEnd);
  int CheckFormat() const;
  std::string FormatRefusal() const;
  bool InputIsFloat() const;
  bool InputIsInteger() const;
  uint16_t PlainOutputTag() const;
  void ResetInputSide();

  FileHandle OutputFile;
  AtomicOutput OutputTarget;
  bool OutputOpen = false;
  bool NameTaken = false;
  bool Moved = false;
  int64_t FmtOffset = 0;
  uint64_t FmtSize = 0;
  int64_t DataOffset = 0;
  int64_t DataLength = 0;
  FormatBody InputFormat{};
  FormatBody OutputFormat{};
  int32_t SubFormat = 0;  // GUID's leading code of an extensible fmt; 0 = none
  uint32_t ChannelMask = 0;
  bool FormatRead = false;
  int64_t ReadPosition = -1;
  bool ListChunks = false;
  std::vector<ChunkEntry> Chunks;
  int64_t OutputWritten = 0;
  int64_t OutputDataOffset = 0;
  bool OutputPending = false;
  OutputExtras Extras;
  int64_t ExpectedSamples = -1;
  bool Reserved = false;  // the header holds a JUNK chunk that may become ds64
};

// Sample codecs: one tight loop per block; count < 1 or a null byte pointer does nothing.
void DecodeUInt8(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeInt16(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeInt24(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeInt32(const uint8_t* bytes, double* values, int32_t count, int32_t bits);
void DecodeFloat32(const uint8_t* bytes, double* values, int32_t count);
void DecodeFloat64(const uint8_t* bytes, double* values, int32_t count);
// Integer encoders saturate at the container's extremes and store NaN as 0,
// then clear the low bits that a depth below the container width does not hold.
void EncodeUInt8(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeInt16(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeInt24(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeInt32(uint8_t* bytes, const double* values, int32_t count, int32_t bits);
void EncodeFloat32(uint8_t* bytes, const double* values, int32_t count);
void EncodeFloat64(uint8_t* bytes, const double* values, int32_t count);

// Attenuation in dB (positive = quieter) to a linear factor; exactly 1.0 for 0.
double DbToLinear(double d);
// Linear factor (> 0) to attenuation in dB: -20 log10 v.
double LinearToDb(double v);
// Length as hh:mm:ss.mmm, or "--:--:--.---" when the format or its rate is unknown.
std::string DurationText(const WaveInfo& info);
// The length DurationText shows, in milliseconds; -1 when it shows none.
int64_t DurationMilliseconds(const WaveInfo& info);
// Decimal text of n, zero-padded on the left to at least width characters.
std::string ZeroPad(int64_t n, int32_t width);

}  // namespace tacetix
