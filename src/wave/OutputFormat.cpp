// The output's format from the source's and the run's choice.
#include "wave/OutputFormat.h"

namespace tacetix {
namespace {

int32_t BytesForBits(int32_t bits) { return bits / 8 + (bits % 8 != 0 ? 1 : 0); }

OutputFormat Refused(const FormatBody& body, const std::string& reason = "") {
  return {body, FailureKind::Unsupported, reason};
}

// A 16-byte fmt cannot carry an extension (other programs refuse 0xFFFE there), so any
// tag other than integer or float becomes the tag of how the samples are coded.
uint16_t PlainTag(const FormatBody& f, bool sourceIsFloat) {
  const int32_t bytesPerSample = f.Channels ? f.BlockAlign / f.Channels : 0;
  if (bytesPerSample == 8) return TagFloat;
  if (bytesPerSample == 4 && sourceIsFloat) return TagFloat;
  return TagPCM;
}

// The depth and container asked for, with block align and byte rate to match.
OutputFormat Convert(const FormatBody& source, const FormatChoice& choice) {
  FormatBody f = source;
  const int32_t bits = choice.Bits;
  if (choice.Tag != -1 && choice.Tag != TagPCM && choice.Tag != TagFloat) return Refused(f);
  if (bits < 1 || bits > 64) return Refused(f);
  if (choice.Tag != -1) f.FormatTag = static_cast<uint16_t>(choice.Tag);
  f.BitsPerSample = static_cast<uint16_t>(bits);
  const int32_t bytesPerSample = choice.BytesPerSample == -1 ? BytesForBits(bits) : choice.BytesPerSample;
  // Block align and byte rate must fit their 16- and 32-bit header fields.
  const int64_t blockAlign = int64_t{f.Channels} * bytesPerSample;
  if (bytesPerSample < 1) return Refused(f);
  if (blockAlign > 0xFFFF || blockAlign * f.SampleRate > 0xFFFFFFFF)
    return Refused(f, std::to_string(f.Channels) + " channels of " + std::to_string(bytesPerSample) +
                          " bytes do not fit a WAV header");
  f.BlockAlign = static_cast<uint16_t>(blockAlign);
  f.ByteRate = static_cast<uint32_t>(blockAlign * f.SampleRate);
  return {f, FailureKind::None, ""};
}

}  // namespace

int32_t CodedBits(const FormatBody& f, bool isFloat) {
  const int32_t containerBits = f.Channels != 0 ? 8 * (f.BlockAlign / f.Channels) : 0;
  const int32_t bits = f.BitsPerSample;
  return bits < 8 || bits > containerBits || (isFloat && bits != containerBits) ? containerBits : bits;
}

OutputFormat DeriveOutputFormat(const FormatBody& source, bool sourceIsFloat, const FormatChoice& choice) {
  OutputFormat out{source, FailureKind::None, ""};
  if (choice.Bits != -1) {
    out = Convert(source, choice);
    if (!out.Ok()) return out;
  }
  FormatBody& f = out.Body;
  if (f.FormatTag != TagPCM && f.FormatTag != TagFloat) f.FormatTag = PlainTag(f, sourceIsFloat);
  // A header with no sample rate (or no channels) is one that other programs refuse to open.
  if (f.SampleRate == 0 || f.Channels == 0) return Refused(f, "sample rate 0");
  // A depth copied from a source that the container cannot hold becomes the container's: sox
  // and ffmpeg refuse such a header, and the samples are the same.
  f.BitsPerSample = static_cast<uint16_t>(CodedBits(f, f.FormatTag == TagFloat));
  // A byte rate copied from the source may be anything; readers expect it to be the true one.
  const uint64_t byteRate = uint64_t{f.BlockAlign} * f.SampleRate;
  if (byteRate > 0xFFFFFFFFu) return Refused(f);
  f.ByteRate = static_cast<uint32_t>(byteRate);
  return out;
}

}  // namespace tacetix
