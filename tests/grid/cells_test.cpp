// Cell values: the conversion tables in both directions and the platform's
// conversion errors, which leave the stored value alone.
#include <gtest/gtest.h>

#include "grid/cells.h"
#include "model_helpers.h"
#include "platform/errors.h"

using namespace grid;
using gridtest::ExpectError;
using platform::EConvertError;

namespace {

// Writes through the setter of the value's type and hands the cell back, so
// one line reads one row of a conversion table. Dates go through Date().
TCell& Set(TCell& c, const char* v) {
  c.SetAsString(QString::fromUtf8(v));
  return c;
}
TCell& Set(TCell& c, bool v) {
  c.SetAsBoolean(v);
  return c;
}
TCell& Set(TCell& c, int v) {
  c.SetAsInteger(v);
  return c;
}
TCell& Set(TCell& c, double v) {
  c.SetAsFloat(v);
  return c;
}
TCell& Date(TCell& c, TDateTime v) {
  c.SetAsDateTime(v);
  return c;
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
  EXPECT_EQ(Set(c, "12").AsInteger(), 12);
  EXPECT_DOUBLE_EQ(c.AsFloat(), 12.0);
  EXPECT_TRUE(c.AsBoolean());  // a non-zero number
  EXPECT_DOUBLE_EQ(Set(c, " -2.5e1 ").AsFloat(), -25.0);
  EXPECT_FALSE(Set(c, "0").AsBoolean());
  EXPECT_TRUE(Set(c, "tRUE").AsBoolean());
  EXPECT_FALSE(Set(c, "FALSE").AsBoolean());
  EXPECT_EQ(Set(c, "$1F").AsInteger(), 31);
  EXPECT_DOUBLE_EQ(Set(c, "31.12.1899 12:00:00").AsDateTime(), 1.5);
  EXPECT_DOUBLE_EQ(Set(c, "06:00:00").AsDateTime(), 0.25);
}

TEST_F(CellConversions, StringCellErrorsCarryThePlatformMessages) {
  TStringCell c(nullptr);
  ExpectError<EConvertError>([&] { c.AsInteger(); }, QStringLiteral("'' is not a valid integer value"));
  Set(c, "12a");
  ExpectError<EConvertError>([&] { c.AsInteger(); }, QStringLiteral("'12a' is not a valid integer value"));
  ExpectError<EConvertError>([&] { c.AsFloat(); }, QStringLiteral("'12a' is not a valid floating point value"));
  ExpectError<EConvertError>([&] { c.AsDateTime(); }, QStringLiteral("'12a' is not a valid date and time"));
  ExpectError<EConvertError>([&] { c.AsBoolean(); }, QStringLiteral("'12a' is not a valid boolean value"));
  ExpectError<EConvertError>([&] { Set(c, "yes").AsBoolean(); }, QStringLiteral("'yes' is not a valid boolean value"));
  EXPECT_THROW(Set(c, "2147483648").AsInteger(), platform::EConvertError);
  EXPECT_THROW(Set(c, ".").AsFloat(), platform::EConvertError);
  EXPECT_THROW(Set(c, "32.01.2000").AsDateTime(), platform::EConvertError);
}

TEST_F(CellConversions, StringCellWritesEachKindAsText) {
  TStringCell c(nullptr);
  EXPECT_EQ(Set(c, true).AsString(), QStringLiteral("True"));
  EXPECT_EQ(Set(c, false).AsString(), QStringLiteral("False"));
  EXPECT_EQ(Set(c, -42).AsString(), QStringLiteral("-42"));
  EXPECT_EQ(Set(c, 2.5).AsString(), QStringLiteral("2.5"));
  EXPECT_EQ(Set(c, 1e20).AsString(), QStringLiteral("1E20"));
  EXPECT_EQ(Set(c, 0.1 + 0.2).AsString(), QStringLiteral("0.3"));  // fifteen significant digits
  EXPECT_EQ(Date(c, 36526.75).AsString(), QStringLiteral("01.01.2000 18:00:00"));
  EXPECT_EQ(Date(c, 36526.0).AsString(), QStringLiteral("01.01.2000"));
  // Rounded to the millisecond, a moment before midnight is the next day's
  // midnight: the carry goes into the date, and a zero time is not shown.
  EXPECT_EQ(Date(c, 36526.9999999999).AsString(), QStringLiteral("02.01.2000"));
  EXPECT_EQ(Date(c, 36526.99999).AsString(), QStringLiteral("01.01.2000 23:59:59"));
  EXPECT_EQ(Date(c, -1.9999999999).AsString(), QStringLiteral("28.12.1899"));
}

TEST_F(CellConversions, DecimalSeparatorFollowsTheSettings) {
  FormatSettings().DecimalSeparator = QLatin1Char(',');
  TStringCell c(nullptr);
  EXPECT_EQ(Set(c, 1.25).AsString(), QStringLiteral("1,25"));
  EXPECT_DOUBLE_EQ(c.AsFloat(), 1.25);
  EXPECT_THROW(Set(c, "1.25").AsFloat(), platform::EConvertError);
}

TEST_F(CellConversions, BooleanCellTable) {
  TBooleanCell c(nullptr);
  EXPECT_FALSE(c.AsBoolean());
  EXPECT_EQ(c.AsString(), QStringLiteral("False"));
  EXPECT_TRUE(Set(c, "TrUe").AsBoolean());
  EXPECT_EQ(c.AsString(), QStringLiteral("True"));
  EXPECT_EQ(c.AsInteger(), 0);
  EXPECT_DOUBLE_EQ(c.AsFloat(), 0);
  EXPECT_DOUBLE_EQ(c.AsDateTime(), 0);
  EXPECT_FALSE(Set(c, "yes").AsBoolean());
  EXPECT_TRUE(Set(c, 3).AsBoolean());
  EXPECT_FALSE(Set(c, -3).AsBoolean());
  EXPECT_TRUE(Set(c, 0.5).AsBoolean());
  EXPECT_FALSE(Date(c, 5).AsBoolean());
}

TEST_F(CellConversions, NumericCellTables) {
  TIntegerCell i(nullptr);
  EXPECT_EQ(Set(i, 2.5).AsInteger(), 2);  // halves to even
  EXPECT_EQ(Set(i, 3.5).AsInteger(), 4);
  EXPECT_EQ(Set(i, "17").AsString(), QStringLiteral("17"));
  EXPECT_DOUBLE_EQ(i.AsFloat(), 17);
  EXPECT_FALSE(i.AsBoolean());
  EXPECT_DOUBLE_EQ(i.AsDateTime(), 0);
  EXPECT_EQ(Date(i, 5).AsInteger(), 0);
  Set(i, 9);
  EXPECT_EQ(Set(i, true).AsInteger(), 0);

  TFloatCell f(nullptr);
  EXPECT_DOUBLE_EQ(Set(f, "-0.5").AsFloat(), -0.5);
  EXPECT_EQ(f.AsInteger(), 0);
  EXPECT_EQ(f.AsString(), QStringLiteral("-0.5"));
  EXPECT_DOUBLE_EQ(f.AsDateTime(), -0.5);
  EXPECT_DOUBLE_EQ(Set(f, 7).AsFloat(), 7);
  EXPECT_DOUBLE_EQ(Set(f, true).AsFloat(), 0);

  TDateTimeCell d(nullptr);
  EXPECT_DOUBLE_EQ(Set(d, "02.01.1900").AsDateTime(), 3);
  EXPECT_EQ(d.AsInteger(), 3);
  EXPECT_FALSE(d.AsBoolean());
  // Today, at midnight: whichever day it was around the write.
  const TDateTime before = Today();
  const TDateTime value = Set(d, false).AsDateTime();
  EXPECT_TRUE(value == before || value == Today()) << value;
}

TEST_F(CellConversions, FailedWritesKeepTheValueAndReportNothing) {
  TIntegerCell i(nullptr);
  Set(i, 5);
  ExpectError<EConvertError>([&] { Set(i, "x"); }, QStringLiteral("'x' is not a valid integer value"));
  EXPECT_EQ(i.AsInteger(), 5);
  // A float beyond 32 bits is refused rather than wrapped.
  EXPECT_THROW(Set(i, 3e9), platform::EConvertError);
  EXPECT_EQ(i.AsInteger(), 5);

  TFloatCell f(nullptr);
  Set(f, 1.5);
  ExpectError<EConvertError>([&] { Set(f, "1,5x"); }, QStringLiteral("'1,5x' is not a valid floating point value"));
  EXPECT_DOUBLE_EQ(f.AsFloat(), 1.5);
  EXPECT_THROW(Set(f, 1e12).AsInteger(), platform::EConvertError);

  TDateTimeCell d(nullptr);
  Date(d, 2);
  ExpectError<EConvertError>([&] { Set(d, "dün"); }, QStringLiteral("'dün' is not a valid date and time"));
  EXPECT_DOUBLE_EQ(d.AsDateTime(), 2);
}

TEST_F(CellConversions, TextOutsideTheCodePageIsReadAfterNarrowing) {
  TStringCell c(nullptr);
  EXPECT_EQ(Set(c, "1\u4E2D").AsString(), QStringLiteral("1\u4E2D"));  // a character the Turkish code page lacks
  ExpectError<EConvertError>([&] { c.AsInteger(); }, QStringLiteral("'1?' is not a valid integer value"));
}
