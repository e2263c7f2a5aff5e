// The write side's temporary file: beside the final name, moved there by CloseOutput, gone
// after a discard or a taken name, and possible for names as long as the file system allows.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"
#include "wave/WaveClass.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

TEST(AtomicOutput, TheOutputAppearsOnlyWhenClosed) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 1, 8000, 16, Pcm16({1, 2})));
  const std::string longName = dir.File(std::string(251, 'n') + ".wav");  // 255 bytes, the most a name holds
  auto temporaries = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      n += e.path().filename().string().find(".tacetix-") != std::string::npos;
    return n;
  };
  for (const std::string& out : {dir.File("o.wav"), longName}) {
    PCMFile f;
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
    ASSERT_EQ(f.CreateOutput(out, -1, -1, -1, false), 0) << out.size();
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(temporaries(), 1);
    ASSERT_EQ(f.CloseOutput(), 0);
    EXPECT_TRUE(f.OutputMoved());
    EXPECT_EQ(ReadFile(out).size(), 44u);
  }
  // Without replace a taken name stays as it was; a discarded output leaves nothing.
  PCMFile f;
  ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
  ASSERT_EQ(f.CreateOutput(dir.File("o.wav"), 24, 1, -1, false), 0);
  WriteFile(dir.File("o.wav"), {'x'});
  EXPECT_EQ(f.CloseOutput(), 1);
  EXPECT_TRUE(f.OutputNameTaken());
  EXPECT_EQ(ReadFile(dir.File("o.wav")), Bytes{'x'});
  ASSERT_EQ(f.CreateOutput(dir.File("p.wav"), -1, -1, -1), 0);
  f.DiscardOutput();
  EXPECT_FALSE(fs::exists(dir.File("p.wav")));
  EXPECT_EQ(temporaries(), 0);
}
