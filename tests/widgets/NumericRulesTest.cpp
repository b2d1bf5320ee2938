// The rules of the numeric edit boxes, one table per rule.

#include <QTest>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "CommaLocale.h"
#include "NumericRules.h"
#include "RepeatSchedule.h"
#include "UpDownGeometry.h"

using namespace NumericRules;

namespace {
constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr std::int32_t int32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t int32Max = std::numeric_limits<std::int32_t>::max();
}  // namespace

class NumericRulesTest : public QObject {
    Q_OBJECT

private slots:
    void checkValueKeepsBoundsOrWraps_data()
    {
        QTest::addColumn<double>("x");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("max");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<double>("expected");
        QTest::newRow("above max stops at max") << 2000.0 << 1240.0 << 1675.0 << false << 1675.0;
        QTest::newRow("above max wraps to min") << 2000.0 << 1240.0 << 1675.0 << true << 1240.0;
        QTest::newRow("below min stops at min") << 1000.0 << 1240.0 << 1675.0 << false << 1240.0;
        QTest::newRow("below min wraps to max") << 1000.0 << 1240.0 << 1675.0 << true << 1675.0;
        QTest::newRow("inside is kept") << 1550.5 << 1240.0 << 1675.0 << true << 1550.5;
        QTest::newRow("max itself does not wrap") << 1675.0 << 1240.0 << 1675.0 << true << 1675.0;
        QTest::newRow("min itself does not wrap") << 1240.0 << 1240.0 << 1675.0 << true << 1240.0;
        QTest::newRow("negative range") << -90.0 << -80.0 << 20.0 << false << -80.0;
        QTest::newRow("NaN counts as 0 inside") << notANumber << -10.0 << 10.0 << false << 0.0;
        QTest::newRow("NaN counts as 0 below") << notANumber << 1240.0 << 1675.0 << false << 1240.0;
    }
    void checkValueKeepsBoundsOrWraps()
    {
        QFETCH(double, x);
        QFETCH(double, min);
        QFETCH(double, max);
        QFETCH(bool, wrap);
        QFETCH(double, expected);
        QCOMPARE(checkValue(x, min, max, wrap), expected);
    }

    void integerCheckValueMeetsTheBoundsBeyond32Bits_data()
    {
        QTest::addColumn<qint64>("x");
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<bool>("wrap");
        QTest::addColumn<int>("expected");
        QTest::newRow("scan count above") << qint64(100001) << 1 << 100000 << false << 100000;
        QTest::newRow("scan count wraps") << qint64(100001) << 1 << 100000 << true << 1;
        QTest::newRow("address below wraps") << qint64(0) << 1 << 30 << true << 30;
        QTest::newRow("inside") << qint64(17) << 1 << 30 << true << 17;
        QTest::newRow("past int32 max") << qint64(int32Max) + 1 << int32Min << int32Max << false << int32Max;
        QTest::newRow("past int32 max wraps") << qint64(int32Max) + 1 << int32Min << int32Max << true << int32Min;
        QTest::newRow("past int32 min") << qint64(int32Min) - 1 << int32Min << int32Max << false << int32Min;
    }
    void integerCheckValueMeetsTheBoundsBeyond32Bits()
    {
        QFETCH(qint64, x);
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(bool, wrap);
        QFETCH(int, expected);
        QCOMPARE(checkValue(std::int64_t{x}, min, max, wrap), expected);
    }

    void limitValueNeverWraps()
    {
        QCOMPARE(limitValue(2000.0, 1240.0, 1675.0), 1675.0);
        QCOMPARE(limitValue(0.0, 1240.0, 1675.0), 1240.0);
        QCOMPARE(limitValue(notANumber, 1240.0, 1675.0), 1240.0);
        QCOMPARE(limitValue(7, 1, 30), 7);
        QCOMPARE(limitValue(0, 1, 30), 1);
        QCOMPARE(limitValue(31, 1, 30), 30);
    }

