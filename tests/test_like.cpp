#include "platform/core/folded_texts.h"
#include "platform/core/text_fold.h"
#include "platform/database/like.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

bool like(const QString& text, const QString& pattern) {
    return db::LikePattern(core::text::fold(pattern)).matches(core::text::fold(text));
}

// The pattern the Find window builds around a keyword.
QString keywordPattern(const QString& keyword) {
    return u"* "_s + keyword + u" *"_s;
}

} // namespace

class TestLike : public QObject {
    Q_OBJECT

private slots:
    void keywordNeedsBlanksOnBothSides_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<bool>("found");
        QTest::newRow("between blanks") << u"O amor vence tudo"_s << u"amor"_s << true;
        QTest::newRow("first word") << u"Amor vence tudo"_s << u"amor"_s << false;
        QTest::newRow("last word") << u"Tudo vence o amor"_s << u"amor"_s << false;
        QTest::newRow("before punctuation") << u"Vence o amor, sempre"_s << u"amor"_s << false;
        QTest::newRow("before line break") << u"Vence o amor\nsempre"_s << u"amor"_s << false;
        QTest::newRow("after quotation mark") << u"Disse \"amor é tudo\""_s << u"amor"_s << false;
        QTest::newRow("after parenthesis") << u"Isto (amor puro) fica"_s << u"amor"_s << false;
        QTest::newRow("part of a word") << u"Um grande amor fica"_s << u"amo"_s << false;
        QTest::newRow("also between blanks elsewhere")
            << u"Amor, só o amor fica"_s << u"amor"_s << true;
        QTest::newRow("phrase with its blanks")
            << u"e o vento levou tudo"_s << u"o vento"_s << true;
        QTest::newRow("phrase with other blanks")
            << u"e o  vento levou tudo"_s << u"o vento"_s << false;
        QTest::newRow("star inside keyword")
            << u"um coração valente bate"_s << u"cora*te"_s << true;
        QTest::newRow("letter case") << u"o CORAÇÃO bate"_s << u"coração"_s << true;
        QTest::newRow("accents ignored") << u"o coração bate"_s << u"coracao"_s << true;
        QTest::newRow("accents in keyword") << u"o coracao bate"_s << u"CORAÇÃO"_s << true;
        QTest::newRow("decomposed accents")
            << u"o corac\u0327a\u0303o bate"_s << u"coração"_s << true;
        QTest::newRow("unclosed bracket is literal") << u"ver a [nota aqui"_s << u"[nota"_s << true;
        QTest::newRow("unclosed bracket needs the bracket")
            << u"ver a nota aqui"_s << u"[nota"_s << false;
        QTest::newRow("quote in text") << u"ele disse \"sim\" ontem"_s << u"\"sim\""_s << true;
        QTest::newRow("empty text") << QString() << u"amor"_s << false;
        QTest::newRow("only the keyword with blanks") << u" amor "_s << u"amor"_s << true;
    }

    void keywordNeedsBlanksOnBothSides() {
        QFETCH(QString, text);
        QFETCH(QString, keyword);
        QFETCH(bool, found);
        QCOMPARE(like(text, keywordPattern(keyword)), found);
    }

    void wildcards_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("no wildcard equal") << u"abc"_s << u"ABC"_s << true;
        QTest::newRow("no wildcard longer text") << u"abcd"_s << u"abc"_s << false;
        QTest::newRow("star alone matches empty") << QString() << u"*"_s << true;
        QTest::newRow("star prefix") << u"abc"_s << u"*c"_s << true;
        QTest::newRow("star suffix") << u"abc"_s << u"a*"_s << true;
        QTest::newRow("star needs end") << u"abcx"_s << u"a*c"_s << false;
        QTest::newRow("backtracking over repeats") << u"aXbXbc"_s << u"a*b*bc"_s << true;
        QTest::newRow("overlapping pieces") << u"aaa"_s << u"*aa*a"_s << true;
        QTest::newRow("pieces must not overlap") << u"aa"_s << u"*aa*a"_s << false;
        QTest::newRow("question one character") << u"cão"_s << u"c?o"_s << true;
        QTest::newRow("question not zero") << u"co"_s << u"c?o"_s << false;
        QTest::newRow("question at end after star") << u"xyzé"_s << u"*?"_s << true;
        QTest::newRow("hash digit") << u"nota 7"_s << u"nota #"_s << true;
        QTest::newRow("hash not letter") << u"nota x"_s << u"nota #"_s << false;
        QTest::newRow("class") << u"bala"_s << u"[bc]ala"_s << true;
        QTest::newRow("class miss") << u"fala"_s << u"[bc]ala"_s << false;
        QTest::newRow("range") << u"m1"_s << u"[a-z]#"_s << true;
        QTest::newRow("negated class") << u"fala"_s << u"[!bc]ala"_s << true;
        QTest::newRow("negated class miss") << u"bala"_s << u"[!bc]ala"_s << false;
        QTest::newRow("star literal in class") << u"a*b"_s << u"a[*]b"_s << true;
        QTest::newRow("star in class is not a wildcard") << u"axb"_s << u"a[*]b"_s << false;
        QTest::newRow("accented range member") << u"É"_s << u"[a-f]"_s << true;
        QTest::newRow("empty class takes nothing") << u"ab"_s << u"a[]b"_s << true;
        QTest::newRow("negated empty class takes one") << u"axb"_s << u"a[!]b"_s << true;
        QTest::newRow("closing bracket alone") << u"a]"_s << u"a]"_s << true;
        QTest::newRow("last piece with multibyte") << u"pão e mão"_s << u"*ão"_s << true;
        QTest::newRow("last piece too long") << u"ão"_s << u"a*ão"_s << false;
    }

    void wildcards() {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(like(text, pattern), matches);
    }

    void foldingRules_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("ascii") << u"AbC"_s << u"abc"_s;
        QTest::newRow("ascii eight at a time") << u"@ABCDEFGHIJKLMNOPQRSTUVWXYZ[`az{ Ação"_s
                                               << u"@abcdefghijklmnopqrstuvwxyz[`az{ acao"_s;
        QTest::newRow("portuguese") << u"Ação, Órfã, Pêssego"_s << u"acao, orfa, pessego"_s;
        QTest::newRow("capitals and accents at a block's edges")
            << u"abcdefghijklmnOÉxyzabcdefghijklmnoPQÇ"_s
            << u"abcdefghijklmnoexyzabcdefghijklmnopqc"_s;
        QTest::newRow("decomposed") << u"e\u0301"_s << u"e"_s;
        QTest::newRow("non-latin kept") << u"Ωμέγα"_s << u"ωμεγα"_s;
    }

    void foldingRules() {
        QFETCH(QString, text);
        QFETCH(QString, folded);
        QCOMPARE(QString::fromStdString(core::text::fold(text)), folded);
    }

    // Texts are kept folded, with what it takes to give them back byte for byte.
    void foldedTextsGiveBackTheOriginal_data() {
        QTest::addColumn<QByteArray>("original");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("portuguese") << u"Ação, Órfã, Pêssego: é o Coração que FALA."_s.toUtf8();
        QTest::newRow("marks that fold to nothing") << u"corac\u0327a\u0303o"_s.toUtf8();
        QTest::newRow("folds longer") << u"Straße ΐ ǅ"_s.toUtf8();
        QTest::newRow("beyond one byte") << u"Ωμέγα ÿ Ā 𝔸 €"_s.toUtf8();
        QTest::newRow("long runs between changes")
            << QByteArray(300, 'x') + "É" + QByteArray(20000, 'y') + "Ã";
        QTest::newRow("capitals everywhere") << QByteArray("TUDO EM MAIÚSCULAS DO COMEÇO AO FIM");
        QTest::newRow("changes past one buffer")
            << QByteArray(400, 'A') + "Ŋ" + QByteArray(90, 'e');
        QTest::newRow("invalid UTF-8") << QByteArray("A\xC3(b\xFF", 5);
        QTest::newRow("replacement character") << u"A\uFFFDb"_s.toUtf8();
        QTest::newRow("nul byte") << QByteArray("A\0b", 3);
    }

    void foldedTextsGiveBackTheOriginal() {
        QFETCH(QByteArray, original);
        const std::string_view text(original.constData(), std::size_t(original.size()));
        core::FoldedTexts store;
        const core::FoldedTexts::Text stored = store.store(text);
        store.store("Outro texto, guardado depois.");
        QCOMPARE(QByteArray::fromStdString(std::string(stored.folded())),
                 QByteArray::fromStdString(core::text::fold(text)));
        QCOMPARE(QByteArray::fromStdString(core::FoldedTexts::original(stored)), original);
    }

    void invalidUtf8FoldsToReplacement() {
        const std::string folded = core::text::fold(std::string_view("a\xC3(b\xFF", 5));
        QVERIFY(core::text::isValidUtf8(folded));
        QCOMPARE(QString::fromStdString(folded), u"a\uFFFD(b\uFFFD"_s);
    }
};

QTEST_GUILESS_MAIN(TestLike)
#include "test_like.moc"
