// Output files written to a temporary name and renamed into place.
#include "output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

std::string temporaryNameFor(const std::string& path) {
    static std::atomic<unsigned> serial{0};
    const auto slash = path.find_last_of('/');
    const std::string directory = slash == std::string::npos ? "" : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return directory + "." + name + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(serial++);
}

}  // namespace

ReplacingFileWriter::ReplacingFileWriter(std::string path) : path_(std::move(path)) {
    // A write past a file-size limit must fail with EFBIG, not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    temporaryPath_ = temporaryNameFor(path_);
    descriptor_ = ::open(temporaryPath_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (descriptor_ < 0) fail(errno);
}

ReplacingFileWriter::~ReplacingFileWriter() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        ::unlink(temporaryPath_.c_str());
    }
}

void ReplacingFileWriter::write(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(descriptor_, bytes, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            fail(errno);
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
}

void ReplacingFileWriter::commit() {
    const int descriptor = descriptor_;
    descriptor_ = -1;
    if (::close(descriptor) != 0 || std::rename(temporaryPath_.c_str(), path_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporaryPath_.c_str());
        throw OutputFileError("cannot write " + path_ + ": " + std::strerror(error));
    }
}

void ReplacingFileWriter::fail(int error) {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
        ::unlink(temporaryPath_.c_str());
        descriptor_ = -1;
    }
    throw OutputFileError("cannot write " + path_ + ": " + std::strerror(error));
}

void writeFileReplacing(const std::string& path, const void* data, std::size_t size) {
    ReplacingFileWriter writer(path);
    writer.write(data, size);
    writer.commit();
}
