#include "render/BackgroundSink.h"

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

namespace {

// Pages ahead of the renderer. A few are enough to smooth out pages of uneven cost; more would
// only hold memory. Each side, once it waits, waits for half of them: waking a thread costs
// more than a simple page, so the threads trade pages in batches rather than one by one.
constexpr std::size_t kQueuedPages = 16;
constexpr std::size_t kBatch = kQueuedPages / 2;

}  // namespace

// What the two threads share, under one lock.
struct BackgroundSink::Shared {
  std::mutex Lock;
  std::condition_variable Changed;
  bool Ready = false;      // the renderer exists (or could not be made)
  bool WantsState = true;  // what the renderer said
  std::optional<DocumentInfo> Info;
  std::deque<Page> Pages;
  // Rendered pages go back to the writer's thread to be freed there, where they were made:
  // memory freed on another thread than the one that took it makes allocating dearer on both.
  std::vector<Page> Rendered;
  bool RendererWaits = false;                  // for a batch of pages (or the end)
  bool WriterWaits = false;                    // for room in the queue
  std::optional<std::vector<Message>> Finish;  // End was called with these messages
  bool Abandon = false;                        // the run failed: drop everything
  bool Done = false;                           // the rendering thread has stopped
  std::exception_ptr Failure;
  std::thread Worker;

  void Render(const Factory& make);
  // Raises the renderer's failure on the writer's side.
  void RaiseFailure() {
    if (Failure) std::rethrow_exception(Failure);
  }
};

void BackgroundSink::Shared::Render(const Factory& make) {
  std::unique_ptr<PageSink> sink;
  try {
    sink = make();
    std::unique_lock<std::mutex> lock(Lock);
    WantsState = sink->WantsBandState();
    Ready = true;
    Changed.notify_all();
    Changed.wait(lock, [this] { return Info || Abandon || Finish; });
    if (Info && !Abandon) {
      const DocumentInfo info = *Info;
      lock.unlock();
      sink->Begin(info);
      lock.lock();
    }
    while (!Abandon) {
      if (Pages.empty() && !Finish) {
        RendererWaits = true;
        Changed.wait(lock, [this] { return Pages.size() >= kBatch || Finish || Abandon; });
        RendererWaits = false;
      }
      if (Abandon) break;
      if (!Pages.empty()) {
        Page page = std::move(Pages.front());
        Pages.pop_front();
        if (WriterWaits && Pages.size() <= kBatch) Changed.notify_all();
        lock.unlock();
        sink->AddPage(page);
        lock.lock();
        Rendered.push_back(std::move(page));
        continue;
      }
      const std::vector<Message> messages = std::move(*Finish);
      lock.unlock();
      sink->End(messages);
      lock.lock();
      break;
    }
  } catch (...) {
    std::lock_guard<std::mutex> guard(Lock);
    Failure = std::current_exception();
  }
  // Destroyed here, on the thread that made it; unfinished after a failure, as any renderer.
  sink.reset();
  std::lock_guard<std::mutex> guard(Lock);
  Ready = true;
  Done = true;
  Changed.notify_all();
}

BackgroundSink::BackgroundSink(Factory make) : FShared(std::make_unique<Shared>()) {
  // The thread is always joined before FShared goes.
  FShared->Worker =
      std::thread([shared = FShared.get(), make = std::move(make)] { shared->Render(make); });
  std::unique_lock<std::mutex> lock(FShared->Lock);
  FShared->Changed.wait(lock, [this] { return FShared->Ready; });
  if (FShared->Failure) {
    lock.unlock();
    FShared->Worker.join();
    FShared->RaiseFailure();
  }
}

BackgroundSink::~BackgroundSink() {
  {
    std::lock_guard<std::mutex> guard(FShared->Lock);
    if (!FShared->Done) FShared->Abandon = true;
    FShared->Pages.clear();
    FShared->Changed.notify_all();
  }
  if (FShared->Worker.joinable()) FShared->Worker.join();
}

void BackgroundSink::Begin(const DocumentInfo& info) {
  std::lock_guard<std::mutex> guard(FShared->Lock);
  FShared->RaiseFailure();
  FShared->Info = info;
  FShared->Changed.notify_all();
}

void BackgroundSink::AddPage(const Page& page) {
  TakePage(Page(page));
}

void BackgroundSink::TakePage(Page&& page) {
  std::unique_lock<std::mutex> lock(FShared->Lock);
  if (!FShared->Info) {  // a page without Begin: the renderer begins with no information
    FShared->Info = DocumentInfo{};
    FShared->Changed.notify_all();
  }
  if (FShared->Pages.size() >= kQueuedPages) {
    FShared->WriterWaits = true;
    FShared->Changed.wait(lock, [this] {
      return FShared->Pages.size() <= kBatch || FShared->Failure || FShared->Done;
    });
    FShared->WriterWaits = false;
  }
  FShared->RaiseFailure();
  FShared->Pages.push_back(std::move(page));
  if (FShared->RendererWaits && FShared->Pages.size() >= kBatch) FShared->Changed.notify_all();
  std::vector<Page> rendered;
  rendered.swap(FShared->Rendered);
  lock.unlock();  // freed below, outside the lock
}

bool BackgroundSink::WantsBandState() const {
  return FShared->WantsState;  // set before the constructor returned, never changed after
}

void BackgroundSink::End(const std::vector<Message>& messages) {
  {
    std::lock_guard<std::mutex> guard(FShared->Lock);
    FShared->RaiseFailure();
    if (!FShared->Info) FShared->Info = DocumentInfo{};
    FShared->Finish = messages;
    FShared->Changed.notify_all();
  }
  FShared->Worker.join();
  FShared->RaiseFailure();
}
