// tacetix-cli end to end on what scripts lean on: which stream says what, file lists,
// folders, files named twice, and the JSON Lines report read back by python3.
#include <gtest/gtest.h>

#include <filesystem>

#include "CliFixture.h"
#include "cli/JsonReport.h"
#include "support/TestSupport.h"

using namespace testsupport;
namespace fs = std::filesystem;

namespace {

class InputsReportTest : public clitest::CliFixture {
 protected:
  // Standard output in Out, standard error in Err.
  int Cli(const std::string& args) { return Run(Call(args).SeparateErr()); }
  // One file of each ending: cut, unchanged, silent, not a wave file.
  void FourKinds() {
    WriteWav16(Dir.File("a.wav"), 1, {0, 0, 100, 200, 0, 0});
    WriteWav16(Dir.File("u.wav"), 1, {5, 6, 7});
    WriteWav16(Dir.File("s.wav"), 1, {0, 0, 0, 0});
    WriteFile(Dir.File("bad.wav"), Bytes{'R', 'I', 'F', 'F'});
  }
  std::string Done(const std::string& name, const std::string& output) {
    return "done: " + Dir.File(name) + " -> " + Dir.File(output) + "\n";
  }
};

}  // namespace

TEST_F(InputsReportTest, FilesDoneOnStandardOutputErrorsOnStandardErrorAlsoWhenQuiet) {
  FourKinds();
  const std::string files = " -k --suffix _t a.wav u.wav s.wav bad.wav";
  EXPECT_EQ(Cli(files), 1);
  EXPECT_EQ(Out, Done("a.wav", "a_t.wav") + "unchanged: " + Dir.File("u.wav") + " (nothing to cut, no output)\n" +
                     "silent: " + Dir.File("s.wav") + " (no output)\n" + "3 files processed ok, 1 with errors\n");
  const std::string errorLine = "tacetix-cli: " + Dir.File("bad.wav") +
                                ": I/O error (not a WAV file: no RIFF header)\n";
  EXPECT_EQ(Err, errorLine);
  EXPECT_FALSE(fs::exists(Dir.File("u_t.wav")));
  EXPECT_FALSE(fs::exists(Dir.File("s_t.wav")));

  EXPECT_EQ(Cli("-q --overwrite" + files), 1);
  EXPECT_EQ(Out, "");
  EXPECT_EQ(Err, errorLine);

  EXPECT_EQ(Cli("-v --overwrite --normalize -6 --bits 24 a.wav --suffix _t"), 0);
  const std::string figures = "  frames 2..3 of 6 kept, 16 -> 24 bits, peak -44.29 dBfs, gain +38.29 dB, ";
  EXPECT_EQ(Out.rfind(Done("a.wav", "a_t.wav") + figures, 0), 0u) << Out;
}

