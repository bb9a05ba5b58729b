#include "component/basgrade.h"
#include "component/clsgrade.h"
#include "register/frmmaster.h"
#include "report/reportcontrol.h"
#include "ui/modal.h"

// The register joins the component as the library loads: clsGrade::Show opens it through the
// opener, and the reports it opens read the caller context's connection and message title.
namespace {

[[maybe_unused]] const bool joined = [] {
    setRegisterOpener([] {
        FrmMaster register_;
        register_.Form_Load();
        ui::showModal(register_);
    });
    report::setDefaultReportHost(
        {[]() -> data::Connection& { return adocon(); }, [] { return BasGrade().MsgboxTitle; }});
    return true;
}();

} // namespace
