// JSON Lines report of a run. Written by hand: a dozen fields need no library, and file
// names are bytes, which no JSON library here writes back unchanged.
#include "cli/JsonReport.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "run/PartOutputs.h"
#include "run/RowText.h"

namespace tacetix {
namespace {

// Length of the valid UTF-8 sequence at p (at most n bytes), or 0 when p starts none:
// no overlong forms, no surrogates, nothing above U+10FFFF.
size_t Utf8Length(const unsigned char* p, size_t n) {
  const unsigned char b = p[0];
  if (b < 0x80) return 1;
  size_t len = 0;
  unsigned char lo = 0x80, hi = 0xBF;  // the range of the second byte
  if (b >= 0xC2 && b <= 0xDF) len = 2;
  else if (b >= 0xE0 && b <= 0xEF) {
    len = 3;
    if (b == 0xE0) lo = 0xA0;
    if (b == 0xED) hi = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    len = 4;
    if (b == 0xF0) lo = 0x90;
    if (b == 0xF4) hi = 0x8F;
  }
  if (len == 0 || n < len || p[1] < lo || p[1] > hi) return 0;
  for (size_t i = 2; i < len; ++i)
    if (p[i] < 0x80 || p[i] > 0xBF) return 0;
  return len;
}

void AppendHexEscape(std::string& out, const char* prefix, unsigned value) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "%02x", value);
  out += prefix;
  out += buf;
}

std::string Number(double value) {
  if (!std::isfinite(value)) return "null";
  char buf[32];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  return ec == std::errc() ? std::string(buf, end) : "null";
}

std::string Text(const std::string& bytes) {
  std::string out;
  AppendJsonString(out, bytes);
  return out;
}

std::string TextList(const std::vector<std::string>& texts) {
  std::string out = "[";
  for (const std::string& t : texts) out += (out.size() > 1 ? "," : "") + Text(t);
  return out + "]";
}

// Appends "name":value to an object's text, opening the object with its first field.
void Field(std::string& object, const std::string& name, const std::string& value) {
  object += object.empty() ? '{' : ',';
  AppendJsonString(object, name);
  object += ':';
  object += value;
}

// A split file's parts: each its output, frames in the source and, normalising, its levels.
std::string PartsList(const RowResult& r, bool levels) {
  std::string list = "[";
  for (size_t i = 0; i < r.Parts.size(); ++i) {
    const Logfile& p = r.Parts[i];
    std::string part;
    Field(part, "output", Text(PartPath(r.OutputPath, i, r.Parts.size())));
    Field(part, "start_frame", std::to_string(p.startsample));
    Field(part, "end_frame", std::to_string(p.endsample));
    Field(part, "frames", std::to_string(p.samples_out));
    Field(part, "peak_db", levels && p.peakdb_known ? Number(p.peakdb) : "null");
    Field(part, "gain_db", levels ? Number(p.ampdb) : "null");
    list += (i == 0 ? "" : ",") + part + "}";
  }
  return list + "]";
}

}  // namespace

void AppendJsonString(std::string& out, const std::string& bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const size_t n = bytes.size();
  out += '"';
  for (size_t i = 0; i < n;) {
    const unsigned char c = p[i];
    const size_t len = Utf8Length(p + i, n - i);
    if (len == 0) AppendHexEscape(out, "\\udc", c);
    else if (len > 1) out.append(bytes, i, len);
    else if (c == '"' || c == '\\') (out += '\\') += static_cast<char>(c);
    else if (c == '\n') out += "\\n";
    else if (c == '\r') out += "\\r";
    else if (c == '\t') out += "\\t";
    else if (c == '\b') out += "\\b";
    else if (c == '\f') out += "\\f";
    else if (c < 0x20) AppendHexEscape(out, "\\u00", c);
    else out += static_cast<char>(c);
    i += len == 0 ? 1 : len;
  }
  out += '"';
}

bool JsonReport::Open(const std::string& name, std::ostream& standardOutput) {
  if (name == "-") {
    Out = &standardOutput;
    return true;
  }
  File.open(name, std::ios::binary | std::ios::trunc);
  if (!File) return false;
  Out = &File;
  return true;
}

void JsonReport::Write(const std::string& line) {
  errno = 0;
  *Out << line << '\n' << std::flush;
  NoteState(*Out);
}

