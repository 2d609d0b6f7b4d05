#include "common/stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <numeric>

namespace bench {

double percentile(const std::vector<double>& sorted, double percent) {
    if (sorted.empty()) return 0;
    double rank = std::ceil(percent / 100.0 * static_cast<double>(sorted.size()));
    std::size_t index = rank < 1 ? 0 : static_cast<std::size_t>(rank) - 1;
    return sorted[std::min(index, sorted.size() - 1)];
}

Summary summarize(std::vector<double> samples) {
    Summary summary;
    if (samples.empty()) return summary;
    std::sort(samples.begin(), samples.end());
    summary.count = samples.size();
    summary.min = samples.front();
    summary.max = samples.back();
    summary.p50 = percentile(samples, 50);
    summary.p95 = percentile(samples, 95);
    summary.mean = std::accumulate(samples.begin(), samples.end(), 0.0) /
                   static_cast<double>(samples.size());
    return summary;
}

double slope(const std::vector<double>& x, const std::vector<double>& y) {
    std::size_t count = std::min(x.size(), y.size());
    if (count < 2) return 0;
    double meanX = 0, meanY = 0;
    for (std::size_t i = 0; i < count; ++i) {
        meanX += x[i];
        meanY += y[i];
    }
    meanX /= static_cast<double>(count);
    meanY /= static_cast<double>(count);
    double covariance = 0, variance = 0;
    for (std::size_t i = 0; i < count; ++i) {
        covariance += (x[i] - meanX) * (y[i] - meanY);
        variance += (x[i] - meanX) * (x[i] - meanX);
    }
    return variance > 0 ? covariance / variance : 0;
}

double slopeWithinGroups(const std::vector<double>& x, const std::vector<double>& y,
                         const std::vector<long>& group) {
    std::size_t count = std::min({x.size(), y.size(), group.size()});
    std::map<long, std::pair<double, double>> sums;  // sum of x, sum of y
    std::map<long, std::size_t> sizes;
    for (std::size_t i = 0; i < count; ++i) {
        sums[group[i]].first += x[i];
        sums[group[i]].second += y[i];
        ++sizes[group[i]];
    }
    double covariance = 0, variance = 0;
    for (std::size_t i = 0; i < count; ++i) {
        double size = static_cast<double>(sizes[group[i]]);
        double dx = x[i] - sums[group[i]].first / size;
        double dy = y[i] - sums[group[i]].second / size;
        covariance += dx * dy;
        variance += dx * dx;
    }
    return variance > 0 ? covariance / variance : 0;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

Table::Table(std::string title, std::vector<std::string> header) : title_(std::move(title)) {
    rows_.push_back(std::move(header));
}

void Table::add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

std::string Table::render() const {
    std::vector<std::size_t> widths(rows_.front().size(), 0);
    for (const auto& row : rows_)
        for (std::size_t column = 0; column < row.size() && column < widths.size(); ++column)
            widths[column] = std::max(widths[column], row[column].size());
    std::string text = title_ + "\n";
    for (std::size_t index = 0; index < rows_.size(); ++index) {
        const auto& row = rows_[index];
        std::string line = " ";
        for (std::size_t column = 0; column < widths.size(); ++column) {
            std::string cell = column < row.size() ? row[column] : "";
            std::string padding(widths[column] - std::min(widths[column], cell.size()), ' ');
            line += "  " + (column == 0 ? cell + padding : padding + cell);
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\n";
        if (index == 0) {
            std::size_t total = 1;
            for (std::size_t width : widths) total += 2 + width;
            text += " " + std::string(total - 1, '-') + "\n";
        }
    }
    return text;
}

void Table::print() const {
    std::fputs(render().c_str(), stdout);
    std::fflush(stdout);
}

std::string figureLine(const std::string& name, double value, const std::string& unit,
                       int decimals) {
    return name + " " + fixed(value, decimals) + " " + unit;
}

void printFigure(const std::string& name, double value, const std::string& unit, int decimals) {
    std::printf("%s\n", figureLine(name, value, unit, decimals).c_str());
    std::fflush(stdout);
}

void printTarget(const std::string& what, bool met) {
    std::printf("target %s: %s\n", what.c_str(), met ? "met" : "NOT met");
    std::fflush(stdout);
}

}  // namespace bench
