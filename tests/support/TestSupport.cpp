#include "support/TestSupport.h"

#include <sys/wait.h>
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

#include "support/WaveClass.h"

namespace testsupport {

TempDir::TempDir() {
  std::random_device rd;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() / ("tacetix-test-" + std::to_string(rd()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a temporary folder");
}

TempDir::~TempDir() {
  std::error_code ec;
  // Tests may leave read-only folders behind; make them writable so they can go.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!f) throw std::runtime_error("cannot write " + path);
}

Bytes ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) throw std::runtime_error("cannot read " + path);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string ReadText(const std::string& path) {
  Bytes b = ReadFile(path);
  return std::string(b.begin(), b.end());
}

int RunCommandBytes(const std::string& command, Bytes& out) {
  out.clear();
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return -1;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0) out.insert(out.end(), buf, buf + n);
  int status = ::pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int RunCommand(const std::string& command, std::string* out) {
  Bytes bytes;
  int rc = RunCommandBytes(command, bytes);
  if (out) out->assign(bytes.begin(), bytes.end());
  return rc;
}

bool HaveProgram(const std::string& name) { return RunCommand("command -v " + name + " >/dev/null 2>&1") == 0; }

std::string ShellQuote(const std::string& text) {
  std::string q = "'";
  for (char c : text) {
    if (c == '\'') q += "'\\''";
    else q += c;
  }
  return q + "'";
}

bool ReadWav(const std::string& path, int32_t& channels, int32_t& bits, int32_t& tag, std::vector<double>& samples) {
  tacetix::PCMFile f;
  tacetix::WaveInfo info{};
  if (f.OpenInput(path, false) != 0 || f.GetInfo(info) != 0) return false;
  channels = info.Channels;
  bits = info.BitsPerSample;
  tag = info.FormatTag;
  samples.assign(static_cast<size_t>(info.SampleCount), 0.0);
  if (info.SampleCount == 0) return true;
  if (f.SeekSample(0) != 0) return false;
  int32_t got = 0;
  return f.ReadSamples(samples.data(), info.SampleCount, got) == 0 && got == info.SampleCount;
}

void WriteWav16(const std::string& path, uint16_t channels, const std::vector<int16_t>& samples, uint32_t rate) {
  WriteFile(path, SimpleWav(1, channels, rate, 16, Pcm16(samples)));
}

std::vector<std::filesystem::path> TemporaryOutputs(const std::string& finalPath) {
  namespace fs = std::filesystem;
  const fs::path target(finalPath);
  const std::string prefix = "." + target.filename().string() + ".tacetix-";
  std::vector<fs::path> found;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(target.parent_path(), ec))
    if (entry.path().filename().string().rfind(prefix, 0) == 0) found.push_back(entry.path());
  return found;
}

uintmax_t OutputBytesSoFar(const std::string& finalPath) {
  std::error_code ec;
  uintmax_t bytes = 0;
  for (const auto& path : TemporaryOutputs(finalPath)) bytes = std::max(bytes, std::filesystem::file_size(path, ec));
  const uintmax_t final = std::filesystem::file_size(finalPath, ec);
  return ec ? bytes : std::max(bytes, final);
}

}  // namespace testsupport
