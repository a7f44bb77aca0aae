// One attachment to a Firebird database and the transactions its statements run in.
#pragma once

#include <string>

#include "data/DatabaseEngine.h"
#include "data/FirebirdClient.h"
#include "data/FirebirdUrl.h"

namespace firebird {

// One attachment and its transactions: in ReadOnly mode one read-only snapshot for every
// statement; otherwise the transaction BeginTransaction opened, if any.
class Connection {
 public:
  Connection(const std::string& url, OpenMode mode);
  bool ReadOnly() const { return FReadOnly; }
  isc_db_handle* Database() { return FAttachment.Address(); }

  // The transaction open for the caller's statements, or none.
  Transaction* Current() { return FInTransaction ? &FTransaction : nullptr; }

  Transaction Start();
  void Finish(Transaction& transaction, bool commit);
  void Begin();
  void End(bool commit);

  // Raises the engine's error for a failed call on `statement` (empty when not a statement).
  [[noreturn]] void Fail(const Status& status, const std::string& statement) const;

 private:
  void RequireWriting(const char* what) const;
  std::string ParameterBlock(bool creating) const;
  void Open();

  // A server gives the system's reason as text only: a file it may not read looks the same.
  static bool Missing(const Status& status);
  [[noreturn]] void FailToOpen(const Status& status) const;

  FirebirdUrl FUrl;
  bool FReadOnly;
  // Released in reverse order: the transaction before the attachment it belongs to.
  Attachment FAttachment;
  Transaction FTransaction;
  bool FInTransaction = false;
};

// The transaction a statement runs in: the caller's, or one of its own, committed by Done.
class StatementTransaction {
 public:
  explicit StatementTransaction(Connection& connection) : FConnection(connection) {
    FShared = connection.Current();
    if (FShared == nullptr) FOwn = connection.Start();
  }
  isc_tr_handle* Handle() { return FShared != nullptr ? FShared->Address() : FOwn.Address(); }
  void Done() {
    if (FShared == nullptr) FConnection.Finish(FOwn, true);
  }

 private:
  Connection& FConnection;
  Transaction* FShared = nullptr;
  Transaction FOwn;  // rolled back when a statement failed before Done
};

}  // namespace firebird
