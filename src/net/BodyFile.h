#pragma once
// The file a response body goes to in file mode. The bytes go to a temporary file beside the
// target, which replaces the target only when the body is complete: a failed transfer never
// leaves half a file under the target's name.

#include <cstddef>
#include <string>

namespace kestrin {

class BodyFile {
  public:
    // Creates the temporary file; raises ESockError with the system's text when it cannot.
    explicit BodyFile(std::string target);
    // Removes the temporary file unless it was committed.
    ~BodyFile();
    BodyFile(const BodyFile&) = delete;
    BodyFile& operator=(const BodyFile&) = delete;

    void write(const char* bytes, std::size_t size);
    // Renames the temporary file to the target.
    void commit();

  private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
};

}  // namespace kestrin
