// What every test of one file's processing holds: a folder, the run's buffer and front end,
// the settings, the log record and the outcome, and a call of ProcessFile over them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeFrontEnd.h"
#include "batch/ProcessFile.h"
#include "support/TestSupport.h"

class OneFileTest : public ::testing::Test {
 protected:
  testsupport::TempDir Dir;
  std::vector<double> Buffer = std::vector<double>(tacetix::BlockValues);
  FakeFrontEnd Fe;
  tacetix::ProcessSettings S;
  tacetix::Logfile Record;
  tacetix::FileOutcome Outcome;
  int32_t Code = 0;

  tacetix::FileResult RunFile(const tacetix::ProcessSettings& settings, const std::string& in,
                              const std::string& out, tacetix::Logfile* record) {
    tacetix::RowFile file;
    tacetix::FileContext c{settings, file, Buffer.data(), Fe, tacetix::RowProgress{0, 100.0f}, record};
    return tacetix::ProcessFile(c, in, out, Code, &Outcome);
  }
  std::string In() const { return Dir.File("in.wav"); }
  std::string Out() const { return Dir.File("out.wav"); }
};
