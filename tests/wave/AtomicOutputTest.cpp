// The write side's temporary file: beside the final name, moved there by CloseOutput, and
// possible for names as long as the file system allows.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"
#include "wave/WaveClass.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

TEST(AtomicOutput, TheOutputAppearsOnlyWhenClosedEvenUnderTheLongestName) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 1, 8000, 16, Pcm16({1, 2})));
  auto temporaries = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      n += e.path().filename().string().find(".tacetix-") != std::string::npos;
    return n;
  };
  // 255 bytes, the most a name may hold: the temporary name must be cut to fit.
  for (const std::string& out : {dir.File("o.wav"), dir.File(std::string(251, 'n') + ".wav")}) {
    PCMFile f;
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
    ASSERT_EQ(f.CreateOutput(out, -1, -1, -1, false), 0) << out.size();
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(temporaries(), 1);
    ASSERT_EQ(f.CloseOutput(), 0);
    EXPECT_TRUE(f.OutputMoved());
    EXPECT_EQ(ReadFile(out).size(), 44u);
    EXPECT_EQ(temporaries(), 0);
  }
}
