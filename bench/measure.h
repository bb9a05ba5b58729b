#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace bench {

// Milliseconds of each repetition of a step.
std::vector<double> timeRepeated(int repetitions, const std::function<void()>& step);
double median(std::vector<double> values);

// A line of the results table.
struct Measurement {
    QString name;
    double medianMs = 0.0;
    std::optional<double> floorMs;
    QString goal;
    // Whether the goal is met; empty when there is no goal.
    std::optional<bool> met;
};

// "VmHWM" (peak) or "VmRSS" (now) of this process from /proc/self/status, in kB.
qint64 memoryKb(const char* field);

// Prints the table: measurement, median ms, floor ms, ratio, goal, met?
QString formatTable(const std::vector<Measurement>& rows);

} // namespace bench
