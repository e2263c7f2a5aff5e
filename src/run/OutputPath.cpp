// Output folder and file name of one source file.
#include "run/OutputPath.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace tacetix {
namespace fs = std::filesystem;

namespace {

// Where a folder part ends: the last separator (and on Windows also a drive colon).
size_t FolderEnd(const std::string& path) {
#ifdef _WIN32
  const size_t at = path.find_last_of("\\/:");
#else
  const size_t at = path.find_last_of('/');
#endif
  return at == std::string::npos ? 0 : at + 1;
}

std::string BaseName(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos ? name : name.substr(0, dot);
}

bool FolderExists(const std::string& folder) {
  std::error_code ec;
  return !folder.empty() && fs::is_directory(fs::path(folder), ec);
}

// A folder of that name is not an existing output file.
bool FileExists(const std::string& path) {
  std::error_code ec;
  const fs::file_status st = fs::status(fs::path(path), ec);
  return !ec && fs::exists(st) && !fs::is_directory(st);
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code ec;
  return fs::equivalent(fs::path(a), fs::path(b), ec) && !ec;
}

// Making a folder where a file stands fails with "File exists", which reads as no fault.
std::string FolderRefusal(const std::string& folder, const std::error_code& made) {
  std::error_code ec;
  return !made || fs::exists(fs::path(folder), ec) ? "not a folder" : made.message();
}

std::string LowerExtension(const std::string& name) {
  const size_t dot = name.find_last_of('.');
  std::string ext = dot == std::string::npos ? "" : name.substr(dot);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext;
}

const char* ExtensionOf(AudioContainer container) {
  switch (container) {
    case AudioContainer::Flac: return ".flac";
    case AudioContainer::Aiff: return ".aiff";
    default: return ".wav";
  }
}

}  // namespace

AudioContainer OutputContainer(const std::string& sourcePath, OutputKind kind) {
  switch (kind) {
    case OutputKind::Wave: return AudioContainer::Wave;
    case OutputKind::Flac: return AudioContainer::Flac;
    case OutputKind::Aiff: return AudioContainer::Aiff;
    default: break;
  }
  const std::string ext = LowerExtension(FileNamePart(sourcePath));
  if (ext == ".flac") return AudioContainer::Flac;
  if (ext == ".aif" || ext == ".aiff" || ext == ".aifc") return AudioContainer::Aiff;
  return AudioContainer::Wave;
}

char PathSeparator() { return static_cast<char>(fs::path::preferred_separator); }

std::string BackslashIfNeeded(const std::string& path) {
  if (!path.empty() && (path.back() == PathSeparator() || path.back() == '/')) return "";
  return std::string(1, PathSeparator());
}

std::string FolderPart(const std::string& path) { return path.substr(0, FolderEnd(path)); }

std::string FileNamePart(const std::string& path) { return path.substr(FolderEnd(path)); }

OutputPath PlanOutputPath(const std::string& sourcePath, const ProcessSettings& settings) {
  OutputPath out;
  const std::string sourceFolder = FolderPart(sourcePath);
  const char* extension = ExtensionOf(OutputContainer(sourcePath, settings.OutputType));
  out.FileName = settings.Prefix + BaseName(FileNamePart(sourcePath)) + settings.Suffix + extension;
  out.Folder = settings.FolderMode == FolderKind::Subfolder
                   ? sourceFolder + BackslashIfNeeded(sourceFolder) + settings.FolderText
                   : settings.FolderText;
  out.Path = out.Folder + BackslashIfNeeded(out.Folder) + out.FileName;
  return out;
}

OutputPath BuildOutputPath(const std::string& sourcePath, const ProcessSettings& settings) {
  OutputPath out = PlanOutputPath(sourcePath, settings);
  const std::string path = out.Path;
  out.Path.clear();
  if (!FolderExists(out.Folder) && !settings.Simulation) {
    // Only the last level is created: a missing parent is a refusal, not a surprise tree.
    // Another run working in the same folders (a shard of a scaled-out job) may create it
    // between the check and here: a folder that exists now is as good as one made.
    std::error_code ec;
    const bool made = !out.Folder.empty() && fs::create_directory(fs::path(out.Folder), ec) && !ec;
    out.FolderMade = made;
    if (!made && !FolderExists(out.Folder)) {
      out.Verdict = PathVerdict::FolderRefused;
      out.Reason = out.Folder.empty() ? "no output folder given" : out.Folder + ": " + FolderRefusal(out.Folder, ec);
      return out;
    }
  }
  out.Path = path;
  // Never write over a source: checked before anything is created or truncated.
  if (SameFile(sourcePath, out.Path)) out.Verdict = PathVerdict::SameAsInput;
  else if (FileExists(out.Path) && !settings.Overwrite) out.Verdict = PathVerdict::ExistsRefused;
  if (out.Verdict != PathVerdict::Ok) out.Reason = out.Path;
  return out;
}

}  // namespace tacetix
