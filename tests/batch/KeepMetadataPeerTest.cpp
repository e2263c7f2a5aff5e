// Kept metadata as other programs read it: ffprobe (tags, time reference, speaker layout),
// mediainfo (the bext time stamp) and sndfile-info (cue points, loops).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ChunkLayout.h"
#include "OneFileFixture.h"
#include "support/TestSupport.h"

using namespace tacetix;
using namespace testsupport;

namespace {

class KeepMetadataPeerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A missing peer fails: test.sh installs them all.
    for (const char* peer : {"ffmpeg", "ffprobe", "mediainfo", "sndfile-info"}) ASSERT_TRUE(HaveProgram(peer)) << peer;
    Settings.KeepMetadata = true;
    Settings.Overwrite = true;
  }
  // Runs ProcessFile on in; the output's name.
  std::string Process(const std::string& in) {
    EXPECT_EQ(ProcessOneFile(Settings, in, Dir.File("out.wav"), Fe, &Outcome, &Record), FileResult::Done) << in;
    return Dir.File("out.wav");
  }
  static std::string Peer(const std::string& command) {
    std::string out;
    EXPECT_EQ(RunCommand(command, &out), 0) << command;
    return out;
  }
  // Half a second of digital silence, then half a second of tone.
  std::string MakeTone(const std::string& name, const std::string& layout, const std::string& extra) {
    const std::string path = Dir.File(name);
    Peer("ffmpeg -v error -y -f lavfi -i 'anullsrc=r=48000:cl=" + layout +
         ":d=0.5' -f lavfi -i sine=f=440:r=48000:d=0.5 "
         "-filter_complex '[1]aformat=channel_layouts=" +
         layout + "[s];[0][s]concat=n=2:v=0:a=1' " + extra + " " + ShellQuote(path));
    return path;
  }

  TempDir Dir;
  FakeFrontEnd Fe;
  ProcessSettings Settings;
  FileOutcome Outcome;
  Logfile Record;
};

std::string Probe(const std::string& entries, const std::string& path) {
  std::string out;
  EXPECT_EQ(
      RunCommand("ffprobe -v error -show_entries " + entries + " -of default=nw=1:nk=1 " + ShellQuote(path), &out), 0);
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

}  // namespace

TEST_F(KeepMetadataPeerTest, SpeakerLayoutsSurviveTheCut) {
  struct Case {
    const char* Layout;  // of the input, made by ffmpeg; "" = a plain 3-channel fmt without a mask
    const char* Codec;
    int32_t BitsChoice;
    const char* Expected;
  };
  const Case cases[] = {
      {"5.1", "pcm_s24le", 0, "5.1"},
      {"5.1(side)", "pcm_s24le", 0, "5.1(side)"},
      {"7.1", "pcm_f32le", 0, "7.1"},
      {"quad", "pcm_s16le", 0, "quad"},
      {"stereo", "pcm_s16le", 5, "stereo"},  // made 24-bit: the extensible fmt names the pair
      {"", "", 0, "2.1"},                    // no mask of its own: the usual layout of 3 channels
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Layout);
    std::string in = Dir.File("plain3.wav");
    if (c.Layout[0] != '\0') {
      in = MakeTone("tone.wav", c.Layout, std::string("-c:a ") + c.Codec);
    } else {
      std::vector<int16_t> samples(3 * 100, 0);
      samples[3 * 40] = 900;
      WriteWav16(in, 3, samples, 48000);
    }
    Settings.BitsChoice = c.BitsChoice;
    const std::string out = Process(in);
    EXPECT_EQ(Probe("stream=channel_layout", out), c.Expected);
  }
}

TEST_F(KeepMetadataPeerTest, TimeReferenceAndTagsFollowTheFirstFrameWritten) {
  const std::string in = MakeTone("bwf.wav", "mono",
                                  "-c:a pcm_s24le -write_bext 1 -metadata time_reference=48000000 "
                                  "-metadata title='Take 7' -metadata artist=Crew");
  const std::string out = Process(in);
  ASSERT_GT(Outcome.KeepFirst, 20000);  // the half second of silence is cut
  const uint64_t expected = 48000000u + static_cast<uint64_t>(Outcome.KeepFirst);
  EXPECT_EQ(Probe("format_tags=time_reference", out), std::to_string(expected));
  EXPECT_EQ(Probe("format_tags=title", out), "Take 7");
  EXPECT_EQ(Probe("format_tags=artist", out), "Crew");
  EXPECT_EQ(Probe("stream=channel_layout", out), "mono");
  // mediainfo gives the bext stamp as a delay in milliseconds.
  char delay[64];
  std::snprintf(delay, sizeof delay, "%.6f", static_cast<double>(expected) / 48.0);
  EXPECT_NE(
      Peer("mediainfo -f " + ShellQuote(out)).find(std::string("Delay                                    : ") + delay),
      std::string::npos)
      << delay;
}

