// Runs the suite's built programs the way a shell pipeline would, and checks
// what they write and how they end.  A case is a row of a table: arguments,
// standard input, expected standard output, standard error and exit status.
#ifndef PROGRAM_RUNNER_H
#define PROGRAM_RUNNER_H

#include <string>
#include <vector>

namespace progtest {

// How standard input reaches the program.
enum class Stdin {
    pipe,  // the input text through a pipe (a FIFO to fstat)
    file,  // the input text in a regular file, opened read-only
    null,  // /dev/null
};

// How standard error is compared.
enum class Match {
    exact,   // byte for byte
    regex,   // the whole of stderr matches the ECMAScript regular expression
    ignore,  // not looked at
};

struct Case {
    std::string name;
    std::vector<std::string> args;  // after argument zero
    std::string input;
    std::string out;
    std::string err;
    int status = 0;
    Stdin in = Stdin::pipe;
    Match err_match = Match::exact;
    bool out_full = false;  // standard output is /dev/full
};

struct Result {
    std::string out;
    std::string err;
    int status = -1;  // exit status, or 128 + signal number
};

// Path of a built program (the build's bin directory).
std::string program_path(const std::string &program);

// Path of a file under tests/fixtures, or of a sample under examples/.
std::string fixture(const std::string &name);
std::string example(const std::string &name);

// A fresh scratch directory for one test; removed at process exit.
std::string scratch_dir();

// Writes text to path (binary, truncating).
void write_file(const std::string &path, const std::string &text);
std::string read_file(const std::string &path);

// Runs program with argument zero set to its bare name, so messages that
// name the program read the same in every build.
Result run(const std::string &program, const std::vector<std::string> &args,
           const std::string &input, Stdin in = Stdin::pipe,
           bool out_full = false);

// Runs every case of the table and reports each mismatch under the
// case's name (a GoogleTest failure, not an abort, so one run shows all).
void check_cases(const std::string &program, const std::vector<Case> &cases);

}  // namespace progtest

#endif
