// --keep-metadata end to end: the verbose line, the report's field and the log's line appear
// with the option and nowhere without it.
#include <gtest/gtest.h>

#include "support/CliHarness.h"
#include "support/TestSupport.h"

using namespace testsupport;

namespace {

struct CliRun {
  int Status = 0;
  std::string Out;
  std::string Report;
  std::string Log;
};

CliRun RunKeep(const TempDir& dir, const std::string& options) {
  CliRun run;
  const CliResult result = RunCli(CliCall(TACETIX_CLI, "-k -v --suffix _k --overwrite --log run.log --report r.jsonl " +
                                                           options + " a.wav u.wav bad.wav")
                                      .In(dir.Path())
                                      .SeparateErr());
  run.Status = result.Status;
  run.Out = result.Out;
  run.Report = ReadText(dir.File("r.jsonl"));
  run.Log = ReadText(dir.File("run.log"));
  return run;
}

}  // namespace

TEST(KeepMetadataCli, DroppedChunksNamedOnlyWithTheOption) {
  TempDir dir;
  const Bytes data = Pcm16({0, 0, 300, -300, 0});
  WriteFile(dir.File("a.wav"), WavBuilder()
                                   .Fmt(1, 1, 8000, 16)
                                   .Chunk("PEAK", Bytes(24))
                                   .Chunk("bext", Bytes(10))
                                   .Data(data)
                                   .Chunk("LIST", {'e', 'x', 'i', 'f'})
                                   .Build());
  WriteWav16(dir.File("u.wav"), 1, {5, 6, 7});
  WriteFile(dir.File("bad.wav"), Bytes{'R', 'I', 'F', 'F'});
  struct Case {
    const char* Options;
    const char* A;  // what a.wav's record ends with
    const char* U;
    const char* Bad;
    const char* Verbose;  // "" = no such line
    bool LogLine;
  };
  const Case cases[] = {
      {"", "\"seconds\":", "\"seconds\":", "\"seconds\":", "", false},
      {"--keep-metadata", "\"dropped_chunks\":[\"PEAK\",\"bext (malformed)\",\"LIST/exif\"]}",
       "\"dropped_chunks\":null}", "\"dropped_chunks\":null}", "  dropped chunks: PEAK, bext (malformed), LIST/exif\n",
       true},
      {"--keep-metadata -n", "\"dropped_chunks\":[\"PEAK\",\"bext (malformed)\",\"LIST/exif\"]}",
       "\"dropped_chunks\":null}", "\"dropped_chunks\":null}", "  dropped chunks: PEAK, bext (malformed), LIST/exif\n",
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Options);
    const CliRun run = RunKeep(dir, c.Options);
    EXPECT_EQ(run.Status, 1);
    std::vector<std::string> records;
    for (size_t at = 0, end; (end = run.Report.find('\n', at)) != std::string::npos; at = end + 1)
      records.push_back(run.Report.substr(at, end - at));
    ASSERT_EQ(records.size(), 4u) << run.Report;
    const char* ends[] = {c.A, c.U, c.Bad};
    for (size_t i = 0; i < 3; ++i) {
      const size_t at = records[i].rfind(ends[i]);
      EXPECT_NE(at, std::string::npos) << records[i];
      if (c.Options[0] == '\0') {
        EXPECT_EQ(records[i].find("dropped_chunks"), std::string::npos) << records[i];
      }
    }
    EXPECT_EQ(records[3].find("dropped"), std::string::npos) << "the summary stays as it is";
    EXPECT_EQ(run.Out.find("dropped chunks") != std::string::npos, c.Verbose[0] != '\0') << run.Out;
    if (c.Verbose[0] != '\0') {
      EXPECT_NE(run.Out.find(c.Verbose), std::string::npos) << run.Out;
    }
    EXPECT_EQ(run.Log.find("Stop on error: No\r\nKeep metadata: Yes\r\n") != std::string::npos, c.LogLine);
    EXPECT_EQ(run.Log.find("Keep metadata") != std::string::npos, c.LogLine);
  }
}
