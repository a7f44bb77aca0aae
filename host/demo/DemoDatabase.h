// The demo database behind `kdr db demo`: a Brazilian accounting office with its clients,
// delivery routes, protocols, items and client documents, the same rows for the same size.
//
// What it holds, for whoever picks report parameters: protocols are numbered from 1 in the
// order of their launch dates, which spread over the business days of 02/01/2026 to 30/06/2026;
// older ones are mostly written off, recent ones mostly open. The first eight protocols (all
// launched in the first days of January, all open but number 8) show the cases worth seeing:
//   1  a value in the millions; its establishment is on routes 1 and 2
//   2, 3  one establishment, the same launch day, printed with its delivery address;
//         protocol 3's description needs two lines
//   4  eight items: a long description, a description with a line break, a cancelled item,
//      items without due date or competence; registered by CPF
//   5  a single item; registered by CEI
//   6  company 3, which has no logo; house number 0, no complement or district, telephone
//      without area code
//   7  establishment without telephone
//   8  written off
// Company 1 is the office itself (logo for pCodigoEmpresaLogo=1). Document 1 has a history of
// four movements, document 2 none.
#pragma once

#include <functional>

class DatabaseEngine;

struct DemoOptions {
  int Protocols = 400;  // N protocols
};

// Fills an empty database that already has the schema, in one transaction. Deterministic: the
// same N gives the same rows. `progress` (may be null) is called with (done, total) now and
// then, protocols and documents counting one each. Raises Exception, with nothing written, for
// a negative N, a database without the schema's tables or one that already holds rows.
void FillDemoDatabase(DatabaseEngine& db, const DemoOptions& options,
                      const std::function<void(long long, long long)>& progress);
