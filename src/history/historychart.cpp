#include "history/historychart.h"

#include "data/datetext.h"

#include <QChart>
#include <QDateTimeAxis>
#include <QLineSeries>
#include <QLocale>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>

namespace {

double when(const QDate& date) {
    return static_cast<double>(date.startOfDay().toMSecsSinceEpoch());
}

// Basic pay in whole units: the chart only draws it.
double units(jobchange::Cents amount) {
    return static_cast<double>(amount) / 100.0;
}

} // namespace

QChart* buildPayChart(const jobchange::EmployeeHistory& history, const QDate& processDate) {
    auto* chart = new QChart;
    // Tick dates in the clerk's locale, as every window shows them.
    chart->setLocale(QLocale());
    chart->setObjectName(QStringLiteral("chartBasicPay"));
    chart->legend()->setAlignment(Qt::AlignBottom);
    chart->setMargins(QMargins(4, 4, 4, 4));

    auto* basic = new QLineSeries(chart);
    basic->setObjectName(QStringLiteral("seriesBasic"));
    basic->setName(QStringLiteral("Basic pay"));
    auto* cancelled = new QScatterSeries(chart);
    cancelled->setObjectName(QStringLiteral("seriesCancelled"));
    cancelled->setName(QStringLiteral("Cancelled"));
    cancelled->setColor(QColor(0xb3, 0x26, 0x1e));
    cancelled->setMarkerSize(9);

    const auto& changes = history.changes;
    QDate first = processDate.addYears(-1);
    QDate last = processDate;
    jobchange::Cents level = history.master.basic;
    if (!changes.empty()) {
        first = changes.front().date;
        last = std::max(processDate, changes.back().date);
        // The level before the first job change in force; with every one cancelled, the first's.
        const auto inForce = std::find_if(changes.begin(), changes.end(),
                                          [](const auto& change) { return !change.cancelled; });
        level = inForce != changes.end() ? inForce->oldBasic : changes.front().oldBasic;
    }
    const qint64 margin = std::max<qint64>(30, first.daysTo(last) / 20);
    // The level the last job change set stays visible beside its step.
    if (!changes.empty())
        last = std::max(last, changes.back().date.addDays(margin));
    basic->append(when(first.addDays(-margin)), units(level));
    for (const jobchange::JobChangeRecord& change : changes) {
        if (change.cancelled) {
            cancelled->append(when(change.date), units(change.newBasic));
            continue;
        }
        basic->append(when(change.date), units(level));
        level = change.newBasic;
        basic->append(when(change.date), units(level));
    }
    basic->append(when(last), units(level));

    chart->addSeries(basic);
    chart->addSeries(cancelled);
    auto* time = new QDateTimeAxis(chart);
    time->setFormat(data::dateFormat());
    time->setTickCount(6);
    time->setRange(first.addDays(-margin).startOfDay(), last.addDays(margin / 4).startOfDay());
    auto* pay = new QValueAxis(chart);
    // Each amount with its currency; the label format is printf's, so a '%' in it is doubled.
    QString currency = history.currency;
    pay->setLabelFormat(
        (currency.isEmpty()
             ? QString()
             : currency.replace(QLatin1Char('%'), QStringLiteral("%%")) + QLatin1Char(' ')) +
        QStringLiteral("%.0f"));
    double low = basic->at(0).y();
    double high = low;
    for (const QXYSeries* series :
         {static_cast<QXYSeries*>(basic), static_cast<QXYSeries*>(cancelled)}) {
        for (const QPointF& point : series->points()) {
            low = std::min(low, point.y());
            high = std::max(high, point.y());
        }
    }
    pay->setRange(std::max(0.0, low - (high - low) * 0.1 - 1), high + (high - low) * 0.1 + 1);
    pay->applyNiceNumbers();
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(pay, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(basic), static_cast<QAbstractSeries*>(cancelled)}) {
        series->attachAxis(time);
        series->attachAxis(pay);
    }
    return chart;
}
