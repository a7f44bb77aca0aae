// Renders a document on a thread of its own while the report goes on making pages: on a
// machine with two cores the run takes about as long as the slower of the two halves instead of
// their sum. The renderer is made, used and destroyed on that thread alone, so it may own text
// libraries' per-thread state (Pango's font map); it must not share anything with the writer.
#pragma once

#include <functional>
#include <memory>

#include "page/Page.h"

class BackgroundSink : public PageSink {
 public:
  using Factory = std::function<std::unique_ptr<PageSink>()>;
  // `make` runs on the rendering thread. Pages wait for it in a short queue: when it falls behind,
  // the writer waits, so that memory stays flat whatever the page count.
  explicit BackgroundSink(Factory make);
  // Without End (a failed run) the pages still waiting are dropped and the renderer is
  // destroyed unfinished, as a renderer is after any failure.
  ~BackgroundSink() override;
  BackgroundSink(const BackgroundSink&) = delete;
  BackgroundSink& operator=(const BackgroundSink&) = delete;

  // A failure of the renderer is raised by the next call after it, and at the latest by End.
  void Begin(const DocumentInfo& info) override;
  void AddPage(const Page& page) override;
  void TakePage(Page&& page) override;
  bool WantsBandState() const override;
  void End(const std::vector<Message>& messages) override;

 private:
  struct Shared;
  std::unique_ptr<Shared> FShared;
};
