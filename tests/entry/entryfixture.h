#pragma once

// The entry window's test company and helpers (the reliability tests use them too).

#include "entry/frmgrade.h"
#include "register/frmmaster.h"
#include "shared/revisionlist.h"
#include "support/check.h"
#include "support/company.h"
#include "support/context.h"
#include "support/scripted.h"
#include "support/testdb.h"
#include "support/widgets.h"
#include "support/workspace.h"
#include "ui/flexgrid.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

// The test company (see insertTestCompany), with the caller context pointed at it.
class EntryData {
public:
    explicit EntryData(const TestDatabase& db) : db_(db) {
        insertTestCompany(db);
        useContext(db, 1, 1, QDate(2003, 2, 14));
    }

    // A job change header (Clerk to Officer unless said otherwise).
    void jobChange(int id, const QString& number, const QString& isoDate, int employee,
                   bool cancelled = false, int newDesig = 2, int newGrade = 2) const {
        db_.insert("pEmployeegradeChange",
                   {QStringLiteral(
                        "%1, 1, '%2', '%3', %4, 1, 1, 20000, %5, %6, 25000, 'Promoted', %7, null")
                        .arg(QString::number(id), number, isoDate, QString::number(employee),
                             QString::number(newDesig), QString::number(newGrade),
                             QString::number(cancelled))});
    }

private:
    const TestDatabase& db_;
};

// A freshly loaded entry window for a new job change.
inline std::unique_ptr<frmGrade> openNew() {
    auto form = std::make_unique<frmGrade>(contextWorkspace());
    form->loadNew();
    return form;
}

// Picks the employee whose entry starts with the name, as a click would.
inline void pick(frmGrade& form, const QString& name) {
    const int index = form.cboEmployee->findText(name, Qt::MatchStartsWith);
    ASSERT_GE(index, 0) << name;
    form.cboEmployee->setCurrentIndex(index);
}

// Rows as "serial|description|revised|type id|letter|old|currency|checked"; serials must run 1
// to n.
inline QStringList rows(const QTreeWidget* list) {
    QStringList all;
    for (int i = 0; i < list->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = list->topLevelItem(i);
        EXPECT_EQ(item->text(0), QString::number(i + 1));
        all << itemText(item, {0, 1, 2, 3, 4, 5, 6}) + '|' +
                   (item->checkState(0) == Qt::Checked ? "checked" : "unchecked");
    }
    return all;
}

inline QTreeWidgetItem* rowOf(const QTreeWidget* list, const QString& description) {
    const auto found = list->findItems(description, Qt::MatchExactly, revcol::Description);
    EXPECT_EQ(found.size(), 1) << description;
    return found.value(0);
}

// The register over the entry data; New and Edit hand the window they open to the step.
class RegisterDriven : public ::testing::Test {
protected:
    using Step = std::function<void(frmGrade&)>;

    void SetUp() override { reloadRegister(); }

    void reloadRegister() {
        master.reset();
        master = std::make_unique<FrmMaster>();
        master->Form_Load();
    }

    void newJobChange(const Step& step) {
        modal.thenOn<frmGrade>(step);
        master->cmdnew_Click();
    }

    void editJobChange(const QString& number, const Step& step) {
        const int row = gridRow(*master->flexMaster, 1, number);
        ASSERT_LT(row, master->flexMaster->rows()) << number;
        master->flexMaster->selectRowAcross(row);
        const qsizetype before = modal.shown.size();
        modal.thenOn<frmGrade>(step);
        master->CmdEdit_Click();
        ASSERT_EQ(modal.shown.size(), before + 1) << "the entry window was not opened";
    }

    // Asha to Officer at 1500.50, House Rent raised to 5500, Conveyance dropped, Medical added.
    static void ashaPromoted(frmGrade& form) {
        pick(form, "Asha");
        form.cboNewgrade->setCurrentIndex(form.cboNewgrade->findData(2));
        form.txtNewbasic->setText(QStringLiteral("1500.50"));
        form.txtRemarks->setText(QStringLiteral("Promoted"));
        rowOf(form.lvwAllow, "House Rent")->setText(revcol::RevisedAmount, "5500.00");
        rowOf(form.lvwAllow, "Conveyance")->setCheckState(0, Qt::Unchecked);
        addRevisionRow(form.lvwAllow, "Medical", "300.00", "3", "N", "0.00", "US Dollar", true);
    }

    TestDatabase db;
    EntryData data{db};
    ScriptedMessages messages;
    ScriptedModal modal;
    std::unique_ptr<FrmMaster> master;
};
