// FLAC and AIFF through tacetix-cli, judged by the peers: the same options give the same
// samples in every output type (flac -d and ffmpeg decode them), the outputs open in flac -t,
// metaflac, ffprobe and sndfile-info, a round trip through FLAC is exact, and a broken
// FLAC source is refused without an output.
#include <string>
#include <vector>

#include "CliFixture.h"

using namespace testsupport;

namespace {

class FormatsCliTest : public clitest::CliFixture {
 protected:
  void SetUp() override {
    for (const char* tool : {"sox", "flac", "metaflac", "ffmpeg", "ffprobe", "sndfile-info"})
      if (!HaveProgram(tool)) GTEST_SKIP() << tool << " is missing";
  }
  std::string F(const std::string& name) const { return ShellQuote(Dir.File(name)); }
  // 3 s of noise between 0.4 s and 0.6 s of digital silence, 24 bits, undithered.
  void MakeSource(const std::string& name, const std::string& format = "-b 24") {
    ASSERT_EQ(
        RunCommand("sox -D -n -r 44100 -c 2 " + format + " " + F(name) + " synth 3 pinknoise vol 0.4 pad 0.4 0.6"), 0);
  }
  // Every sample as a 32-bit integer at the top of its word (or a float), as ffmpeg decodes it
  // (sox refuses to convert a 12-bit WAV).
  Bytes Samples(const std::string& name, const char* encoding = "s32le") {
    Bytes raw;
    EXPECT_EQ(RunCommandBytes("ffmpeg -v error -i " + F(name) + " -f " + encoding + " -", raw), 0) << name;
    return raw;
  }
  std::string Report() const { return ReadText(Dir.File("r.jsonl")); }
};

}  // namespace

// One source at every depth written as WAV, FLAC and AIFF with the same options: flac -d and
// ffmpeg give the WAV output's samples back from the others, and each output opens in every peer.
TEST_F(FormatsCliTest, EveryTypeHoldsTheSamplesOfTheWavOutput) {
  MakeSource("src.wav");
  for (const std::string bits : {"8", "12", "16", "20", "24", "32"}) {
    SCOPED_TRACE(bits);
    const std::string options = "--begin -50 --normalize -1 --keep 20 --fade 10 --bits " + bits + " src.wav";
    ASSERT_EQ(Cli("-q --format wav --suffix _w" + bits + " " + options), 0) << Out;
    ASSERT_EQ(Cli("-q --format flac --flac-level 8 --suffix _f" + bits + " " + options), 0) << Out;
    ASSERT_EQ(Cli("-q --format aiff --suffix _a" + bits + " " + options), 0) << Out;
    const std::string flac = "src_f" + bits + ".flac";
    const Bytes wav = Samples("src_w" + bits + ".wav");
    ASSERT_GT(wav.size(), 44100u * 2 * 4);
    ASSERT_EQ(RunCommand("flac -s -d -f -o " + F("dec.wav") + " " + F(flac)), 0);
    EXPECT_EQ(Samples("dec.wav"), wav);
    EXPECT_EQ(Samples("src_a" + bits + ".aiff"), wav);
    // The peers: the stream checks out whole, STREAMINFO counts the frames and signs the audio,
    // a seek table is there; the AIFF opens as what it is.
    std::string listing, info, probe;
    EXPECT_EQ(RunCommand("flac -s -t " + F(flac)), 0);
    ASSERT_EQ(RunCommand("metaflac --list " + F(flac), &listing), 0);
    const std::string frames = std::to_string(wav.size() / 8);
    EXPECT_NE(listing.find("total samples: " + frames + "\n"), std::string::npos) << listing;
    EXPECT_NE(listing.find("bits-per-sample: " + bits + "\n"), std::string::npos) << listing;
    EXPECT_EQ(listing.find("MD5 signature: 00000000000000000000000000000000"), std::string::npos) << listing;
    EXPECT_NE(listing.find("(SEEKTABLE)"), std::string::npos) << listing;
    for (const std::string& out : {flac, "src_a" + bits + ".aiff"}) {
      ASSERT_EQ(RunCommand("ffprobe -v error -show_entries stream=duration_ts -of csv=p=0 " + F(out), &probe), 0);
      EXPECT_EQ(probe, frames + "\n") << out;
      ASSERT_EQ(RunCommand("sndfile-info " + F(out), &info), 0);
      EXPECT_NE(info.find("Frames      : " + frames), std::string::npos) << info;
    }
  }
  // Float samples go into AIFF-C as fl32.
  ASSERT_EQ(Cli("-q --format wav --suffix _wf --begin -50 --bits 32f src.wav"), 0) << Out;
  ASSERT_EQ(Cli("-q --format aiff --suffix _af --begin -50 --bits 32f src.wav"), 0) << Out;
  const char* floats = "f32le";
  EXPECT_EQ(Samples("src_af.aiff", floats), Samples("src_wf.wav", floats));
  std::string probe;
  ASSERT_EQ(RunCommand("ffprobe -v error -show_entries stream=codec_name -of csv=p=0 " + F("src_af.aiff"), &probe), 0);
  EXPECT_EQ(probe, "pcm_f32be\n");
}