// errno as the failed write left it: the first failure's reason is the one to tell.
void JsonReport::NoteState(const std::ostream& stream) {
  if (stream || Failed) return;
  Failed = true;
  FailedErrno = errno;
}

void JsonReport::Record(const std::string& source, const RowResult& r, bool normalize) {
  ++Statuses[StatusWord(r.Status)];
  Seconds += r.Seconds;
  const bool done = r.Status == RowStatus::Done;
  if (done) ++(r.OutputMade ? Outputs : r.Silent ? Silent : Unchanged);
  const std::string reason = RowReason(r);
  const Logfile& f = r.Figures;
  auto count = [&](uint64_t v) { return r.FiguresKnown ? std::to_string(v) : std::string("null"); };
  // A silent file has no peak: the log's 0.0 there is a placeholder, not a level.
  const bool levels = r.FiguresKnown && normalize && !r.Silent;
  std::string line;
  Field(line, "source", Text(source));
  Field(line, "output", done && r.OutputMade && r.Parts.empty() ? Text(r.OutputPath) : "null");
  if (!r.PartialOutput.empty()) Field(line, "partial_output", Text(r.PartialOutput));
  Field(line, "status", Text(StatusWord(r.Status)));
  Field(line, "reason", reason.empty() ? "null" : Text(reason));
  Field(line, "kind", Text(std::string(FailureName(r.Kind))));
  Field(line, "frames_in", count(f.samples_in));
  Field(line, "frames_out", count(f.samples_out));
  Field(line, "start_frame", count(f.startsample));
  Field(line, "end_frame", count(f.endsample));
  Field(line, "peak_db", levels && f.peakdb_known ? Number(f.peakdb) : "null");
  Field(line, "gain_db", levels ? Number(f.ampdb) : "null");
  Field(line, "bits_in", count(f.bits_in));
  Field(line, "bits_out", count(f.bits_out));
  Field(line, "seconds", Number(r.Seconds));
  if (LoudnessFields) {
    Field(line, "loudness_lufs", done && r.LoudnessKnown ? Number(r.LoudnessLufs) : "null");
    Field(line, "true_peak_dbtp", done && r.LoudnessKnown ? Number(r.TruePeakDbtp) : "null");
    Field(line, "clipped", done && r.OutputMade ? std::to_string(r.Clipped) : "null");
  }
  if (KeepMetadata) Field(line, "dropped_chunks", done && r.OutputMade ? TextList(r.DroppedChunks) : "null");
  if (!r.RemovedTemporaries.empty()) Field(line, "removed_temporaries", TextList(r.RemovedTemporaries));
  // Only when there is something to say, so the records of other files stay as they were.
  if (r.FiguresKnown && f.nonfinite > 0) Field(line, "non_finite_samples", std::to_string(f.nonfinite));
  if (!r.Notes.empty()) Field(line, "notes", TextList(r.Notes));
  if (done && !r.Parts.empty()) Field(line, "parts", PartsList(r, levels));
  if (!r.KeptParts.empty()) Field(line, "parts_kept", TextList(r.KeptParts));
  Write(line + '}');
}

bool JsonReport::Finish(const RunResult& run, size_t listed, bool simulated) {
  const auto started = static_cast<size_t>(run.OkCount) + static_cast<size_t>(run.ErrorCount);
  std::string statuses;
  for (const auto& [word, n] : Statuses) Field(statuses, word, std::to_string(n));
  std::string line;
  Field(line, "summary", Text(run.Summary));
  Field(line, "files", std::to_string(listed));
  Field(line, "ok", std::to_string(run.OkCount));
  Field(line, "errors", std::to_string(run.ErrorCount));
  Field(line, "not_started", std::to_string(listed - started));
  Field(line, "cancelled", run.Cancelled ? "true" : "false");
  Field(line, "simulated", simulated ? "true" : "false");
  Field(line, "statuses", statuses.empty() ? "{}" : statuses + '}');
  Field(line, "outputs", std::to_string(Outputs));
  Field(line, "unchanged", std::to_string(Unchanged));
  Field(line, "silent", std::to_string(Silent));
  Field(line, "seconds", Number(Seconds));
  Write(line + '}');
  if (File.is_open()) {
    errno = 0;
    File.close();
    NoteState(File);
  }
  return !Failed;
}

}  // namespace tacetix
