#include "platform/core/runtime_error.h"
#include "platform/core/text_fold.h"
#include "platform/database/criteria.h"
#include "support/raised_error.h"

#include <QTest>
#include <vector>

using namespace Qt::StringLiterals;
using core::ErrorCode;
using db::criteria::Criterion;
using db::criteria::Scalar;

namespace {

// One row with a column of each kind: Numero 12, Mensagem "Coração de \"ouro\"", Valor 2.5,
// Ativo true, Vazio null.
class OneRow : public db::criteria::RowSource {
public:
    OneRow() : m_text(core::text::fold(u"Coração de \"ouro\""_s)) {}

    static int column(QStringView name) {
        const QStringList names{u"Numero"_s, u"Mensagem"_s, u"Valor"_s, u"Ativo"_s, u"Vazio"_s};
        for (int i = 0; i < names.size(); ++i)
            if (names[i].compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }

    Scalar cell(int, int column) const override {
        Scalar value;
        switch (column) {
        case 0:
            value.kind = Scalar::Kind::Integer, value.integer = 12;
            break;
        case 1:
            value.kind = Scalar::Kind::Text, value.folded = m_text;
            break;
        case 2:
            value.kind = Scalar::Kind::Double, value.real = 2.5;
            break;
        case 3:
            value.kind = Scalar::Kind::Boolean, value.boolean = true;
            break;
        default:
            break;
        }
        return value;
    }

private:
    std::string m_text;
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
        QTest::newRow("negative literal") << u"Numero > -5"_s << true;
        QTest::newRow("fraction never equals whole") << u"Numero = 12.5"_s << false;
        QTest::newRow("whole equals double") << u"Numero = 12.0"_s << true;
        QTest::newRow("double column") << u"Valor = 2.5"_s << true;
        QTest::newRow("less") << u"Numero < 13"_s << true;
        QTest::newRow("less or equal") << u"Numero <= 12"_s << true;
        QTest::newRow("greater or equal") << u"Numero >= 13"_s << false;
        QTest::newRow("differs") << u"Numero <> 12"_s << false;
        QTest::newRow("literal on the left") << u"12 = Numero"_s << true;
        QTest::newRow("text equal ignores case and accents")
            << u"Mensagem = \"CORACAO DE \"\"OURO\"\"\""_s << true;
        QTest::newRow("text order") << u"Mensagem < \"d\""_s << true;
        QTest::newRow("like keyword") << u"Mensagem Like \"* de *\""_s << true;
        QTest::newRow("like keyword in any case") << u"mensagem LIKE \"*CORAÇÃO*\""_s << true;
        QTest::newRow("like doubled quote") << u"Mensagem Like \"*\"\"ouro\"\"\""_s << true;
        QTest::newRow("like on a number") << u"Numero Like \"1#\""_s << true;
        QTest::newRow("and") << u"Numero = 12 And Valor = 2.5"_s << true;
        QTest::newRow("and false") << u"Numero = 12 And Valor = 3"_s << false;
        QTest::newRow("or") << u"Numero = 1 Or Valor = 2.5"_s << true;
        QTest::newRow("not") << u"Not Numero = 1"_s << true;
        QTest::newRow("not not") << u"Not Not Numero = 12"_s << true;
        QTest::newRow("and binds tighter than or")
            << u"Numero = 1 And Valor = 0 Or Numero = 12"_s << true;
        QTest::newRow("parentheses") << u"Numero = 1 And (Valor = 0 Or Numero = 12)"_s << false;
        QTest::newRow("boolean column is true") << u"Ativo"_s << true;
        QTest::newRow("boolean equals minus one") << u"Ativo = -1"_s << true;
        QTest::newRow("null never equal") << u"Vazio = 0"_s << false;
        QTest::newRow("null never differs") << u"Vazio <> 0"_s << false;
        QTest::newRow("null not still unknown") << u"Not (Vazio = 0)"_s << false;
        QTest::newRow("unknown or true") << u"Vazio = 0 Or Numero = 12"_s << true;
        QTest::newRow("text that is no number vs number") << u"Mensagem = 5"_s << false;
        QTest::newRow("numeric text vs number") << u"\"12\" = Numero"_s << true;
    }

    void evaluation() {
        QFETCH(QString, criterion);
        QFETCH(bool, matches);
        QCOMPARE(compile(criterion).matches(OneRow(), 0), matches);
    }

