#include "render/BackgroundSink.h"

#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "Exception.h"

namespace {

// What the renderer behind the background sink saw, and on which thread.
struct Journal {
  std::mutex Lock;
  std::vector<std::string> Calls;
  std::thread::id MadeOn, DestroyedOn;
  bool Destroyed = false;

  void Note(const std::string& call) {
    std::lock_guard<std::mutex> guard(Lock);
    Calls.push_back(call);
  }
};

class RecordingSink : public PageSink {
 public:
  RecordingSink(Journal& journal, int failOnPage) : FJournal(journal), FFailOnPage(failOnPage) {
    FJournal.MadeOn = std::this_thread::get_id();
  }
  ~RecordingSink() override {
    FJournal.DestroyedOn = std::this_thread::get_id();
    FJournal.Destroyed = true;
  }
  void Begin(const DocumentInfo& info) override { FJournal.Note("begin " + info.Title); }
  void AddPage(const Page& page) override {
    if (page.Number == FFailOnPage) throw Exception("disco cheio");
    FJournal.Note("page " + std::to_string(page.Number) + " bands " +
                  std::to_string(page.Bands.size()));
  }
  bool WantsBandState() const override { return false; }
  void End(const std::vector<Message>& messages) override {
    FJournal.Note("end " + std::to_string(messages.size()));
  }

 private:
  Journal& FJournal;
  int FFailOnPage;
};

Page NumberedPage(int number) {
  Page page;
  page.Number = number;
  page.Bands.resize(static_cast<std::size_t>(number % 3));
  return page;
}

BackgroundSink::Factory Recording(Journal& journal, int failOnPage = 0) {
  return [&journal, failOnPage] { return std::make_unique<RecordingSink>(journal, failOnPage); };
}

TEST(BackgroundSinkTest, RendersEveryPageInOrderOnItsOwnThread) {
  Journal journal;
  {
    BackgroundSink sink(Recording(journal));
    EXPECT_FALSE(sink.WantsBandState());  // the renderer's answer, not the default
    DocumentInfo info;
    info.Title = "T";
    sink.Begin(info);
    for (int number = 1; number <= 50; ++number) sink.TakePage(NumberedPage(number));
    sink.End({Message{0, "aviso"}});
  }
  ASSERT_EQ(journal.Calls.size(), 52u);
  EXPECT_EQ(journal.Calls.front(), "begin T");
  for (int number = 1; number <= 50; ++number) {
    EXPECT_EQ(journal.Calls[static_cast<std::size_t>(number)],
              "page " + std::to_string(number) + " bands " + std::to_string(number % 3));
  }
  EXPECT_EQ(journal.Calls.back(), "end 1");
  EXPECT_NE(journal.MadeOn, std::this_thread::get_id());
  EXPECT_EQ(journal.DestroyedOn, journal.MadeOn);
}

TEST(BackgroundSinkTest, ARendererFailureReachesTheWriterAndStopsTheDocument) {
  Journal journal;
  {
    BackgroundSink sink(Recording(journal, 3));
    sink.Begin(DocumentInfo{});
    // The failure shows on a later page or, at the latest, at the end; never as success.
    try {
      for (int number = 1; number <= 200; ++number) sink.TakePage(NumberedPage(number));
      sink.End({});
      FAIL() << "no exception";
    } catch (const Exception& error) {
      EXPECT_EQ(error.Message(), "disco cheio");
    }
  }
  EXPECT_EQ(journal.Calls.size(), 3u);  // begin, pages 1 and 2: nothing after the failure
  EXPECT_TRUE(journal.Destroyed);
}

TEST(BackgroundSinkTest, AFailedRunDropsThePagesAndNeverFinishesTheDocument) {
  Journal journal;
  {
    BackgroundSink sink(Recording(journal));
    sink.Begin(DocumentInfo{});
    for (int number = 1; number <= 5; ++number) sink.TakePage(NumberedPage(number));
  }  // the writer failed: End never comes
  EXPECT_TRUE(journal.Destroyed);
  for (const std::string& call : journal.Calls) EXPECT_NE(call.rfind("end", 0), 0u) << call;
}

TEST(BackgroundSinkTest, ARendererThatCannotBeMadeFailsAtOnce) {
  EXPECT_THROW(BackgroundSink([]() -> std::unique_ptr<PageSink> {
                 throw Exception("Não foi possível criar o documento PDF.");
               }),
               Exception);
}

}  // namespace
