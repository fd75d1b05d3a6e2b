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
  }
  // As the window runs: the settings the checks took kept and stored.
  RunOutcome Run() {
    outcome_ = BatchWorker(port_, settings_, request_);
    if (outcome_.checked) {
      settings_ = *outcome_.checked;
      SaveSettings(program_, settings_);
    }
    return outcome_;
  }
  // The input the last run led to ("none").
  std::string Focus() const { return outcome_.focus ? FieldName(*outcome_.focus) : "none"; }

  TempDir dir_;
  FakeWindowPort port_;
  RunRequest request_;
  ProcessingSettings settings_;
  RunOutcome outcome_;
  std::string program_, src_, target_;
};

}  // namespace lumivane::testing

#endif  // LUMIVANE_TESTS_RUN_FIXTURE_H_
