// What one robustness suite tried and what held, printed as it goes, ending with one summary
// line that scripts/stress.sh collects into its table:
//   stress-summary|<number>|<name>|<figures>|PASS or FAIL
#pragma once

#include <cstdarg>
#include <string>

namespace rkx::stress {

class SuiteReport {
public:
    SuiteReport(int number, const char* name);

    // A line of what was tried.
    void Tried(const char* format, ...) __attribute__((format(printf, 2, 3)));
    // A property: "held" when true, "FAILED" otherwise. Returns `held`.
    bool Check(bool held, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // A figure for the summary table ("calls=120000").
    void Figure(const char* format, ...) __attribute__((format(printf, 2, 3)));
    bool failed() const { return failures_ > 0; }

    // Prints the summary line; the process's exit code (0 when everything held).
    int Finish();

private:
    int number_;
    std::string name_;
    std::string figures_;
    int checks_ = 0;
    int failures_ = 0;
};

}  // namespace rkx::stress
