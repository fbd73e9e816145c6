#pragma once

#include <cstdint>
#include <string>

namespace orvane {

// Widths of the memory bar's segments, in points.
struct BarWidths {
    double barWidth = 260.0;
    double reservedWidth = 0.0;
    double vramWidth = 0.0;
};

// Whole gigabytes left to the system: each size is truncated before the subtraction, and neither
// a negative limit nor one above the total makes a figure below zero.
std::int64_t reservedSystemRAMGB(double totalGB, double currentGB);

std::string totalFigureText(double totalGB);
std::string reservedFigureText(double totalGB, double currentGB);
std::string allocatedFigureText(double currentGB);

// The reserved segment follows reservedSystemRAMGB; the VRAM segment takes the rest.
BarWidths barWidths(double totalGB, double currentGB);

std::string customAmountText(double customGB);
std::string minimumMemoryText(double minimumGB);
std::string outsideRangeText(std::int64_t wholeGB);

} // namespace orvane
