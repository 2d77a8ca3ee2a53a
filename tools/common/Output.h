#pragma once
// What a tool writes: looked at before the work starts, refused with a
// status of its own when it cannot be written.
#include <initializer_list>
#include <string>

// The exit status of every tool whose output cannot be written (vorrel-solve,
// vorrel-render, vorrel-record): never "unknown", never success.
constexpr int kWriteFailureExit = 5;

// Why out cannot be written, or empty: it is one of the inputs (the same
// file under any name), it exists and is not a regular file, or its folder
// takes no new file.
std::string outputRefusal(const std::string& out, std::initializer_list<const char*> inputs);

// Prints "TOOL: cannot write OUT: WHY" on standard error; returns kWriteFailureExit.
int reportWriteFailure(const char* tool, const std::string& out, const std::string& why);
