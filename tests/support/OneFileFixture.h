// What every test of one file's processing holds: a folder, the run's front end, the
// settings, the log record and the outcome, and a call of ProcessFile over them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/ProcessFile.h"
#include "run/RowExecutor.h"
#include "support/FakeFrontEnd.h"
#include "support/TestSupport.h"

// One file through ProcessFile as the one-thread run gives it: a file object of its own,
// released on return (which finishes a partial output), and the front end's pumps and
// progress as the only row of the run.
inline tacetix::FileResult ProcessOneFile(const tacetix::ProcessSettings& settings, const std::string& in,
                                          const std::string& out, FakeFrontEnd& fe,
                                          tacetix::FileOutcome* outcome = nullptr, tacetix::Logfile* record = nullptr) {
  static std::vector<double> buffer(tacetix::BlockValues);
  tacetix::RowFile file;
  tacetix::FrontEndProgress progress(fe);
  tacetix::FileContext c{settings, file, buffer.data(), progress, tacetix::RowProgress{0, 100.0f}, record};
  return tacetix::ProcessFile(c, in, out, outcome);
}

class OneFileTest : public ::testing::Test {
 protected:
  testsupport::TempDir Dir;
  FakeFrontEnd Fe;
  tacetix::ProcessSettings S;
  tacetix::Logfile Record;
  tacetix::FileOutcome Outcome;

  tacetix::FileResult RunFile(const tacetix::ProcessSettings& settings, const std::string& in, const std::string& out,
                              tacetix::Logfile* record) {
    return ProcessOneFile(settings, in, out, Fe, &Outcome, record);
  }
  std::string In() const { return Dir.File("in.wav"); }
  std::string Out() const { return Dir.File("out.wav"); }
};
