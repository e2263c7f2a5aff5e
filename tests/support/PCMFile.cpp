// The source-and-output object over a reader and a writer.
#include "support/WaveClass.h"

namespace tacetix {

int PCMFile::OpenInput(const std::string& path, bool sizeCheck) {
  ReadOptions options = Options;
  options.SizeCheck = sizeCheck;
  return Read().Open(path, options);
}

int PCMFile::CreateOutput(const std::string& path, int32_t bits, int16_t tag, int32_t bytesPerSample, bool replace) {
  OutputDescription d;
  d.Format = DeriveOutputFormat(Reader.Format(), Reader.IsFloat(), {bits, tag, bytesPerSample});
  d.Extras = Extras;
  d.ExpectedSamples = ExpectedSamples >= 0 ? ExpectedSamples : Reader.SampleCount();
  d.Replace = replace;
  return Write().Create(path, std::move(d));
}

}  // namespace tacetix
