// A batch run's surroundings: a program folder, a source and a target
// folder, and a scripted window holding them.
#ifndef LUMIVANE_TESTS_RUN_FIXTURE_H_
#define LUMIVANE_TESTS_RUN_FIXTURE_H_

#include <gtest/gtest.h>

#include "engine/batch_run.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "tests/fake_window_port.h"
#include "tests/temp_dir.h"

namespace lumivane::testing {

class RunFixture : public ::testing::Test {
 protected:
  RunFixture() {
    SetProgramFolder(dir_.MakeFolder("program"));
    src_ = dir_.MakeFolder("src");
    target_ = dir_ / "target";
    port_.Set(Control::SourceFolderBox, src_);
    port_.Set(Control::TargetFolderBox, target_);
  }
  // As the window runs: the settings stored once the checks have passed.
  BatchSummary Run() {
    BatchOptions options;
    options.save_settings = [](const ProcessingSettings& s) { SaveSettings(s); };
    return BatchWorker(port_, settings_, options);
  }

  TempDir dir_;
  FakeWindowPort port_;
  ProcessingSettings settings_;
  std::string src_, target_;
};

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_RUN_FIXTURE_H_
