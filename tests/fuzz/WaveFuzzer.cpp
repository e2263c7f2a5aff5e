// libFuzzer target: any byte string through the source reader (from memory: WAV, AIFF or FLAC
// by its first bytes) and, as a file on disk, through the processing of one file. The last two bytes pick the options,
// so a valid wave file stays valid as an input and its tail steers trim, normalise (to a peak or a loudness), the
// bit-depth change and whether metadata is kept.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <unistd.h>

#include "metadata/KeptMetadata.h"
#include "preview/PreviewPicture.h"
#include "preview/SvgFile.h"
#include "run/ProcessFile.h"
#include "run/RowFile.h"
#include "wave/SourceReader.h"

using namespace tacetix;

namespace {

// A broken promise is a finding: abort so that libFuzzer saves the input.
void Expect(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "WaveFuzzer: broken promise: %s\n", what);
  std::abort();
}

// One folder per process for the input and the output, removed when the process exits normally.
struct Scratch {
  Scratch() {
    char pattern[] = "/tmp/tacetix-fuzz-XXXXXX";
    Expect(::mkdtemp(pattern) != nullptr, "mkdtemp");
    Dir = pattern;
    Input = Dir + "/in.wav";
    Output = Dir + "/out.wav";
  }
  ~Scratch() {
    ::unlink(Input.c_str());
    ::unlink(Output.c_str());
    ::rmdir(Dir.c_str());
  }
  std::string Dir;
  std::string Input;
  std::string Output;
};

const Scratch& Paths() {
  static const Scratch paths;
  return paths;
}

std::vector<uint8_t> Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

uint32_t Le16(const uint8_t* p) { return uint32_t{p[0]} | uint32_t{p[1]} << 8; }
uint32_t Le32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

class SilentProgress : public FileProgress {
 public:
  bool Cancelled() override { return false; }
  void Progress(int32_t percent) override { Expect(percent >= 0 && percent <= 100, "progress in 0..100"); }
};

// One pass from start to the end: reads never fail on a file that is not changing,
// and deliver exactly the samples GetInfo announced.
void ReadPass(SampleSource& file, const WaveInfo& info, int64_t start, double* buffer) {
  if (file.SeekSample(start) != 0) {
    Expect(start >= info.SampleCount, "SeekSample inside the data");
    return;
  }
  int64_t total = 0;
  int r = 0;
  while (r == 0) {
    int32_t delivered = -1;
    r = file.ReadSamples(buffer, BlockValues, delivered);
    Expect(delivered >= 0 && delivered <= BlockValues, "delivered count in range");
    total += delivered;
  }
  Expect(r == 2, "a pass ends with end of data");
  Expect(total == info.SampleCount - start, "a pass delivers every sample");
  file.ClearReadPosition();
}

uint64_t Le64(const uint8_t* p) { return Le32(p) | uint64_t{Le32(p + 4)} << 32; }

