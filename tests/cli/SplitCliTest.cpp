// Splitting through tacetix-cli, judged by sox: every part is readable and holds the source's
// samples from where its keep begins to where it ends; the parts' names, labels and records;
// a part whose name is taken leaves no part at all.
#include <cstring>
#include <filesystem>
#include <map>
#include <regex>

#include "CliFixture.h"
#include "support/WavBuilder.h"

using namespace testsupport;

namespace {

constexpr uint32_t Rate = 48000;
constexpr int64_t Keep = 4800;  // --keep 100 at 48 kHz

struct Tone {
  int64_t First, Last;  // frames, inclusive
};
// Three sounds between silences of 1.5 and 2.5 s, with silence at both ends.
constexpr Tone Tones[] = {{9600, 57599}, {129600, 187199}, {307200, 331199}};
constexpr int64_t Frames = 345600;

class SplitCliTest : public clitest::CliFixture {
 protected:
  void SetUp() override {
    ASSERT_TRUE(HaveProgram("sox")) << "sox is required for this test";
    Source.assign(static_cast<size_t>(Frames * 2), 0);
    for (const Tone& t : Tones)
      for (int64_t f = t.First; f <= t.Last; ++f)
        for (int c = 0; c < 2; ++c)
          Source[static_cast<size_t>(f * 2 + c)] = static_cast<int16_t>(900 + (f * 7 + c) % 5000);
    WriteWav16(Dir.File("src.wav"), 2, Source, Rate);
  }
  // The part's samples as sox decodes them.
  std::vector<int16_t> SoxSamples(const std::string& path) {
    Bytes raw;
    EXPECT_EQ(RunCommandBytes("sox " + ShellQuote(path) + " -t raw -e signed -b 16 -L -", raw), 0) << path;
    std::vector<int16_t> s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
  }
  std::vector<int16_t> Source;
};

TEST_F(SplitCliTest, EveryPartHoldsTheSourceFromItsKeepToItsKeep) {
  ASSERT_EQ(Cli("--split-gap 1000 --keep 100 -o out --log log.csv --log-short --log-names-only --split-labels src.wav"),
            0)
      << Out;
  std::string labels;
  for (size_t i = 0; i < std::size(Tones); ++i) {
    const std::string name = "src-0" + std::to_string(i + 1) + ".wav";
    SCOPED_TRACE(name);
    clitest::ExpectReadableWav(Dir.File("out/" + name));
    const int64_t first = Tones[i].First - Keep, last = Tones[i].Last + Keep;
    const std::vector<int16_t> expected(Source.begin() + first * 2, Source.begin() + (last + 1) * 2);
    EXPECT_TRUE(SoxSamples(Dir.File("out/" + name)) == expected);
    char line[128];
    std::snprintf(line, sizeof line, "%.6f\t%.6f\t%s\n", first / 48000.0, (last + 1) / 48000.0, name.c_str());
    labels += line;
  }
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/src.wav")));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/src-04.wav")));
  EXPECT_EQ(ReadText(Dir.File("out/src.txt")), labels);
  const std::string log = ReadText(Dir.File("log.csv"));
  EXPECT_NE(log.find("\"src.wav\";2;16;48000;345600;4800;62399;\"unknown\";0.000000;\"src-01.wav\";16;57600"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find(";302400;335999;\"unknown\";0.000000;\"src-03.wav\";16;33600"), std::string::npos) << log;
}

// The silence a part keeps stops at the middle of its gap; a count keeps the longest gap only.
TEST_F(SplitCliTest, ACountSplitsAtTheLongestGapAndKeepStopsHalfway) {
  ASSERT_EQ(Cli("--split-count 2 --keep 2000 -o out src.wav"), 0) << Out;
  const int64_t middle = Tones[1].Last + 1 + (Tones[2].First - Tones[1].Last - 1) / 2;        // 2.5 s gap: 60000 each
  EXPECT_EQ(SoxSamples(Dir.File("out/src-01.wav")).size(), static_cast<size_t>(middle * 2));  // keep reaches frame 0
  EXPECT_EQ(SoxSamples(Dir.File("out/src-02.wav")).size(), static_cast<size_t>((Frames - middle) * 2));
}