    void syntaxErrors_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<int>("position");
        QTest::newRow("empty") << QString() << 1;
        QTest::newRow("blanks only") << u"   "_s << 4;
        QTest::newRow("missing value") << u"Numero = "_s << 10;
        QTest::newRow("unclosed text") << u"Mensagem Like \"* amor"_s << 15;
        QTest::newRow("broken by a quote in the keyword") << u"Mensagem Like \"* a\"b *\""_s << 20;
        QTest::newRow("unclosed parenthesis") << u"(Numero = 1"_s << 1;
        QTest::newRow("stray parenthesis") << u"Numero = 1)"_s << 11;
        QTest::newRow("unexpected character") << u"Numero = 1 ; 2"_s << 12;
        QTest::newRow("decimal comma") << u"Numero = 1,5"_s << 11;
        QTest::newRow("number glued to letters") << u"Numero = 12abc"_s << 12;
        QTest::newRow("operator without left side") << u"= 5"_s << 1;
        QTest::newRow("dangling and") << u"Numero = 1 And"_s << 15;
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

    void complexityIsBounded_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<bool>("accepted");
        const auto repeated = [](const QString& piece, int times) { return piece.repeated(times); };
        QTest::newRow("100 parentheses")
            << repeated(u"("_s, 100) + u"Numero = 12"_s + repeated(u")"_s, 100) << true;
        QTest::newRow("100000 parentheses") << repeated(u"("_s, 100000) + u"Numero = 12"_s << false;
        QTest::newRow("100000 Nots") << repeated(u"Not "_s, 100000) + u"Numero = 12"_s << false;
        QTest::newRow("100 Ands") << u"Numero = 12"_s + repeated(u" And Numero = 12"_s, 100)
                                  << true;
        QTest::newRow("100000 Ands")
            << u"Numero = 12"_s + repeated(u" And Numero = 12"_s, 100000) << false;
    }

    void complexityIsBounded() {
        QFETCH(QString, criterion);
        QFETCH(bool, accepted);
        const auto error = raisedBy([&] { QVERIFY(compile(criterion).matches(OneRow(), 0)); });
        QCOMPARE(!error.has_value(), accepted);
        if (error)
            QCOMPARE(error->code(), ErrorCode::CriterionSyntax);
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

    void columnEqualityShape_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<bool>("isEquality");
        QTest::addColumn<double>("value");
        QTest::newRow("field = number") << u"Numero = 7"_s << true << 7.0;
        QTest::newRow("number = field") << u"7 = numero"_s << true << 7.0;
        QTest::newRow("negative") << u"Numero = -7"_s << true << -7.0;
        QTest::newRow("fraction") << u"Numero = 1.5"_s << true << 1.5;
        QTest::newRow("text is not") << u"Numero = \"7\""_s << false << 0.0;
        QTest::newRow("inequality is not") << u"Numero < 7"_s << false << 0.0;
        QTest::newRow("compound is not") << u"Numero = 7 And Valor = 1"_s << false << 0.0;
    }

    void columnEqualityShape() {
        QFETCH(QString, criterion);
        QFETCH(bool, isEquality);
        QFETCH(double, value);
        const auto equality = compile(criterion).columnEquality();
        QCOMPARE(equality.has_value(), isEquality);
        if (equality) {
            QCOMPARE(equality->column, 0);
            QCOMPARE(equality->value, value);
        }
    }

    void simpleEqualityShortcut_data() {
        QTest::addColumn<QString>("criterion");
        QTest::addColumn<bool>("recognised");
        QTest::addColumn<qint64>("value");
        QTest::newRow("plain") << u"Numero = 12"_s << true << qint64(12);
        QTest::newRow("negative") << u"Numero = -3"_s << true << qint64(-3);
        QTest::newRow("blanks around") << u"  Numero=12  "_s << true << qint64(12);
        QTest::newRow("fraction goes to the parser") << u"Numero = 1.5"_s << false << qint64(0);
        QTest::newRow("more criterion") << u"Numero = 1 Or Numero = 2"_s << false << qint64(0);
        QTest::newRow("keyword is no field") << u"Not = 1"_s << false << qint64(0);
        QTest::newRow("too many digits")
            << u"Numero = 1234567890123456789012"_s << false << qint64(0);
    }

    void simpleEqualityShortcut() {
        QFETCH(QString, criterion);
        QFETCH(bool, recognised);
        QFETCH(qint64, value);
        const auto simple = db::criteria::parseSimpleEquality(criterion);
        QCOMPARE(simple.has_value(), recognised);
        if (simple) {
            QCOMPARE(simple->field.toString(), u"Numero"_s);
            QCOMPARE(simple->value, value);
        }
    }
};

QTEST_GUILESS_MAIN(TestCriteria)
#include "test_criteria.moc"
