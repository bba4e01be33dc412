// A temporary station home folder, removed when the test ends.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kapsorel::test {

class TempHome {
  public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

    void writeBytes(const std::string& name, const std::vector<std::uint8_t>& data) const;
    void writeText(const std::string& name, const std::string& text) const;
    std::vector<std::uint8_t> readBytes(const std::string& name) const;
    std::string readText(const std::string& name) const;

  private:
    std::filesystem::path path_;
};

// The names in a folder, sorted: hidden ones (a save's temporary) included.
std::vector<std::string> namesIn(const std::filesystem::path& folder);

} // namespace kapsorel::test
