// Helpers shared by the test suites: temporary folders, whole-file reads and writes, running
// peer programs (sox, ffmpeg) and reading back what was written.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/WavBuilder.h"

namespace testsupport {

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
void WriteWav16(const std::string& path, uint16_t channels, const std::vector<int16_t>& samples, uint32_t rate = 44100);
std::string ShellQuote(const std::string& text);
// Temporary files of outputs being written beside finalPath (".name.tacetix-XXXXXX").
std::vector<std::filesystem::path> TemporaryOutputs(const std::string& finalPath);
// Bytes of the output at finalPath so far: its temporary file while it is written, then the file.
uintmax_t OutputBytesSoFar(const std::string& finalPath);

}  // namespace testsupport
