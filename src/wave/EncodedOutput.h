// The body of an output that is not WAVE: AIFF (big-endian PCM, AIFF-C for floats) or FLAC
// (through libFLAC). The writer hands it the samples as WAVE bytes of the output's format and
// keeps everything else (the temporary name, the move, a cancelled file's partial output).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "wave/FailureKind.h"
#include "wave/FileHandle.h"
#include "wave/FlacMetadata.h"
#include "wave/SampleSource.h"
#include "wave/WaveFormat.h"

namespace tacetix {

class EncodedOutput {
 public:
  virtual ~EncodedOutput() = default;
  // Writes the front at the file's start; expectedSamples: the most the output will hold. False
  // when the format cannot be written so (Kind and Reason say why) or a write failed.
  virtual bool Start(FileHandle& file, const FormatBody& format, int64_t expectedSamples) = 0;
  // Appends count samples (whole frames) given as WAVE bytes of the format.
  virtual bool Append(const uint8_t* bytes, int32_t count) = 0;
  // Makes the file final for what it holds: sizes, or the FLAC stream's STREAMINFO and seek table.
  virtual bool Finish() = 0;
  // Nothing more reaches the file (it is removed).
  virtual void Abandon() = 0;

  FailureKind Kind = FailureKind::None;
  std::string Reason;  // "" for a failed write, which the system's error says
};

// What an AIFF or FLAC output carries besides its format and samples; each may be null.
struct EncodedMetadata {
  std::shared_ptr<const FlacBlocks> Flac;  // blocks besides STREAMINFO and the seek table
  std::shared_ptr<const AiffChunks> Aiff;  // chunks between COMM and SSND
};

// The output of a container other than Wave; level: FLAC's compression level.
std::unique_ptr<EncodedOutput> MakeEncodedOutput(AudioContainer container, int32_t level, EncodedMetadata metadata);

}  // namespace tacetix
