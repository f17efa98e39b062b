#include "profile_store.h"

#include "atomic_file.h"
#include "factory_record.h"
#include "hex_text.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace kx220sim {

namespace {

constexpr std::string_view kHeader = "kx220-sim store 1";

bool allDigits(const std::string& s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

} // namespace

ProfileStore::ProfileStore(std::string path, int length) : path_(std::move(path)), length_(length) {
    for (auto& r : records_) r = factoryRecord(length_);
}

const std::vector<std::uint8_t>& ProfileStore::record(int profile) const {
    return records_.at(static_cast<std::size_t>(profile));
}

void ProfileStore::setRecord(int profile, std::vector<std::uint8_t> bytes) {
    bytes.resize(static_cast<std::size_t>(length_), 0);
    records_.at(static_cast<std::size_t>(profile)) = std::move(bytes);
}

const std::string& ProfileStore::quickDial(int slot) const {
    return quickDial_.at(static_cast<std::size_t>(slot));
}

void ProfileStore::setQuickDial(int slot, std::string digits) {
    quickDial_.at(static_cast<std::size_t>(slot)) = std::move(digits);
}

void ProfileStore::restoreFactory() { records_[kCurrentProfile] = factoryRecord(length_); }

void ProfileStore::setLength(int length) {
    auto factory = factoryRecord(length);
    for (auto& r : records_) {
        std::size_t old = r.size();
        r.resize(factory.size());
        for (std::size_t i = old; i < r.size(); ++i) r[i] = factory[i];
    }
    length_ = length;
}

// One line per item: the header, "length L", "profile N HEX", "quickdial N DIGITS".
std::string ProfileStore::serialise() const {
    std::ostringstream out;
    out << kHeader << "\nlength " << length_ << "\n";
    for (int n = 0; n < kProfileCount; ++n) out << "profile " << n << " " << encodeRecord(record(n)) << "\n";
    for (int n = 0; n < kQuickDialCount; ++n) out << "quickdial " << n << " " << quickDial(n) << "\n";
    return out.str();
}

bool ProfileStore::parse(const std::string& text, std::string* error) {
    std::istringstream in(text);
    std::string line, word;
    int fileLength = 0;
    if (!std::getline(in, line) || line != kHeader) return *error = "not a store file", false;
    if (!(in >> word >> fileLength) || word != "length" || fileLength <= 0 || fileLength > 4096)
        return *error = "bad length line", false;
    ProfileStore loaded(path_, fileLength);
    int slot = 0;
    while (in >> word >> slot) {
        std::string value;
        std::getline(in, value);
        if (!value.empty() && value.front() == ' ') value.erase(0, 1);
        if (word == "profile" && slot >= 0 && slot < kProfileCount) {
            auto decoded = decodeRecord(value, static_cast<std::size_t>(fileLength));
            if (decoded.error != HexError::None) return *error = "bad profile line", false;
            loaded.records_[slot] = std::move(decoded.record);
        } else if (word == "quickdial" && slot >= 0 && slot < kQuickDialCount && allDigits(value) &&
                   value.size() <= kQuickDialMaxDigits) {
            loaded.quickDial_[slot] = value;
        } else {
            return *error = "bad line: " + word, false;
        }
    }
    loaded.setLength(length_);
    records_ = loaded.records_;
    quickDial_ = loaded.quickDial_;
    return true;
}

bool ProfileStore::load(std::string* error) {
    struct stat info {};
    if (::stat(path_.c_str(), &info) != 0 && errno == ENOENT) return true;
    std::ifstream file(path_, std::ios::binary);
    if (!file) {
        *error = "cannot open " + path_ + ": " + std::strerror(errno);
        return false;
    }
    std::stringstream content;
    content << file.rdbuf();
    if (!parse(content.str(), error)) {
        *error = path_ + ": " + *error;
        return false;
    }
    return true;
}

bool ProfileStore::save(std::string* error) const {
    return writeFileAtomically(path_, serialise(), error);
}

} // namespace kx220sim
