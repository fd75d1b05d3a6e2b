#include "engine/run/run_sets.h"

#include "engine/run/basic_rows.h"
#include "engine/run/input_checks.h"
#include "engine/run/messages.h"
#include "engine/run/resume_journal.h"
#include "platform/file_system.h"

namespace lumivane {

bool OpenRunSets(WindowPort& port, const RunRequest& request, const ProcessingSettings& settings,
                 const std::string& source, const std::string& target, const std::string& shard,
                 RunSets& sets, std::vector<PlannedSet>& planned) {
  std::vector<OutputSet> asked = request.sets;
  const bool several = !asked.empty();
  if (!several) asked.push_back({"", 0, request.extras});
  for (const OutputSet& wanted : asked) {
    RunSet& set = sets.emplace_back();
    set.name = wanted.name;
    set.target = several ? platform::JoinPath(target, wanted.name) : target;
    set.inputs = request.inputs;
    set.s = settings;
    if (several) {  // each preset's own width, never the window's
      set.inputs.width_on = wanted.width > 0;
      set.inputs.width = std::to_string(wanted.width);
      if (wanted.width > 0) set.s.width = wanted.width;
    }
    set.switches = RunSwitches(set.inputs);
    set.extras = wanted.extras;
    OutputPlan& plan = set.plan.emplace(
        source, set.target, SettingsKey(OutputSettingsText(set.s, set.switches, set.extras)),
        set.extras, shard, set.switches.text_watermark ? set.s.sy_text : "");
    if (plan.LoadJournal() == ResumeJournal::Loaded::kUnusable)
      port.AppendLogLine(msg::JournalUnusable(plan.JournalPath(), plan.JournalProblem()));
    if (plan.JournalLongLines() > 0)
      port.AppendLogLine(msg::JournalLongLines(plan.JournalPath(), plan.JournalLongLines()));
    if (!plan.ListProblem().empty()) {
      port.ShowMessage(msg::kNoticeCaption, plan.ListProblem(), MessageIcon::kError);
      return false;
    }
    planned.push_back({plan, set.s, set.switches, set.extras, set.target});
  }
  return true;
}

std::string LogSetOperations(WindowPort& port, const RunSets& sets) {
  std::string heading;
  for (const RunSet& set : sets) {
    const std::string basics = DescribeBasics(set.inputs, set.s);
    const std::string described = OperationsInEffect(set.extras, set.switches);
    const std::string named = set.name.empty() ? "" : set.name + "：";
    if (!set.name.empty()) port.AppendLogLine(msg::OutputSetHeading(set.name, set.target));
    if (!basics.empty()) port.AppendLogLine(named + basics);
    if (!described.empty()) port.AppendLogLine(named + described);
    const std::string both = basics + (basics.empty() || described.empty() ? "" : "；") + described;
    if (!both.empty()) heading += (heading.empty() ? "" : "　") + named + both;
  }
  return heading;
}

}  // namespace lumivane
