#pragma once
// Order statistics of a sample of timings, and the two output forms every benchmark prints:
// aligned tables for people and "name value unit" lines for scripts.

#include <cstddef>
#include <string>
#include <vector>

namespace bench {

struct Summary {
    std::size_t count = 0;
    double min = 0, p50 = 0, p95 = 0, max = 0, mean = 0;
};

// Nearest-rank percentile of an ascending sample: the smallest value with at least `percent`
// of the sample at or below it. 0 for an empty sample.
double percentile(const std::vector<double>& sorted, double percent);
Summary summarize(std::vector<double> samples);

// Least-squares slope of y over x; 0 with fewer than two distinct x.
double slope(const std::vector<double>& x, const std::vector<double>& y);

// The common slope of y over x within groups that may each sit at a level of their own (a
// least-squares fit with one intercept per group). Groups of one point carry no slope.
double slopeWithinGroups(const std::vector<double>& x, const std::vector<double>& y,
                         const std::vector<long>& group);

std::string fixed(double value, int decimals);

class Table {
public:
    Table(std::string title, std::vector<std::string> header);
    void add(std::vector<std::string> row);
    // Columns are right-aligned except the first; a row shorter than the header is padded.
    std::string render() const;
    void print() const;

private:
    std::string title_;
    std::vector<std::vector<std::string>> rows_;
};

// One figure for scripts, on a line of its own: "name value unit". Names are lower case with
// underscores, so a line of this shape is easy to pick out of the rest.
std::string figureLine(const std::string& name, double value, const std::string& unit,
                       int decimals = 2);
void printFigure(const std::string& name, double value, const std::string& unit,
                 int decimals = 2);
// "target <what>: met" or "... NOT met", beside the figures it judges.
void printTarget(const std::string& what, bool met);

}  // namespace bench
