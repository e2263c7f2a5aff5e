// The preview's picture, drawn into plain RGB pixels so that the window and tacetix-cli show
// the same thing: the waveform, the parts the run cuts, the silence it keeps, the fades, the
// thresholds and the clicks it passes over.
#pragma once

#include <cstdint>
#include <vector>

#include "preview/PreviewPlan.h"
#include "preview/WaveOverview.h"

namespace tacetix {

struct Picture {
  Picture(int32_t width, int32_t height);
  int32_t Width, Height;
  std::vector<uint8_t> Rgb;  // Width * Height * 3 bytes, rows from the top
};

struct PictureArea {
  int32_t X, Y, Width, Height;
};

enum class PreviewScale { Linear, Decibels };

// Draws view into area, with what plan decides over it (plan may be null while none is made,
// or one that failed). Columns the overview has not finished stay blank.
void DrawPreview(Picture& into, PictureArea area, const WaveOverview& view, const PreviewPlan* plan,
                 PreviewScale scale);

// The first second of a file of frames at rate (last: its last second), as a first frame and a count.
struct FrameStretch {
  int64_t First = 0;
  int64_t Count = 0;
};
FrameStretch ZoomStretch(int64_t frames, int32_t rate, bool last);

// The whole file above, its first and last second side by side below.
Picture DrawPreviewSheet(const WaveOverview& whole, const WaveOverview& first, const WaveOverview& last,
                         const PreviewPlan& plan, PreviewScale scale, int32_t width, int32_t height);

}  // namespace tacetix
