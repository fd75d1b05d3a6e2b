// What a front end asks of a run or a preview: the user's inputs as the
// front end holds them (the engine checks them, in the window's order),
// the operations, and how the run is carried out.
#ifndef LUMIVANE_ENGINE_RUN_RUN_REQUEST_H_
#define LUMIVANE_ENGINE_RUN_RUN_REQUEST_H_

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/picture/extra_operations.h"
#include "engine/picture/processing_settings.h"

namespace lumivane {

struct PictureResult;

// A watermark's place on each axis: the position chosen (0 centred, 1 near
// edge, 2 far edge; -1 none) and the margin as typed.
struct MarkPlace {
  int horizontal = -1;
  int vertical = -1;
  std::string horizontal_margin;
  std::string vertical_margin;
};

// The inputs as typed and chosen; the checks trim the texts.
struct UserInputs {
  std::string source;
  bool width_on = false;
  std::string width;
  bool quality_on = false;
  int quality = -1;  // position in the quality list
  bool rotation_on = false;
  int rotation = 0;  // position in the rotation list
  bool subfolders = false;
  bool text_mark = false;
  std::string text;
  int opacity = -1;
  MarkPlace text_place;
  bool picture_mark = false;
  std::string picture;
  MarkPlace picture_place;
  std::string target;
};

// The inputs as the window shows `settings` after start-up (quality on,
// every other switch off, no folders).
UserInputs InputsShowing(const ProcessingSettings& settings);

// The input a refusal is about, so the front end can lead the user to it.
enum class Field {
  kSource,
  kWidth,
  kText,
  kFont,
  kTextHorizontalMargin,
  kTextVerticalMargin,
  kPicture,
  kPictureHorizontalMargin,
  kPictureVerticalMargin,
  kTarget,
};

// "width", "text_vertical_margin", ...
const char* FieldName(Field field);

// One of several output sets a run makes, each picture read once for them
// all: its subfolder of the target, the width it is shrunk to (0: none)
// and its operations.
struct OutputSet {
  std::string name;
  int width = 0;
  ExtraOperations extras;
};

struct RunRequest {
  UserInputs inputs;
  ExtraOperations extras;  // what marketplaces ask beyond the switches
  // Several output sets instead of one into the target (the inputs' width
  // and `extras` then give way to each set's own).
  std::vector<OutputSet> sets;
  int workers = 0;  // pictures processed at once; 0: one per core
  // This process's share of the job: shard `shard_index` of `shard_count`.
  int shard_index = 0;
  int shard_count = 1;
  // Leave alone a picture whose output is complete and newer than it.
  bool skip_done = false;
  // Then watch the source until stopped (the window's runs; the command
  // line watches by itself).
  bool watch = false;
  // Once set, the run starts no more pictures: those in hand are finished
  // and the report lists every picture, the ones not reached too.
  std::shared_ptr<const std::atomic<bool>> stop;
  // While set, the run starts no more pictures (the user is asked whether
  // to stop): those in hand go on.
  std::shared_ptr<const std::atomic<bool>> pause;
  // Told of every picture in file order, as the window is.
  std::function<void(const std::string& source, const PictureResult& result)> on_picture;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_RUN_REQUEST_H_
