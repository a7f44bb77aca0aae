// What the Firebird engine's parts share of Firebird's C client API (ibase.h): status vectors,
// handles released whatever happens, and the XSQLDA column descriptions.
#pragma once

#include <ibase.h>

#include <algorithm>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace firebird {

constexpr unsigned short kDialect = SQL_DIALECT_V6;

// --- status vectors -----------------------------------------------------------------------

struct Status {
  ISC_STATUS_ARRAY Vector{};
  bool Failed() const { return Vector[0] == 1 && Vector[1] != 0; }
  bool Has(ISC_STATUS code) const {
    for (std::size_t i = 0; i + 1 < std::size(Vector) && Vector[i] != isc_arg_end;) {
      if (Vector[i] == isc_arg_gds && Vector[i + 1] == code) return true;
      i += Vector[i] == isc_arg_cstring ? 3 : 2;
    }
    return false;
  }
  template <typename... Codes>
  bool HasAny(Codes... codes) const {
    return (Has(codes) || ...);
  }
  // The engine's own lines, as fb_interpret gives them.
  std::string Text() const {
    const ISC_STATUS* cursor = Vector;
    std::string text;
    char line[1024];
    while (fb_interpret(line, sizeof line, &cursor) > 0) {
      text += (text.empty() ? "" : "; ") + std::string(line);
    }
    return text.empty() ? "erro desconhecido do Firebird" : text;
  }
};

inline bool ConnectionLost(const Status& status) {
  return status.HasAny(isc_network_error, isc_net_read_err, isc_net_write_err, isc_conn_lost,
                       isc_att_shutdown, isc_shutdown, isc_net_server_shutdown);
}

// --- handles --------------------------------------------------------------------------------

inline ISC_STATUS DropStatement(ISC_STATUS* status, isc_stmt_handle* handle) {
  return isc_dsql_free_statement(status, handle, DSQL_drop);
}

// A handle of the client library, released by `Release` unless already released by a call
// that ends it (commit, close).
template <typename Handle, ISC_STATUS (*Release)(ISC_STATUS*, Handle*)>
class IscHandle {
 public:
  IscHandle() = default;
  ~IscHandle() { Reset(); }
  IscHandle(const IscHandle&) = delete;
  IscHandle& operator=(const IscHandle&) = delete;
  IscHandle(IscHandle&& other) noexcept : FHandle(std::exchange(other.FHandle, 0)) {}
  IscHandle& operator=(IscHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      FHandle = std::exchange(other.FHandle, 0);
    }
    return *this;
  }

  Handle* Address() { return &FHandle; }
  explicit operator bool() const { return FHandle != 0; }
  void Reset() {
    if (FHandle == 0) return;
    ISC_STATUS_ARRAY ignored;  // nothing to report from a release during cleanup
    Release(ignored, &FHandle);
    FHandle = 0;
  }

 private:
  Handle FHandle = 0;
};

using Attachment = IscHandle<isc_db_handle, isc_detach_database>;
using Transaction = IscHandle<isc_tr_handle, isc_rollback_transaction>;  // unless committed
using StatementHandle = IscHandle<isc_stmt_handle, DropStatement>;
using BlobHandle = IscHandle<isc_blob_handle, isc_cancel_blob>;  // unless closed

// An XSQLDA: a header followed by `capacity` column descriptions.
class Sqlda {
 public:
  explicit Sqlda(int capacity)
      : FStorage((XSQLDA_LENGTH(std::max(capacity, 1)) + sizeof(std::max_align_t) - 1) /
                 sizeof(std::max_align_t)) {
    Get()->version = SQLDA_VERSION1;
    Get()->sqln = static_cast<ISC_SHORT>(std::max(capacity, 1));
  }
  XSQLDA* Get() { return reinterpret_cast<XSQLDA*>(FStorage.data()); }
  int Count() { return Get()->sqld; }
  bool Fits() { return Get()->sqld <= Get()->sqln; }
  XSQLVAR& Var(int index) { return Get()->sqlvar[index]; }

 private:
  std::vector<std::max_align_t> FStorage;
};

}  // namespace firebird