    void precisionFollowsTheIncrement_data()
    {
        QTest::addColumn<double>("increment");
        QTest::addColumn<int>("precision");
        QTest::newRow("0.1") << 0.1 << 1;
        QTest::newRow("0.01") << 0.01 << 2;
        QTest::newRow("0.001") << 0.001 << 3;
        QTest::newRow("0.0001") << 0.0001 << 4;
        QTest::newRow("1e-6") << 1e-6 << 6;
        QTest::newRow("0.5") << 0.5 << 1;
        QTest::newRow("0.25") << 0.25 << 1;
        QTest::newRow("0.05") << 0.05 << 2;
        QTest::newRow("0.025") << 0.025 << 2;
        QTest::newRow("0.999") << 0.999 << 1;
        QTest::newRow("1") << 1.0 << 0;
        QTest::newRow("2.5") << 2.5 << 0;
        QTest::newRow("0") << 0.0 << 0;
        QTest::newRow("negative") << -0.1 << 0;
        QTest::newRow("NaN") << notANumber << 0;
        QTest::newRow("tiny is capped") << 1e-300 << MaxPrecision;
    }
    void precisionFollowsTheIncrement()
    {
        QFETCH(double, increment);
        QFETCH(int, precision);
        QCOMPARE(precisionForIncrement(increment), precision);
    }

    void precisionIsTheMagnitudeOfTheRequest()
    {
        QCOMPARE(normalisedPrecision(3), 3);
        QCOMPARE(normalisedPrecision(-2), 2);
        QCOMPARE(normalisedPrecision(0), 0);
        QCOMPARE(normalisedPrecision(25), MaxPrecision);
        QCOMPARE(normalisedPrecision(int32Min), MaxPrecision);
    }