// Two jobs write what one job writes: the same parts, log and report lines, in list order.
TEST_F(SplitCliTest, TwoJobsGiveWhatOneGives) {
  for (const char* copy : {"b.wav", "c.wav"}) std::filesystem::copy_file(Dir.File("src.wav"), Dir.File(copy));
  const std::string args = "--split-gap 1000 --split-count 3 --keep 50 --fade 20 --normalize -1 --split-gain part "
                           "--log-short --log-names-only --report ";
  std::map<std::string, std::string> seen[2];
  for (int jobs : {1, 2}) {
    const std::string out = "o" + std::to_string(jobs);
    ASSERT_EQ(Cli(args + out + ".jsonl --log " + out + ".csv -j " + std::to_string(jobs) + " -o " + out +
                  " src.wav b.wav c.wav"),
              0)
        << Out;
    for (const auto& entry : std::filesystem::directory_iterator(Dir.File(out)))
      seen[jobs - 1][entry.path().filename().string()] = ReadText(entry.path().string());
    // The report without its seconds and folder names.
    std::string report =
        std::regex_replace(ReadText(Dir.File(out + ".jsonl")), std::regex("\"seconds\":[0-9.e-]+"), "");
    seen[jobs - 1]["report"] = std::regex_replace(report, std::regex("/" + out + "/"), "/");
    seen[jobs - 1]["log"] = ReadText(Dir.File(out + ".csv"));
  }
  EXPECT_EQ(seen[0].size(), 9u + 2u);
  EXPECT_TRUE(seen[0] == seen[1]);
}

// Kept metadata: every part has the tags, the bext time reference of its first frame and the cue
// points it holds, moved; a point between parts is named. ffprobe and sndfile-info read them.
TEST_F(SplitCliTest, EveryPartCarriesItsMetadata) {
  ASSERT_TRUE(HaveProgram("ffprobe") && HaveProgram("sndfile-info"));
  Bytes bext(602, 0);
  bext[338] = 0xA0, bext[339] = 0x86, bext[340] = 0x01;  // time reference 100000
  Bytes cue;
  Put32(cue, 3);
  for (uint32_t id : {1u, 2u, 3u}) {
    const uint32_t at = id == 1 ? 20000 : id == 2 ? 90000 : 140000;  // in part 1, between, in part 2
    for (uint32_t field : {id, at, 0x61746164u, 0u, 0u, at}) Put32(cue, field);
  }
  Bytes data(Source.size() * 2);
  std::memcpy(data.data(), Source.data(), data.size());
  const Bytes info = [] {
    Bytes b;
    PutId(b, "INFO");
    const Bytes name = ChunkBytes("INAM", Bytes{'T', 'a', 'k', 'e', 0});
    b.insert(b.end(), name.begin(), name.end());
    return b;
  }();
  WriteFile(
      Dir.File("m.wav"),
      WavBuilder().Fmt(1, 2, Rate, 16).Chunk("bext", bext).Chunk("LIST", info).Data(data).Chunk("cue ", cue).Build());
  ASSERT_EQ(Cli("--split-gap 1000 --keep-metadata -o out m.wav"), 0) << Out;
  EXPECT_NE(Out.find("m.wav: cue point 2 at frame 90000 dropped: between parts"), std::string::npos) << Out;
  for (size_t i = 0; i < std::size(Tones); ++i) {
    const std::string part = Dir.File("out/m-0" + std::to_string(i + 1) + ".wav");
    std::string tags, cues;
    ASSERT_EQ(RunCommand("ffprobe -v error -show_entries format_tags " + ShellQuote(part), &tags), 0);
    EXPECT_NE(tags.find("time_reference=" + std::to_string(100000 + Tones[i].First)), std::string::npos) << tags;
    EXPECT_NE(tags.find("title=Take"), std::string::npos) << tags;
    ASSERT_EQ(RunCommand("sndfile-info " + ShellQuote(part) + " | grep 'Cue ID'", &cues), i == 2 ? 1 : 0);
    const std::string expected = i == 0 ? "Cue ID :  1  Pos : 10400 " : "Cue ID :  3  Pos : 10400 ";
    if (i < 2) EXPECT_NE(cues.find(expected), std::string::npos) << cues;
  }
}

// One part's name taken: the source's parts are all or nothing, and the file there stays.
TEST_F(SplitCliTest, ATakenPartNameLeavesNoPart) {
  std::filesystem::create_directory(Dir.File("out"));
  WriteFile(Dir.File("out/src-02.wav"), Bytes{'k', 'e', 'e', 'p'});
  EXPECT_NE(Cli("--split-gap 1000 -o out src.wav"), 0);
  EXPECT_NE(Out.find("src-02.wav"), std::string::npos) << Out;
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/src-01.wav")));
  EXPECT_FALSE(std::filesystem::exists(Dir.File("out/src-03.wav")));
  EXPECT_EQ(ReadFile(Dir.File("out/src-02.wav")), (Bytes{'k', 'e', 'e', 'p'}));
  EXPECT_TRUE(TemporaryOutputs(Dir.File("out/src-01.wav")).empty());
}

}  // namespace
