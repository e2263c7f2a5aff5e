// The run's file list from what the command line names: files, folders and lists of files.
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <unordered_map>
#include <vector>

#include "cli/CliOptions.h"

namespace tacetix {

class InputList {
 public:
  InputList(bool recursive, bool nulSeparated, std::istream& standardInput)
      : Recursive(recursive), NulSeparated(nulSeparated), StandardInput(standardInput) {}

  // Reads the lists and walks the folders, in the order given. false when a list could not
  // be read: then nothing should be processed.
  bool Expand(const std::vector<InputSource>& inputs);
  // A walk leaves out the folders a run with these settings writes its outputs to (kept
  // until the expansion ends).
  void SkipOutputs(const ProcessSettings& settings) { OutputsOf = &settings; }

  std::vector<std::string> Files;     // full paths, each file once, in the order named
  std::vector<std::string> Problems;  // "NAME: what is wrong", for the error stream
  std::vector<std::string> Notes;     // "NAME: ...", duplicates dropped

 private:
  bool ReadList(const std::string& name);
  void Add(const std::string& name);
  void AddFile(const std::string& path);
  void Walk(const std::string& folder);

  bool Recursive;
  bool NulSeparated;
  std::istream& StandardInput;
  const ProcessSettings* OutputsOf = nullptr;
  // A file as the system knows it (device and inode), or its path when it has none.
  std::unordered_map<std::string, size_t> Seen;
};

}  // namespace tacetix
