#include "platform/core/system_errors.h"

#include <cerrno>
#include <cstring>

namespace core {

namespace {

const char* wording(int error) {
    switch (error) {
    case ENOENT:
        return "o arquivo ou a pasta não existe";
    case EACCES:
    case EPERM:
        return "não há permissão para isso";
    case ENOTDIR:
        return "uma parte do caminho não é uma pasta";
    case EISDIR:
        return "é uma pasta, não um arquivo";
    case ENAMETOOLONG:
        return "o caminho é mais longo do que o sistema aceita";
    case ELOOP:
        return "há links simbólicos demais no caminho (talvez um levando a outro em círculo)";
    case EEXIST:
        return "o arquivo já existe";
    case ENOSPC:
        return "o disco está cheio";
    case EDQUOT:
        return "a cota de disco acabou";
    case EROFS:
        return "o disco só pode ser lido";
    case EIO:
        return "erro de leitura ou gravação no disco";
    case EPIPE:
        return "quem lia a saída deixou de ler (o outro lado foi fechado)";
    case EBADF:
        return "o arquivo ou a saída está fechada";
    case EMFILE:
    case ENFILE:
        return "há arquivos abertos demais";
    case ENOMEM:
        return "falta memória";
    case EBUSY:
    case ETXTBSY:
        return "o arquivo está em uso";
    case EFBIG:
        return "o arquivo ficaria grande demais";
    case ENXIO:
    case ENODEV:
        return "o dispositivo não existe ou não está pronto";
    case EXDEV:
        return "os dois caminhos estão em discos diferentes";
    case EAGAIN:
        return "o recurso não está disponível agora";
    case EINTR:
        return "a operação foi interrompida";
    default:
        return nullptr;
    }
}

} // namespace

QString systemErrorText(int error) {
    if (const char* words = wording(error))
        return QString::fromUtf8(words);
    return QStringLiteral("erro %1 do sistema (%2)")
        .arg(error)
        .arg(QString::fromLocal8Bit(std::strerror(error)));
}

} // namespace core
