#include "cli/standard_streams.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/hardware_access.h"

namespace zelkora::cli {

namespace {

namespace fs = std::filesystem;

// A private folder for a stand-in file; empty, with `problem` set, on failure.
std::string makePrivateFolder(std::string& problem) {
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    if (error) base = "/tmp";
    std::string pattern = (base / "zelkora-cli.XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        problem =
            "cannot make a temporary folder in " + base.string() + ": " + std::strerror(errno);
        return {};
    }
    return pattern;
}

void removeFolder(const std::string& folder) {
    std::error_code error;
    if (!folder.empty()) fs::remove_all(folder, error);
}

bool copyStream(std::FILE* from, std::FILE* to) {
    char buffer[1 << 16];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, from)) > 0;) {
        if (std::fwrite(buffer, 1, got, to) != got) return false;
    }
    return !std::ferror(from);
}

}  // namespace

void complain(const std::string& message) {
    std::fprintf(stderr, "zelkora-cli: %s\n", message.c_str());
}

CommandLineFile::CommandLineFile(const std::string& name, const char* streamName,
                                 const char* standIn)
    : name_(name) {
    if (name != "-") {
        path_ = absolutePath(name);
        return;
    }
    name_ = streamName;
    folder_ = makePrivateFolder(problem_);
    if (!folder_.empty()) path_ = folder_ + "/" + standIn;
}

CommandLineFile::~CommandLineFile() {
    removeFolder(folder_);
}

OutputFile::OutputFile(const std::string& name)
    : CommandLineFile(name, "standard output", "output.ini") {}

bool OutputFile::finish() {
    if (!isStream()) return true;
    std::FILE* in = std::fopen(path_.c_str(), "rb");
    if (!in) {
        problem_ = std::strerror(errno);
        return false;
    }
    errno = 0;
    const bool copied = copyStream(in, stdout) && std::fflush(stdout) == 0;
    if (!copied) problem_ = std::strerror(errno ? errno : EIO);
    std::fclose(in);
    return copied;
}

InputFile::InputFile(const std::string& name)
    : CommandLineFile(name, "standard input", "input.ini") {
    if (!isStream() || path_.empty()) return;
    errno = 0;
    std::FILE* out = std::fopen(path_.c_str(), "wb");
    const bool copied = out && copyStream(stdin, out);
    const bool closed = out && std::fclose(out) == 0;
    if (!copied || !closed) {
        problem_ = std::strerror(errno ? errno : EIO);
        path_.clear();
    }
}

OutputRedirect::OutputRedirect(const std::string& name) : name_(name) {
    if (name == "-") {
        name_ = "standard output";
        return;
    }
    path_ = absolutePath(name);
    temporary_ = path_ + ".XXXXXX";
    const int fd = ::mkstemp(temporary_.data());
    if (fd < 0) {
        problem_ = std::strerror(errno);
        ready_ = false;
        temporary_.clear();
        return;
    }
    // As a file made by open() would be: 0666 less the process's mask.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::fflush(stdout);
    savedStdout_ = ::dup(STDOUT_FILENO);
    if (savedStdout_ < 0 || ::dup2(fd, STDOUT_FILENO) < 0) {
        problem_ = std::strerror(errno);
        ready_ = false;
    }
    ::close(fd);
}

void OutputRedirect::restore() {
    if (savedStdout_ < 0) return;
    std::fflush(stdout);
    ::dup2(savedStdout_, STDOUT_FILENO);
    ::close(savedStdout_);
    savedStdout_ = -1;
}

OutputRedirect::~OutputRedirect() {
    restore();
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
}

bool OutputRedirect::commit() {
    if (path_.empty()) return ready_;
    errno = 0;
    bool written =
        ready_ && std::fflush(stdout) == 0 && !std::ferror(stdout) && ::fsync(STDOUT_FILENO) == 0;
    if (!written) problem_ = std::strerror(errno ? errno : EIO);
    std::clearerr(stdout);
    restore();
    if (written && ::rename(temporary_.c_str(), path_.c_str()) != 0) {
        problem_ = std::strerror(errno);
        written = false;
    }
    if (written) temporary_.clear();
    return written;
}

bool standardOutputWritten() {
    errno = 0;
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return true;
    complain(std::string("cannot write standard output: ") + std::strerror(errno ? errno : EIO));
    return false;
}

}  // namespace zelkora::cli
