#pragma once

namespace report {

class RenderedReport;
class ReportControl;

// The preview window: the report titled with the control's title, with print, page set-up, zoom
// and export to PDF; shown modally.
void showPreviewWindow(const RenderedReport& report, const ReportControl& control);

} // namespace report
