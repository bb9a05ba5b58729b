#include "component/clsgrade.h"

#include "component/basgrade.h"

namespace {

std::function<void()>& registerOpener() {
    static std::function<void()> opener;
    return opener;
}

} // namespace

void setRegisterOpener(std::function<void()> opener) {
    registerOpener() = std::move(opener);
}

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

    if (!registerOpener())
        throw data::DbError(data::kErrCannotCreateObject, QStringLiteral("clsGrade"),
                            QStringLiteral("The register window is not available."));
    registerOpener()();
}

namespace Quorvel {

std::unique_ptr<QObject> CreateObject(const QString& progId) {
    if (progId.compare(QLatin1String("Quorvel.clsGrade"), Qt::CaseInsensitive) == 0)
        return std::make_unique<clsGrade>();
    return nullptr;
}

} // namespace Quorvel
