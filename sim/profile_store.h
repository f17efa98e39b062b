// profile_store.h - the adapter's non-volatile memory: six records and four quick-dial
// numbers, kept in one text file.
//
//   ProfileStore(path, length)   factory contents until load() finds the file
//   load()                       read the file; a missing file keeps the factory contents
//   save()                       write the file atomically (temporary file, fsync, rename)
//   record(n) / setRecord(n, r)  profile n, 0..5 (5 is the current configuration)
//   quickDial(n) / setQuickDial  slot n, 0..3
//   restoreFactory()             the factory record into the current configuration
//   setLength(length)            change the record length (firmware upgrade): records are
//                                cut, or extended with the factory bytes
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kx220sim {

inline constexpr int kProfileCount = 6;
inline constexpr int kCurrentProfile = 5;
inline constexpr int kQuickDialCount = 4;
inline constexpr std::size_t kQuickDialMaxDigits = 26;

class ProfileStore {
  public:
    ProfileStore(std::string path, int length);

    // Both return false with a message in *error; load() leaves the contents as they were.
    bool load(std::string* error);
    bool save(std::string* error) const;

    int length() const { return length_; }
    const std::string& path() const { return path_; }
    const std::vector<std::uint8_t>& record(int profile) const;
    void setRecord(int profile, std::vector<std::uint8_t> bytes);
    const std::string& quickDial(int slot) const;
    void setQuickDial(int slot, std::string digits);
    void restoreFactory();
    void setLength(int length);

  private:
    std::string serialise() const;
    bool parse(const std::string& text, std::string* error);

    std::string path_;
    int length_;
    std::array<std::vector<std::uint8_t>, kProfileCount> records_;
    std::array<std::string, kQuickDialCount> quickDial_;
};

} // namespace kx220sim
