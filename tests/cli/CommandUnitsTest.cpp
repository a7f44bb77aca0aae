// The command's own units: what it prints made safe for a terminal, the --params reader, and
// the system's reasons in the user's language.
#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "cli/ParamsDocument.h"
#include "cli/SystemReason.h"
#include "cli/TerminalText.h"
#include "run/UsageError.h"

namespace {

TEST(TerminalSafe, ControlCharactersAndEscapeSequencesAreShownEscaped) {
  EXPECT_EQ(TerminalSafe("a\x1b]0;titulo\x07z"), "a\\e]0;titulo\\x07z");
  EXPECT_EQ(TerminalSafe("\x1b[2J\r\x7f"), "\\e[2J\\x0d\\x7f");
  EXPECT_EQ(TerminalSafe("csi \xc2\x9b"
                         "31m"),
            "csi \\u009b31m");  // the 8-bit CSI
  EXPECT_EQ(TerminalSafe("troca \xe2\x80\xae"
                         "fdp.exe"),
            "troca \\u202efdp.exe");
  // What a message is made of stays as it was.
  EXPECT_EQ(TerminalSafe("Data inicial invalida!\nComando:\tselect 'ç'"),
            "Data inicial invalida!\nComando:\tselect 'ç'");
}

TEST(TerminalSafe, InvalidUtf8IsReplaced) {
  EXPECT_EQ(TerminalSafe("a\xff"
                         "b"),
            "a\xEF\xBF\xBD"
            "b");
  EXPECT_EQ(TerminalSafe("\xc3"), "\xEF\xBF\xBD");                                  // cut short
  EXPECT_EQ(TerminalSafe("\xc0\xaf"), "\xEF\xBF\xBD\xEF\xBF\xBD");                  // overlong
  EXPECT_EQ(TerminalSafe("\xed\xa0\x80"), "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD");  // surrogate
  EXPECT_EQ(TerminalSafe("\xf0\x9f\x98\x80"), "\xf0\x9f\x98\x80");
}

TEST(TerminalSafe, EachLineIsCutToTheLimitInCharacters) {
  EXPECT_EQ(TerminalSafe(std::string(1000000, 'x')), std::string(200, 'x') + "…");
  EXPECT_EQ(TerminalSafe(std::string(200, 'x')), std::string(200, 'x'));
  std::string accented;
  for (int i = 0; i < 300; ++i) accented += "ã";
  std::string expected;
  for (int i = 0; i < 200; ++i) expected += "ã";
  EXPECT_EQ(TerminalSafe(accented), expected + "…") << "characters, never half of one";
  EXPECT_EQ(TerminalSafe(std::string(5, 'a') + "\n" + std::string(5, 'b'), 3), "aaa…\nbbb…");
}

std::map<std::string, std::string> Params(const std::string& text) {
  return ParseParamsDocument(text);
}

TEST(ParamsDocument, TextAndNumbersAsWritten) {
  const auto values =
      Params(R"({"pData": "01/03/2026", "pCodigo": 12, "pTaxa": 1.50, "pGrande": 1e3,
                 "pNegativo": -7, "pEnorme": 123456789012345678901234567890})");
  EXPECT_EQ(values.at("pData"), "01/03/2026");
  EXPECT_EQ(values.at("pCodigo"), "12");
  EXPECT_EQ(values.at("pTaxa"), "1.50");
  EXPECT_EQ(values.at("pGrande"), "1e3");
  EXPECT_EQ(values.at("pNegativo"), "-7");
  EXPECT_EQ(values.at("pEnorme"), "123456789012345678901234567890");
  EXPECT_TRUE(Params("{}").empty());
}

TEST(ParamsDocument, OtherValuesAreRefusedNamingTheKey) {
  for (const std::string value : {"true", "false", "null", "[]", "[\"a\"]", "{}", "{\"b\": 1}"}) {
    try {
      Params(R"({"pOk": "1", "pRuim": )" + value + "}");
      ADD_FAILURE() << value;
    } catch (const UsageError& error) {
      EXPECT_NE(std::string(error.what()).find("pRuim"), std::string::npos) << error.what();
    }
  }
}

TEST(ParamsDocument, DocumentsThatAreNotAnObjectOfValuesAreRefused) {
  for (const std::string& text : std::vector<std::string>{
           "", "[]", "\"texto\"", "12", "{\"a\": 1", "{\"a\": 1} x", "{\"a\": \"\xff\"}",
           "{\"a\": 1, \"a\": 2}", std::string(100000, '[') + std::string(100000, ']')}) {
    EXPECT_THROW(Params(text), UsageError) << text.substr(0, 40);
  }
}

TEST(SystemReason, CommonErrorsInPortuguese) {
  EXPECT_EQ(SystemReason(EACCES), "permissão negada");
  EXPECT_EQ(SystemReason(ENOENT), "arquivo ou pasta inexistente");
  EXPECT_EQ(SystemReason(ENOSPC), "não há espaço no dispositivo");
  EXPECT_EQ(SystemReason(EROFS), "sistema de arquivos somente leitura");
  EXPECT_FALSE(SystemReason(EXDEV).empty());
}

}  // namespace
