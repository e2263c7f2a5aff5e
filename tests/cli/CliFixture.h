// A temporary folder that tacetix-cli runs in and what its last run printed, and the check that
// an output left behind is a wave file whose header agrees with its size and that sox reads.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "support/CliHarness.h"
#include "support/TestSupport.h"

namespace clitest {

class CliFixture : public ::testing::Test {
 protected:
  testsupport::TempDir Dir;
  std::string Out;  // standard output, with standard error in the order written unless the call separates them
  std::string Err;

  testsupport::CliCall Call(const std::string& args) const {
    return testsupport::CliCall(TACETIX_CLI, args).In(Dir.Path());
  }
  int Run(const testsupport::CliCall& call) {
    testsupport::CliResult run = testsupport::RunCli(call);
    Out = std::move(run.Out);
    Err = std::move(run.Err);
    return run.Status;
  }
  // A hang is a failure too: the harness kills the CLI past its time limit and fails the test.
  int Cli(const std::string& args) { return Run(Call(args)); }
};

// The canonical header's sizes agree with the file, and sox reads every sample of it.
inline void ExpectReadableWav(const std::string& path) {
  const testsupport::Bytes b = testsupport::ReadFile(path);
  ASSERT_GE(b.size(), 44u) << path;
  const uint32_t dataBytes = testsupport::Le32At(b, 40);
  EXPECT_EQ(testsupport::Le32At(b, 4) + 8u, b.size()) << path;
  EXPECT_EQ(44u + dataBytes + (dataBytes & 1u), b.size()) << path;
  std::string err;
  EXPECT_EQ(testsupport::RunCommand("sox -V1 " + testsupport::ShellQuote(path) + " -n 2>&1", &err), 0)
      << path << ": " << err;
}

}  // namespace clitest