    void formatFixedWritesPrintfDecimals_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("precision");
        QTest::addColumn<QString>("text");
        QTest::newRow("max with one decimal") << 1675.0 << 1 << "1675.0";
        QTest::newRow("two decimals") << 1.5 << 2 << "1.50";
        QTest::newRow("binary noise hidden") << 0.1 + 0.2 << 2 << "0.30";
        QTest::newRow("negative") << -3.0 << 2 << "-3.00";
        QTest::newRow("no decimals") << 1000000.0 << 0 << "1000000";
        QTest::newRow("half to even, exact binary") << 2.5 << 0 << "2";
        QTest::newRow("1550.25 is exact in binary") << 1550.25 << 1 << "1550.2";
        QTest::newRow("1550.35 lies above in binary") << 1550.35 << 1 << "1550.3";
        QTest::newRow("three decimals") << 1549.9999 << 3 << "1550.000";
        QTest::newRow("negative precision taken as magnitude") << 12.345 << -2 << "12.35";
        QTest::newRow("NaN written as 0") << notANumber << 1 << "0.0";
    }
    void formatFixedWritesPrintfDecimals()
    {
        QFETCH(double, value);
        QFETCH(int, precision);
        QFETCH(QString, text);
        QCOMPARE(QString::fromStdString(formatFixed(value, precision)), text);
    }

    void formatFixedAgreesWithPrintfInTheCLocale()
    {
        // An independent reference: the C library's own "%.*f".
        std::setlocale(LC_NUMERIC, "C");
        const double values[] = {0.0, 0.05, 0.15, 0.25, 1.005, 1239.95, 1675.05, -80.04, 99999.9999, 1e15, 123.456789};
        for (double v : values) {
            for (int precision = 0; precision <= 6; ++precision) {
                char reference[64];
                std::snprintf(reference, sizeof reference, "%.*f", precision, v);
                QCOMPARE(QString::fromStdString(formatFixed(v, precision)), QString::fromLatin1(reference));
            }
        }
    }

    void formatIntegerIsPlainDecimal()
    {
        QCOMPARE(formatInteger(0), std::string("0"));
        QCOMPARE(formatInteger(250), std::string("250"));
        QCOMPARE(formatInteger(-5), std::string("-5"));
        QCOMPARE(formatInteger(int32Min), std::string("-2147483648"));
    }

    void parseDecimalReadsNumbersAndGivesZeroOtherwise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("decimal") << "1550.5" << 1550.5;
        QTest::newRow("blanks around") << "  12 " << 12.0;
        QTest::newRow("negative") << "-80.0" << -80.0;
        QTest::newRow("leading point") << "-.5" << -0.5;
        QTest::newRow("trailing point") << "1." << 1.0;
        QTest::newRow("plus sign") << "+3" << 3.0;
        QTest::newRow("exponent") << "1e3" << 1000.0;
        QTest::newRow("empty") << "" << 0.0;
        QTest::newRow("minus alone") << "-" << 0.0;
        QTest::newRow("letters") << "abc" << 0.0;
        QTest::newRow("comma") << "1,5" << 0.0;
        QTest::newRow("two points") << "1.5.2" << 0.0;
        QTest::newRow("trailing letters") << "12abc" << 0.0;
        QTest::newRow("double minus") << "--1" << 0.0;
        QTest::newRow("plus minus") << "+-3" << 0.0;
        QTest::newRow("minus inside") << "1-2" << 0.0;
        QTest::newRow("beyond double") << "1e999" << 0.0;
        QTest::newRow("inf") << "inf" << 0.0;
        QTest::newRow("nan") << "nan" << 0.0;
        QTest::newRow("hex") << "0x10" << 0.0;
    }
    void parseDecimalReadsNumbersAndGivesZeroOtherwise()
    {
        QFETCH(QString, text);
        QFETCH(double, value);
        QCOMPARE(parseDecimal(text.toStdString()), value);
    }

    void parseIntegerReadsIntegersAndGivesZeroOtherwise_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("plain") << "42" << 42;
        QTest::newRow("negative") << "-7" << -7;
        QTest::newRow("plus") << "+7" << 7;
        QTest::newRow("blanks") << " 30 " << 30;
        QTest::newRow("int32 min") << "-2147483648" << int32Min;
        QTest::newRow("beyond int32") << "2147483648" << 0;
        QTest::newRow("decimal") << "4.5" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("letters") << "x1" << 0;
        QTest::newRow("minus alone") << "-" << 0;
    }
    void parseIntegerReadsIntegersAndGivesZeroOtherwise()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(parseInteger(text.toStdString()), value);
    }

    void roundingToThePrecisionRemovesBinaryNoise()
    {
        QCOMPARE(roundToPrecision(0.2 + 0.1, 1), 0.3);
        QCOMPARE(roundToPrecision(1674.9 + 0.1, 1), 1675.0);
        QCOMPARE(roundToPrecision(-0.1 - 0.2, 2), -0.3);
        QCOMPARE(roundToPrecision(7.0, 0), 7.0);
    }

    void numbersIgnoreACommaLocale()
    {
        CommaLocale comma;
        if (!comma.active()) QSKIP("no locale with a decimal comma on this machine");
        char check[16];
        std::snprintf(check, sizeof check, "%.1f", 1.5);
        QCOMPARE(QString::fromLatin1(check), QStringLiteral("1,5"));  // the locale is really active
        QCOMPARE(formatFixed(1.5, 1), std::string("1.5"));
        QCOMPARE(formatFixed(-1234.5678, 3), std::string("-1234.568"));
        QCOMPARE(parseDecimal("2.5"), 2.5);
        QCOMPARE(parseDecimal("2,5"), 0.0);
    }

    void keysOfTheFilter_data()
    {
        QTest::addColumn<uint>("character");
        QTest::addColumn<bool>("decimal");
        QTest::addColumn<int>("action");
        const int accept = int(KeyAction::Accept), apply = int(KeyAction::Apply), reject = int(KeyAction::Reject);
        for (bool decimal : {false, true}) {
            const char* kind = decimal ? "decimal" : "integer";
            QTest::addRow("%s: 0", kind) << uint('0') << decimal << accept;
            QTest::addRow("%s: 9", kind) << uint('9') << decimal << accept;
            QTest::addRow("%s: backspace", kind) << uint('\b') << decimal << accept;
            QTest::addRow("%s: control 12", kind) << 12u << decimal << accept;
            QTest::addRow("%s: minus", kind) << uint('-') << decimal << accept;
            QTest::addRow("%s: enter", kind) << uint('\r') << decimal << apply;
            QTest::addRow("%s: letter", kind) << uint('a') << decimal << reject;
            QTest::addRow("%s: exponent letter", kind) << uint('e') << decimal << reject;
            QTest::addRow("%s: comma", kind) << uint(',') << decimal << reject;
            QTest::addRow("%s: plus", kind) << uint('+') << decimal << reject;
            QTest::addRow("%s: blank", kind) << uint(' ') << decimal << reject;
            QTest::addRow("%s: line feed", kind) << uint('\n') << decimal << reject;
            QTest::addRow("%s: DEL", kind) << 127u << decimal << reject;
            QTest::addRow("%s: accented letter", kind) << 0xE9u << decimal << reject;
            QTest::addRow("%s: Arabic-Indic digit", kind) << 0x0663u << decimal << reject;
        }
        QTest::newRow("decimal: point") << uint('.') << true << accept;
        QTest::newRow("integer: point") << uint('.') << false << reject;
    }
    void keysOfTheFilter()
    {
        QFETCH(uint, character);
        QFETCH(bool, decimal);
        QFETCH(int, action);
        QCOMPARE(int(classifyKey(char32_t(character), decimal)), action);
    }

    void repeatPausesShrinkByAFifth()
    {
        const int expected[] = {500, 400, 320, 256, 205, 164, 132, 106, 85, 68};
        int pause = RepeatSchedule::FirstPauseMs;
        for (int e : expected) {
            QCOMPARE(pause, e);
            pause = RepeatSchedule::nextPauseMs(pause);
        }
    }

    void repeatPausesSettleAtFourMilliseconds()
    {
        int pause = RepeatSchedule::FirstPauseMs;
        for (int i = 0; i < 200; ++i) {
            const int next = RepeatSchedule::nextPauseMs(pause);
            QVERIFY(next <= pause);
            QVERIFY(next > 0);
            pause = next;
        }
        QCOMPARE(pause, 4);
        QCOMPARE(RepeatSchedule::nextPauseMs(4), 4);
    }

    void buttonPairSitsAtTheRightEdge_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("pair");
        QTest::addColumn<QRect>("up");
        QTest::addColumn<QRect>("down");
        QTest::newRow("60 x 25") << 60 << 25 << QRect(43, 2, 16, 24) << QRect(0, 0, 16, 11) << QRect(0, 11, 16, 11);
        QTest::newRow("100 x 21") << 100 << 21 << QRect(83, 2, 16, 20) << QRect(0, 0, 16, 9) << QRect(0, 9, 16, 9);
        QTest::newRow("odd height") << 80 << 24 << QRect(63, 2, 16, 23) << QRect(0, 0, 16, 10) << QRect(0, 10, 16, 10);
        QTest::newRow("too small") << 10 << 2 << QRect(-7, 2, 16, 1) << QRect(0, 0, 16, 0) << QRect(0, 0, 16, 0);
    }
    void buttonPairSitsAtTheRightEdge()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, pair);
        QFETCH(QRect, up);
        QFETCH(QRect, down);
        const auto rect = [](UpDownGeometry::Box b) { return QRect(b.x, b.y, b.width, b.height); };
        const auto p = UpDownGeometry::pairOn(width, height);
        QCOMPARE(rect(p.pair), pair);
        QCOMPARE(rect(p.up), up);
        QCOMPARE(rect(p.down), down);
    }

    void textKeepsClearOfThePair()
    {
        // The text ends frame + 2 + margin pixels from the right edge, one
        // pixel before the pair at width - 17.
        QCOMPARE(UpDownGeometry::textRightMargin(true, 1), 15);
        QCOMPARE(UpDownGeometry::textRightMargin(true, 2), 14);
        QCOMPARE(UpDownGeometry::textRightMargin(false, 1), 0);
        QCOMPARE(UpDownGeometry::textRightMargin(true, 30), 0);
    }
};

QTEST_APPLESS_MAIN(NumericRulesTest)
#include "NumericRulesTest.moc"