TEST_F(KeepMetadataPeerTest, CuePointsAndLoopsAsSndfileReadsThem) {
  // Mono, 1000 frames, sound in 100..899; markers at 50, 150 and 600; loops 200..499 and 50..300.
  std::vector<int16_t> samples(1000, 0);
  for (size_t f = 100; f < 900; ++f) samples[f] = 500;
  WavBuilder b;
  b.Fmt(1, 1, 48000, 16)
      .Data(Pcm16(samples))
      .Chunk("cue ", chunklayout::Cue({{1, 50}, {2, 150}, {3, 600}}))
      .Chunk("LIST", chunklayout::List("adtl", chunklayout::Label("labl", 2)))
      .Chunk("smpl", chunklayout::Smpl({{200, 499}, {50, 300}}));
  const std::string in = Dir.File("marks.wav");
  WriteFile(in, b.Build());
  const std::string info = Peer("sndfile-info " + ShellQuote(Process(in)));
  for (const char* line :
       {"Count : 2", "Cue ID :  2  Pos :    50  Chunk : data  Chk Start : 0  Blk Start : 0  Offset :    50",
        "Cue ID :  3  Pos :   500  Chunk : data  Chk Start : 0  Blk Start : 0  Offset :   500", "labl : 2 : m",
        "Loop Count   : 1", "Start :   100  End :   399", "Frames      : 800"})
    EXPECT_NE(info.find(line), std::string::npos) << line << "\n" << info;
  EXPECT_EQ(info.find("Cue ID :  1"), std::string::npos) << "the marker in the cut silence is gone";
}

// sox refuses an extensible fmt whose valid bits are fewer than its container's; libsndfile and
// ffmpeg open what sox opens, and the log states the container's depth sox reads. Inputs:
// silence, then a tone, behind a LIST/INFO chunk.
TEST_F(KeepMetadataPeerTest, EveryPeerOpensTheOutputOfEveryDepth) {
  ASSERT_TRUE(HaveProgram("sox"));
  struct Case {
    const char* Name;
    uint16_t Channels;
    uint16_t Bits;
    uint16_t BlockAlign;
    int32_t BitsChoice;  // 0 as the input, 2 12-bit, 4 20-bit
    int32_t WrittenBits;
  };
  const Case cases[] = {
      {"24 bits in 4 bytes", 1, 24, 4, 0, 32},
      {"16-bit stereo made 20-bit", 2, 16, 4, 4, 24},
      {"six channels made 12-bit", 6, 16, 12, 2, 16},
      {"24-bit stereo as it is", 2, 24, 6, 0, 24},
      {"20 bits in 3 bytes as they are", 1, 20, 3, 0, 24},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    const size_t frameBytes = c.BlockAlign;
    Bytes data(frameBytes * 400, 0);
    for (size_t at = frameBytes * 200; at < data.size(); at += frameBytes / c.Channels) data[at + 1] = 0x40;
    const std::string in = Dir.File("depth.wav");
    WriteFile(in, WavBuilder{}
                      .Fmt(1, c.Channels, 48000, c.Bits, c.BlockAlign)
                      .Chunk("LIST", chunklayout::List("INFO", chunklayout::Entry("INAM", chunklayout::Text("take"))))
                      .Data(data)
                      .Build());
    Settings.BitsChoice = c.BitsChoice;
    const std::string out = ShellQuote(Process(in));
    std::string said;
    EXPECT_EQ(RunCommand("sox --i " + out, &said), 0) << said;
    EXPECT_EQ(std::stoi(Peer("sox --i -b " + out)), c.WrittenBits);
    EXPECT_EQ(Record.bits_out, static_cast<uint32_t>(c.WrittenBits));
    EXPECT_EQ(Probe("stream=channels", Dir.File("out.wav")), std::to_string(c.Channels));
    said = Peer("sndfile-info " + out);
    EXPECT_EQ(said.find("Error"), std::string::npos) << said;
  }
}
