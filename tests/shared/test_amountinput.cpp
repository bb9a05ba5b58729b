#include "shared/amountinput.h"

#include <gtest/gtest.h>

namespace {

const QString kRange = "enter an amount from 0.00 to 999,999,999,999.99 with at most two decimals";
const QString kPositive =
    "enter an amount greater than 0.00 and up to 999,999,999,999.99 with at most two decimals";

struct Case {
    const char* typed;
    AmountRule rule;
    std::optional<qint64> cents;
    QString message;
};

TEST(AmountText, WholeTextGivesTheExactAmountOrTheMessageNamingTheField) {
    const Case cases[] = {
        {"27,500.00", AmountRule::MustBePositive, 2'750'000, {}},
        {"1,234.5", AmountRule::ZeroAllowed, 123'450, {}},
        {"  1500.5 ", AmountRule::ZeroAllowed, 150'050, {}},
        {".5", AmountRule::ZeroAllowed, 50, {}},
        {"7.", AmountRule::ZeroAllowed, 700, {}},
        {"0", AmountRule::ZeroAllowed, 0, {}},
        {"12,34,567.00", AmountRule::ZeroAllowed, 1'234'567'00, {}},
        {"999,999,999,999.99", AmountRule::ZeroAllowed, 99'999'999'999'999, {}},
        {"000999999999999.99", AmountRule::ZeroAllowed, 99'999'999'999'999, {}},
        {"1,000,000,000,000.00", AmountRule::ZeroAllowed, std::nullopt,
         "Amount: \"1,000,000,000,000.00\" is more than 999,999,999,999.99; " + kRange},
        {"12abc", AmountRule::MustBePositive, std::nullopt,
         "New Basic: \"12abc\" is not an amount; " + kPositive},
        {"-5", AmountRule::ZeroAllowed, std::nullopt,
         "Amount: an amount cannot be negative; " + kRange},
        {"0.005", AmountRule::ZeroAllowed, std::nullopt,
         "Amount: \"0.005\" has more than two decimals; " + kRange},
        {"", AmountRule::MustBePositive, std::nullopt, "New Basic: " + kPositive},
        {"0.00", AmountRule::MustBePositive, std::nullopt,
         "New Basic: the amount must be more than 0.00; " + kPositive},
    };
    std::vector<Case> all(std::begin(cases), std::end(cases));
    // Misplaced groups or points, exponents, signs and digits of other scripts (an Arabic-Indic
    // five) are no amount.
    for (const char* typed : {"1e5", "1,234,5.00", ",500", "1.2.3", "1.234,50", "+5", "\xd9\xa5"})
        all.push_back({typed, AmountRule::ZeroAllowed, std::nullopt,
                       "Amount: \"" + QString::fromUtf8(typed) + "\" is not an amount; " + kRange});
    for (const Case& c : all) {
        const QString field = c.rule == AmountRule::MustBePositive ? "New Basic" : "Amount";
        const AmountCheck check =
            CheckAmountText(QString::fromUtf8(c.typed), field, c.rule, QLocale::c());
        ASSERT_EQ(check.ok(), c.cents.has_value()) << c.typed;
        if (c.cents) {
            EXPECT_EQ(check.money->cents(), *c.cents) << c.typed;
        }
        EXPECT_EQ(check.message, c.message) << c.typed;
    }
}

TEST(AmountText, TheClerksLocaleDecidesPointAndGroups) {
    const QLocale german(QLocale::German);
    EXPECT_EQ(CheckAmountText("27.500,00", "Betrag", AmountRule::ZeroAllowed, german).money,
              data::Money::fromCents(2'750'000));
    EXPECT_EQ(CheckAmountText("1234,5", "Betrag", AmountRule::ZeroAllowed, german).money,
              data::Money::fromCents(123'450));
    const QLocale french(QLocale::French, QLocale::France);
    for (const char* typed : {"27 500,00", "27\u00a0500,00", "27\u202f500,00"}) {
        EXPECT_EQ(
            CheckAmountText(QString::fromUtf8(typed), "Montant", AmountRule::ZeroAllowed, french)
                .money,
            data::Money::fromCents(2'750'000))
            << typed;
    }
    const AmountCheck c = CheckAmountText("27500.00", "Betrag", AmountRule::ZeroAllowed, german);
    EXPECT_FALSE(c.ok());
    EXPECT_EQ(c.message, "Betrag: \"27500.00\" is not an amount; enter an amount from 0,00 to "
                         "999.999.999.999,99 with at most two decimals");
}

} // namespace
