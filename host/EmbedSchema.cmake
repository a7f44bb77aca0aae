# Writes the schema file as a C++ string constant.
file(READ ${INPUT} KDR_SCHEMA_TEXT)
file(WRITE ${OUTPUT} "// Generated from db/schema.sql.\n#include <string>\nextern const std::string kSchemaSql;\nconst std::string kSchemaSql = R\"kdrsql(${KDR_SCHEMA_TEXT})kdrsql\";\n")
