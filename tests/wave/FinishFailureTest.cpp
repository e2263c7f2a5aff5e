// Finishing an output can fail after all its data was written: that must be reported.
#include <gtest/gtest.h>

#include "support/ChildLimit.h"
#include "support/TestSupport.h"
#include "support/WaveClass.h"

using namespace tacetix;
using namespace testsupport;

TEST(FinishFailure, PadByteThatCannotBeWrittenFailsTheFinish) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 1, 8000, 8, Bytes{128, 129, 130}));
  const std::string out = dir.File("out.wav");
  // 44 header bytes and 3 data bytes fit; the pad byte at offset 47 does not.
  const int code = InChildWithFileLimit(47, [&] {
    PCMFile f;
    const double v[3] = {0.0, 0.5, -0.5};
    int32_t written = 0;
    if (f.OpenInput(dir.File("in.wav"), false) || f.CreateOutput(out, -1, -1, -1) || f.RewindOutput() ||
        f.WriteSamples(v, 3, written))
      return 10;
    const int finish = f.FinishOutput();
    return finish == 1 && f.CloseOutput() == 0 ? 0 : 20 + finish;
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadFile(out).size(), 47u);
}

TEST(FinishFailure, CloseOfAPendingOutputReportsTheFailedFinish) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 1, 8000, 8, Bytes{128, 129, 130}));
  const int code = InChildWithFileLimit(47, [&] {
    PCMFile f;
    const double v[3] = {0.0, 0.5, -0.5};
    int32_t written = 0;
    if (f.OpenInput(dir.File("in.wav"), false) || f.CreateOutput(dir.File("out.wav"), -1, -1, -1) || f.RewindOutput() ||
        f.WriteSamples(v, 3, written))
      return 10;
    return f.CloseOutput() == 1 ? 0 : 30;
  });
  EXPECT_EQ(code, 0);
}
