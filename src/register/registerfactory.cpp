#include "component/basgrade.h"
#include "component/clsgrade.h"
#include "register/frmmaster.h"
#include "report/reportcontrol.h"
#include "reportwindow/previewwindow.h"
#include "ui/modal.h"
#include "ui/waitcursor.h"

// The register joins the component as the library loads: clsGrade::Show opens it through the
// opener, and the reports it opens read the caller context's connection and message title and
// show in the preview window.
namespace {

[[maybe_unused]] const bool joined = [] {
    setRegisterOpener([] {
        FrmMaster register_;
        register_.Form_Load();
        ui::showModal(register_);
    });
    report::setDefaultReportHost({[]() -> data::Connection& { return adocon(); },
                                  [] { return BasGrade().MsgboxTitle; }, report::showPreviewWindow,
                                  [](const std::function<void()>& work) {
                                      const ui::WaitCursor wait;
                                      work();
                                  }});
    return true;
}();

} // namespace
