#include "bench/measure.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTextStream>
#include <algorithm>

namespace bench {

std::vector<double> timeRepeated(int repetitions, const std::function<void()>& step) {
    std::vector<double> times;
    for (int i = 0; i < repetitions; ++i) {
        QElapsedTimer timer;
        timer.start();
        step();
        times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return times;
}

double median(std::vector<double> values) {
    if (values.empty())
        return 0.0;
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

qint64 memoryKb(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    // A /proc file has no size: read it whole.
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

QString formatTable(const std::vector<Measurement>& rows) {
    auto number = [](double value) { return QString::number(value, 'f', value < 10 ? 2 : 1); };
    QStringList header{QStringLiteral("measurement"), QStringLiteral("median ms"),
                       QStringLiteral("floor ms"),    QStringLiteral("ratio"),
                       QStringLiteral("goal"),        QStringLiteral("met?")};
    std::vector<QStringList> lines{header};
    for (const Measurement& row : rows) {
        QStringList cells{row.name, number(row.medianMs)};
        if (row.floorMs && *row.floorMs > 0) {
            cells << number(*row.floorMs)
                  << QString::number(row.medianMs / *row.floorMs, 'f', 2) + QLatin1Char('x');
        } else {
            cells << QStringLiteral("-") << QStringLiteral("-");
        }
        cells << (row.goal.isEmpty() ? QStringLiteral("-") : row.goal)
              << (row.met ? (*row.met ? QStringLiteral("yes") : QStringLiteral("NO"))
                          : QStringLiteral("-"));
        lines.push_back(cells);
    }
    std::vector<qsizetype> widths(static_cast<size_t>(header.size()), 0);
    for (const QStringList& line : lines)
        for (qsizetype c = 0; c < line.size(); ++c)
            widths[static_cast<size_t>(c)] =
                std::max(widths[static_cast<size_t>(c)], line[c].size());
    QString out;
    QTextStream stream(&out);
    for (size_t i = 0; i < lines.size(); ++i) {
        const QStringList& line = lines[i];
        for (qsizetype c = 0; c < line.size(); ++c) {
            const int width = static_cast<int>(widths[static_cast<size_t>(c)]);
            // The name left-aligned, figures right-aligned.
            stream << (c == 0 ? line[c].leftJustified(width) : line[c].rightJustified(width));
            stream << (c + 1 < line.size() ? "  " : "\n");
        }
        if (i == 0) {
            qsizetype total = 0;
            for (qsizetype w : widths)
                total += w + 2;
            stream << QString(total - 2, QLatin1Char('-')) << '\n';
        }
    }
    return out;
}

} // namespace bench
