#include "tests/stress/suite_report.h"

#include <cstdio>

namespace rkx::stress {
namespace {

std::string Format(const char* format, va_list arguments)
{
    char text[1024];
    std::vsnprintf(text, sizeof(text), format, arguments);
    return text;
}

}  // namespace

SuiteReport::SuiteReport(int number, const char* name) : number_(number), name_(name)
{
    std::printf("== suite %d: %s\n", number_, name_.c_str());
    std::fflush(stdout);
}

void SuiteReport::Tried(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::printf("   tried   %s\n", Format(format, arguments).c_str());
    va_end(arguments);
    std::fflush(stdout);
}

bool SuiteReport::Check(bool held, const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::printf("   %s  %s\n", held ? "held   " : "FAILED ", Format(format, arguments).c_str());
    va_end(arguments);
    std::fflush(stdout);
    ++checks_;
    if (!held) ++failures_;
    return held;
}

void SuiteReport::Figure(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    if (!figures_.empty()) figures_ += ", ";
    figures_ += Format(format, arguments);
    va_end(arguments);
}

int SuiteReport::Finish()
{
    std::printf("   %d of %d properties held\n", checks_ - failures_, checks_);
    std::printf("stress-summary|%d|%s|%s|%s\n", number_, name_.c_str(), figures_.c_str(),
                failures_ == 0 && checks_ > 0 ? "PASS" : "FAIL");
    std::fflush(stdout);
    return failures_ == 0 && checks_ > 0 ? 0 : 1;
}

}  // namespace rkx::stress
