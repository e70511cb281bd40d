// Field types read from a column's declared type, and the conversion of a
// text value into a field of that type.
//
// The recordset sets every field from text and converts it at that moment,
// so a value the column cannot take fails when the field is set, not when
// the row is stored. The declared type is the one in the database's own
// schema. It is read with SQLite's affinity rules, in this order:
//   contains "INT"                   -> Integer: "TINYINT" 0..255,
//                                        "SMALLINT" 16 bits, "BIGINT"
//                                        64 bits, any other 32 bits
//   contains "CHAR", "CLOB", "TEXT"  -> Text, with "(n)" as its longest
//                                        length in characters, else unlimited
//   contains "DATE" or "TIME"        -> Date
//   contains "REAL", "FLOA", "DOUB", "NUM", "DEC"
//                                    -> Real
//   anything else, or no type        -> Untyped: the text is stored as it is
// Letter case does not matter.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

namespace platform::database {

enum class FieldKind { Integer, Real, Date, Text, Untyped };

struct FieldType {
  FieldKind kind = FieldKind::Untyped;
  std::int64_t minimum = 0;   // Integer only
  std::int64_t maximum = 0;   // Integer only
  std::size_t maxLength = 0;  // Text only; 0 means no limit
};

// An integer, a real number or a text, ready to be bound to a statement.
using FieldValue = std::variant<std::int64_t, double, std::u16string>;

FieldType fieldTypeFromDeclaration(std::string_view declared);

// Converts `text` for a field of `type` named `field`:
//   Integer: an optional sign and decimal digits, nothing else, in range;
//   Real:    a decimal number with optional fraction and exponent;
//   Date:    "Y-M-D", "Y/M/D", either followed by " h:m" or " h:m:s" (or
//            "T" for the blank), or "h:m[:s]" alone; a valid calendar day
//            and time; stored as "YYYY-MM-DD", "YYYY-MM-DD hh:mm:ss" or
//            "hh:mm:ss";
//   Text:    at most maxLength characters (code points);
//   Untyped: any text.
// Throws CDaoException (DaoErrorKind::Conversion) with a description that
// names the field, when the text does not fit.
FieldValue convertFieldText(const FieldType& type, std::u16string_view field,
                            std::u16string_view text);

}  // namespace platform::database
