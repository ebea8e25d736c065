#pragma once

#include <cstdio>
#include <string>

// Prints the one line every comparison ends with:
//   BENCH <name> <value> <unit> target <op><limit> PASS|FAIL
inline bool benchLine(const std::string& name, double value, const std::string& unit, const std::string& op,
                      double limit) {
    const bool pass = op == "<="   ? value <= limit
                      : op == "<"  ? value < limit
                      : op == ">=" ? value >= limit
                                   : value > limit;
    std::printf("BENCH %s %.3f %s target %s%g %s\n", name.c_str(), value, unit.c_str(), op.c_str(), limit,
                pass ? "PASS" : "FAIL");
    std::fflush(stdout);
    return pass;
}
