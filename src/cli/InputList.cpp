// Expanding the command line's inputs: lists read line by line (or NUL by NUL), folders
// walked in name order, and every file kept once however it was spelled.
#include "cli/InputList.h"

#include "cli/TerminalText.h"
#include "run/FolderWalk.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>

namespace tacetix {
namespace fs = std::filesystem;

namespace {

// The window always holds full paths; so do the status lines, the log and the report.
bool FullPath(const std::string& name, std::string& path, std::string& problem) {
  std::error_code ec;
  const fs::path full = name.empty() ? fs::path() : fs::absolute(name, ec);
  if (name.empty() || ec) {
    problem = "'" + name + "': " + (name.empty() ? "empty file name" : ec.message());
    return false;
  }
  path = full.lexically_normal().string();
  return true;
}

}  // namespace

bool InputList::Expand(const std::vector<InputSource>& inputs) {
  for (const InputSource& input : inputs) {
    if (!input.IsList) Add(input.Name);
    else if (!ReadList(input.Name)) return false;
  }
  return true;
}

bool InputList::ReadList(const std::string& name) {
  // A folder opens as a stream that then fails every read, and an empty name fails with an
  // empty name in its message: both are said in words that tell what to change.
  if (name.empty()) {
    Problems.push_back("--files-from: the list's name is empty");
    return false;
  }
  std::error_code ec;
  if (name != "-" && fs::is_directory(name, ec)) {
    Problems.push_back(name + ": is a folder, not a list of files");
    return false;
  }
  std::ifstream file;
  if (name != "-") {
    file.open(name, std::ios::binary);
    if (!file) {
      Problems.push_back(TerminalName(name) + ": " + std::strerror(errno));
      return false;
    }
  }
  std::istream& in = name == "-" ? StandardInput : file;
  const char separator = NulSeparated ? '\0' : '\n';
  for (std::string entry; std::getline(in, entry, separator);) {
    // A list saved on Windows ends its lines in CR LF; the CR is no part of the name.
    if (!NulSeparated && !entry.empty() && entry.back() == '\r') entry.pop_back();
    if (!entry.empty()) Add(entry);
  }
  if (in.bad()) {
    Problems.push_back((name == "-" ? std::string("standard input") : TerminalName(name)) + ": read error");
    return false;
  }
  return true;
}

void InputList::Add(const std::string& name) {
  std::string path, problem;
  if (!FullPath(name, path, problem)) {
    Problems.push_back(problem);
    return;
  }
  std::error_code ec;
  if (!fs::is_directory(path, ec)) AddFile(path);
  else if (Recursive) Walk(path);
  else Problems.push_back(TerminalName(path) + ": is a folder (use --recursive)");
}

void InputList::AddFile(const std::string& path) {
  struct stat st {};
  const std::string key = ::stat(path.c_str(), &st) == 0 ? std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino)
                                                         : "path:" + path;
  const auto [it, added] = Seen.emplace(key, Files.size());
  if (added) {
    Files.push_back(path);
    return;
  }
  const std::string& first = Files[it->second];
  Notes.push_back(TerminalName(path) +
                  (first == path ? ": named more than once" : ": same file as " + TerminalName(first)) +
                  ", processed once");
}

void InputList::Walk(const std::string& folder) {
  WaveWalk walk;
  walk.SkipFolder = [this](const fs::path& entry) {
    if (!OutputsOf || !IsOutputFolderOf(entry, *OutputsOf)) return false;
    Notes.push_back(TerminalName(entry.string()) + ": output folder, not read");
    return true;
  };
  walk.File = [this](const std::string& path) { AddFile(path); };
  walk.Problem = [this](const std::string& problem) { Problems.push_back(problem); };
  walk.Unreadable = [this](const std::string& path) { AddFile(path); };
  WalkWaveFolder(folder, walk);
}

}  // namespace tacetix
