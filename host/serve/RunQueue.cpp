#include "serve/RunQueue.h"

std::optional<RunQueue::Turn> RunQueue::Enter() {
  std::unique_lock lock(FMutex);
  const bool full =
      FActive >= FRunning && FArrived - FServed >= static_cast<std::uint64_t>(FWaiting);
  if (FStopped || full) return std::nullopt;
  const std::uint64_t ticket = FArrived++;
  FChanged.wait(lock, [&] { return FStopped || (ticket == FServed && FActive < FRunning); });
  if (FStopped) return std::nullopt;
  ++FServed;
  ++FActive;
  FChanged.notify_all();  // the next ticket may run too
  return Turn(*this);
}

void RunQueue::Stop() {
  const std::lock_guard lock(FMutex);
  FStopped = true;
  FChanged.notify_all();
}

void RunQueue::Release() {
  const std::lock_guard lock(FMutex);
  --FActive;
  FChanged.notify_all();
}
