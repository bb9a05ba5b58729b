#pragma once

#include <QDate>
#include <QDialog>
#include <QString>
#include <memory>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class clsCommonDB;
class clsCommonGen;

namespace data {
class Dialect;
struct ResolvedTableNames;
} // namespace data
namespace ui {
class FlexGrid;
}
namespace report {
class ReportControl;
}

// The register: the company's job changes in a grid, and the start of every other action.
// Its handlers live in several files: the window and grid (frmmaster.cpp), search and sort
// (frmmaster_search.cpp), New and Edit (frmmaster_edit.cpp), Delete (frmmaster_delete.cpp)
// and Preview (frmmaster_preview.cpp).
class FrmMaster : public QDialog {
    Q_OBJECT
public:
    explicit FrmMaster(QWidget* parent = nullptr);
    ~FrmMaster() override;

    // The load; an error here ends it and reaches the caller of Show.
    void Form_Load();
    // Resets Edit and Delete for the current row. Runs when the window becomes active, and
    // every handler that opens a modal window through ui::showModal calls it once that window
    // has returned (a window driven by a test never activates the register).
    void Form_Activate();

    void GridPopulate(const QString& strSql, const QString& strTableMain,
                      const QString& strTableRelation = {});
    void UserRights();
    bool fnUserRights(QString& letter);
    bool fnUserRights(const QString& letter) {
        QString copy = letter;
        return fnUserRights(copy);
    }
    // Edit and Delete for the current row (the grid's current-cell change).
    void SelectionRule();

    void cmdnew_Click();
    void CmdEdit_Click();
    void CmdDelete_Click();
    void cmPreview_Click();
    void CmdClose_Click();
    void cboColNames_Click();
    void GridSearch();
    void AllowancePopulate(qint32 id);
    void DeductionPopulate(qint32 id);
    bool fnDeleteAllowed();

    QString strRights;

    ui::FlexGrid* flexMaster = nullptr;
    QGroupBox* fraBrowse = nullptr;
    QRadioButton* optAscend = nullptr;
    QRadioButton* optDescend = nullptr;
    QComboBox* cboColNames = nullptr;
    QLabel* lblsearch = nullptr;
    QComboBox* cboSearch = nullptr;
    QLineEdit* txtsearch = nullptr;
    QPushButton* cmdnew = nullptr;
    QPushButton* CmdEdit = nullptr;
    QPushButton* CmdDelete = nullptr;
    QPushButton* cmPreview = nullptr;
    QPushButton* CmdClose = nullptr;
    std::unique_ptr<report::ReportControl> cRptGradeChange;

    std::unique_ptr<clsCommonGen> commonGen;
    std::unique_ptr<clsCommonDB> commonDB;

protected:
    bool event(QEvent* event) override;

private:
    // Runs a button or grid handler, showing a database error instead of letting it escape.
    void Reported(void (FrmMaster::*handler)());
    void buildControls();
    void connectGridEvents();
    void ResolveTableNames();
    // widths: per query column, the longest text seen, in characters.
    void GridHeaderPopulate(const QString& strTableMain, std::vector<qint64>& widths);
    void GridMarkCancelled();
    void setupSearchAndSort();
};

// The register query of a company (strSql before its date filter), in a server's dialect.
QString RegisterQuery(const data::Dialect& dialect, const data::ResolvedTableNames& tables,
                      qint16 companyId);
// The date filter appended to it: job changes dated on or after the cut-off day.
QString RegisterDateFilter(const data::Dialect& dialect, const QDate& cutoff);
