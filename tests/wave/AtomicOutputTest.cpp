// The write side's temporary file: beside the final name, moved there by CloseOutput, and
// possible for names as long as the file system allows.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/TestSupport.h"
#include "support/WaveClass.h"

using namespace tacetix;
using namespace testsupport;
namespace fs = std::filesystem;

TEST(AtomicOutput, TheOutputAppearsOnlyWhenClosedEvenUnderTheLongestName) {
  TempDir dir;
  WriteFile(dir.File("in.wav"), SimpleWav(1, 1, 8000, 16, Pcm16({1, 2})));
  std::string temporaryName;
  auto temporaries = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(dir.Path()))
      if (e.path().filename().string().find(".tacetix-") != std::string::npos) {
        temporaryName = e.path().filename().string();
        ++n;
      }
    return n;
  };
  // Every byte that starts a character is followed by as many continuation bytes as it says.
  auto wholeUtf8 = [](const std::string& name) {
    for (size_t i = 0; i < name.size();) {
      const unsigned char lead = static_cast<unsigned char>(name[i]);
      const size_t length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
      if (length == 0 || i + length > name.size()) return false;
      for (size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(name[i + k]) & 0xC0) != 0x80) return false;
      i += length;
    }
    return true;
  };
  // 255 bytes, the most a name may hold: the temporary name must be cut to fit, and never
  // inside a character (three bytes each here, so a plain cut would split one).
  std::string wide;
  while (wide.size() < 249) wide += "\xE9\x9F\xB3";
  for (const std::string& out :
       {dir.File("o.wav"), dir.File(std::string(251, 'n') + ".wav"), dir.File(wide + "a.wav")}) {
    PCMFile f;
    ASSERT_EQ(f.OpenInput(dir.File("in.wav"), false), 0);
    ASSERT_EQ(f.CreateOutput(out, -1, -1, -1, false), 0) << out.size();
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(temporaries(), 1);
    EXPECT_TRUE(wholeUtf8(temporaryName)) << temporaryName;
    ASSERT_EQ(f.CloseOutput(), 0);
    EXPECT_TRUE(f.OutputMoved());
    EXPECT_EQ(ReadFile(out).size(), 44u);
    EXPECT_EQ(temporaries(), 0);
  }
}
