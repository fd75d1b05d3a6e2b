// What a run has handed out, told back in the order it was handed out:
// pictures in the pool, pictures decided without processing (done by an
// earlier run, an output name already taken), and the ends of folders,
// whose progress step waits for the folder's pictures.
#ifndef LUMIVANE_ENGINE_RUN_IN_ORDER_QUEUE_H_
#define LUMIVANE_ENGINE_RUN_IN_ORDER_QUEUE_H_

#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "engine/picture/picture_ops.h"
#include "engine/run/output_plan.h"
#include "engine/run/picture_pool.h"

namespace lumivane {

class InOrderQueue {
 public:
  struct Item {
    int position;  // the picture's index in its folder, or the folder's progress step
    PlannedPicture picture;
    bool journaled;  // its outcome goes into the resume journal
    int set = 0;     // the output set it is made for
  };
  struct Teller {
    std::function<void(const Item&, PictureResult)> picture;
    std::function<void(int step)> folder_end;
  };

  explicit InOrderQueue(int workers) : pool_(workers) {}

  // Processed by the pool; waits while every worker is busy.
  void Submit(Item item, PicturePool::Job job);
  // Made together by one job of the pool (several outputs of one
  // picture), told one by one in the job's order.
  using GroupJob = std::function<std::vector<PictureResult>(int worker)>;
  void SubmitGroup(std::vector<Item> items, GroupJob job);
  // Decided without processing.
  void Decided(Item item, PictureResult result);
  void FolderEnd(int step);
  // Tells what has finished (with `all`, everything handed out) in order.
  void Tell(bool all, const Teller& teller);

 private:
  // The outcomes of a group's job, taken from the pool once.
  struct Group {
    std::vector<PictureResult> results;
    bool taken = false;
  };
  struct Pending {
    std::optional<Item> item;  // none: a folder's end
    int job = -1;              // in the pool, else `decided`
    PictureResult decided;
    int folder_step = 0;
    std::shared_ptr<Group> group = nullptr;  // the job is a group's: its outcome `in_group`
    size_t in_group = 0;
  };
  std::deque<Pending> pending_;
  // Last, so that its threads are done before anything they use goes.
  PicturePool pool_;
};

}  // namespace lumivane

#endif  // LUMIVANE_ENGINE_RUN_IN_ORDER_QUEUE_H_
