#include "engine/batch_run.h"

#include <atomic>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

#include "engine/folder_scan.h"
#include "engine/imaging_environment.h"
#include "engine/input_checks.h"
#include "engine/messages.h"
#include "engine/picture_ops.h"
#include "engine/text_helpers.h"
#include "platform/file_system.h"
#include "settings/settings_file.h"

namespace lumivane {
namespace {

std::atomic<bool> run_active{false};

enum class OverwriteAnswer { kNotAsked, kAllConfirmed, kCancelled };

// True when `inner`, made absolute and normalised, lies below `outer`.
bool LiesBelow(const std::string& inner, const std::string& outer) {
  const std::string a = platform::NormalizePath(inner);
  std::string b = platform::NormalizePath(outer);
  if (b.empty() || b.back() != platform::kPathSeparator) b += platform::kPathSeparator;
  return StartsWith(a, b) && a.size() > b.size();
}

class BatchRun {
 public:
  BatchRun(WindowPort& port, ProcessingSettings& settings) : port_(port), s_(settings) {}

  void Run() {
    const std::string source = TrimSpaces(port_.ControlText(Control::SourceFolderBox));
    EnsureImagingEnvironment();
    InputChecks checks(port_, s_);
    if (!RunInputChecks(checks, source, target_)) {
      focus_ = checks.focus();
      return;
    }
    SaveSettings(s_);
    ReadSwitches();
    if (port_.IsChecked(Control::SubfoldersCheck)) {
      RunSubfolders(source);
    } else {
      RunOneFolder(source);
    }
  }

  void EndSteps() {
    port_.UnlockAfterRun();
    port_.SetProgressPosition(0);
    if (focus_) port_.RequestFocus(*focus_);
  }

 private:
  void ReadSwitches() {
    switches_.width = port_.IsChecked(Control::WidthCheck);
    switches_.quality = port_.IsChecked(Control::QualityCheck);
    switches_.rotation = port_.IsChecked(Control::RotationCheck);
    switches_.rotation_position = port_.Selection(Control::RotationCombo);
    switches_.text_watermark = port_.IsChecked(Control::TextWatermarkCheck);
    switches_.picture_watermark = port_.IsChecked(Control::PictureWatermarkCheck);
    if (switches_.picture_watermark) {
      // Read once for the whole run; a picture that cannot be read is
      // reported once and the run goes on without it.
      watermark_ = LoadWatermarkPicture(s_.sy_image);
      if (!watermark_) port_.AppendLogLine(msg::ReadError(s_.sy_image));
    }
  }

  void RunSubfolders(const std::string& source) {
    if (LiesBelow(target_, source)) {
      port_.ShowMessage(msg::kNoticeCaption, msg::kTargetInsideSource, MessageIcon::kError);
      focus_ = Control::TargetFolderBrowseButton;
      return;
    }
    StringList folders = StringListNew();
    StringListAppend(folders, source);
    ListSubfolders(source, folders, true);
    port_.SetProgressRange(folders.count());
    for (int i = 0; i < folders.count(); ++i) {
      const std::string& folder = *StringListGet(folders, i);
      const std::string target_folder = target_ + folder.substr(source.size());
      if (!IsDirectory(target_folder) && !platform::MakeDirectory(target_folder)) {
        port_.ShowMessage(msg::kNoticeCaption, msg::kCannotCreateTarget, MessageIcon::kError);
        focus_ = Control::TargetFolderBrowseButton;
        break;
      }
      auto files = ListPictureFiles(folder);
      if (!files) {
        port_.ShowMessage(msg::kNoticeCaption, msg::kCannotReadSource, MessageIcon::kError);
        break;
      }
      for (const auto& name : files->items) {
        if (!ProcessFile(platform::JoinPath(folder, name), OutputPathFor(target_folder, name))) {
          break;
        }
      }
      port_.SetProgressPosition(i + 1);
      if (answer_ == OverwriteAnswer::kCancelled) return;
    }
    AskSummary();
  }

  void RunOneFolder(const std::string& source) {
    auto files = ListPictureFiles(source);
    if (!files) {
      port_.ShowMessage(msg::kNoticeCaption, msg::kCannotReadSource, MessageIcon::kError);
      return;
    }
    port_.SetProgressRange(files->count());
    for (int i = 0; i < files->count(); ++i) {
      const std::string& name = *StringListGet(*files, i);
      bool was_read = false;
      if (!ProcessFile(platform::JoinPath(source, name), OutputPathFor(target_, name), &was_read)) {
        return;
      }
      if (was_read) port_.SetProgressPosition(i + 1);
    }
    AskSummary();
  }

  // False when the user refused to overwrite: the run is cancelled.
  bool ProcessFile(const std::string& source, const std::string& output, bool* was_read = nullptr) {
    if (FileExists(output) && answer_ == OverwriteAnswer::kNotAsked) {
      if (port_.AskYesNo(msg::kQuestionCaption, msg::kOverwriteQuestion)) {
        answer_ = OverwriteAnswer::kAllConfirmed;
      } else {
        port_.ShowMessage(msg::kNoticeCaption, msg::kCancelled, MessageIcon::kInformation);
        answer_ = OverwriteAnswer::kCancelled;
        return false;
      }
    }
    switch (ProcessOnePicture(source, output, s_, switches_, watermark_.get())) {
      case PictureOutcome::kProcessed:
        ++processed_;
        if (was_read) *was_read = true;
        break;
      case PictureOutcome::kReadFailed:
        port_.AppendLogLine(msg::ReadError(source));
        break;
      case PictureOutcome::kWriteFailed:
        port_.AppendLogLine(msg::SaveError(output));
        if (was_read) *was_read = true;
        break;
    }
    return true;
  }

  void AskSummary() {
    if (port_.AskYesNo(msg::kDoneCaption, msg::Summary(processed_))) {
      port_.OpenWithDesktop(target_);
    }
  }

  WindowPort& port_;
  ProcessingSettings& s_;
  std::string target_;
  PictureSwitches switches_;
  MagickWandPtr watermark_;
  OverwriteAnswer answer_ = OverwriteAnswer::kNotAsked;
  int processed_ = 0;
  std::optional<Control> focus_;
};

}  // namespace

bool RunActive() { return run_active.load(); }

void BatchWorker(WindowPort& port, ProcessingSettings& settings) {
  run_active = true;
  {
    BatchRun run(port, settings);
    run.Run();
    // The imaging environment stays up for the process: previews and font
    // checks use it too.
    run.EndSteps();
  }
  run_active = false;
}

bool StartBatchWorker(WindowPort& port, ProcessingSettings& settings) {
  // Set before the thread exists, so that quitting right after the start
  // already asks first.
  run_active = true;
  try {
    std::thread([&port, &settings] { BatchWorker(port, settings); }).detach();
    return true;
  } catch (const std::system_error&) {
    run_active = false;
    return false;
  }
}

}  // namespace lumivane
