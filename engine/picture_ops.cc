#include "engine/picture_ops.h"

#include "engine/picture_io.h"
#include "engine/watermark.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {
namespace {

// What the encoder writes when no quality is chosen.
constexpr int kDefaultQuality = 92;

VipsAngle ClockwiseAngle(int degrees) {
  switch (degrees) {
    case 90:
      return VIPS_ANGLE_D90;
    case 180:
      return VIPS_ANGLE_D180;
    default:
      return VIPS_ANGLE_D270;
  }
}

bool ApplyTextWatermark(vips::VImage& picture, const ProcessingSettings& s) {
  return DrawTextWatermark(
      picture, {HorizontalDirectionFor(s.sy_text_w_direction), static_cast<int>(s.sy_text_w_value)},
      {VerticalDirectionFor(s.sy_text_h_direction), static_cast<int>(s.sy_text_h_value)},
      s.sy_text_font, OpacityFor(s.sy_text_opacity), s.sy_text);
}

void ApplyPictureWatermark(vips::VImage& picture, const vips::VImage& watermark,
                           const ProcessingSettings& s) {
  CompositePictureWatermark(
      picture, watermark,
      {HorizontalDirectionFor(s.sy_image_w_direction), static_cast<int>(s.sy_image_w_value)},
      {VerticalDirectionFor(s.sy_image_h_direction), static_cast<int>(s.sy_image_h_value)});
}

}  // namespace

int OutputQuality(const ProcessingSettings& settings, const PictureSwitches& switches) {
  return switches.quality ? QualityFor(settings.quanlity) : kDefaultQuality;
}

std::string OutputPathFor(const std::string& target_folder, const std::string& file_name) {
  std::string path = platform::JoinPath(target_folder, file_name);
  size_t dot = file_name.rfind('.');
  if (dot == std::string::npos) return path;
  std::string ext = AsciiLower(std::string_view(file_name).substr(dot));
  if (ext != ".jpg" && ext != ".jpeg") path += ".jpg";
  return path;
}

std::optional<vips::VImage> LoadWatermarkPicture(const std::string& path) {
  ReadOptions options;
  options.allow_gif = true;
  options.keep_alpha = true;
  auto mark = ReadPicture(path, options);
  if (mark && !mark->has_alpha()) {
    *mark = mark->bandjoin_const(std::vector<double>{255}).copy_memory();
  }
  return mark;
}

std::optional<vips::VImage> RenderPicture(const std::string& source,
                                          const ProcessingSettings& settings,
                                          const PictureSwitches& switches,
                                          const vips::VImage* watermark, bool shrink_on_load,
                                          bool* mark_failed) {
  ReadOptions options;
  if (switches.width) options.target_width = settings.width;
  options.decoder_may_reduce = shrink_on_load;
  auto picture = ReadPicture(source, options);
  if (!picture) return std::nullopt;
  try {
    if (switches.rotation) {
      *picture = picture->rot(ClockwiseAngle(RotationAngleFor(switches.rotation_position)));
    }
    const bool marked = !switches.text_watermark || ApplyTextWatermark(*picture, settings);
    if (mark_failed) *mark_failed = !marked;
    if (switches.picture_watermark && watermark != nullptr) {
      ApplyPictureWatermark(*picture, *watermark, settings);
    }
  } catch (const vips::VError&) {
    return std::nullopt;
  }
  return picture;
}

PictureOutcome ProcessOnePicture(const std::string& source, const std::string& output,
                                 const ProcessingSettings& settings,
                                 const PictureSwitches& switches, const vips::VImage* watermark) {
  bool mark_failed = false;
  auto picture = RenderPicture(source, settings, switches, watermark, true, &mark_failed);
  if (!picture) return PictureOutcome::kReadFailed;
  if (!WritePicture(*picture, output, OutputQuality(settings, switches))) {
    return PictureOutcome::kWriteFailed;
  }
  return mark_failed ? PictureOutcome::kMarkFailed : PictureOutcome::kProcessed;
}

}  // namespace lumivane
