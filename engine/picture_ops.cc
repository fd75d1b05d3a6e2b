#include "engine/picture_ops.h"

#include "engine/picture_io.h"
#include "engine/watermark.h"
#include "platform/file_system.h"
#include "text/text_helpers.h"

namespace lumivane {

void EnsureSrgb(MagickWand* wand) {
  if (MagickGetImageColorspace(wand) != sRGBColorspace) {
    MagickTransformImageColorspace(wand, sRGBColorspace);
  }
}

void ShrinkToWidth(MagickWand* wand, int width) {
  const long long w = static_cast<long long>(MagickGetImageWidth(wand));
  const long long h = static_cast<long long>(MagickGetImageHeight(wand));
  if (w <= width) return;
  long long new_height = h * width / w;
  if (new_height < 1) new_height = 1;
  MagickResizeImage(wand, static_cast<size_t>(width), static_cast<size_t>(new_height),
                    LanczosFilter, 1.0);
}

std::string OutputPathFor(const std::string& target_folder, const std::string& file_name) {
  std::string path = platform::JoinPath(target_folder, file_name);
  size_t dot = file_name.rfind('.');
  if (dot == std::string::npos) return path;
  std::string ext = AsciiLower(std::string_view(file_name).substr(dot));
  if (ext != ".jpg" && ext != ".jpeg") path += ".jpg";
  return path;
}

namespace {

void ApplyBasicSteps(MagickWand* wand, const ProcessingSettings& settings,
                     const PictureSwitches& switches) {
  EnsureSrgb(wand);
  if (switches.width) ShrinkToWidth(wand, settings.width);
  if (switches.quality) {
    MagickSetImageCompression(wand, JPEGCompression);
    MagickSetImageCompressionQuality(wand, static_cast<size_t>(QualityFor(settings.quanlity)));
  }
  if (switches.rotation) {
    PixelWandPtr corner = NewColour();
    MagickRotateImage(wand, corner.get(), RotationAngleFor(switches.rotation_position));
  }
}

bool ApplyTextWatermark(MagickWand* wand, const ProcessingSettings& s) {
  return DrawTextWatermark(
      wand, {HorizontalDirectionFor(s.sy_text_w_direction), static_cast<int>(s.sy_text_w_value)},
      {VerticalDirectionFor(s.sy_text_h_direction), static_cast<int>(s.sy_text_h_value)},
      s.sy_text_font, OpacityFor(s.sy_text_opacity), s.sy_text);
}

void ApplyPictureWatermark(MagickWand* wand, MagickWand* watermark, const ProcessingSettings& s) {
  CompositePictureWatermark(
      wand, watermark,
      {HorizontalDirectionFor(s.sy_image_w_direction), static_cast<int>(s.sy_image_w_value)},
      {VerticalDirectionFor(s.sy_image_h_direction), static_cast<int>(s.sy_image_h_value)});
}

// Lays a picture with transparency on white, as JPEG has none.
void LayOnWhite(MagickWand* wand, const std::string& source) {
  // PNG by name in any letter case, and any other picture that carries
  // transparency: JPEG would otherwise turn it black.
  if (!EndsWith(AsciiLower(source), ".png") && MagickGetImageAlphaChannel(wand) == MagickFalse) {
    return;
  }
  PixelWandPtr white = NewColour();
  PixelSetColor(white.get(), "white");
  MagickSetImageBackgroundColor(wand, white.get());
  MagickExtentImage(wand, MagickGetImageWidth(wand), MagickGetImageHeight(wand), 0, 0);
  // Opaque now; without the channel the encoder has nothing to flatten.
  MagickSetImageAlphaChannel(wand, DeactivateAlphaChannel);
}

// Drops what a published picture must not carry (EXIF with GPS, XMP,
// IPTC, comments) and keeps the colour profile where it still applies.
void StripPrivateMetadata(MagickWand* wand, bool keep_colour_profile) {
  size_t length = 0;
  MagickMemoryPtr<unsigned char> icc(
      keep_colour_profile ? MagickGetImageProfile(wand, "icc", &length) : nullptr);
  MagickStripImage(wand);
  if (icc && length > 0) MagickSetImageProfile(wand, "icc", icc.get(), length);
}

}  // namespace

MagickWandPtr LoadWatermarkPicture(const std::string& path) {
  MagickWandPtr mark = NewPicture();
  ReadOptions options;
  options.allow_gif = true;
  if (!ReadPicture(mark.get(), path, options)) return nullptr;
  return mark;
}

MagickWandPtr RenderPicture(const std::string& source, const ProcessingSettings& settings,
                            const PictureSwitches& switches, MagickWand* watermark,
                            bool shrink_on_load, bool* mark_failed) {
  MagickWandPtr wand = NewPicture();
  ReadOptions options;
  if (shrink_on_load && switches.width) options.shrink_target_width = settings.width;
  if (!ReadPicture(wand.get(), source, options)) return nullptr;
  // Upright as the camera meant it, so width, rotation and watermark
  // positions refer to the picture the user sees.
  MagickAutoOrientImage(wand.get());
  // A profile for another colour space no longer describes the pixels
  // once they are converted to sRGB.
  const bool keep_profile = MagickGetImageColorspace(wand.get()) == sRGBColorspace;
  ApplyBasicSteps(wand.get(), settings, switches);
  const bool marked = !switches.text_watermark || ApplyTextWatermark(wand.get(), settings);
  if (mark_failed) *mark_failed = !marked;
  if (switches.picture_watermark && watermark != nullptr) {
    ApplyPictureWatermark(wand.get(), watermark, settings);
  }
  LayOnWhite(wand.get(), source);
  StripPrivateMetadata(wand.get(), keep_profile);
  return wand;
}

PictureOutcome ProcessOnePicture(const std::string& source, const std::string& output,
                                 const ProcessingSettings& settings,
                                 const PictureSwitches& switches, MagickWand* watermark) {
  bool mark_failed = false;
  MagickWandPtr wand = RenderPicture(source, settings, switches, watermark, true, &mark_failed);
  if (!wand) return PictureOutcome::kReadFailed;
  if (!WritePicture(wand.get(), output)) return PictureOutcome::kWriteFailed;
  return mark_failed ? PictureOutcome::kMarkFailed : PictureOutcome::kProcessed;
}

}  // namespace lumivane
