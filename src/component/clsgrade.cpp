#include "component/clsgrade.h"

#include "component/basgrade.h"
#include "register/frmmaster.h"
#include "ui/modal.h"

data::ConnectionPtr clsGrade::adocon() {
    if (!adocon_)
        adocon_ = std::make_shared<data::Connection>();
    return adocon_;
}

void clsGrade::Show() {
    CallerContext& context = BasGrade();
    context.intUserID = intUserID;
    context.intCompanyID = intCompanyID;
    context.Intinterfaceid = Intinterfaceid;
    context.MsgboxTitle = MsgboxTitle;
    context.adocon = adocon();
    context.ProcessDate = ProcessDate;

    FrmMaster register_;
    register_.Form_Load();
    ui::showModal(register_);
}

namespace Quorvel {

std::unique_ptr<QObject> CreateObject(const QString& progId) {
    if (progId.compare(QLatin1String("Quorvel.clsGrade"), Qt::CaseInsensitive) == 0)
        return std::make_unique<clsGrade>();
    return nullptr;
}

} // namespace Quorvel
