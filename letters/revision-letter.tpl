# The revision letter: one letter per job change, stating the old and new job, basic pay,
# allowances and deductions.
#
# Copy this file, put your company's name, address and signatory in place of Meridian Textiles'
# below, change the wording as you like, and give the copy to the Letters window or to
# quorvel-host --template FILE. Lines starting with # are comments.
#
# Sections: [report] the page (paper A4, A5, letter or legal; orientation portrait or landscape;
# margins left top right bottom in millimetres), [layout] the letter and [footer] the foot of
# every page. Both are mustache templates (https://mustache.github.io) producing the HTML that
# Qt's rich text understands. The program gives these values; a name it does not give is
# refused with a message naming it. Amounts are grouped with two decimals (27,500.00), dates
# written out (1 January 2027), and what is absent is empty, so {{#name}}...{{/name}} shows
# only when there is one and {{^name}}...{{/name}} only when there is none.
#
#   {{date}}                the date the letter is written
#   {{employee_name}}  {{employee_no}}
#   {{job_change_no}}  {{job_date}}                      the job change and the date it is from
#   {{old_designation}}  {{old_grade}}  {{new_designation}}  {{new_grade}}
#   {{#job_changed}}        the designation or the grade changes (a promotion, a transfer)
#   {{old_basic}}  {{new_basic}}  {{currency}}  {{currency_symbol}}     of the basic pay
#   {{increase}}            new basic less old basic (negative for a decrease)
#   {{increase_percent}}    the increase as a percentage of the old basic: 5.00%; "—" when the
#                           old basic is 0.00
#   {{remarks}}             the job change's remarks
#   {{#has_lines}}          the job change has allowance or deduction lines
#   {{#lines}}...{{/lines}} each line, allowances first: {{kind}} (Allowance or Deduction),
#                           {{type}}, {{old}} (empty for a line added), {{new}} (empty for a
#                           line removed), {{currency}}, {{currency_symbol}}, {{change}}
#                           (Kept, Revised, Added or Removed)
#   {{page}}  {{pages}}     in the footer: the page of this letter and its number of pages
#
# Values are always escaped for HTML; {{{name}}} and {{&name}} are refused.

[report]
name = Revision Letter
paper = A4
orientation = portrait
# left top right bottom, in millimetres
margins = 22 18 22 15

[layout]
<html>
<head>
<style>
body { font-family: 'DejaVu Sans', sans-serif; font-size: 10pt; color: #1f2933; }
.company { font-size: 17pt; font-weight: bold; color: #1d3557; }
.address { font-size: 8.5pt; color: #5f6b7a; }
.subject { font-weight: bold; }
.value { font-weight: bold; }
.muted { color: #5f6b7a; }
th { background-color: #e6ecf3; color: #1d3557; font-weight: bold; text-align: left; }
.num { text-align: right; }
</style>
</head>
<body>
<table width="100%" cellspacing="0" cellpadding="0">
<tr>
<td valign="bottom"><span class="company">Meridian Textiles Ltd.</span><br/>
<span class="address">14 Harbour Road, Springfield 40110 &middot; Telephone 555 0100 &middot; hr@meridian.example</span></td>
<td align="right" valign="bottom" class="address">Human Resources</td>
</tr>
</table>
<hr/>
<p align="right">{{date}}</p>
<p>{{employee_name}}<br/>
<span class="muted">Employee no. {{employee_no}}</span><br/>
{{old_designation}}, {{old_grade}}</p>
<p class="subject">Subject: Revision of your pay with effect from {{job_date}}</p>
<p>Dear {{employee_name}},</p>
{{#job_changed}}
<p>We are pleased to inform you that with effect from {{job_date}} you are appointed
{{new_designation}} in the {{new_grade}} grade, in place of your present position as
{{old_designation}} ({{old_grade}}).</p>
{{/job_changed}}
{{^job_changed}}
<p>We are pleased to inform you that with effect from {{job_date}} your pay as
{{new_designation}} in the {{new_grade}} grade has been revised as follows.</p>
{{/job_changed}}
<table width="100%" cellspacing="0" cellpadding="4" border="1" style="border-color: #c5cfdb; border-style: solid; border-collapse: collapse;">
<tr><th width="28%"></th><th width="24%" class="num">Until now</th><th width="24%" class="num">From {{job_date}}</th><th width="24%" class="num">Change</th></tr>
<tr><td>Basic pay ({{currency}})</td><td class="num">{{currency_symbol}} {{old_basic}}</td><td class="num"><span class="value">{{currency_symbol}} {{new_basic}}</span></td><td class="num">{{currency_symbol}} {{increase}} ({{increase_percent}})</td></tr>
</table>
{{#has_lines}}
<p>Your allowances and deductions from the same date:</p>
<table width="100%" cellspacing="0" cellpadding="4" border="1" style="border-color: #c5cfdb; border-style: solid; border-collapse: collapse;">
<tr><th width="14%">Kind</th><th width="32%">Type</th><th width="19%" class="num">Until now</th><th width="19%" class="num">From {{job_date}}</th><th width="16%"></th></tr>
{{#lines}}
<tr><td>{{kind}}</td><td>{{type}}</td>
<td class="num">{{#old}}{{currency_symbol}} {{old}}{{/old}}{{^old}}&mdash;{{/old}}</td>
<td class="num">{{#new}}{{currency_symbol}} {{new}}{{/new}}{{^new}}&mdash;{{/new}}</td>
<td class="muted">{{change}}</td></tr>
{{/lines}}
</table>
{{/has_lines}}
{{#remarks}}
<p><span class="muted">Reference:</span> {{remarks}} ({{job_change_no}})</p>
{{/remarks}}
<p>All other terms and conditions of your employment remain unchanged. We thank you for your
contribution and look forward to your continued success with us.</p>
<p>Yours sincerely,</p>
<p>&nbsp;<br/>&nbsp;</p>
<table width="100%" cellspacing="0" cellpadding="0">
<tr>
<td width="45%" style="border-top: 1px solid #5f6b7a;">Priya Raman<br/><span class="muted">Head of Human Resources, Meridian Textiles Ltd.</span></td>
<td width="10%"></td>
<td width="45%" style="border-top: 1px solid #5f6b7a;">Received by {{employee_name}}<br/><span class="muted">Signature and date</span></td>
</tr>
</table>
</body>
</html>

[footer]
<table width="100%" cellspacing="0" cellpadding="0" style="font-family: 'DejaVu Sans', sans-serif; font-size: 7.5pt; color: #5f6b7a;">
<tr>
<td>Meridian Textiles Ltd. &middot; Confidential &middot; {{employee_no}} &middot; {{job_change_no}}</td>
<td align="right">Page {{page}} of {{pages}}</td>
</tr>
</table>
