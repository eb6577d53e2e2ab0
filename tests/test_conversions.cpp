#include "platform/core/conversions.h"
#include "platform/core/file_names.h"
#include "platform/core/random_source.h"
#include "platform/core/runtime_error.h"
#include "support/raised_error.h"

#include <QTest>
#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using core::ErrorCode;

class TestConversions : public QObject {
    Q_OBJECT

private slots:
    void leadingNumber_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("end");
        QTest::newRow("whole") << u"15"_s << 15.0 << 2;
        QTest::newRow("blank and letter after") << u"15 s"_s << 15.0 << 2;
        QTest::newRow("leading blanks") << u"  \t42"_s << 42.0 << 5;
        QTest::newRow("decimal point") << u"15.5"_s << 15.5 << 4;
        QTest::newRow("comma is not a point") << u"15,5"_s << 15.0 << 2;
        QTest::newRow("second point stops") << u"1.2.3"_s << 1.2 << 3;
        QTest::newRow("sign") << u"-7"_s << -7.0 << 2;
        QTest::newRow("plus sign") << u"+7"_s << 7.0 << 2;
        QTest::newRow("point first") << u".5"_s << 0.5 << 2;
        QTest::newRow("point last") << u"5."_s << 5.0 << 2;
        QTest::newRow("exponent") << u"1.5e3x"_s << 1500.0 << 5;
        QTest::newRow("negative exponent") << u"25E-1"_s << 2.5 << 5;
        QTest::newRow("exponent without digits") << u"3e"_s << 3.0 << 1;
        QTest::newRow("exponent sign without digits") << u"3e+"_s << 3.0 << 1;
        QTest::newRow("letters") << u"abc"_s << 0.0 << 0;
        QTest::newRow("empty") << QString() << 0.0 << 0;
        QTest::newRow("sign alone") << u"-"_s << 0.0 << 0;
        QTest::newRow("point alone") << u"."_s << 0.0 << 0;
        QTest::newRow("leading zeros") << u"012"_s << 12.0 << 3;
        QTest::newRow("arabic-indic digits are not digits") << u"\u0661\u0662"_s << 0.0 << 0;
        QTest::newRow("underflow") << u"1e-400"_s << 0.0 << 6;
        QTest::newRow("long fraction underflow") << u"0.000001e-330"_s << 0.0 << 13;
        QTest::newRow("underflow with the lowest 64-bit exponent")
            << u"0.0001e-9223372036854775808"_s << 0.0 << 27;
    }

    void leadingNumber() {
        QFETCH(QString, text);
        QFETCH(double, value);
        QFETCH(int, end);
        const core::LeadingNumber number = core::scanLeadingNumber(text);
        QCOMPARE(number.value, value);
        QCOMPARE(number.end, qsizetype(end));
        QCOMPARE(core::Val(text), value);
    }

    void valOverflowIsAnError_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("huge exponent") << u"1e400"_s;
        QTest::newRow("negative huge") << u"-9e999"_s;
        QTest::newRow("many digits") << QString(400, u'9');
        QTest::newRow("highest 64-bit exponent") << u"1e9223372036854775807"_s;
        QTest::newRow("negative, highest 64-bit exponent") << u"-9e9223372036854775807"_s;
    }

    void valOverflowIsAnError() {
        QFETCH(QString, text);
        QVERIFY(std::isinf(core::scanLeadingNumber(text).value));
        QCOMPARE(errorOf([&] { core::Val(text); }), ErrorCode::Overflow);
    }

    void isNumeric_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("numeric");
        QTest::newRow("whole") << u"12"_s << true;
        QTest::newRow("blanks around") << u"  12  "_s << true;
        QTest::newRow("negative") << u"-3"_s << true;
        QTest::newRow("fraction with point") << u"1.5"_s << true;
        QTest::newRow("fraction with comma") << u"1,5"_s << false;
        QTest::newRow("trailing letters") << u"12abc"_s << false;
        QTest::newRow("letters") << u"abc"_s << false;
        QTest::newRow("two points") << u"1.2.3"_s << false;
        QTest::newRow("sign and a blank") << u"- 4"_s << false;
        QTest::newRow("leading zeros and a plus sign") << u"+004"_s << true;
        QTest::newRow("exponent") << u"1e3"_s << true;
        QTest::newRow("infinite") << u"1e400"_s << false;
        QTest::newRow("empty") << QString() << false;
        QTest::newRow("blanks only") << u"   "_s << false;
        QTest::newRow("sign only") << u"-"_s << false;
        QTest::newRow("inner blank") << u"1 2"_s << false;
    }

    void isNumeric() {
        QFETCH(QString, text);
        QFETCH(bool, numeric);
        QCOMPARE(core::IsNumeric(text), numeric);
    }

    void trim_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("spaces both sides") << u"  amor  "_s << u"amor"_s;
        QTest::newRow("inner spaces kept") << u" e  bem "_s << u"e  bem"_s;
        QTest::newRow("only spaces") << u"   "_s << QString();
        QTest::newRow("tab is no space") << u"\tamor "_s << u"\tamor"_s;
    }

    void trim() {
        QFETCH(QString, text);
        QFETCH(QString, trimmed);
        QCOMPARE(core::Trim(text), trimmed);
    }

    void numberForms_data() {
        QTest::addColumn<qint64>("value");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("blankPrefixed");
        QTest::newRow("positive") << qint64(12) << u"12"_s << u" 12"_s;
        QTest::newRow("zero") << qint64(0) << u"0"_s << u" 0"_s;
        QTest::newRow("negative") << qint64(-5) << u"-5"_s << u"-5"_s;
        QTest::newRow("16-bit limits") << qint64(-32768) << u"-32768"_s << u"-32768"_s;
    }

    void numberForms() {
        QFETCH(qint64, value);
        QFETCH(QString, plain);
        QFETCH(QString, blankPrefixed);
        QCOMPARE(core::plainForm(std::int64_t{value}), plain);
        QCOMPARE(core::Str(value), blankPrefixed);
    }

    void plainFormOfDouble_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("whole") << 15.0 << u"15"_s;
        QTest::newRow("fraction uses a point") << 15.5 << u"15.5"_s;
        QTest::newRow("negative fraction") << -0.25 << u"-0.25"_s;
        QTest::newRow("negative zero") << -0.0 << u"0"_s;
        QTest::newRow("fifteen digits") << 0.1 + 0.2 << u"0.3"_s;
        QTest::newRow("large") << 1e20 << u"1E+20"_s;
        QTest::newRow("small") << 1.5e-7 << u"1.5E-07"_s;
    }

    void plainFormOfDouble() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(core::plainForm(value), text);
        QCOMPARE(core::Val(text), std::stod(text.toStdString()));
    }

    void rounding_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("rounded");
        QTest::newRow("half down to even") << 2.5 << 2.0;
        QTest::newRow("half up to even") << 3.5 << 4.0;
        QTest::newRow("negative half") << -2.5 << -2.0;
        QTest::newRow("negative half odd") << -3.5 << -4.0;
        QTest::newRow("below half") << 2.4999 << 2.0;
        QTest::newRow("above half") << 2.5001 << 3.0;
        QTest::newRow("whole") << 7.0 << 7.0;
        QTest::newRow("milliseconds of 15.5 s") << 15500.0 << 15500.0;
        QTest::newRow("half of 0.0005 s") << 0.5 << 0.0;
    }

    void rounding() {
        QFETCH(double, value);
        QFETCH(double, rounded);
        QCOMPARE(core::roundHalfEven(value), rounded);
    }

    void checkedIntegers_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("fits");
        QTest::newRow("16: top") << 32767.0 << 16 << true;
        QTest::newRow("16: rounds past the top") << 32767.5 << 16 << false;
        QTest::newRow("16: bottom") << -32768.0 << 16 << true;
        QTest::newRow("16: below") << -32769.0 << 16 << false;
        QTest::newRow("16: half rounds down to even") << 32766.5 << 16 << true;
        QTest::newRow("32: top") << 2147483647.0 << 32 << true;
        QTest::newRow("32: above") << 2147483648.0 << 32 << false;
        QTest::newRow("32: bottom") << -2147483648.0 << 32 << true;
        QTest::newRow("32: not a number")
            << std::numeric_limits<double>::quiet_NaN() << 32 << false;
        QTest::newRow("32: infinite") << std::numeric_limits<double>::infinity() << 32 << false;
    }

    void checkedIntegers() {
        QFETCH(double, value);
        QFETCH(int, bits);
        QFETCH(bool, fits);
        const ErrorCode error = bits == 16 ? errorOf([&] { core::toInt16(value); })
                                           : errorOf([&] { core::toInt32(value); });
        QCOMPARE(error, fits ? ErrorCode{} : ErrorCode::Overflow);
        if (fits && bits == 16)
            QCOMPARE(double(core::toInt16(value)), core::roundHalfEven(value));
    }

    void wholeNumberTo16Bits() {
        QCOMPARE(core::toInt16(std::int64_t{32767}), std::int16_t{32767});
        QCOMPARE(errorOf([] { core::toInt16(std::int64_t{32768}); }), ErrorCode::Overflow);
        QCOMPARE(errorOf([] { core::toInt16(std::int64_t{-32769}); }), ErrorCode::Overflow);
    }

    void productFloatingPointCheck() {
        QCOMPARE(core::checkedProduct(15.5, 1000.0), 15500.0);
        QCOMPARE(errorOf([] { core::checkedProduct(1e306, 1000.0); }), ErrorCode::FloatingPoint);
        QCOMPARE(
            errorOf([] { core::checkedProduct(std::numeric_limits<double>::quiet_NaN(), 1.0); }),
            ErrorCode::FloatingPoint);
    }

    // A file name read from the system turns back into the same bytes, however they are spelt,
    // and shows every byte that is no text as U+FFFD.
    void fileNamesKeepTheirBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTF-8") << QByteArray("/opt/pasta-ção/\xf0\x9f\x8c\xb5")
                               << u"/opt/pasta-ção/🌵"_s;
        QTest::newRow("Latin-1") << QByteArray("/opt/pasta-\xe7\xe3o")
                                 << u"/opt/pasta-\ufffd\ufffdo"_s;
        QTest::newRow("cut short") << QByteArray("/a\xe2\x82") << u"/a\ufffd\ufffd"_s;
        QTest::newRow("overlong slash") << QByteArray("/a\xc0\xaf") << u"/a\ufffd\ufffd"_s;
        QTest::newRow("encoded surrogate")
            << QByteArray("/a\xed\xb2\x80") << u"/a\ufffd\ufffd\ufffd"_s;
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("/a\xf4\x90\x80\x80") << u"/a\ufffd\ufffd\ufffd\ufffd"_s;
    }

    void fileNamesKeepTheirBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        const QString name = core::fileNameFromBytes(bytes);
        QCOMPARE(core::bytesOfFileName(name), bytes);
        QCOMPARE(core::displayable(name), shown);
    }

    void randomNumbersStayBelowOne() {
        core::ClockRandom random;
        double sum = 0;
        constexpr int draws = 20000;
        for (std::uint64_t seed : {0ULL, 1ULL, ~0ULL}) {
            random.seed(seed);
            for (int i = 0; i < draws; ++i) {
                const float r = random.next();
                QVERIFY(r >= 0.0f && r < 1.0f);
                sum += r;
            }
        }
        QVERIFY(qAbs(sum / (3 * draws) - 0.5) < 0.01);
        // Two clock seeds taken one after the other still give different numbers.
        random.reseedFromClock();
        const float first = random.next();
        QTest::qWait(1);
        random.reseedFromClock();
        QVERIFY(random.next() != first);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "test_conversions.moc"
