// Cell values: the conversion tables in both directions and the platform's
// conversion errors, which leave the stored value alone.
#include <gtest/gtest.h>

#include "grid/cells.h"
#include "platform/errors.h"

using namespace grid;

namespace {

// Runs fn, expecting the conversion error with exactly this message.
template <typename Fn>
void ExpectConvertError(Fn fn, const QString& message) {
  try {
    fn();
    ADD_FAILURE() << "no error, expected " << message.toStdString();
  } catch (const platform::EConvertError& e) {
    EXPECT_EQ(e.Message(), message);
  }
}

class CellConversions : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings();
    FormatSettings().DecimalSeparator = QLatin1Char('.');
    FormatSettings().ShortDateFormat = QStringLiteral("dd.MM.yyyy");
    FormatSettings().LongTimeFormat = QStringLiteral("HH:mm:ss");
  }
  void TearDown() override { FormatSettings() = saved_; }
  TFormatSettings saved_;
};

}  // namespace

TEST_F(CellConversions, StringCellReadsItsTextAsEachKind) {
  TStringCell c(nullptr);
  c.SetAsString(QStringLiteral("12"));
  EXPECT_EQ(c.AsInteger(), 12);
  EXPECT_DOUBLE_EQ(c.AsFloat(), 12.0);
  EXPECT_TRUE(c.AsBoolean());  // a non-zero number
  c.SetAsString(QStringLiteral(" -2.5e1 "));
  EXPECT_DOUBLE_EQ(c.AsFloat(), -25.0);
  c.SetAsString(QStringLiteral("0"));
  EXPECT_FALSE(c.AsBoolean());
  c.SetAsString(QStringLiteral("tRUE"));
  EXPECT_TRUE(c.AsBoolean());
  c.SetAsString(QStringLiteral("FALSE"));
  EXPECT_FALSE(c.AsBoolean());
  c.SetAsString(QStringLiteral("$1F"));
  EXPECT_EQ(c.AsInteger(), 31);
  c.SetAsString(QStringLiteral("31.12.1899 12:00:00"));
  EXPECT_DOUBLE_EQ(c.AsDateTime(), 1.5);
  c.SetAsString(QStringLiteral("06:00:00"));
  EXPECT_DOUBLE_EQ(c.AsDateTime(), 0.25);
}

TEST_F(CellConversions, StringCellErrorsCarryThePlatformMessages) {
  TStringCell c(nullptr);
  ExpectConvertError([&] { c.AsInteger(); }, QStringLiteral("'' is not a valid integer value"));
  c.SetAsString(QStringLiteral("12a"));
  ExpectConvertError([&] { c.AsInteger(); }, QStringLiteral("'12a' is not a valid integer value"));
  ExpectConvertError([&] { c.AsFloat(); }, QStringLiteral("'12a' is not a valid floating point value"));
  ExpectConvertError([&] { c.AsDateTime(); }, QStringLiteral("'12a' is not a valid date and time"));
  ExpectConvertError([&] { c.AsBoolean(); }, QStringLiteral("'12a' is not a valid boolean value"));
  c.SetAsString(QStringLiteral("yes"));
  ExpectConvertError([&] { c.AsBoolean(); }, QStringLiteral("'yes' is not a valid boolean value"));
  c.SetAsString(QStringLiteral("2147483648"));
  EXPECT_THROW(c.AsInteger(), platform::EConvertError);
  c.SetAsString(QStringLiteral("."));
  EXPECT_THROW(c.AsFloat(), platform::EConvertError);
  c.SetAsString(QStringLiteral("32.01.2000"));
  EXPECT_THROW(c.AsDateTime(), platform::EConvertError);
}

TEST_F(CellConversions, StringCellWritesEachKindAsText) {
  TStringCell c(nullptr);
  c.SetAsBoolean(true);
  EXPECT_EQ(c.AsString(), QStringLiteral("True"));
  c.SetAsBoolean(false);
  EXPECT_EQ(c.AsString(), QStringLiteral("False"));
  c.SetAsInteger(-42);
  EXPECT_EQ(c.AsString(), QStringLiteral("-42"));
  c.SetAsFloat(2.5);
  EXPECT_EQ(c.AsString(), QStringLiteral("2.5"));
  c.SetAsFloat(1e20);
  EXPECT_EQ(c.AsString(), QStringLiteral("1E20"));
  c.SetAsFloat(0.1 + 0.2);  // fifteen significant digits
  EXPECT_EQ(c.AsString(), QStringLiteral("0.3"));
  c.SetAsDateTime(36526.75);
  EXPECT_EQ(c.AsString(), QStringLiteral("01.01.2000 18:00:00"));
  c.SetAsDateTime(36526.0);
  EXPECT_EQ(c.AsString(), QStringLiteral("01.01.2000"));
}

TEST_F(CellConversions, DecimalSeparatorFollowsTheSettings) {
  FormatSettings().DecimalSeparator = QLatin1Char(',');
  TStringCell c(nullptr);
  c.SetAsFloat(1.25);
  EXPECT_EQ(c.AsString(), QStringLiteral("1,25"));
  EXPECT_DOUBLE_EQ(c.AsFloat(), 1.25);
  c.SetAsString(QStringLiteral("1.25"));
  EXPECT_THROW(c.AsFloat(), platform::EConvertError);
}

