#include "cli/SystemReason.h"

#include <cerrno>
#include <cstring>

std::string SystemReason(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "permissão negada";
    case ENOENT:
      return "arquivo ou pasta inexistente";
    case ENOTDIR:
      return "parte do caminho não é uma pasta";
    case EISDIR:
      return "é uma pasta";
    case ENOSPC:
    case EDQUOT:
      return "não há espaço no dispositivo";
    case EROFS:
      return "sistema de arquivos somente leitura";
    case ENAMETOOLONG:
      return "nome muito longo";
    case EIO:
      return "erro de entrada e saída";
    default:
      return std::strerror(error);
  }
}