TEST_F(InputsReportTest, FileListsByLineAndByNulWithOddNames) {
  const std::vector<std::string> byLine = {"sp ace.wav", "it's \"q\".wav", "-dash.wav", "\xff\xfe.wav"};
  for (const std::string& n : byLine) WriteWav16(Dir.File(n), 1, {0, 300, 0});
  WriteWav16(Dir.File("line\nbreak.wav"), 1, {0, 300, 0});
  WriteWav16(Dir.File("extra.wav"), 1, {0, 300, 0});
  // Relative and full names, an empty line, no newline after the last name.
  std::string list = byLine[0] + "\n" + Dir.File(byLine[1]) + "\n\n" + byLine[2] + "\n" + byLine[3];
  WriteFile(Dir.File("list.txt"), Bytes(list.begin(), list.end()));
  const std::string nul = std::string("line\nbreak.wav") + '\0' + "extra.wav" + '\0';
  WriteFile(Dir.File("list0"), Bytes(nul.begin(), nul.end()));

  EXPECT_EQ(Cli("--subfolder o --files-from list.txt extra.wav"), 0) << Err;
  std::string expected;
  for (const std::string& n : byLine) expected += Done(n, "o/" + n);
  EXPECT_EQ(Out, expected + Done("extra.wav", "o/extra.wav") + "5 files processed ok\n");

  EXPECT_EQ(Run(Call("--subfolder p -0 --files-from -").WithInput(nul).SeparateErr()), 0) << Err;
  // The line break would split the line: the name is quoted as a shell reads it back.
  const std::string quoted = "done: '" + Dir.File("line") + "'$'\\n''break.wav' -> '" + Dir.File("p/line") +
                             "'$'\\n''break.wav'\n";
  EXPECT_EQ(Out, quoted + Done("extra.wav", "p/extra.wav") + "2 files processed ok\n");

  // A list that cannot be read stops everything before the first file.
  EXPECT_EQ(Cli("--subfolder q extra.wav --files-from missing.txt"), 2);
  EXPECT_EQ(Err, "tacetix-cli: missing.txt: No such file or directory\n");
  EXPECT_FALSE(fs::exists(Dir.File("q")));
  // A folder, and no name at all, are said as such.
  fs::create_directory(Dir.File("lists"));
  for (const auto& [list, why] :
       {std::pair<std::string, std::string>{"lists", "lists: is a folder, not a list of files"},
        {"''", "--files-from: the list's name is empty"}}) {
    EXPECT_EQ(Cli("--subfolder q extra.wav --files-from " + list), 2);
    EXPECT_EQ(Err, "tacetix-cli: " + why + "\n");
    EXPECT_FALSE(fs::exists(Dir.File("q")));
  }
}

TEST_F(InputsReportTest, FoldersNeedRecursiveAndFilesNamedTwiceRunOnce) {
  fs::create_directories(Dir.File("tree/sub"));
  for (const char* n : {"tree/b.WAV", "tree/a.wav", "tree/sub/c.wav", "outside.wav"})
    WriteWav16(Dir.File(n), 1, {0, 300, 0});
  WriteFile(Dir.File("tree/sub/notes.txt"), {'x'});
  WriteFile(Dir.File("tree/a.wav.bak"), {'x'});
  fs::create_directory_symlink(Dir.File("tree"), Dir.File("tree/loop"));
  fs::create_symlink(Dir.File("outside.wav"), Dir.File("tree/link.wav"));
  fs::create_hard_link(Dir.File("tree/a.wav"), Dir.File("hard.wav"));

  EXPECT_EQ(Cli("--suffix _t tree outside.wav"), 1);
  EXPECT_EQ(Out, Done("outside.wav", "outside_t.wav") + "1 file processed ok\n");
  EXPECT_EQ(Err, "tacetix-cli: " + Dir.File("tree") + ": is a folder (use --recursive)\n");

  EXPECT_EQ(Cli("-r -o out tree tree/a.wav ./tree/../outside.wav hard.wav"), 0) << Err;
  EXPECT_EQ(Out, Done("tree/a.wav", "out/a.wav") + Done("tree/b.WAV", "out/b.wav") +
                     Done("tree/link.wav", "out/link.wav") + Done("tree/sub/c.wav", "out/c.wav") +
                     "4 files processed ok\n");
  EXPECT_EQ(Err, "tacetix-cli: " + Dir.File("tree/a.wav") + ": named more than once, processed once\n" +
                     "tacetix-cli: " + Dir.File("outside.wav") + ": same file as " + Dir.File("tree/link.wav") +
                     ", processed once\n" + "tacetix-cli: " + Dir.File("hard.wav") + ": same file as " +
                     Dir.File("tree/a.wav") + ", processed once\n");
  EXPECT_EQ(Cli("-q -r -o out2 tree hard.wav"), 0);
  EXPECT_EQ(Err, "") << "notes are no errors";
}

