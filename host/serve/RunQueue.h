// How many runs the server lets go at once: a few run, a few more wait their turn in order of
// arrival, and the rest are turned away at once rather than tying up the server's threads.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>

class RunQueue {
 public:
  RunQueue(int running, int waiting) : FRunning(running), FWaiting(waiting) {}

  // A turn to run; released when it goes out of scope.
  class Turn {
   public:
    explicit Turn(RunQueue& queue) : FQueue(&queue) {}
    Turn(Turn&& other) noexcept : FQueue(other.FQueue) { other.FQueue = nullptr; }
    Turn(const Turn&) = delete;
    Turn& operator=(const Turn&) = delete;
    Turn& operator=(Turn&&) = delete;
    ~Turn() {
      if (FQueue != nullptr) FQueue->Release();
    }

   private:
    RunQueue* FQueue;
  };

  // Waits for a turn; none when the queue is full or the server stops.
  std::optional<Turn> Enter();
  // Wakes every waiter with no turn.
  void Stop();

 private:
  void Release();

  std::mutex FMutex;
  std::condition_variable FChanged;
  const int FRunning;
  const int FWaiting;
  int FActive = 0;
  std::uint64_t FArrived = 0;  // tickets keep the order of arrival
  std::uint64_t FServed = 0;
  bool FStopped = false;
};