TEST_F(CellConversions, BooleanCellTable) {
  TBooleanCell c(nullptr);
  EXPECT_FALSE(c.AsBoolean());
  EXPECT_EQ(c.AsString(), QStringLiteral("False"));
  c.SetAsString(QStringLiteral("TrUe"));
  EXPECT_TRUE(c.AsBoolean());
  EXPECT_EQ(c.AsString(), QStringLiteral("True"));
  EXPECT_EQ(c.AsInteger(), 0);
  EXPECT_DOUBLE_EQ(c.AsFloat(), 0);
  EXPECT_DOUBLE_EQ(c.AsDateTime(), 0);
  c.SetAsString(QStringLiteral("yes"));
  EXPECT_FALSE(c.AsBoolean());
  c.SetAsInteger(3);
  EXPECT_TRUE(c.AsBoolean());
  c.SetAsInteger(-3);
  EXPECT_FALSE(c.AsBoolean());
  c.SetAsFloat(0.5);
  EXPECT_TRUE(c.AsBoolean());
  c.SetAsDateTime(5);
  EXPECT_FALSE(c.AsBoolean());
}

TEST_F(CellConversions, NumericCellTables) {
  TIntegerCell i(nullptr);
  i.SetAsFloat(2.5);
  EXPECT_EQ(i.AsInteger(), 2);  // halves to even
  i.SetAsFloat(3.5);
  EXPECT_EQ(i.AsInteger(), 4);
  i.SetAsString(QStringLiteral("17"));
  EXPECT_EQ(i.AsString(), QStringLiteral("17"));
  EXPECT_DOUBLE_EQ(i.AsFloat(), 17);
  EXPECT_FALSE(i.AsBoolean());
  EXPECT_DOUBLE_EQ(i.AsDateTime(), 0);
  i.SetAsDateTime(5);
  EXPECT_EQ(i.AsInteger(), 0);
  i.SetAsInteger(9);
  i.SetAsBoolean(true);
  EXPECT_EQ(i.AsInteger(), 0);

  TFloatCell f(nullptr);
  f.SetAsString(QStringLiteral("-0.5"));
  EXPECT_DOUBLE_EQ(f.AsFloat(), -0.5);
  EXPECT_EQ(f.AsInteger(), 0);
  EXPECT_EQ(f.AsString(), QStringLiteral("-0.5"));
  EXPECT_DOUBLE_EQ(f.AsDateTime(), -0.5);
  f.SetAsInteger(7);
  EXPECT_DOUBLE_EQ(f.AsFloat(), 7);
  f.SetAsBoolean(true);
  EXPECT_DOUBLE_EQ(f.AsFloat(), 0);

  TDateTimeCell d(nullptr);
  d.SetAsString(QStringLiteral("02.01.1900"));
  EXPECT_DOUBLE_EQ(d.AsDateTime(), 3);
  EXPECT_EQ(d.AsInteger(), 3);
  EXPECT_FALSE(d.AsBoolean());
  d.SetAsBoolean(false);  // today, at midnight
  EXPECT_DOUBLE_EQ(d.AsDateTime(), Today());
}

TEST_F(CellConversions, FailedWritesKeepTheValueAndReportNothing) {
  TIntegerCell i(nullptr);
  i.SetAsInteger(5);
  ExpectConvertError([&] { i.SetAsString(QStringLiteral("x")); }, QStringLiteral("'x' is not a valid integer value"));
  EXPECT_EQ(i.AsInteger(), 5);
  // A float beyond 32 bits is refused rather than wrapped.
  EXPECT_THROW(i.SetAsFloat(3e9), platform::EConvertError);
  EXPECT_EQ(i.AsInteger(), 5);

  TFloatCell f(nullptr);
  f.SetAsFloat(1.5);
  ExpectConvertError([&] { f.SetAsString(QStringLiteral("1,5x")); },
                     QStringLiteral("'1,5x' is not a valid floating point value"));
  EXPECT_DOUBLE_EQ(f.AsFloat(), 1.5);
  f.SetAsFloat(1e12);
  EXPECT_THROW(f.AsInteger(), platform::EConvertError);

  TDateTimeCell d(nullptr);
  d.SetAsDateTime(2);
  ExpectConvertError([&] { d.SetAsString(QStringLiteral("dün")); },
                     QStringLiteral("'dün' is not a valid date and time"));
  EXPECT_DOUBLE_EQ(d.AsDateTime(), 2);
}

TEST_F(CellConversions, TextOutsideTheCodePageIsReadAfterNarrowing) {
  TStringCell c(nullptr);
  c.SetAsString(QStringLiteral("1\u4E2D"));  // a character the Turkish code page lacks
  EXPECT_EQ(c.AsString(), QStringLiteral("1\u4E2D"));  // the cell keeps the wide text
  ExpectConvertError([&] { c.AsInteger(); }, QStringLiteral("'1?' is not a valid integer value"));
}