// WAV to FLAC and back with nothing but --format: the samples come back exactly, in the same
// canonical file; sources of each type give what the same WAV source gives.
TEST_F(FormatsCliTest, RoundTripThroughFlacIsExact) {
  std::vector<int16_t> noise;
  for (int i = 0; i < 200000; ++i) noise.push_back(static_cast<int16_t>((i * 7919 % 6007) - 3003 + (i % 2 ? 1 : -1)));
  WriteWav16(Dir.File("a.wav"), 2, noise);
  ASSERT_EQ(Cli("-q --format flac --suffix _1 a.wav"), 0) << Out;
  ASSERT_EQ(Cli("-q --format wav --suffix _2 a_1.flac"), 0) << Out;
  EXPECT_EQ(ReadFile(Dir.File("a_1_2.wav")), ReadFile(Dir.File("a.wav")));
  ASSERT_EQ(Cli("-q --format aiff --suffix _3 a.wav"), 0) << Out;
  ASSERT_EQ(Cli("-q --format wav --suffix _4 a_3.aiff"), 0) << Out;
  EXPECT_EQ(ReadFile(Dir.File("a_3_4.wav")), ReadFile(Dir.File("a.wav")));
  // Same as the source: a FLAC source gives FLAC, its samples those of the WAV source's output.
  MakeSource("b.wav");
  ASSERT_EQ(RunCommand("flac -s -o " + F("b.flac") + " " + F("b.wav") + " && sox " + F("b.wav") + " " + F("b.aif")), 0);
  for (const char* source : {"b.wav", "b.flac", "b.aif"})
    ASSERT_EQ(Cli(std::string("-q --begin -60 --end -40 --normalize -3 --suffix _s ") + source), 0) << Out;
  const Bytes wav = Samples("b_s.wav");
  EXPECT_EQ(Samples("b_s.flac"), wav);
  EXPECT_EQ(Samples("b_s.aiff"), wav);
  // Two jobs write what one writes.
  ASSERT_EQ(Cli("-q -j 2 --begin -60 --end -40 --normalize -3 --suffix _j b.wav b.flac b.aif"), 0) << Out;
  EXPECT_EQ(ReadFile(Dir.File("b_j.flac")), ReadFile(Dir.File("b_s.flac")));
  EXPECT_EQ(ReadFile(Dir.File("b_j.aiff")), ReadFile(Dir.File("b_s.aiff")));
}

// A FLAC source that is cut short, fails a frame's CRC or misses its MD5 signature is an error
// of its own kind with nothing written; a float source is no FLAC output, float depths no FLAC.
TEST_F(FormatsCliTest, BrokenFlacSourcesWriteNothing) {
  MakeSource("good.wav");
  ASSERT_EQ(RunCommand("flac -s -o " + F("good.flac") + " " + F("good.wav")), 0);
  const Bytes good = ReadFile(Dir.File("good.flac"));
  Bytes cut(good.begin(), good.begin() + static_cast<long>(good.size() * 2 / 3));
  Bytes crc = good;
  crc[good.size() / 2] ^= 0x5A;
  Bytes md5 = good;
  md5[8 + 4 + 18] ^= 0x01;  // STREAMINFO's MD5 signature starts 18 bytes into its body
  const std::vector<std::pair<std::string, Bytes>> cases = {{"cut.flac", cut}, {"crc.flac", crc}, {"md5.flac", md5}};
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    WriteFile(Dir.File(name), bytes);
    EXPECT_EQ(Cli("-q -k --format wav --suffix _o --report r.jsonl " + name), 1) << Out;
    EXPECT_NE(Report().find("\"kind\":\"malformed\""), std::string::npos) << Report();
    EXPECT_FALSE(std::filesystem::exists(Dir.File(name.substr(0, name.size() - 5) + "_o.wav")));
  }
  ASSERT_EQ(RunCommand("sox -D " + F("good.wav") + " -e floating-point -b 32 " + F("float.wav")), 0);
  EXPECT_EQ(Cli("-q -k --format flac --suffix _o --report r.jsonl float.wav good.wav"), 1) << Out;
  EXPECT_NE(Report().find("\"kind\":\"unsupported\""), std::string::npos) << Report();
  EXPECT_FALSE(std::filesystem::exists(Dir.File("float_o.flac")));
  EXPECT_TRUE(std::filesystem::exists(Dir.File("good_o.flac")));
  EXPECT_EQ(Cli("-q --format flac --bits 32f --suffix _p good.wav"), 2) << Out;
}

