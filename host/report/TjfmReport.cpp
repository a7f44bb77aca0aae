#include "TjfmReport.h"

#include <mutex>
#include <unordered_set>

namespace {

// Addresses of the report objects alive in this process. Plug-ins receive a report as a bare
// address; asking this set is how an address is checked without ever dereferencing it.
class LiveReports {
 public:
  void Add(const void* address) {
    std::lock_guard lock(FMutex);
    FAddresses.insert(address);
  }
  void Remove(const void* address) {
    std::lock_guard lock(FMutex);
    FAddresses.erase(address);
  }
  bool Contains(const void* address) {
    std::lock_guard lock(FMutex);
    return FAddresses.count(address) != 0;
  }

 private:
  std::mutex FMutex;
  std::unordered_set<const void*> FAddresses;
};

LiveReports& Registry() {
  static LiveReports registry;
  return registry;
}

}  // namespace

TjfmReport::TjfmReport() {
  Registry().Add(this);
}

TjfmReport::~TjfmReport() {
  Registry().Remove(this);
}

bool TjfmReport::IsLiveReport(const void* address) {
  return address != nullptr && Registry().Contains(address);
}
