#include "engine/preview.h"

#include "engine/folder_scan.h"
#include "engine/imaging_environment.h"
#include "engine/input_checks.h"
#include "engine/messages.h"
#include "engine/picture_io.h"
#include "engine/picture_ops.h"
#include "platform/file_system.h"
#include "settings/program_folder.h"

namespace lumivane {
namespace {

enum class Kind { kText, kPicture };

class Preview {
 public:
  Preview(WindowPort& port, ProcessingSettings& settings, Kind kind, const ExtraOperations& extras)
      : port_(port), s_(settings), kind_(kind), extras_(extras), checks_(port, settings) {}

  void Run() {
    const Control button =
        kind_ == Kind::kText ? Control::TextPreviewButton : Control::PicturePreviewButton;
    platform::ChangeDirectory(ProgramFolder());
    port_.EnableControl(button, false);
    RunSteps();
    port_.EnableControl(button, true);
    if (checks_.focus()) port_.RequestFocus(*checks_.focus());
  }

 private:
  void RunSteps() {
    const std::string source = checks_.ReadTrimmed(Control::SourceFolderBox);
    EnsureImagingEnvironment();
    if (!checks_.SourceFolder(source) || !checks_.Width()) return;
    checks_.Quality();
    if (kind_ == Kind::kText) {
      if (!checks_.WatermarkText(true)) return;
      checks_.Opacity();
      if (!checks_.TextMargins()) return;
    } else {
      if (!checks_.WatermarkPicture() || !checks_.PictureMargins()) return;
    }
    bool listing_failed = false;
    auto sample =
        FindSamplePicture(source, port_.IsChecked(Control::SubfoldersCheck), listing_failed);
    if (listing_failed) {
      checks_.Fail(msg::kCannotReadSource, std::nullopt);
      return;
    }
    if (!sample) {
      checks_.Fail(msg::kNoSamplePicture, Control::SourceFolderBrowseButton);
      return;
    }
    Render(*sample);
  }

  void Render(const std::string& sample) {
    const std::string folder = platform::JoinPath(ProgramFolder(), "temp");
    if (!IsDirectory(folder) && !platform::MakeDirectory(folder)) {
      checks_.Fail(msg::kCannotCreatePreviewFolder, std::nullopt);
      return;
    }
    const std::string out =
        platform::JoinPath(folder, kind_ == Kind::kText ? "sy_text.jpg" : "sy_image.jpg");
    // The basic steps and this preview's watermark, whatever its switch; an
    // unreadable watermark picture is simply left out.
    PictureSwitches switches = ReadBasicSwitches(port_);
    std::optional<vips::VImage> mark;
    if (kind_ == Kind::kText) {
      switches.text_watermark = true;
    } else {
      mark = LoadWatermarkPicture(s_.sy_image);
      switches.picture_watermark = mark.has_value();
    }
    const auto picture =
        RenderPicture(sample, s_, switches, mark ? &*mark : nullptr, true, nullptr, extras_);
    if (!picture) {
      checks_.Fail(msg::ReadError(sample), std::nullopt);
      return;
    }
    // Showing an old preview after a failed write would mislead.
    if (!WritePicture(*picture, out, OutputQuality(s_, switches))) {
      checks_.Fail(msg::SaveError(out), std::nullopt);
      return;
    }
    Show(out);
  }

  void Show(const std::string& file) {
    const int r = port_.OpenWithDesktop(file);
    if (r == kOpenNoAssociation) {
      const int r2 = port_.OpenInBrowser(file);
      if (r2 <= 32) checks_.Fail(msg::PreviewOpenFailedTwice(r2, file), std::nullopt);
    } else if (r <= 32) {
      checks_.Fail(msg::PreviewOpenFailed(r), std::nullopt);
    }
  }

  WindowPort& port_;
  ProcessingSettings& s_;
  Kind kind_;
  const ExtraOperations& extras_;
  InputChecks checks_;
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

void PreviewTextWatermark(WindowPort& port, ProcessingSettings& settings,
                          const ExtraOperations& extras) {
  Preview(port, settings, Kind::kText, extras).Run();
}

void PreviewPictureWatermark(WindowPort& port, ProcessingSettings& settings,
                             const ExtraOperations& extras) {
  Preview(port, settings, Kind::kPicture, extras).Run();
}

}  // namespace lumivane
