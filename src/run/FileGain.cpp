// One file's gain: to a peak level or to a loudness, and the level figures its record states.
#include "run/FileWork.h"

#include <cmath>

#include "wave/LevelTime.h"

namespace tacetix {
namespace steps {

namespace {

// The kept range's sample peak in dBfs, 0 for no sound.
double PeakDb(const Work& w) {
  if (w.O.Peak == 0.0) return 0.0;
  const double inverse = 1.0 / w.O.PeakMagnitude;
  return std::isfinite(inverse) ? LinearToDb(inverse) : -LinearToDb(w.O.PeakMagnitude);
}

// To a loudness: the gain the kept range needs, lowered where the true peak would pass the
// ceiling; left at 1 when the loudness cannot be measured.
void DecideLoudnessGain(Work& w) {
  const ProcessSettings& s = w.C.Settings;
  bool limitedByPeak = false;
  w.O.Gain = LoudnessGain(w.O.Loudness, w.Blocks, s.LoudnessTarget, s.TruePeakCeiling, limitedByPeak);
  if (!w.O.Silent)
    w.O.Note = !w.O.Loudness.Measured ? GainNote::NotMeasured
               : limitedByPeak        ? GainNote::LimitedByTruePeak
                                      : GainNote::None;
  w.O.Changed = w.O.Changed || w.O.Gain != 1.0;
  if (!w.C.Record) return;
  w.C.Record->peakdb = PeakDb(w);
  w.C.Record->ampdb = -LinearToDb(w.O.Gain);
}

}  // namespace

void DecideGain(Work& w) {
  const ProcessSettings& s = w.C.Settings;
  if (s.NormalizeLoudness) return DecideLoudnessGain(w);
  w.O.Gain = w.O.Peak != 0.0 ? s.NormalizeTarget / w.O.PeakMagnitude : 1.0;
  w.O.Changed = w.O.Changed || w.O.Gain != 1.0;
  if (!w.C.Record) return;
  const double peakDb = PeakDb(w);
  w.C.Record->peakdb = peakDb;
  // The gain the run applies, from its own snapshot of the target.
  w.C.Record->ampdb = static_cast<double>(static_cast<long double>(s.NormalizeLevelDb) - peakDb);
}

}  // namespace steps

using namespace steps;

LoudnessFigures LoudnessAfterGain(const FileOutcome& outcome) {
  LoudnessFigures figures = outcome.Loudness;
  const double gainDb = -LinearToDb(outcome.Gain);
  figures.Lufs += gainDb + outcome.Loudness.GateShift;
  figures.TruePeak = -LinearToDb(outcome.Loudness.TruePeak) + gainDb;
  return figures;
}

}  // namespace tacetix
