#pragma once

#include <QList>

#include <algorithm>

// Median and 95th percentile of timed samples; -1 where there were none.
struct Stats
{
    double median = -1;
    double p95 = -1;
};

inline Stats stats(QList<double> samples)
{
    if (samples.isEmpty())
        return {};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double q) { return samples.at(qRound(q * (samples.size() - 1))); };
    return {at(0.5), at(0.95)};
}
