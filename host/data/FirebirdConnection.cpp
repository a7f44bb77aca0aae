#include "data/FirebirdConnection.h"

#include <cstdint>
#include <filesystem>
#include <system_error>

#include "Exception.h"
#include "data/EngineMessages.h"

namespace firebird {

Connection::Connection(const std::string& url, OpenMode mode)
    : FUrl(FirebirdUrl::Parse(url)), FReadOnly(mode == OpenMode::ReadOnly) {
  Open();
  if (FReadOnly) {
    FTransaction = Start();
    FInTransaction = true;
  }
}

Transaction Connection::Start() {
  static const char kReadSnapshot[] = {isc_tpb_version3, isc_tpb_read, isc_tpb_concurrency,
                                       isc_tpb_nowait};
  static const char kWrite[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_concurrency,
                                isc_tpb_nowait};
  const char* block = FReadOnly ? kReadSnapshot : kWrite;
  const auto length = static_cast<short>(FReadOnly ? sizeof kReadSnapshot : sizeof kWrite);
  Transaction transaction;
  Status status;
  isc_start_transaction(status.Vector, transaction.Address(), 1, Database(), length, block);
  if (status.Failed()) Fail(status, "");
  return transaction;
}

void Connection::Finish(Transaction& transaction, bool commit) {
  Status status;
  if (commit) {
    isc_commit_transaction(status.Vector, transaction.Address());
  } else {
    isc_rollback_transaction(status.Vector, transaction.Address());
  }
  if (status.Failed()) Fail(status, commit ? "commit" : "rollback");
}

void Connection::Begin() {
  RequireWriting("BeginTransaction");
  if (FInTransaction) throw EDatabaseError("Já há uma transação aberta no banco Firebird");
  FTransaction = Start();
  FInTransaction = true;
}

void Connection::End(bool commit) {
  RequireWriting(commit ? "Commit" : "Rollback");
  if (!FInTransaction) throw EDatabaseError("Nenhuma transação aberta no banco Firebird");
  // A commit that fails leaves the transaction open, for the caller's Rollback.
  Finish(FTransaction, commit);
  FInTransaction = false;
}

void Connection::Fail(const Status& status, const std::string& statement) const {
  const std::string command = statement.empty() ? "" : "\nComando: " + statement;
  if (status.Has(isc_read_only_trans)) {
    throw EDatabaseError(WriteRefusedMessage(status.Text()) + command);
  }
  if (status.Has(isc_dsql_relation_err)) {
    throw EDatabaseError("Tabela inexistente no banco Firebird " + FUrl.AttachName() + ": " +
                         status.Text() + command);
  }
  if (ConnectionLost(status)) {
    throw EDatabaseError("A conexão com o banco Firebird " + FUrl.AttachName() +
                         " foi perdida: " + status.Text() + command);
  }
  throw EDatabaseError(status.Text() + command);
}

void Connection::RequireWriting(const char* what) const {
  if (FReadOnly) {
    throw EDatabaseError(std::string(what) +
                         ": o banco Firebird foi aberto só para leitura (execução de relatório)");
  }
}

std::string Connection::ParameterBlock(bool creating) const {
  std::string block(1, static_cast<char>(isc_dpb_version1));
  const auto add = [&block](char tag, const std::string& value) {
    block += tag;
    block += static_cast<char>(value.size());
    block += value;
  };
  if (FUrl.User.size() > 255 || FUrl.Password.size() > 255) {
    throw EDatabaseError("Usuário ou senha longos demais para o Firebird");
  }
  if (!FUrl.User.empty()) add(isc_dpb_user_name, FUrl.User);
  if (!FUrl.Password.empty()) add(isc_dpb_password, FUrl.Password);
  add(isc_dpb_lc_ctype, "UTF8");
  if (!FUrl.Embedded()) {
    const auto seconds = static_cast<std::uint32_t>(FUrl.ConnectTimeoutSeconds);
    block += static_cast<char>(isc_dpb_connect_timeout);
    block += static_cast<char>(4);
    for (int shift = 0; shift < 32; shift += 8) block += static_cast<char>(seconds >> shift);
  }
  if (creating) {
    add(isc_dpb_set_db_charset, "UTF8");
    block += static_cast<char>(isc_dpb_sql_dialect);
    block += static_cast<char>(1);
    block += static_cast<char>(kDialect);
  }
  return block;
}

void Connection::Open() {
  const std::string name = FUrl.AttachName();
  std::error_code error;
  const bool missingFile = FUrl.Embedded() && !std::filesystem::exists(FUrl.Path, error);
  if (FReadOnly && missingFile) {
    throw EDatabaseError("O banco de dados Firebird \"" + FUrl.Path + "\" não existe");
  }
  Status status;
  if (!missingFile) {
    const std::string block = ParameterBlock(false);
    isc_attach_database(status.Vector, 0, name.c_str(), FAttachment.Address(),
                        static_cast<short>(block.size()), block.data());
    if (!status.Failed()) return;
    FAttachment = Attachment();
    // A database the server cannot open because it is not there is created by db init and
    // db demo, never by a run.
    if (FReadOnly || !Missing(status)) FailToOpen(status);
  }
  Status creation;
  const std::string block = ParameterBlock(true);
  isc_create_database(creation.Vector, 0, name.c_str(), FAttachment.Address(),
                      static_cast<short>(block.size()), block.data(), 0);
  if (creation.Failed()) {
    FAttachment = Attachment();
    throw EDatabaseError("Não foi possível criar o banco de dados Firebird \"" + FUrl.AttachName() +
                         "\": " + creation.Text());
  }
}

bool Connection::Missing(const Status& status) {
  return status.Has(isc_io_error) && status.Has(isc_io_open_err);
}

void Connection::FailToOpen(const Status& status) const {
  const std::string reason = status.Text();
  if (status.Has(isc_login)) {
    throw EDatabaseError("Usuário ou senha recusados pelo servidor Firebird " + FUrl.AttachName() +
                         (FUrl.User.empty() ? "" : " (usuário " + FUrl.User + ")"));
  }
  if (status.HasAny(isc_network_error, isc_net_connect_err, isc_net_lookup_err,
                    isc_net_connect_listen_err, isc_net_event_connect_timeout,
                    isc_connect_reject)) {
    throw EDatabaseError("Não foi possível conectar ao servidor Firebird " + FUrl.Host +
                         (FUrl.Port.empty() ? "" : ":" + FUrl.Port) +
                         " (fora do ar, inacessível ou sem resposta em " +
                         std::to_string(FUrl.ConnectTimeoutSeconds) + " s): " + reason);
  }
  if (Missing(status)) {
    throw EDatabaseError("O banco de dados Firebird \"" + FUrl.AttachName() +
                         "\" não existe ou não pode ser aberto: " + reason);
  }
  throw EDatabaseError("Não foi possível abrir o banco de dados Firebird \"" + FUrl.AttachName() +
                       "\": " + reason);
}

}  // namespace firebird