// Kept metadata: a FLAC output of a FLAC source carries its tags and pictures (metaflac reads
// them back); its cue sheet, whose indexes the cut would move, is left behind and named; a WAV
// output names every block it lacks.
TEST_F(FormatsCliTest, FlacBlocksCarriedIntoFlacAndNamedElsewhere) {
  MakeSource("m.wav", "-b 16");
  WriteFile(Dir.File("pic.png"), Bytes{'P', 'N', 'G'});
  const std::string cue = "FILE \"m.wav\" WAVE\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n";
  ASSERT_EQ(RunCommand("printf '" + cue + "' > " + F("m.cue") + " && flac -s -o " + F("m.flac") + " " + F("m.wav") +
                       " && metaflac --set-tag=TITLE=Take --set-tag=ARTIST=Me --import-cuesheet-from=" + F("m.cue") +
                       " --import-picture-from='3|image/png|cover|1x1x24|" + Dir.File("pic.png") + "' " + F("m.flac")),
            0);
  ASSERT_EQ(Cli("-q --keep-metadata --begin -50 --suffix _k --report r.jsonl m.flac"), 0) << Out;
  std::string tags, listing;
  ASSERT_EQ(RunCommand("metaflac --export-tags-to=- " + F("m_k.flac"), &tags), 0);
  EXPECT_NE(tags.find("TITLE=Take\nARTIST=Me\n"), std::string::npos) << tags;
  ASSERT_EQ(RunCommand("metaflac --list " + F("m_k.flac"), &listing), 0);
  EXPECT_NE(listing.find("(PICTURE)"), std::string::npos) << listing;
  EXPECT_EQ(listing.find("(CUESHEET)"), std::string::npos) << listing;
  EXPECT_NE(Report().find("\"dropped_chunks\":[\"CUESHEET\"]"), std::string::npos) << Report();
  EXPECT_EQ(RunCommand("flac -s -t " + F("m_k.flac")), 0);
  ASSERT_EQ(Cli("-q --keep-metadata --begin -50 --format wav --suffix _w --report r.jsonl m.flac"), 0) << Out;
  EXPECT_NE(Report().find("\"dropped_chunks\":[\"VORBIS_COMMENT\",\"CUESHEET\",\"PICTURE\"]"), std::string::npos)
      << Report();
}

// Kept metadata AIFF to AIFF: the text chunks are carried (ffprobe reads them as tags); a MARK,
// whose positions the cut would move, is left behind and named, as every chunk is for WAV.
TEST_F(FormatsCliTest, AiffTextChunksCarriedIntoAiff) {
  auto chunk = [](const char* id, const std::string& body) {
    Bytes b(id, id + 4);
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back(static_cast<uint8_t>(body.size() >> shift));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2) b.push_back(0);
    return b;
  };
  std::vector<int16_t> noise;
  for (int i = 0; i < 20000; ++i) noise.push_back(static_cast<int16_t>((i * 7919) % 6007 - 3003));
  WriteWav16(Dir.File("t.wav"), 2, noise);
  ASSERT_EQ(RunCommand("sox " + F("t.wav") + " " + F("plain.aiff")), 0);
  const Bytes plain = ReadFile(Dir.File("plain.aiff"));
  Bytes form(plain.begin(), plain.begin() + 12);
  for (const Bytes& c :
       {chunk("NAME", "Take"), chunk("AUTH", "Me!"), chunk("MARK", std::string("\0\1\0\1\0\0\0\x64\2m1\0", 12))})
    form.insert(form.end(), c.begin(), c.end());
  form.insert(form.end(), plain.begin() + 12, plain.end());
  const size_t size = form.size() - 8;
  for (int i = 0; i < 4; ++i) form[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (24 - 8 * i));
  WriteFile(Dir.File("t.aiff"), form);
  ASSERT_EQ(Cli("-q --keep-metadata --create-unchanged --suffix _k --report r.jsonl t.aiff"), 0) << Out;
  EXPECT_NE(Report().find("\"dropped_chunks\":[\"MARK\"]"), std::string::npos) << Report();
  std::string tags;
  ASSERT_EQ(RunCommand("ffprobe -v error -show_entries format_tags -of csv=p=0 " + F("t_k.aiff"), &tags), 0);
  EXPECT_EQ(tags, "Take,Me!\n");
  ASSERT_EQ(Cli("-q --keep-metadata --format wav --suffix _w --report r.jsonl t.aiff"), 0) << Out;
  EXPECT_NE(Report().find("\"NAME\",\"AUTH\",\"MARK\""), std::string::npos) << Report();
}