// A canonical 44-byte header whose sizes match the file (what sox and every other reader
// expects), or the same behind a 28-byte JUNK chunk, or an RF64 one whose ds64 holds the sizes.
void ExpectWellFormed(const std::vector<uint8_t>& out) {
  Expect(out.size() >= 44, "output holds a whole header");
  const bool rf64 = std::memcmp(out.data(), "RF64", 4) == 0;
  const bool reserved = out.size() >= 80 &&
                        (std::memcmp(out.data() + 12, "JUNK", 4) == 0 || std::memcmp(out.data() + 12, "ds64", 4) == 0);
  Expect(!rf64 || std::memcmp(out.data() + 12, "ds64", 4) == 0, "an RF64 output starts with ds64");
  if (reserved) Expect(Le32(out.data() + 16) == 28, "the reserved chunk holds a ds64 body");
  const size_t skip = reserved ? 36 : 0;
  const uint8_t* h = out.data() + skip;
  Expect(std::memcmp(out.data(), rf64 ? "RF64" : "RIFF", 4) == 0 && std::memcmp(out.data() + 8, "WAVE", 4) == 0 &&
             std::memcmp(h + 12, "fmt ", 4) == 0,
         "output ids");
  Expect(Le32(h + 16) == 16 && std::memcmp(h + 36, "data", 4) == 0, "output fmt size and data id");
  const uint64_t dataBytes = rf64 ? Le64(out.data() + 28) : Le32(h + 40);
  const uint64_t riffSize = rf64 ? Le64(out.data() + 20) : Le32(out.data() + 4);
  Expect(!rf64 || (Le32(out.data() + 4) == 0xFFFFFFFF && Le32(h + 40) == 0xFFFFFFFF), "RF64 sizes in ds64");
  Expect(44 + skip + dataBytes + (dataBytes & 1) == out.size(), "output data size matches the file");
  Expect(riffSize + 8 == out.size(), "output RIFF size matches the file");
  // What sox and ffmpeg check before they read a sample.
  const uint32_t channels = Le16(h + 22), rate = Le32(h + 24), blockAlign = Le16(h + 32);
  Expect(channels > 0 && rate > 0 && rate <= 0x7FFFFFFF, "output has channels and a rate of 1 to 2^31 - 1");
  Expect(blockAlign > 0 && blockAlign % channels == 0, "output block align holds whole samples");
  Expect(Le32(h + 28) == uint64_t{rate} * blockAlign, "output byte rate is rate times block align");
  const uint32_t tag = Le16(h + 20), bits = Le16(h + 34), containerBits = 8 * (blockAlign / channels);
  if (tag == TagFloat) {
    Expect((containerBits == 32 || containerBits == 64) && bits == containerBits, "output float of 32 or 64 bits");
  } else {
    Expect(tag == TagPCM, "output tag is integer or float");
    Expect(containerBits == 8 || containerBits == 16 || containerBits == 24 || containerBits == 32,
           "output integer container of 8, 16, 24 or 32 bits");
    Expect(bits >= 8 && bits <= containerBits, "output integer depth from 8 to the container's");
  }
  Expect(dataBytes % blockAlign == 0, "output holds whole frames");
}

// An output that keeps metadata: a RIFF (or RF64) file whose chunks all lie inside it, fmt
// first after any reserved JUNK or ds64 (16 bytes, or 40 for the extensible form, whose valid
// bits may be fewer than the container's), one data chunk of whole frames, and besides these
// only chunks an output may carry.
void ExpectWellFormedWithMetadata(const std::vector<uint8_t>& out) {
  Expect(out.size() >= 44, "metadata output holds a whole header");
  const bool rf64 = std::memcmp(out.data(), "RF64", 4) == 0;
  Expect((rf64 || std::memcmp(out.data(), "RIFF", 4) == 0) && std::memcmp(out.data() + 8, "WAVE", 4) == 0,
         "metadata output ids");
  Expect((rf64 ? Le64(out.data() + 20) : uint64_t{Le32(out.data() + 4)}) + 8 == out.size(),
         "metadata output RIFF size matches the file");
  uint32_t blockAlign = 0;
  int dataChunks = 0;
  bool fmtSeen = false;
  bool reservedFront = false;
  for (size_t at = 12; at < out.size();) {
    Expect(out.size() - at >= 8, "metadata output chunk header inside the file");
    std::array<char, 4> id{};
    std::memcpy(id.data(), out.data() + at, 4);
    const uint8_t* body = out.data() + at + 8;
    const bool data = std::memcmp(id.data(), "data", 4) == 0;
    const bool reserved = std::memcmp(id.data(), "JUNK", 4) == 0 || std::memcmp(id.data(), "ds64", 4) == 0;
    uint64_t size = Le32(out.data() + at + 4);
    if (data && rf64 && size == 0xFFFFFFFF) size = Le64(out.data() + 28);
    Expect(size + (size & 1) <= out.size() - at - 8, "metadata output chunk inside the file");
    Expect(fmtSeen || reserved || std::memcmp(id.data(), "fmt ", 4) == 0, "metadata output fmt first");
    if (!fmtSeen && std::memcmp(id.data(), "fmt ", 4) == 0) {
      fmtSeen = true;
      // sox refuses valid bits below the container ("padded samples").
      Expect(size == 16 || (size == 40 && Le16(body + 16) == 22 && Le16(body + 18) == Le16(body + 14)),
             "metadata output fmt of 16 bytes or extensible with valid bits of the container");
      blockAlign = Le16(body + 12);
    }
    // libsndfile loses its way in an RF64 file at the pad byte of a chunk before the data.
    Expect(!(rf64 || reservedFront) || dataChunks > 0 || (size & 1) == 0, "RF64 output with no odd chunk before data");
    reservedFront = reservedFront || reserved;
    dataChunks += data ? 1 : 0;
    if (data) Expect(blockAlign > 0 && size % blockAlign == 0, "metadata output holds whole frames");
    Expect(StructuralId(id) || CarriedId(id), "metadata output carries only chunks it may carry");
    at += 8 + size + (size & 1);
  }
  Expect(dataChunks == 1, "metadata output has one data chunk");
}

