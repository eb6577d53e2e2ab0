#include "colecoes/fortune.h"

#include "platform/core/text_fold.h"

#include <QList>
#include <QStringList>

namespace colecoes {

namespace {

bool isSeparator(const QByteArray& line) {
    return line.trimmed() == "%";
}

class Parser {
public:
    explicit Parser(int largestCount) : m_largestCount(largestCount) {}

    ParsedSource run(QByteArray source) {
        if (source.startsWith("\xEF\xBB\xBF"))
            source.remove(0, 3);
        const QList<QByteArray> lines = source.split('\n');
        int lineNumber = 0;
        for (QByteArray line : lines) {
            ++lineNumber;
            if (line.endsWith('\r'))
                line.chop(1);
            if (!core::text::isValidUtf8(std::string_view(line.constData(), line.size())))
                error(lineNumber, QStringLiteral("o texto não está em UTF-8 válido"));
            if (isSeparator(line)) {
                finishMessage(lineNumber, false);
                continue;
            }
            if (m_pending.isEmpty())
                m_pendingStart = lineNumber;
            m_pending.append(QString::fromUtf8(line));
        }
        finishMessage(lineNumber, true);
        if (m_result.messages.empty() && m_result.errors.empty())
            error(1, QStringLiteral("o arquivo não tem nenhuma mensagem"));
        return std::move(m_result);
    }

private:
    void error(int line, const QString& reason) { m_result.errors.push_back({line, reason}); }

    void finishMessage(int separatorLine, bool atEnd) {
        while (!m_pending.isEmpty() && m_pending.first().trimmed().isEmpty()) {
            m_pending.removeFirst();
            ++m_pendingStart;
        }
        while (!m_pending.isEmpty() && m_pending.last().trimmed().isEmpty())
            m_pending.removeLast();
        if (m_pending.isEmpty()) {
            // Blank lines after the last separator simply end the file.
            if (!atEnd)
                error(separatorLine, QStringLiteral("mensagem vazia antes deste separador"));
            return;
        }
        if (static_cast<int>(m_result.messages.size()) < m_largestCount) {
            m_result.messages.push_back({m_pending.join(u'\n'), m_pendingStart});
        } else if (!m_tooMany) {
            m_tooMany = true; // one report is enough; every later message is over too
            error(m_pendingStart,
                  QStringLiteral("mensagem além do limite de %1 mensagens").arg(m_largestCount));
        }
        m_pending.clear();
    }

    int m_largestCount;
    ParsedSource m_result;
    QStringList m_pending;
    int m_pendingStart = 0;
    bool m_tooMany = false;
};

} // namespace

ParsedSource parseFortune(const QByteArray& source, int largestCount) {
    return Parser(largestCount).run(source);
}

QByteArray writeFortune(const std::vector<QString>& messages) {
    QByteArray out;
    for (const QString& message : messages) {
        out += message.toUtf8();
        out += "\n%\n";
    }
    return out;
}

} // namespace colecoes
