// Helpers shared by the test suites: a byte-level WAV builder, temporary folders,
// whole-file reads and running peer programs (sox, ffmpeg).
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, uint32_t v);
// Little-endian fields of a file's bytes, for checking headers.
uint32_t Le16At(const Bytes& b, size_t at);
uint32_t Le32At(const Bytes& b, size_t at);
void Put32(Bytes& b, uint32_t v);
void PutId(Bytes& b, const char* id);

// Assembles a RIFF/WAVE file chunk by chunk, so a malformed header is one line to write.
struct WavBuilder {
  Bytes body;  // everything after the 12-byte RIFF header
  uint32_t riffSizeOverride = 0;
  bool overrideRiff = false;
  const char* riffId = "RIFF";
  const char* formType = "WAVE";

  WavBuilder& Chunk(const char* id, const Bytes& data, bool pad = true);
  WavBuilder& ChunkDeclared(const char* id, uint32_t declaredSize, const Bytes& data);
  WavBuilder& Fmt(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign = 0);
  WavBuilder& Data(const Bytes& data);
  Bytes Build() const;
};

Bytes FmtBody(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, uint16_t blockAlign = 0);
// A whole canonical PCM file in one call.
Bytes SimpleWav(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data);
// 16-bit little-endian samples.
Bytes Pcm16(const std::vector<int16_t>& samples);

// A fresh folder under the system temp folder, removed on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

void WriteFile(const std::string& path, const Bytes& bytes);
Bytes ReadFile(const std::string& path);
std::string ReadText(const std::string& path);

// Runs a shell command; returns its exit status and stdout (stderr goes to the test log).
int RunCommand(const std::string& command, std::string* out = nullptr);
// Runs a command capturing raw stdout bytes.
int RunCommandBytes(const std::string& command, Bytes& out);
bool HaveProgram(const std::string& name);

// Reads a whole WAV through PCMFile; false when it cannot be opened or read.
bool ReadWav(const std::string& path, int32_t& channels, int32_t& bits, int32_t& tag, std::vector<double>& samples);
// A 16-bit PCM file of the given interleaved integer samples.
void WriteWav16(const std::string& path, uint16_t channels, const std::vector<int16_t>& samples,
                uint32_t rate = 44100);
std::string ShellQuote(const std::string& text);
// Temporary files of outputs being written beside finalPath (".name.tacetix-XXXXXX").
std::vector<std::filesystem::path> TemporaryOutputs(const std::string& finalPath);
// Bytes of the output at finalPath so far: its temporary file while it is written, then the file.
uintmax_t OutputBytesSoFar(const std::string& finalPath);

}  // namespace testsupport
