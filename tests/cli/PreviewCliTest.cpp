// tacetix-cli --preview: the numbers are those of a run with -v, the picture a PNG that
// Python's zlib reads back.
#include <regex>

#include "CliFixture.h"

namespace {

using clitest::CliFixture;
using testsupport::RunCommand;
using testsupport::ShellQuote;

// Checks every chunk's CRC and the rows' size; prints "WIDTH HEIGHT R,G,B ..." of the column x = 40
// (in the plot, by the scale).
const char* PngPeer = R"PY(
import struct, sys, zlib
b = open(sys.argv[1], 'rb').read()
assert b[:8] == b'\x89PNG\r\n\x1a\n'
at, idat, ihdr = 8, b'', None
while at < len(b):
    n, kind = struct.unpack('>I4s', b[at:at + 8])
    body = b[at + 8:at + 8 + n]
    assert struct.unpack('>I', b[at + 8 + n:at + 12 + n])[0] == zlib.crc32(kind + body)
    ihdr = body if kind == b'IHDR' else ihdr
    idat += body if kind == b'IDAT' else b''
    at += 12 + n
w, h, depth, colour = struct.unpack('>IIBB', ihdr[:10])
rows = zlib.decompress(idat)
assert (depth, colour) == (8, 2) and len(rows) == h * (1 + 3 * w)
px = [rows[y * (1 + 3 * w) + 1 + 3 * 40:y * (1 + 3 * w) + 4 + 3 * 40] for y in range(h)] if w > 40 else []
print(w, h, ' '.join(','.join(str(c) for c in p) for p in px))
)PY";

std::string Match(const std::string& text, const char* pattern) {
  std::smatch m;
  return std::regex_search(text, m, std::regex(pattern)) ? m.str(0) : "(none in: " + text + ")";
}

const char* const Parts = "[0-9]+ parts?:( [0-9]+ at [0-9:.]+ for [0-9:.]+,?)+|$";

class PreviewCliTest : public CliFixture {
 protected:
  void SetUp() override {
    ASSERT_EQ(RunCommand("cd " + ShellQuote(Dir.Path().string()) +
                         " && sox -D -n -r 44100 -b 16 -c 2 s.wav trim 0 0.4 && sox -D -n -r 44100 -b 16 -c 2 t.wav "
                         "synth 2 sine 440 gain -7 && sox -D s.wav t.wav s.wav s.wav t.wav s.wav take.wav"),
              0);
  }
  std::string Peer(const std::string& png) {
    std::string out;
    EXPECT_EQ(RunCommand("python3 -c " + ShellQuote(PngPeer) + " " + ShellQuote(Dir.File(png)), &out), 0);
    return out;
  }
};

TEST_F(PreviewCliTest, NumbersAreTheRunsAndThePictureIsAPng) {
  const char* optionSets[] = {"",
                              "--begin -60 --keep 100 --fade 50",
                              "--begin -60 --normalize -1",
                              "--begin -60 --end -40 --ignore-clicks 5 --normalize -3 --bits 24",
                              "--begin -60 --loudness -20 --true-peak -3",
                              "--begin -60 --split-gap 500 --keep 100 --fade 10 --split-gain part --normalize -1"};
  for (const std::string options : optionSets) {
    SCOPED_TRACE(options);
    ASSERT_EQ(Cli("--preview take.wav --preview-out p.png --preview-width 300 --preview-height 120 " + options), 0);
    const std::string preview = Out;
    ASSERT_EQ(Cli("-v -n --prefix x_ " + options + " take.wav"), 0);
    EXPECT_EQ(Match(preview, "frames [0-9]+\\.\\.[0-9]+ of [0-9]+"), Match(Out, "frames [0-9]+\\.\\.[0-9]+ of [0-9]+"));
    EXPECT_EQ(Match(preview, "peak [^,]*, gain [+-][0-9.]+ dB|$"), Match(Out, "peak [^,]*, gain [+-][0-9.]+ dB|$"));
    EXPECT_EQ(Match(preview, "loudness [^,]*, true peak [^ ]* dBTP|$"),
              Match(Out, "loudness [^,]*, true peak [^ ]* dBTP|$"));
    EXPECT_EQ(Match(preview, Parts), Match(Out, Parts));
    EXPECT_EQ(Peer("p.png").substr(0, 8), "300 120 ");
  }
}

// Cut, the left edge is shaded; kept, it is not: the picture follows the options.
TEST_F(PreviewCliTest, TheCutShowsAtTheLeftEdge) {
  ASSERT_EQ(Cli("--preview take.wav --preview-out cut.png --begin -60"), 0);
  ASSERT_EQ(Cli("--preview take.wav --preview-out kept.png --begin -60 --no-trim-begin"), 0);
  EXPECT_NE(Peer("cut.png"), Peer("kept.png"));
}

// Every text of an SVG file, a line each, as Python's XML parser reads them.
const char* SvgTexts = R"PY(
import sys, xml.etree.ElementTree as tree
for t in tree.parse(sys.argv[1]).iter('{http://www.w3.org/2000/svg}text'):
    print(t.text)
)PY";

// The cut falls at 0.4 s and 5.2 s: the SVG names both on its ruler, the thresholds by their
// levels, the file and the line of numbers as text; a peer renders it at its size.
TEST_F(PreviewCliTest, TheSvgCarriesTheCutTimesAndLabelsAsText) {
  ASSERT_EQ(Cli("--preview take.wav --preview-out cut.SVG --preview-width 900 --begin -60 --end -55"), 0);
  const std::string line = Out.substr(Out.find(": ") + 2, Out.find('\n') - Out.find(": ") - 2);
  std::string texts;
  ASSERT_EQ(RunCommand("python3 -c " + ShellQuote(SvgTexts) + " " + ShellQuote(Dir.File("cut.SVG")), &texts), 0);
  for (const std::string& wanted : std::vector<std::string>{"0:00.400", "0:05.200",
                                                            "begin \u2212"
                                                            "60.0 dB",
                                                            "end \u2212"
                                                            "55.0 dB",
                                                            "take.wav", "level in dBFS",
                                                            "first second, 0:00.000\u2013"
                                                            "0:01.000",
                                                            line})
    EXPECT_NE(("\n" + texts).find("\n" + wanted), std::string::npos) << wanted << " in:\n" << texts;
  ASSERT_EQ(RunCommand("rsvg-convert " + ShellQuote(Dir.File("cut.SVG")) + " -o " + ShellQuote(Dir.File("r.png"))), 0);
  EXPECT_EQ(Peer("r.png").substr(0, 8), "900 360 ");
}

TEST_F(PreviewCliTest, FailuresAreTheirKinds) {
  const struct {
    const char* Args;
    int Status;
  } cases[] = {{"--preview missing.wav", 1},
               {"--preview take.wav take.wav", 2},
               {"--preview-width 100 take.wav --prefix x", 2},
               {"--preview take.wav --preview-height 5", 2},
               {"--preview take.wav --preview-out no/such/folder/p.png", 1}};
  for (const auto& c : cases) EXPECT_EQ(Cli(c.Args), c.Status) << c.Args;
  EXPECT_FALSE(std::filesystem::exists(Dir.File("preview.png")));
}

}  // namespace
