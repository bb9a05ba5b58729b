#pragma once

#include "jobchange/letterreads.h"
#include "report/reportfile.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace letters {

// Where the letters go: all into one PDF file, or one PDF per job change into a folder.
struct LetterOutput {
    enum class Kind { File, Folder };
    Kind kind = Kind::File;
    QString path;
};

struct LettersWritten {
    int letters = 0;
    QStringList files;     // in the order written
    QStringList cancelled; // the numbers of the cancelled job changes left out
};

// Writes the letters of the job changes, in the order given, from the template, each starting
// on a new page. Cancelled job changes get none and are named in the result; when no letter is
// left, nothing is written. One file is written whole or not at all; in a folder each letter's
// file is, and a failure says how many were written before it. Raises data::DbError.
LettersWritten writeLetters(const jobchange::LetterReads& reads, const std::vector<qint32>& ids,
                            const report::ReportFile& letterTemplate, const LetterOutput& output,
                            const QDate& letterDate);

// The file name of a letter in a folder: the employee number and the job change number joined
// by "_", each character other than ASCII letters, digits, "-" and "_" replaced by "_".
QString letterFileName(const QString& employeeNo, const QString& number);

// What the clerk is told: the letters written, and the cancelled job changes left out.
QString lettersSummary(const LettersWritten& written, const LetterOutput& output);

// A range of job change numbers as a clerk writes it: "JC421-JC494", "JC421-494" or one number
// "JC39"; the prefix is what comes before the running number's digits. Nothing when the text is
// not one.
std::optional<jobchange::NumberRange> parseNumberRange(const QString& text);

} // namespace letters
