#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"
#include "platform/database/criteria.h"

#include <QTest>
#include <array>

using namespace Qt::StringLiterals;
using core::ErrorCode;
using db::criteria::Criterion;

namespace {

using Type = db::Variant::Type;

// One row with a column of each kind: Numero 12, Mensagem "Coração de \"ouro\"", Valor 2.5,
// Ativo true, Vazio null, Saldo -7, Rotulo "12".
class OneRow {
public:
    static int column(QStringView name) {
        const QStringList names{u"Numero"_s, u"Mensagem"_s, u"Valor"_s, u"Ativo"_s,
                                u"Vazio"_s,  u"Saldo"_s,    u"Rotulo"_s};
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    db::Cell cell(int column) const {
        db::Cell cell;
        const std::string_view text = column == 1 ? std::string_view(m_text) : "12";
        cell.type = std::array{Type::Integer, Type::Text,    Type::Double, Type::Boolean,
                               Type::Null,    Type::Integer, Type::Text}[column];
        if (column == 2)
            cell.real = 2.5;
        else if (cell.type == Type::Text)
            cell.text = text.data(), cell.foldedLength = std::uint32_t(text.size());
        else
            cell.integer = std::array{12, 0, 0, 1, 0, -7}[column];
        return cell;
    }

private:
    std::string m_text = core::text::fold(u"Coração de \"ouro\""_s);
};

Criterion compile(const QString& text) {
    return Criterion::compile(text, &OneRow::column);
}

} // namespace

class TestCriteria : public QObject {
    Q_OBJECT

private slots:
    void evaluation_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<bool>("matches");
        QTest::newRow("number equal") << u"Numero = 12"_s << true;
        QTest::newRow("number not equal") << u"Numero = 13"_s << false;
        QTest::newRow("name in any case") << u"NUMERO = 12"_s << true;
        QTest::newRow("bracketed name") << u"[numero] = 12"_s << true;
        QTest::newRow("no blanks") << u"Numero=12"_s << true;
        QTest::newRow("negative number") << u"Saldo = -7"_s << true;
        QTest::newRow("fraction never equals whole") << u"Numero = 12.5"_s << false;
        QTest::newRow("whole equals double") << u"Numero = 12.0"_s << true;
        QTest::newRow("exponent form") << u"Numero = 1.2E+1"_s << true;
        QTest::newRow("double column") << u"Valor = 2.5"_s << true;
        QTest::newRow("like keyword") << u"Mensagem Like \"* de *\""_s << true;
        QTest::newRow("like in any case and accent") << u"mensagem LIKE \"*CORACAO*\""_s << true;
        QTest::newRow("like doubled quote") << u"Mensagem Like \"*\"\"ouro\"\"\""_s << true;
        QTest::newRow("like bracketed name") << u"[mensagem] Like\"c*\""_s << true;
        QTest::newRow("like on a number") << u"Numero Like \"1#\""_s << true;
        QTest::newRow("like on a null") << u"Vazio Like \"*\""_s << false;
        QTest::newRow("boolean equals minus one") << u"Ativo = -1"_s << true;
        QTest::newRow("null never equal") << u"Vazio = 0"_s << false;
        QTest::newRow("text that is no number vs number") << u"Mensagem = 5"_s << false;
        QTest::newRow("numeric text vs number") << u"Rotulo = 12"_s << true;
    }

    void evaluation() {
        QFETCH(QString, criterion);
        QFETCH(bool, matches);
        const Criterion compiled = compile(criterion);
        QCOMPARE(compiled.matches(OneRow().cell(compiled.column())), matches);
    }

    void syntaxErrors_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<int>("position");
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("blanks only") << u"   "_s << 4;
        QTest::newRow("missing value") << u"Numero = "_s << 10;
        QTest::newRow("unclosed text") << u"Mensagem Like \"* amor"_s << 15;
        QTest::newRow("broken by a quote in the keyword") << u"Mensagem Like \"* a\"b *\""_s << 20;
        QTest::newRow("parenthesis") << u"(Numero = 1)"_s << 1;
        QTest::newRow("and") << u"Numero = 1 And Valor = 2"_s << 12;
        QTest::newRow("not, a word before the field") << u"Not Numero = 1"_s << 5;
        QTest::newRow("other comparison") << u"Numero < 13"_s << 8;
        QTest::newRow("text for a number") << u"Numero = \"12\""_s << 10;
        QTest::newRow("number for a pattern") << u"Mensagem Like 12"_s << 15;
        QTest::newRow("field alone") << u"Ativo"_s << 6;
        QTest::newRow("unexpected character") << u"Numero = 1 ; 2"_s << 12;
        QTest::newRow("decimal comma") << u"Numero = 1,5"_s << 11;
        QTest::newRow("number glued to letters") << u"Numero = 12abc"_s << 12;
        QTest::newRow("operator without left side") << u"= 5"_s << 1;
        QTest::newRow("sign without number") << u"Numero = -x"_s << 11;
        QTest::newRow("unclosed bracketed name") << u"[Numero = 1"_s << 1;
        QTest::newRow("placeholder-like %1 inside the criterion")
            << u"Mensagem Like\uFFFD \"%1 ro\""_s << 14;
    }

    void syntaxErrors() {
        QFETCH(QString, criterion);
        QFETCH(int, position);
        try {
            compile(criterion);
            QFAIL("no error raised");
        } catch (const core::RuntimeError& error) {
            QCOMPARE(error.code(), ErrorCode::CriterionSyntax);
            QVERIFY2(error.description().contains(u"posição %1:"_s.arg(position)),
                     qPrintable(error.description()));
            QVERIFY(error.description().contains(criterion));
        }
    }

    void unknownFieldIsNamed() {
        try {
            compile(u"Mensagen Like \"*\""_s);
            QFAIL("no error raised");
        } catch (const core::RuntimeError& error) {
            QCOMPARE(error.code(), ErrorCode::ColumnNotFound);
            QVERIFY(error.description().contains(u"\"Mensagen\""_s));
        }
    }
};

QTEST_GUILESS_MAIN(TestCriteria)
#include "test_criteria.moc"
