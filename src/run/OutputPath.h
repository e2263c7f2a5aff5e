// Naming and placing of output files.
#pragma once

#include <string>

#include "options/ProcessSettings.h"
#include "wave/SampleSource.h"

namespace tacetix {

enum class PathVerdict {
  Ok,
  FolderRefused,  // the output folder does not exist and cannot be created
  ExistsRefused,  // a file exists at the output path and overwriting is off
  SameAsInput,    // the output path names the source file itself
};

struct OutputPath {
  std::string Folder;
  std::string FileName;
  std::string Path;
  PathVerdict Verdict = PathVerdict::Ok;
  std::string Reason;       // with a refusal: the folder and the system's words, or the output path
  bool FolderMade = false;  // this placement created the folder
};

// The platform's path separator.
char PathSeparator();
// "" when path ends in a separator, else the separator (also for an empty path).
std::string BackslashIfNeeded(const std::string& path);
// The source folder up to and including the last separator, and the name after it.
std::string FolderPart(const std::string& path);
std::string FileNamePart(const std::string& path);

// The container a source's output is written in: the one chosen, or for "same" the one the
// source's name says (.flac, .aif/.aiff/.aifc; WAV for every other name), so that the
// output's extension always names its type.
AudioContainer OutputContainer(const std::string& sourcePath, OutputKind kind);
// The output folder, name and path of a source, worked out without touching the disk.
OutputPath PlanOutputPath(const std::string& sourcePath, const ProcessSettings& settings);
// Works out the output folder and name, creates the folder unless simulating, and
// refuses a file that exists (without Overwrite) or that is the source itself.
OutputPath BuildOutputPath(const std::string& sourcePath, const ProcessSettings& settings);

}  // namespace tacetix
