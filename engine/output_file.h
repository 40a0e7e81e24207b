// Output files that are either complete or not there at all.
//
// The bytes go to a temporary file in the target's directory, which is
// renamed over the target only once everything is written and closed. A
// failed write leaves an existing target as it was.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>

// "cannot write PATH: REASON", with the operating system's reason.
class OutputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

void writeFileReplacing(const std::string& path, const void* data, std::size_t size);

// The same for output written piece by piece: write() appends, commit()
// renames the finished file into place. A file never committed is removed
// when the writer goes away.
class ReplacingFileWriter {
public:
    explicit ReplacingFileWriter(std::string path);
    ~ReplacingFileWriter();
    ReplacingFileWriter(const ReplacingFileWriter&) = delete;
    ReplacingFileWriter& operator=(const ReplacingFileWriter&) = delete;

    void write(const void* data, std::size_t size);
    void commit();

private:
    [[noreturn]] void fail(int error);

    std::string path_;
    std::string temporaryPath_;
    int descriptor_ = -1;
};