// A finished or failed output leaves no temporary file beside it.
void ExpectNoTemporaryFile(const std::string& dir) {
  DIR* d = ::opendir(dir.c_str());
  Expect(d != nullptr, "open the scratch folder");
  bool stray = false;
  while (const dirent* e = ::readdir(d)) stray = stray || std::strstr(e->d_name, ".tacetix-") != nullptr;
  ::closedir(d);
  Expect(!stray, "no temporary output is left behind");
}

// The time references of a file's bext and iXML (the iXML's first halves), each when the file
// has one bext and one iXML and it is readable; and how often the iXML names each half.
struct TimeReferences {
  bool HasBext = false;
  bool HasIxml = false;
  uint64_t Bext = 0;
  uint64_t Ixml = 0;
  size_t Lows = 0;
  size_t Highs = 0;
};

bool IxmlHalf(std::string_view xml, const std::string& name, uint64_t& value) {
  const std::string open = "<" + name + ">";
  const size_t at = xml.find(open);
  if (at == std::string::npos) return false;
  const size_t end = xml.find('<', at + open.size());
  const std::string text(xml.substr(at + open.size(), end == std::string::npos ? 0 : end - at - open.size()));
  if (text.empty() || text.size() > 10 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  value = std::stoull(text);
  return value <= 0xFFFFFFFFu;
}

// Elements of this name: <NAME followed by '>', '/' or a blank (<NAME<> is text, not one).
size_t Occurrences(std::string_view text, const std::string& name) {
  size_t n = 0;
  for (size_t at = text.find(name); at != std::string::npos; at = text.find(name, at + 1)) {
    const size_t after = at + name.size();
    n += after < text.size() && std::string_view(">/ \t\r\n").find(text[after]) != std::string::npos ? 1 : 0;
  }
  return n;
}

TimeReferences ReferencesOf(const std::vector<uint8_t>& file) {
  WaveReader reader;
  TimeReferences refs;
  if (reader.OpenMemory(file.data(), file.size(), {false, true, nullptr}) != 0) return refs;
  const ChunkEntry* bext = nullptr;
  const ChunkEntry* ixml = nullptr;
  int bexts = 0;
  int ixmls = 0;
  for (const ChunkEntry& e : reader.Chunks()) {
    const bool isBext = std::memcmp(e.Id.data(), "bext", 4) == 0;
    const bool isIxml = std::memcmp(e.Id.data(), "iXML", 4) == 0;
    bexts += isBext ? 1 : 0;
    ixmls += isIxml ? 1 : 0;
    if (e.Size > file.size() - static_cast<uint64_t>(e.BodyOffset)) continue;
    if (isBext) bext = &e;
    if (isIxml) ixml = &e;
  }
  if (bexts > 1 || ixmls > 1) return refs;  // which of several is carried is the choice's business
  refs.HasBext = bext && bext->Size >= 602;
  if (refs.HasBext) refs.Bext = Le64(file.data() + bext->BodyOffset + 338);
  if (!ixml) return refs;
  const std::string_view xml(reinterpret_cast<const char*>(file.data() + ixml->BodyOffset), ixml->Size);
  refs.Lows = Occurrences(xml, "<BWF_TIME_REFERENCE_LOW");
  refs.Highs = Occurrences(xml, "<BWF_TIME_REFERENCE_HIGH");
  uint64_t low = 0;
  uint64_t high = 0;
  // No high half with a text (none, or only <BWF_TIME_REFERENCE_HIGH/>) reads as 0.
  const bool highText = xml.find("<BWF_TIME_REFERENCE_HIGH>") != std::string::npos;
  refs.HasIxml = IxmlHalf(xml, "BWF_TIME_REFERENCE_LOW", low) &&
                 (!highText || IxmlHalf(xml, "BWF_TIME_REFERENCE_HIGH", high));
  refs.Ixml = high << 32 | low;
  return refs;
}

// Time references carried move forwards by the frames cut, never wrap, keep bext and iXML in
// agreement, and an iXML gets a high half only where it had none, one after each low half.
void ExpectTimeReferencesMoved(const std::vector<uint8_t>& input, const std::vector<uint8_t>& out) {
  const TimeReferences in = ReferencesOf(input);
  const TimeReferences o = ReferencesOf(out);
  Expect(!in.HasBext || !o.HasBext || o.Bext >= in.Bext, "the output's bext time reference did not wrap");
  Expect(!in.HasIxml || !o.HasIxml || o.Ixml >= in.Ixml, "the output's iXML time reference did not wrap");
  Expect(!(in.HasBext && in.HasIxml && in.Bext == in.Ixml) || !(o.HasBext && o.HasIxml) || o.Bext == o.Ixml,
         "the output's bext and iXML time references agree");
  Expect(!in.HasIxml || !o.HasIxml || o.Highs == in.Highs || (in.Highs == 0 && o.Highs == in.Lows),
         "the output's iXML has a high half where it had one, or one after each low half");
}

ProcessSettings SettingsFrom(uint8_t choice, uint8_t levels) {
  ProcessSettings s;
  s.BitsChoice = choice % 9;
  s.BitsMode = static_cast<BitsModeKind>((choice / 9) % 3);
  s.CreateIfUnchanged = (choice & 0x80) != 0;
  s.RemoveBegin = (levels & 0x01) == 0;
  s.RemoveEnd = (levels & 0x02) == 0;
  s.ThresholdBegin = (levels & 0x04) ? SliderFactor(960) : 0.0;
  s.ThresholdEnd = (levels & 0x08) ? SliderFactor(1200) : 0.0;
  s.Normalize = (levels & 0x10) == 0;
  s.NormalizeTarget = SliderFactor(1430);
  s.NormalizeLevelDb = SliderToDb(1430);
  s.KeepMetadata = (levels & 0x20) != 0;
  s.NormalizeLoudness = s.Normalize && (levels & 0x40) != 0;
  s.LoudnessTarget = -23.0;
  return s;
}

// The preview plans with the run's steps: where the run got through its decisions, the preview
// decided the same; and its overview and picture take whatever the file holds.
void CheckPreview(const ProcessSettings& settings, FileResult result, const FileOutcome& ran) {
  const PreviewPlan plan = PlanPreview(Paths().Input, settings);
  if (plan.Result != FileResult::Done) {
    Expect(result != FileResult::Done, "a file the preview cannot plan is not done");
    return;
  }
  if (result == FileResult::Done)
    Expect(plan.Outcome.KeepFirst == ran.KeepFirst && plan.Outcome.KeepLast == ran.KeepLast &&
               plan.Outcome.Silent == ran.Silent && plan.Outcome.OutputDue == ran.OutputDue,
           "the preview plans as the run");
  SourceReader reader;
  Expect(reader.Open(Paths().Input) == 0, "a planned file opens again");
  WaveOverview whole(0, plan.Frames(), 64);
  Expect(whole.Scan(reader, {}) == 0 && whole.BinsDone() == 64, "the overview reads to the end");
  const Drawing sheet =
      DescribeSheet("f.wav", whole, whole, whole, plan, PreviewScale::Decibels, 64, 32, PictureMetrics());
  Expect(PaintPicture(sheet).Rgb.size() == 64 * 32 * 3 && !SvgText(sheet).empty(), "the sheet paints at its size");
}

// sampleCount: the input's samples in whole frames (the end of the kept range when the end is kept).
void Process(const ProcessSettings& settings, const std::vector<uint8_t>& input, int64_t sampleCount, double* buffer) {
  const Scratch& p = Paths();
  ::unlink(p.Output.c_str());
  SilentProgress progress;
  Logfile record;
  FileOutcome outcome;
  FileResult result;
  {
    auto file = std::make_unique<RowFile>();
    FileContext context{settings, *file, buffer, progress, RowProgress{0, 100.0f}, &record};
    result = ProcessFile(context, p.Input, p.Output, &outcome);
    Expect(result != FileResult::Cancelled, "no cancel without a request");
    Expect(result != FileResult::NameTaken, "the output name was free");
    Expect((result == FileResult::Failed) == (outcome.Kind != FailureKind::None), "a failure carries its kind");
    // A file of at most 64 KiB needs little memory to measure, whatever its rate and channels.
    Expect(!settings.NormalizeLoudness || outcome.Kind != FailureKind::NoMemory, "the loudness of a small file fits");
  }  // releasing the object finishes a partial output, as the run does
  CheckPreview(settings, result, outcome);
  ExpectNoTemporaryFile(p.Dir);
  if (!Exists(p.Output)) {
    Expect(result != FileResult::Done || !outcome.OutputDue, "a due output was written");
    return;
  }
  const std::vector<uint8_t> out = Slurp(p.Output);
  if (settings.KeepMetadata) ExpectWellFormedWithMetadata(out);
  else ExpectWellFormed(out);
  WaveReader reread;
  WaveInfo info{};
  Expect(reread.OpenMemory(out.data(), out.size(), {true, true, nullptr}) == 0 && reread.GetInfo(info) == 0,
         "every output reads back");
  ExpectTimeReferencesMoved(input, out);
  if (result != FileResult::Done) return;
  Expect(outcome.OutputDue, "no output unless due");
  Expect(record.bits_out == reread.Format().BitsPerSample, "the record states the depth written");
  const int64_t keptEnd = std::min<int64_t>(outcome.KeepLast + 1, sampleCount);
  Expect(info.SampleCount == keptEnd - outcome.KeepFirst, "the output holds the kept samples");
  Expect(info.SampleCount % info.Channels == 0, "the output holds whole frames");
}

// Listing the chunks never changes whether or how a file reads, and lists only what the file holds.
void ListChunks(const uint8_t* data, size_t size, const WaveInfo& plain) {
  WaveReader file;
  WaveInfo info{};
  const bool read = file.OpenMemory(data, size, {false, true, nullptr}) == 0 && file.GetInfo(info) == 0;
  Expect(read == (plain.Channels > 0), "the list keeps the file as readable as without it");
  if (!read) return;
  Expect(info.SampleCount == plain.SampleCount && info.DataBytes == plain.DataBytes, "the list keeps the info");
  int64_t previousEnd = 12;
  bool fmtSeen = false;
  bool dataSeen = false;
  for (const ChunkEntry& e : file.Chunks()) {
    Expect(e.BodyOffset >= previousEnd + 8, "chunks listed in file order");
    // The data chunk read is the first after fmt; one standing before fmt is skipped like any other.
    const bool data = fmtSeen && std::memcmp(e.Id.data(), "data", 4) == 0 && !dataSeen;
    fmtSeen = fmtSeen || std::memcmp(e.Id.data(), "fmt ", 4) == 0;
    dataSeen = dataSeen || data;
    // Only data may run past the end of the file, cut to it as it is read.
    Expect(data || e.Size <= size - static_cast<uint64_t>(e.BodyOffset), "a listed chunk lies in the file");
    previousEnd = e.BodyOffset + static_cast<int64_t>(std::min<uint64_t>(e.Size, size));
  }
  Expect(dataSeen, "the list holds the data chunk");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Scratch& p = Paths();
  {
    std::ofstream f(p.Input, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    Expect(static_cast<bool>(f.flush()), "write the input");
  }
  static std::vector<double> buffer(BlockValues);
  WaveInfo info{};
  bool wave = true;
  {
    // A FLAC stream is checked whole at the open, as the run opens it: then every read succeeds.
    SourceReader file;
    ReadOptions checked;
    checked.VerifyStream = true;
    // Inputs of odd length read FLAC by seeking the decoder, the others from what the check kept.
    if (size % 2) checked.KeptBytes = 0;
    if (file.OpenMemory(data, size, checked) == 0 && file.GetInfo(info) == 0) {
      Expect(info.Channels > 0 && info.BytesPerSample > 0 && info.SampleCount >= 0, "sane info");
      ReadPass(file, info, 0, buffer.data());
      const int64_t middle = info.SampleCount / 2;
      ReadPass(file, info, middle - middle % info.Channels, buffer.data());
    }
    wave = file.Container() == AudioContainer::Wave;
  }
  const uint8_t choice = size > 0 ? data[size - 1] : 0;
  const uint8_t levels = size > 1 ? data[size - 2] : 0;
  if (wave) ListChunks(data, size, info);
  const int64_t wholeFrames = info.Channels > 0 ? info.SampleCount - info.SampleCount % info.Channels : 0;
  const std::vector<uint8_t> input(data, data + size);
  Process(SettingsFrom(choice, levels), input, wholeFrames, buffer.data());
  Expect(Slurp(p.Input) == input, "the source is untouched");
  return 0;
}
