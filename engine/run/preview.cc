#include "engine/run/preview.h"

#include "engine/picture/imaging_environment.h"
#include "engine/picture/picture_io.h"
#include "engine/picture/picture_ops.h"
#include "engine/run/folder_scan.h"
#include "engine/run/input_checks.h"
#include "engine/run/messages.h"
#include "engine/run/output_plan.h"
#include "platform/file_system.h"
#include "platform/local_date.h"

namespace lumivane {
namespace {

enum class Kind { kText, kPicture };

class Preview {
 public:
  Preview(WindowPort& port, ProcessingSettings& settings, const UserInputs& inputs, Kind kind,
          const ExtraOperations& extras, const std::string& folder)
      : port_(port),
        s_(settings),
        in_(inputs),
        kind_(kind),
        extras_(extras),
        folder_(folder),
        checks_(port, inputs, settings) {}

  PreviewOutcome Run() {
    RunSteps();
    outcome_.refused = checks_.focus();
    return outcome_;
  }

 private:
  void RunSteps() {
    const std::string source = checks_.Source();
    EnsureImagingEnvironment();
    // What the run would refuse is refused here too, in its words.
    std::string no_target;
    if (!CheckInputs(checks_, extras_,
                     kind_ == Kind::kText ? ChecksFor::kTextPreview : ChecksFor::kPicturePreview,
                     no_target)) {
      return;
    }
    bool listing_failed = false;
    auto sample = FindSamplePicture(source, in_.subfolders, listing_failed);
    if (listing_failed) {
      checks_.Fail(msg::kCannotReadSource, std::nullopt);
      return;
    }
    if (!sample) {
      checks_.Fail(msg::kNoSamplePicture, Field::kSource);
      return;
    }
    Render(*sample);
  }

  void Render(const std::string& sample) {
    if (!IsDirectory(folder_) && !platform::MakeDirectory(folder_)) {
      checks_.Fail(msg::kCannotCreatePreviewFolder, std::nullopt);
      return;
    }
    // In the output's format: a transparent PNG or WebP shows as such.
    const std::string out =
        platform::JoinPath(folder_, std::string(kind_ == Kind::kText ? "sy_text" : "sy_image") +
                                        OutputExtension(extras_.format));
    // The basic steps and the marks; an unreadable watermark picture is
    // simply left out.
    PictureSwitches switches = BasicSwitches(in_);
    switches.text_watermark = TextOn();
    std::optional<vips::VImage> mark;
    if (PictureOn()) {
      mark = LoadWatermarkPicture(s_.sy_image, WidestMark(s_, switches, extras_, {sample}));
      switches.picture_watermark = mark.has_value();
    }
    const TokenValues tokens = SampleTokens(sample);
    // A page is previewed as the run makes it: the sample's folder joined.
    const OutputSources sources =
        extras_.join ? OutputSources{FolderOf(sample), true} : OutputSources{{sample}};
    const auto picture =
        RenderPicture(sources, s_, switches, mark ? &*mark : nullptr, extras_, &tokens);
    if (!picture) {
      checks_.Fail(msg::ReadError(sample), std::nullopt);
      return;
    }
    // Encoded as the run encodes it, size cap included. Showing an old
    // preview after a failed write would mislead.
    const auto encoded = EncodeOutput(*picture, extras_, OutputQuality(s_, switches));
    if (!encoded || !platform::WriteFileAtomically(out, encoded->bytes)) {
      checks_.Fail(msg::SaveError(out), std::nullopt);
      return;
    }
    port_.AppendLogLine(
        msg::PreviewMade(out, picture->width(), picture->height(), encoded->bytes.size()));
    outcome_.made = out;
    outcome_.title = msg::PreviewTitle(picture->width(), picture->height(), encoded->bytes.size());
  }

  // The sample is the first picture of its folder, as a run numbers it; a
  // page goes by its folder's name.
  TokenValues SampleTokens(const std::string& sample) const {
    const std::string folder_name(platform::LastName(platform::FolderOf(sample)));
    return {extras_.join ? PageFileName(folder_name, extras_.format)
                         : std::string(platform::LastName(sample)),
            extras_.rename_start > 0 ? extras_.rename_start : 1, folder_name,
            platform::LocalDate()};
  }

  // The pictures of the sample's folder, in the run's order.
  static std::vector<std::string> FolderOf(const std::string& sample) {
    const std::string folder(platform::FolderOf(sample));
    std::vector<std::string> pictures;
    if (auto files = ListPictureFiles(folder)) {
      for (const std::string& name : files->items)
        pictures.push_back(platform::JoinPath(folder, name));
    }
    return pictures;
  }

  bool TextOn() const { return kind_ == Kind::kText || in_.text_mark; }
  bool PictureOn() const { return kind_ == Kind::kPicture || in_.picture_mark; }

  WindowPort& port_;
  ProcessingSettings& s_;
  const UserInputs& in_;
  Kind kind_;
  const ExtraOperations& extras_;
  const std::string& folder_;
  InputChecks checks_;
  PreviewOutcome outcome_;
};

}  // namespace

std::optional<std::string> FindSamplePicture(const std::string& source, bool with_subfolders,
                                             bool& listing_failed) {
  listing_failed = false;
  if (with_subfolders) {
    StringList folders = StringListNew();
    StringListAppend(folders, source);
    ListSubfolders(source, folders, true);
    for (const auto& folder : folders.items) {
      auto files = ListPictureFiles(folder);  // a folder that cannot be read is skipped
      if (files && files->count() > 0) return platform::JoinPath(folder, files->items.front());
    }
    return std::nullopt;
  }
  auto files = ListPictureFiles(source);
  if (!files) {
    listing_failed = true;
    return std::nullopt;
  }
  if (files->count() == 0) return std::nullopt;
  return platform::JoinPath(source, files->items.front());
}

PreviewOutcome PreviewTextWatermark(WindowPort& port, ProcessingSettings& settings,
                                    const UserInputs& inputs, const ExtraOperations& extras,
                                    const std::string& folder) {
  return Preview(port, settings, inputs, Kind::kText, extras, folder).Run();
}

PreviewOutcome PreviewPictureWatermark(WindowPort& port, ProcessingSettings& settings,
                                       const UserInputs& inputs, const ExtraOperations& extras,
                                       const std::string& folder) {
  return Preview(port, settings, inputs, Kind::kPicture, extras, folder).Run();
}

}  // namespace lumivane
