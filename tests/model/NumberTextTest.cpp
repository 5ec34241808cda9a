#include "model/NumberText.h"

#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QLocale>

#include <clocale>
#include <limits>

using namespace orvane;

namespace {

// Sets a locale with a decimal comma for the test's duration, where the system has one.
class CommaLocale final {
public:
    CommaLocale() : m_previous(QLocale())
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE"})
            if (std::setlocale(LC_NUMERIC, name))
                break;
    }
    ~CommaLocale()
    {
        QLocale::setDefault(m_previous);
        std::setlocale(LC_NUMERIC, "C");
    }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;

private:
    QLocale m_previous;
};

} // namespace

TEST(NumberText, FixedDigitsRoundLikePrintfWhateverTheLocale)
{
    const CommaLocale comma;
    struct Case {
        double value;
        int digits;
        const char* text;
    };
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& c : std::initializer_list<Case>{
             {16, 1, "16.0"},
             {15.999, 1, "16.0"},
             {17179869184.0 / 1073741824.0, 1, "16.0"},
             {0.25, 1, "0.2"},        // a tie goes to the even digit
             {0.35, 1, "0.3"},        // 0.35 is stored a little below .35
             {2.5, 0, "2"},
             {3.5, 0, "4"},
             {1234567.891, 2, "1234567.89"},
             {-0.04, 1, "-0.0"},
             {7, -3, "7"},
             {std::nan(""), 1, "nan"},
             {inf, 1, "inf"},
             {-inf, 0, "-inf"},
         }) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(fixedDecimalText(c.value, c.digits), QString::fromLatin1(c.text));
    }
    EXPECT_EQ(fixedDecimalText(std::numeric_limits<double>::max(), 1).size(), 311);
}

TEST(NumberText, ShortestTextReadsBackAndKeepsAFractionForWholeNumbers)
{
    const CommaLocale comma;
    struct Case {
        double value;
        const char* text;
    };
    for (const auto& c : std::initializer_list<Case>{
             {2, "2.0"},
             {1, "1.0"},
             {0, "0.0"},
             {1.25, "1.25"},
             {0.1, "0.1"},
             {1.0 / 3.0, "0.3333333333333333"},
             {-1.5, "-1.5"},
             {0.0001, "0.0001"},
             {0.00001, "1e-05"},
             {9007199254740992.0, "9007199254740992.0"},
             {1e16, "1e+16"},
         }) {
        SCOPED_TRACE(c.text);
        const QString text = shortestDecimalText(c.value);
        EXPECT_EQ(text, QString::fromLatin1(c.text));
        EXPECT_EQ(text.toDouble(), c.value);
    }
}
