// A fresh directory under the system's temporary directory for one test,
// removed with everything in it when the test ends; plus whole-file helpers.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace morvessa::testing {

class TestDirectory {
 public:
  TestDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "morvessa-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TestDirectory() {
    std::error_code error;
    // A test may have left a directory read-only; make it removable again.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, error)) {
      if (entry.is_directory(error)) ::chmod(entry.path().c_str(), 0700);
    }
    ::chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, error);
  }
  TestDirectory(const TestDirectory&) = delete;
  TestDirectory& operator=(const TestDirectory&) = delete;

  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// True when this process can create a file in a directory of mode 0555
// (root can), so that tests of a read-only directory know to skip.
inline bool ReadOnlyDirectoriesAreWritable(const std::filesystem::path& scratch) {
  const std::filesystem::path probeDirectory = scratch / "probe";
  std::filesystem::create_directory(probeDirectory);
  ::chmod(probeDirectory.c_str(), 0555);
  const std::filesystem::path probeFile = probeDirectory / "file";
  const bool writable = std::ofstream(probeFile).is_open();
  std::error_code error;
  std::filesystem::remove(probeFile, error);
  ::chmod(probeDirectory.c_str(), 0700);
  std::filesystem::remove(probeDirectory, error);
  return writable;
}

}  // namespace morvessa::testing
