#include "engine/run/picture_job.h"

#include <chrono>

#include "engine/picture/operation_table.h"
#include "engine/picture/picture_steps.h"
#include "engine/picture/settings_text.h"
#include "platform/file_system.h"

namespace lumivane {

namespace {

// A picture whose watermark picture was asked for and could not be read
// is not done.
void MarkMissing(const PictureJob& job, PictureResult& result) {
  if (job.switches.picture_watermark && job.watermark == nullptr &&
      result.outcome == PictureOutcome::kProcessed) {
    result.outcome = PictureOutcome::kMarkFailed;
  }
}

// The names of the picture's outputs, claimed in the job's plan.
OutputNamer NamerOf(const PictureJob& job, const PlannedPicture& picture) {
  return [&job, &picture](PictureSize size, const std::vector<int>& heights) {
    return job.plan.NameOutputs(picture, size, heights);
  };
}

double MillisecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

}  // namespace

PictureResult RunPictureJob(const PictureJob& job, const PlannedPicture& picture) {
  const auto start = std::chrono::steady_clock::now();
  const TokenValues tokens = job.plan.TokensOf(picture);
  PictureResult result = ProcessOutput(picture.sources, picture.output, job.settings, job.switches,
                                       job.watermark, job.extras, NamerOf(job, picture), &tokens);
  MarkMissing(job, result);
  result.milliseconds = MillisecondsSince(start);
  return result;
}

std::vector<PictureResult> RunPictureJobs(const std::vector<PictureJob>& jobs,
                                          const std::vector<PlannedPicture>& pictures) {
  std::vector<PictureResult> results;
  if (jobs.size() == 1 || pictures.front().sources.page) {
    for (size_t i = 0; i < jobs.size(); ++i) results.push_back(RunPictureJob(jobs[i], pictures[i]));
    return results;
  }
  const auto start = std::chrono::steady_clock::now();
  std::vector<TokenValues> tokens;
  for (size_t i = 0; i < jobs.size(); ++i) tokens.push_back(jobs[i].plan.TokensOf(pictures[i]));
  std::vector<OutputOrder> orders;
  for (size_t i = 0; i < jobs.size(); ++i) {
    const PictureJob& job = jobs[i];
    const PlannedPicture& picture = pictures[i];
    orders.push_back({picture.output, job.settings, job.switches, job.watermark, job.extras,
                      NamerOf(job, picture), &tokens[i]});
  }
  results = ProcessOutputSets(pictures.front().sources.pictures.front(), orders);
  const double share = MillisecondsSince(start) / static_cast<double>(results.size());
  for (size_t i = 0; i < results.size(); ++i) {
    MarkMissing(jobs[i], results[i]);
    results[i].milliseconds = share;
  }
  return results;
}

MarkSwitches MarksOf(const PictureSwitches& switches) {
  return {switches.text_watermark, switches.picture_watermark};
}

std::string OperationsInEffect(const ExtraOperations& extras, const PictureSwitches& switches) {
  return DescribeOperations(extras, MarksOf(switches));
}

bool ReadRunWatermark(RunWatermark& mark, const ProcessingSettings& settings,
                      const PictureSwitches& switches, const ExtraOperations& extras,
                      const std::vector<std::string>& sources) {
  mark.picture = LoadWatermarkPicture(
      settings.sy_image, WidestMark(settings, switches, extras, sources), &mark.memory, &mark.why);
  if (mark.memory) mark.memory->Pin();
  return mark.picture.has_value();
}

namespace {

// The settings as far as the switches use them: the values of a switch
// that is off make no output differ, so they are left out of the key (as
// they stand when every switch is on, journals of such runs stay valid).
ProcessingSettings InEffect(const ProcessingSettings& settings, const PictureSwitches& switches) {
  ProcessingSettings s = settings;
  const ProcessingSettings none;
  if (!switches.width) s.width = none.width;
  if (!switches.quality) s.quanlity = none.quanlity;
  if (!switches.text_watermark) {
    s.sy_text = none.sy_text;
    s.sy_text_opacity = none.sy_text_opacity;
    s.sy_text_w_direction = none.sy_text_w_direction;
    s.sy_text_w_value = none.sy_text_w_value;
    s.sy_text_h_direction = none.sy_text_h_direction;
    s.sy_text_h_value = none.sy_text_h_value;
    s.sy_text_font = none.sy_text_font;
  }
  if (!switches.picture_watermark) {
    s.sy_image = none.sy_image;
    s.sy_image_w_direction = none.sy_image_w_direction;
    s.sy_image_w_value = none.sy_image_w_value;
    s.sy_image_h_direction = none.sy_image_h_direction;
    s.sy_image_h_value = none.sy_image_h_value;
  }
  return s;
}

}  // namespace

std::string OutputSettingsText(const ProcessingSettings& settings, const PictureSwitches& switches,
                               const ExtraOperations& extras) {
  const PictureSwitches& w = switches;
  std::string text = ComposeSettingsText(InEffect(settings, switches));
  text += w.KeyText();
  text += OperationsKeyText(extras, MarksOf(switches));
  text += ";pipeline=" + std::to_string(kPipelineVersion);
  if (w.picture_watermark) {  // the watermark picture itself may have changed
    if (const auto mark = platform::StampRegularFile(settings.sy_image, true)) {
      text += "," + std::to_string(mark->size) + "," + std::to_string(mark->mtime_ns);
    }
  }
  return text;
}

}  // namespace lumivane
