// A batch run's surroundings: a program folder, a source and a target
// folder, a request naming them and a scripted window.
#ifndef LUMIVANE_TESTS_RUN_FIXTURE_H_
#define LUMIVANE_TESTS_RUN_FIXTURE_H_

#include <gtest/gtest.h>

#include "engine/run/batch_run.h"
#include "settings/program_folder.h"
#include "settings/settings_file.h"
#include "tests/fake_window_port.h"
#include "tests/temp_dir.h"

namespace lumivane::testing {

class RunFixture : public ::testing::Test {
 protected:
  RunFixture() {
    program_ = dir_.MakeFolder("program");
    src_ = dir_.MakeFolder("src");
    target_ = dir_ / "target";
    request_.inputs = DefaultInputs();
    request_.inputs.source = src_;
    request_.inputs.target = target_;
    // As the window runs: the settings stored once the checks have passed.
    request_.save_settings = [this](const ProcessingSettings& s) { SaveSettings(program_, s); };
  }
  BatchSummary Run() { return BatchWorker(port_, settings_, request_); }

  TempDir dir_;
  FakeWindowPort port_;
  RunRequest request_;
  ProcessingSettings settings_;
  std::string program_, src_, target_;
};

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_RUN_FIXTURE_H_
