#include "platform/core/runtime_error.h"

namespace core {

RuntimeError::RuntimeError(ErrorCode code, const QString& description)
    : std::runtime_error(description.toStdString()), m_code(code), m_description(description) {}

QString standardDescription(ErrorCode code) {
    switch (code) {
    case ErrorCode::FileNotFound:
        return QStringLiteral("Arquivo não encontrado.");
    case ErrorCode::NotADatabase:
        return QStringLiteral("O arquivo não é um banco de dados.");
    case ErrorCode::FileLocked:
        return QStringLiteral("O arquivo está bloqueado por outro programa.");
    case ErrorCode::DatabaseDamaged:
        return QStringLiteral("O banco de dados está danificado.");
    case ErrorCode::TableNotFound:
        return QStringLiteral("Tabela não encontrada.");
    case ErrorCode::ColumnNotFound:
        return QStringLiteral("Coluna não encontrada.");
    case ErrorCode::NoCurrentRecord:
        return QStringLiteral("Nenhum registro atual.");
    case ErrorCode::CriterionSyntax:
        return QStringLiteral("Erro de sintaxe no critério.");
    case ErrorCode::WriteFailed:
        return QStringLiteral("Não foi possível gravar no banco de dados.");
    case ErrorCode::NotUpdatable:
        return QStringLiteral("Este conjunto de registros não pode ser alterado.");
    case ErrorCode::DatabaseError:
        return QStringLiteral("Erro no banco de dados.");
    case ErrorCode::NotInEditMode:
        return QStringLiteral("O registro não está em edição: falta chamar Edit.");
    case ErrorCode::CollectionUnusable:
        return QStringLiteral("A coleção de mensagens não pode ser usada: as mensagens precisam "
                              "estar numeradas de 1 até a quantidade delas e ter um texto.");
    case ErrorCode::Overflow:
        return QStringLiteral("Estouro de capacidade: o número não cabe no tipo de destino.");
    case ErrorCode::InvalidUseOfNull:
        return QStringLiteral("Uso inválido de valor nulo.");
    case ErrorCode::FloatingPoint:
        return QStringLiteral("Erro de ponto flutuante.");
    case ErrorCode::TypeMismatch:
        return QStringLiteral("Tipo incompatível.");
    case ErrorCode::InvalidPropertyValue:
        return QStringLiteral("Valor de propriedade inválido.");
    case ErrorCode::OutOfMemory:
        return QStringLiteral("Memória insuficiente.");
    case ErrorCode::InternalError:
        return QStringLiteral("Erro interno do programa.");
    }
    return QStringLiteral("Erro desconhecido.");
}

void raise(ErrorCode code) {
    throw RuntimeError(code, standardDescription(code));
}

void raise(ErrorCode code, const QString& description) {
    throw RuntimeError(code, description);
}

} // namespace core
