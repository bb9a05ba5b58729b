#pragma once

#include "bulk/rules.h"
#include "bulk/snapshot.h"
#include "data/messageerror.h"

namespace bulk {

// A bulk revision as a file gives it, for a run without a window:
//
//   [employees]            who: every key optional
//   designation = 12       designation id
//   grade = 3              grade id
//   currency = USD
//   search = smith         part of the name or the number
//
//   [change]               what
//   date = 2027-01-01      the job date (required)
//   remarks = Annual increment
//   basic = +5%            unchanged, +5%, -2.5%, +1000 or =25000 (default unchanged)
//   rounding = 1           0.01, 1, 10 or 100: where percents land (default 0.01)
//   designation = 14       one new designation for everyone (default: each keeps theirs)
//
//   [line]                 one section per line rule, as many as needed
//   kind = allowance       allowance or deduction
//   type = 2               the allowance or deduction type id
//   change = +1000         +5%, -2.5%, +1000, =1500 or drop
//   add_where_missing = no yes: employees without the line get it (only with =amount)
//
// Lines starting with # or ; are comments. Amounts may carry group separators ("1,000.00").
struct BulkSettings {
    Filters filters;
    Rules rules;
};

// What is wrong with the file, naming the line and the key.
class SettingsError : public MessageError {
public:
    using MessageError::MessageError;
};

// A settings file is a page of text: anything larger, or anything that is not a regular file
// (a device, a pipe), is refused before it is read.
inline constexpr qint64 kMaxSettingsFileBytes = 1 << 20;

BulkSettings parseBulkSettings(const QString& text);
// The file's text parsed; errors name the file.
BulkSettings readBulkSettings(const QString& path);

} // namespace bulk