TEST(JsonStringTest, ValidUtf8StaysAndEveryOtherByteIsEscapedAlone) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain/a b.wav", "plain/a b.wav"},
      {"q\"b\\s", "q\\\"b\\\\s"},
      {"\n\r\t\b\f\x01\x1f\x7f", "\\n\\r\\t\\b\\f\\u0001\\u001f\x7f"},
      {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb5"},
      {"\xff\xfe", "\\udcff\\udcfe"},
      {"\xe2\x82"
       "a",
       "\\udce2\\udc82a"},                                   // cut short
      {"\xc0\xaf", "\\udcc0\\udcaf"},                        // overlong
      {"\xed\xa0\x80", "\\udced\\udca0\\udc80"},             // a surrogate's own encoding
      {"\xf4\x90\x80\x80", "\\udcf4\\udc90\\udc80\\udc80"},  // above U+10FFFF
  };
  for (const auto& [bytes, escaped] : cases) {
    std::string out;
    tacetix::AppendJsonString(out, bytes);
    EXPECT_EQ(out, "\"" + escaped + "\"") << bytes;
  }
}

TEST_F(InputsReportTest, ReportReadsBackWithPythonsJsonModule) {
  ASSERT_TRUE(HaveProgram("python3")) << "python3 is required";
  const std::vector<std::string> names = {"q\"uote.wav", "new\nline.wav",   "\xff\xfe.wav",    "caf\xc3\xa9.wav",
                                          "ctl\x01.wav", "back\\slash.wav", "\xed\xa0\x80.wav"};
  for (const std::string& n : names) WriteWav16(Dir.File(n), 2, {0, 0, 1000, -1000, 16384, 0, 0, 0});
  FourKinds();
  std::string list;
  for (const std::string& n : names) list += n + '\0';
  list += std::string("s.wav") + '\0' + "bad.wav" + '\0';
  WriteFile(Dir.File("list0"), Bytes(list.begin(), list.end()));
  // The report on standard output: the lines for people move to standard error.
  ASSERT_EQ(Cli("-k --normalize -6 --bits 24 --subfolder out -0 --files-from list0 --report -"), 1) << Err;
  WriteFile(Dir.File("r.jsonl"), Bytes(Out.begin(), Out.end()));
  EXPECT_NE(Err.find("8 files processed ok"), std::string::npos) << Err;
  // Each record as: source bytes in hex, output given or not, status, reason, then figures.
  const std::string script = R"PY(
import json, sys
for raw in open(sys.argv[1], 'rb').read().split(b'\n')[:-1]:
    r = json.loads(raw)
    if 'summary' in r:
        print(r['summary'], r['files'], r['ok'], r['errors'], r['not_started'], r['statuses'],
              r['outputs'], r['unchanged'], r['silent'])
        continue
    src = r['source'].encode('utf-8', 'surrogateescape')
    print(src.hex(), r['output'] is not None, r['status'], r['reason'], r['frames_in'], r['frames_out'],
          r['start_frame'], r['end_frame'], r['peak_db'] is not None, r['gain_db'], r['bits_in'], r['bits_out'])
)PY";
  WriteFile(Dir.File("read.py"), Bytes(script.begin(), script.end()));
  std::string parsed;
  ASSERT_EQ(RunCommand("python3 " + ShellQuote(Dir.File("read.py")) + " " + ShellQuote(Dir.File("r.jsonl")), &parsed),
            0);
  auto hex = [&](const std::string& name) {
    std::string h;
    for (unsigned char c : Dir.File(name)) h += "0123456789abcdef"[c >> 4], h += "0123456789abcdef"[c & 15];
    return h;
  };
  std::string expected;
  for (const std::string& n : names) expected += hex(n) + " True done None 4 2 1 2 True 0.02033474751227793 16 24\n";
  expected += hex("s.wav") + " False done silent 4 0 0 0 False None 16 24\n";
  expected += hex("bad.wav") +
              " False I/O error not a WAV file: no RIFF header None None None None False None None None\n";
  expected += "8 files processed ok, 1 with errors 9 8 1 0 {'I/O error': 1, 'done': 8} 7 0 1\n";
  EXPECT_EQ(parsed, expected);
  // Without a change to make, the reason says why there is no output.
  ASSERT_EQ(Cli("--suffix _x u.wav --report r2.jsonl"), 0);
  EXPECT_NE(ReadText(Dir.File("r2.jsonl")).find("\"output\":null,\"status\":\"done\",\"reason\":\"nothing to cut\""),
            std::string::npos);
}
