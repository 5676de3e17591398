#pragma once

#include <string>

namespace zelkora::cli {

// Says what went wrong on stderr, as every command does: "zelkora-cli: ...".
void complain(const std::string& message);

// A file named on the command line, where "-" stands for a standard stream:
// the command works on the file at path(), for "-" a stand-in in a private
// temporary folder that goes with the object.
class CommandLineFile {
  public:
    ~CommandLineFile();
    CommandLineFile(const CommandLineFile&) = delete;
    CommandLineFile& operator=(const CommandLineFile&) = delete;

    // False when no stand-in could be made; problem() says why.
    bool ready() const { return !path_.empty(); }
    const std::string& path() const { return path_; }
    // The name to use in messages ("standard output" for "-").
    const std::string& name() const { return name_; }
    const std::string& problem() const { return problem_; }

  protected:
    // `streamName` names "-"; a stand-in is made for it, called `standIn`.
    CommandLineFile(const std::string& name, const char* streamName, const char* standIn);
    bool isStream() const { return !folder_.empty(); }

    std::string name_;
    std::string path_;
    std::string folder_;
    std::string problem_;
};

// A file the command writes; finish() hands a stand-in's bytes on to
// standard output.
class OutputFile : public CommandLineFile {
  public:
    explicit OutputFile(const std::string& name);
    // False when standard output did not take the bytes; problem() says why.
    bool finish();
};

// A file the command reads; for "-" standard input is read whole into the
// stand-in first.
class InputFile : public CommandLineFile {
  public:
    explicit InputFile(const std::string& name);
};

// Sends what a command prints on standard output into the file `name`
// instead ("-": standard output itself). The file appears whole, by rename,
// once commit() succeeds; otherwise it is left as it was.
class OutputRedirect {
  public:
    explicit OutputRedirect(const std::string& name);
    ~OutputRedirect();
    OutputRedirect(const OutputRedirect&) = delete;
    OutputRedirect& operator=(const OutputRedirect&) = delete;

    // False when the file cannot be made; problem() says why.
    bool ready() const { return ready_; }
    const std::string& name() const { return name_; }
    const std::string& problem() const { return problem_; }
    // Puts standard output back and the file in place; false with problem().
    bool commit();

  private:
    void restore();

    std::string name_;
    std::string path_;
    std::string temporary_;
    int savedStdout_ = -1;
    bool ready_ = true;
    std::string problem_;
};

// Flushes standard output; false, with the reason on stderr, when what the
// command printed could not all be written (a full disk, a closed pipe).
bool standardOutputWritten();

}  // namespace zelkora::cli
