#include "colecoes/verification.h"

#include "colecoes/collection_file.h"
#include "data/collections.h"
#include "data/fortune.h"
#include "data/message_box.h"
#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"
#include "platform/database/recordset.h"

#include <QStringList>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace colecoes {

namespace {

class Verifier {
public:
    Verification run(const QString& path, const QString& table) {
        std::shared_ptr<db::Recordset> rows;
        try {
            rows = openInNumberOrder(path, table);
        } catch (const core::RuntimeError& error) {
            add(0, {}, error.description());
            return std::move(m_result);
        }
        m_hasText = rows->FieldIndex(u"mensagem") >= 0;
        if (!m_hasText)
            add(0, {}, QStringLiteral("falta a coluna \"mensagem\""));
        const int count = rows->RecordCount();
        if (count == 0)
            add(0, {}, QStringLiteral("a coleção está vazia"));
        if (count > data::largestCollection)
            add(0, QString::number(count),
                QStringLiteral("a coleção tem mais de %1 mensagens").arg(data::largestCollection));
        for (int row = 1; row <= count; ++row, rows->MoveNext())
            checkRow(*rows, row, count);
        for (int number = 1; number <= count; ++number)
            if (!m_seen.contains(number))
                add(0, QString::number(number),
                    QStringLiteral("falta a mensagem de número %1; %2")
                        .arg(number)
                        .arg(data::numberingRule(count)));
        return std::move(m_result);
    }

private:
    void add(int row, const QString& value, const QString& rule) {
        m_result.violations.push_back({row, value, rule});
    }
    void warn(int number, const QString& text) { m_result.warnings.push_back({number, text}); }

    void checkRow(db::Recordset& rows, int row, int count) {
        const std::optional<std::int64_t> number =
            checkNumber(rows.Fields(u"Numero").Value(), row, count);
        if (!m_hasText)
            return;
        const int column = rows.FieldIndex(u"mensagem");
        const int at = rows.AbsolutePosition();
        const db::Variant text = rows.ValueAt(at, column);
        if (!checkText(text, row, rows.IsBinaryAt(at, column)) && number)
            warnAbout(static_cast<int>(*number), text.text(), rows.TextBytesAt(at, column));
    }

    std::optional<std::int64_t> checkNumber(const db::Variant& number, int row, int count) {
        const auto fault = [&](const QString& rule) {
            add(row, db::describe(number), rule);
            return std::nullopt;
        };
        if (number.isNull())
            return fault(QStringLiteral("Numero nulo"));
        const std::optional<std::int64_t> whole = data::wholeNumber(number);
        if (!whole)
            return fault(QStringLiteral("Numero não é um número inteiro"));
        if (*whole < -32768 || *whole > 32767)
            return fault(QStringLiteral("Numero não cabe em um inteiro de 16 bits"));
        if (*whole < 1 || *whole > count)
            return fault(
                QStringLiteral("Numero fora de 1 a %1 (a quantidade de mensagens)").arg(count));
        if (!m_seen.insert({*whole, row}).second)
            return fault(
                QStringLiteral("Numero repetido (já usado no registro %1)").arg(m_seen.at(*whole)));
        return whole;
    }

    // True when the text breaks a rule.
    bool checkText(const db::Variant& text, int row, bool binary) {
        if (text.isNull())
            add(row, db::describe(text), QStringLiteral("mensagem nula"));
        else if (binary)
            add(row, {}, QStringLiteral("mensagem não é um texto, e sim dados binários"));
        else if (text.type() != db::Variant::Type::Text)
            add(row, db::describe(text), QStringLiteral("mensagem não é um texto"));
        else if (text.text().trimmed().isEmpty())
            add(row, QStringLiteral("\"%1\"").arg(text.text()), QStringLiteral("mensagem vazia"));
        else
            return false;
        return true;
    }

    void warnAbout(int number, const QString& text, std::string_view bytes) {
        if (!core::text::isValidUtf8(bytes))
            warn(number, QStringLiteral("tem bytes que não são UTF-8 válido; o programa mostra "
                                        "\"\uFFFD\" no lugar deles"));
        if (const QString controls = controlCharacters(text); !controls.isEmpty())
            warn(number, QStringLiteral("tem caracteres de controle (%1), que o programa não "
                                        "mostra como o autor quis")
                             .arg(controls));
        if (!data::fitsMessageBox(text))
            warn(number, QStringLiteral("ocupa cerca de %1 linhas na caixa da mensagem, que "
                                        "mostra %2: o fim não aparece")
                             .arg(data::messageBoxLineCount(text))
                             .arg(data::messageBoxLines));
        if (data::needsProtectedLines(bytes))
            warn(number, QStringLiteral("só volta igual de \"exportar\" por meio de linhas "
                                        "protegidas (\"%\\\"), que outros programas do formato "
                                        "mostram como estão"));
        const std::string folded = core::text::fold(bytes);
        const auto [earlier, added] = m_folded.try_emplace(folded, number);
        if (!added)
            warn(number, QStringLiteral("é igual à mensagem %1, sem contar maiúsculas e acentos")
                             .arg(earlier->second));
    }

    // The distinct control characters of a text as U+XXXX, line breaks and tabs aside.
    static QString controlCharacters(const QString& text) {
        QStringList found;
        for (const QChar c : text) {
            if (c.category() != QChar::Other_Control || c == u'\n' || c == u'\t')
                continue;
            const QString code = QStringLiteral("U+") +
                                 QString::number(c.unicode(), 16).toUpper().rightJustified(4, u'0');
            if (!found.contains(code))
                found.append(code);
        }
        return found.join(QStringLiteral(", "));
    }

    Verification m_result;
    std::map<qint64, int> m_seen;
    std::unordered_map<std::string, int> m_folded;
    bool m_hasText = false;
};

} // namespace

Verification verifyCollection(const QString& path, const QString& table) {
    return Verifier().run(path, table);
}

} // namespace colecoes
