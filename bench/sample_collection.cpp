#include "sample_collection.h"

#include "data/collection_index.h"

#include <QStringList>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sqlite3.h>

namespace bench {

namespace {

// Roughly one word in four carries an accent or a cedilla, as in ordinary Portuguese prose.
constexpr std::array words{
    u"a",         u"o",         u"de",       u"que",      u"e",       u"do",        u"da",
    u"em",        u"um",        u"para",     u"com",      u"uma",     u"os",        u"no",
    u"se",        u"na",        u"por",      u"mais",     u"as",      u"dos",       u"como",
    u"mas",       u"ao",        u"ele",      u"das",      u"seu",     u"sua",       u"ou",
    u"quando",    u"muito",     u"nos",      u"já",       u"também",  u"só",        u"pelo",
    u"pela",      u"até",       u"isso",     u"ela",      u"entre",   u"depois",    u"sem",
    u"mesmo",     u"aos",       u"seus",     u"quem",     u"nas",     u"me",        u"esse",
    u"eles",      u"você",      u"essa",     u"num",      u"nem",     u"suas",      u"meu",
    u"às",        u"minha",     u"numa",     u"pelos",    u"coração", u"esperança", u"caminho",
    u"luz",       u"vida",      u"tempo",    u"amanhã",   u"canção",  u"estrela",   u"mar",
    u"saudade",   u"paciência", u"coragem",  u"silêncio", u"manhã",   u"sonho",     u"alegria",
    u"força",     u"razão",     u"lição",    u"árvore",   u"água",    u"pássaro",   u"jardim",
    u"horizonte", u"memória",   u"história", u"palavra",  u"amizade", u"ventura",   u"fé",
    u"céu",       u"irmão",     u"mão",      u"pão",      u"chão",    u"nação",     u"oração",
    u"sabedoria", u"caráter",   u"gratidão", u"verdade",  u"família", u"juízo",     u"sol",
    u"lua",       u"fogo",      u"semente",  u"colheita", u"viagem",  u"porto",     u"vento",
    u"rio",       u"montanha",  u"é",        u"está",     u"será",    u"há",        u"tem",
    u"vem",       u"pode",      u"sabe",     u"faz",      u"dá",      u"vê",        u"traz",
    u"nunca",     u"sempre",    u"hoje",     u"aqui",     u"lá",      u"ainda",
};

constexpr int wordsPerSentenceMin = 7;
constexpr int wordsPerSentenceSpread = 8;
constexpr int commaOneIn = 9;

class MessageWriter {
public:
    explicit MessageWriter(std::uint32_t seed) : m_random(seed) {}

    QString message(int length) {
        QString text;
        int wordsLeftInSentence = 0;
        while (text.size() < length) {
            const bool startsSentence = wordsLeftInSentence == 0;
            if (startsSentence) {
                if (!text.isEmpty())
                    text += u". ";
                wordsLeftInSentence = wordsPerSentenceMin + pick(wordsPerSentenceSpread);
            } else {
                text += pick(commaOneIn) == 0 ? u", " : u" ";
            }
            QString word = QString::fromUtf16(words[pick(words.size())]);
            if (startsSentence)
                word[0] = word[0].toUpper();
            text += word;
            --wordsLeftInSentence;
        }
        return text + u'.';
    }

private:
    // std::mt19937's sequence is fixed by the standard; the distributions are not.
    int pick(std::size_t count) { return static_cast<int>(m_random() % count); }

    std::mt19937 m_random;
};

[[noreturn]] void fail(sqlite3* handle, const char* doing) {
    std::fprintf(stderr, "quelmar-bench: %s: %s\n", doing, sqlite3_errmsg(handle));
    std::exit(EXIT_FAILURE);
}

void execute(sqlite3* handle, const QString& sql) {
    if (sqlite3_exec(handle, sql.toUtf8().constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(handle, "preparing the sample collection");
}

void insertMessages(sqlite3* handle, const QString& table,
                    const std::vector<std::string>& messages) {
    sqlite3_stmt* insert = nullptr;
    const QByteArray sql =
        QStringLiteral("INSERT INTO \"%1\" (Numero, mensagem) VALUES (?1, ?2)").arg(table).toUtf8();
    if (sqlite3_prepare_v2(handle, sql.constData(), -1, &insert, nullptr) != SQLITE_OK)
        fail(handle, "preparing the insert");
    for (std::size_t i = 0; i < messages.size(); ++i) {
        sqlite3_bind_int(insert, 1, static_cast<int>(i + 1));
        sqlite3_bind_text(insert, 2, messages[i].data(), static_cast<int>(messages[i].size()),
                          SQLITE_STATIC);
        if (sqlite3_step(insert) != SQLITE_DONE)
            fail(handle, "inserting a message");
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
}

} // namespace

std::vector<std::string> makeMessages(int count, int length, std::uint32_t seed) {
    MessageWriter writer(seed);
    std::vector<std::string> messages;
    messages.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
        messages.push_back(writer.message(length).toStdString());
    return messages;
}

std::vector<std::string> withWordEvery(std::vector<std::string> messages, std::string_view word,
                                       std::size_t every) {
    for (std::size_t i = every - 1; i < messages.size(); i += every) {
        std::string& message = messages[i];
        message.replace(message.find(' ', message.size() / 2), 1, word);
    }
    return messages;
}

void writeCollection(const QString& path, const QString& table,
                     const std::vector<std::string>& messages) {
    sqlite3* handle = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &handle,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail(handle, "creating the sample collection");
    execute(handle, QStringLiteral("BEGIN; CREATE TABLE \"%1\" (Numero SMALLINT NOT NULL PRIMARY "
                                   "KEY, mensagem TEXT NOT NULL) WITHOUT ROWID;")
                        .arg(table));
    insertMessages(handle, table, messages);
    for (const QString& index : data::collectionIndexStatements(table))
        execute(handle, index);
    execute(handle, QStringLiteral("COMMIT"));
    sqlite3_close(handle);
}

void writeCollection(const QString& directory, const data::CollectionSource& source,
                     const std::vector<std::string>& messages) {
    writeCollection(data::collectionPath(directory, source), QString::fromUtf16(source.table),
                    messages);
}

} // namespace bench
