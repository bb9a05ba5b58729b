#include "component/basgrade.h"

CallerContext& BasGrade() {
    static CallerContext context;
    return context;
}

data::Connection& adocon() {
    CallerContext& context = BasGrade();
    if (!context.adocon)
        context.adocon = std::make_shared<data::Connection>();
    return *context.adocon;
}

QString company() {
    return QString::number(BasGrade().intCompanyID);
}

ui::MsgAnswer MsgBox(const QString& text, ui::MsgIcon icon, ui::MsgButtons buttons) {
    return ui::message(BasGrade().MsgboxTitle, text, icon, buttons);
}
