#include "export/tablewriters_p.h"

#include <algorithm>
#include <clocale>
#include <xlsxwriter.h>

namespace tableexport::detail {
namespace {

// libxlsxwriter prints numbers with the C library, which follows LC_NUMERIC: a decimal comma
// would spoil the workbook's XML.
class CNumericLocale {
public:
    CNumericLocale() {
        if (const char* current = std::setlocale(LC_NUMERIC, nullptr))
            saved_ = current;
        std::setlocale(LC_NUMERIC, "C");
    }
    ~CNumericLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    CNumericLocale(const CNumericLocale&) = delete;
    CNumericLocale& operator=(const CNumericLocale&) = delete;

private:
    std::string saved_ = "C";
};

// Column widths in characters, wide enough for the longest value up to a limit.
constexpr int kMinWidth = 8;
constexpr int kMaxWidth = 60;
constexpr int kDateChars = 11; // "30 Nov 2026"

// One worksheet, written row by row in constant memory (libxlsxwriter keeps the rows in files of
// its own) to the owner-only temporary file, which is put in place when finished.
class XlsxTableWriter : public TableWriter {
public:
    XlsxTableWriter(const QString& path, const QStringList& titles,
                    std::vector<ExportColumnKind> kinds)
        : target_(path), kinds_(std::move(kinds)), widths_(kinds_.size(), 0),
          fileName_(QFile::encodeName(target_.temporaryPath())) {
        lxw_workbook_options options{};
        options.constant_memory = LXW_TRUE;
        workbook_.reset(workbook_new_opt(fileName_.constData(), &options));
        if (workbook_)
            sheet_ = workbook_add_worksheet(workbook_.get(), nullptr);
        if (!sheet_)
            target_.fail(QStringLiteral("the workbook could not be started"));

        bold_ = workbook_add_format(workbook_.get());
        format_set_bold(bold_);
        whole_ = numberFormat("0");
        amount_ = numberFormat("0.00");
        date_ = numberFormat("d mmm yyyy");
        yesNo_ = numberFormat("\"Yes\";\"Yes\";\"No\"");

        for (int c = 0; c < titles.size(); ++c) {
            check(worksheet_write_string(sheet_, 0, static_cast<lxw_col_t>(c),
                                         titles[c].toUtf8().constData(), bold_));
            // Bold needs a little more room.
            widen(static_cast<size_t>(c), static_cast<int>(titles[c].size()) + 1);
        }
        worksheet_freeze_panes(sheet_, 1, 0);
    }

    void addRow(const ExportRow& row) override {
        checkRow(row, kinds_);
        ++row_;
        for (size_t c = 0; c < row.size(); ++c)
            writeCell(static_cast<lxw_col_t>(c), row[c]);
    }

    void finish() override {
        for (size_t c = 0; c < widths_.size(); ++c)
            check(worksheet_set_column(sheet_, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                       std::clamp(widths_[c] + 2, kMinWidth, kMaxWidth), nullptr));
        // Closing writes the workbook and frees it, whatever the outcome.
        check(workbook_close(workbook_.release()));
        target_.commit();
    }

private:
    lxw_format* numberFormat(const char* code) {
        lxw_format* format = workbook_add_format(workbook_.get());
        format_set_num_format(format, code);
        return format;
    }

    void check(lxw_error error) {
        if (error != LXW_NO_ERROR)
            target_.fail(QString::fromUtf8(lxw_strerror(error)));
    }

    void widen(size_t col, int chars) { widths_[col] = std::max(widths_[col], chars); }

    void writeCell(lxw_col_t col, const ExportCell& cell) {
        const auto number = [&](double value, lxw_format* format, int chars) {
            check(worksheet_write_number(sheet_, row_, col, value, format));
            widen(col, chars);
        };
        if (const auto* value = std::get_if<QString>(&cell)) {
            if (value->isEmpty())
                return;
            check(worksheet_write_string(sheet_, row_, col, value->toUtf8().constData(), nullptr));
            widen(col, static_cast<int>(value->size()));
        } else if (const auto* value = std::get_if<qint64>(&cell)) {
            number(static_cast<double>(*value), whole_,
                   static_cast<int>(QString::number(*value).size()));
        } else if (const auto* value = std::get_if<Cents>(&cell)) {
            number(static_cast<double>(value->value) / 100.0, amount_,
                   static_cast<int>(amountText(*value).size()));
        } else if (const auto* value = std::get_if<QDate>(&cell)) {
            if (!value->isValid())
                return;
            if (value->year() < 1900) {
                // Before the first day a worksheet date can hold.
                check(worksheet_write_string(
                    sheet_, row_, col, value->toString(Qt::ISODate).toUtf8().constData(), nullptr));
                widen(col, kDateChars);
                return;
            }
            lxw_datetime when{};
            when.year = value->year();
            when.month = value->month();
            when.day = value->day();
            check(worksheet_write_datetime(sheet_, row_, col, &when, date_));
            widen(col, kDateChars);
        } else if (const auto* value = std::get_if<bool>(&cell)) {
            number(*value ? 1 : 0, yesNo_, 3);
        }
    }

    OwnerOnlyFile target_;
    std::vector<ExportColumnKind> kinds_;
    std::vector<int> widths_;
    QByteArray fileName_;
    CNumericLocale numericLocale_;
    struct WorkbookFree {
        void operator()(lxw_workbook* workbook) const { lxw_workbook_free(workbook); }
    };
    // Freed unwritten when the writer is dropped before finish().
    std::unique_ptr<lxw_workbook, WorkbookFree> workbook_;
    lxw_worksheet* sheet_ = nullptr;
    lxw_format* bold_ = nullptr;
    lxw_format* whole_ = nullptr;
    lxw_format* amount_ = nullptr;
    lxw_format* date_ = nullptr;
    lxw_format* yesNo_ = nullptr;
    lxw_row_t row_ = 0;
};

} // namespace

std::unique_ptr<TableWriter> openXlsx(const QString& path, const QStringList& titles,
                                      const std::vector<ExportColumnKind>& kinds) {
    return std::make_unique<XlsxTableWriter>(path, titles, kinds);
}

} // namespace tableexport::detail
