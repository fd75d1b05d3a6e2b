// What the steps of one picture tell of it (its result), apart from the
// pipeline itself, so that the steps can name it without it.
#ifndef LUMIVANE_ENGINE_PICTURE_PICTURE_RESULT_H_
#define LUMIVANE_ENGINE_PICTURE_PICTURE_RESULT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "engine/picture/picture_io.h"
#include "engine/picture/picture_switches.h"
#include "engine/picture/picture_size.h"
#include "platform/write_problem.h"

namespace lumivane {

// kMarkFailed: written, but the text watermark could not be drawn on it.
// kSkipped: a resumed run found its output complete and newer than it.
// kNameClash: not written, its output name is an earlier picture's.
enum class PictureOutcome {
  kProcessed,
  kReadFailed,
  kWriteFailed,
  kMarkFailed,
  kSkipped,
  kNameClash,
  kNotReached  // the run was stopped before it
};

// Why a picture to be trimmed was left whole.
enum class Untrimmed { kNo, kNoPlainBackground, kNoProduct };

// A picture a page was joined without: it could not be read.
struct LeftOut {
  std::string source;
  ReadFailure why;
};

// What became of one source picture (or one page of a folder's pictures).
struct PictureResult {
  PictureOutcome outcome = PictureOutcome::kReadFailed;
  std::string output;                // its name; a cut picture's parts are numbered from it
  std::vector<std::string> outputs;  // one, or a part each
  std::vector<std::uint64_t> sizes;  // the bytes of each output written
  PictureSize original;              // upright, as stored
  PictureSize size;                  // as written (all parts together)
  std::uint64_t bytes = 0;
  int quality = 0;                       // the lowest of the parts; 0 for PNG, which has none
  bool over_limit = false;               // above the size cap even at the lowest quality
  Untrimmed untrimmed = Untrimmed::kNo;  // to be trimmed, but left whole
  bool unframed = false;                 // too small for its frame: written without
  bool ground_kept = false;              // to be whitened, but no plain ground found
  bool mark_shrunk = false;              // the watermark picture shrunk to fit on it
  bool text_shrunk = false;              // the text mark drawn smaller to fit on it
  ReadFailure read_failure;              // kReadFailed: why
  bool too_large_for_format = false;     // kWriteFailed: a side over what the format holds
  platform::WriteProblem write_problem = platform::WriteProblem::kNone;  // kWriteFailed: why
  double milliseconds = 0;        // the picture's own processing time
  std::vector<LeftOut> left_out;  // a page's pictures it was made without
};

// The result's name in a manifest ("over_limit") and its text in the
// report ("超出大小限制").
struct ResultLabel {
  const char* name;
  const char* text;
};
ResultLabel LabelOf(const PictureResult& result);

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_PICTURE_PICTURE_RESULT_H_
