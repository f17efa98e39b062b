#include "core/platform/ini_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace omniset::platform {

namespace {

struct Line {
    std::string text;   // without its line end
    std::string ending; // "\n", "\r\n" or "" for a last line without one
};

std::vector<Line> splitLines(const std::string& data) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < data.size()) {
        auto nl = data.find('\n', pos);
        if (nl == std::string::npos) {
            lines.push_back({data.substr(pos), ""});
            break;
        }
        bool cr = nl > pos && data[nl - 1] == '\r';
        lines.push_back({data.substr(pos, nl - pos - (cr ? 1 : 0)), cr ? "\r\n" : "\n"});
        pos = nl + 1;
    }
    return lines;
}

// Blanks, and a carriage return: a last line without its line feed keeps the CR of a
// CRLF file, and must read as it will once a write completes its line end.
std::string_view trim(std::string_view s) {
    auto b = s.find_first_not_of(" \t\r");
    if (b == std::string_view::npos) return {};
    auto e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        auto lower = [](unsigned char c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; };
        if (lower(static_cast<unsigned char>(a[i])) != lower(static_cast<unsigned char>(b[i])))
            return false;
    }
    return true;
}

// The section name of a "[name]" line.
std::optional<std::string_view> sectionOf(std::string_view line) {
    auto t = trim(line);
    if (t.size() < 2 || t.front() != '[') return std::nullopt;
    auto close = t.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    return trim(t.substr(1, close - 1));
}

// Key and value of a "key=value" line; comments and other lines give nothing.
std::optional<std::pair<std::string_view, std::string_view>> entryOf(std::string_view line) {
    auto t = trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#') return std::nullopt;
    auto eq = t.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return std::pair{trim(t.substr(0, eq)), trim(t.substr(eq + 1))};
}

enum class FileState { Missing, Unreadable, Read };

// The file's bytes; Missing only when there is no file at all (a dangling link counts).
// Anything but a regular file (a folder, a pipe, a device, a loop of links) is not read.
FileState readFile(const QString& path, std::string* data) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return errno == ENOENT ? FileState::Missing : FileState::Unreadable;
    if (!S_ISREG(st.st_mode)) return FileState::Unreadable;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return FileState::Unreadable;
    const QByteArray bytes = f.readAll();
    if (f.error() != QFileDevice::NoError) return FileState::Unreadable;
    *data = bytes.toStdString();
    return FileState::Read;
}

// The file a write through path reaches: the end of its chain of symbolic links (which
// need not exist yet), or path itself.
QString writeTarget(const QString& path) {
    constexpr int kMaxLinks = 40; // as the system's own limit
    QString target = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < kMaxLinks && QFileInfo(target).isSymLink(); ++i)
        target = QFileInfo(target).symLinkTarget();
    return target;
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0); // one thread: put straight back
    ::umask(mask);
    return mask;
}

// Where a key stands: the index of its line, or where a new key of the section goes.
struct Lookup {
    bool sectionFound = false;
    std::optional<std::size_t> keyLine;
    std::size_t insertAt = 0; // after the section's last non-blank line
};

Lookup find(const std::vector<Line>& lines, std::string_view section, std::string_view key) {
    Lookup r;
    bool inSection = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (auto s = sectionOf(lines[i].text)) {
            if (r.sectionFound) break; // the first matching section is the one used
            inSection = sameName(*s, section);
            if (inSection) {
                r.sectionFound = true;
                r.insertAt = i + 1;
            }
            continue;
        }
        if (!inSection) continue;
        if (!trim(lines[i].text).empty()) r.insertAt = i + 1;
        if (auto e = entryOf(lines[i].text); e && sameName(e->first, key) && !r.keyLine)
            r.keyLine = i;
    }
    return r;
}

bool writeAll(int fd, const std::string& data) {
    std::size_t done = 0;
    while (done < data.size()) {
        auto n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Write a temporary file beside the target, flush it to disk, then rename it over the
// target: readers see the old file or the new one, never a part of either. The new file
// takes the old one's mode and owner, or the mode the umask gives a new file.
bool replaceFile(const QString& path, const std::string& data) {
    QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath())) return false;
    std::string tmpl = (info.absoluteFilePath() + QStringLiteral(".XXXXXX")).toStdString();
    int fd = ::mkstemp(tmpl.data());
    if (fd < 0) return false;
    struct stat old {};
    bool ok;
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        ok = ::fchmod(fd, old.st_mode & 07777) == 0;
        if (::fchown(fd, old.st_uid, old.st_gid) != 0) {
            // Only root may give a file away; the file stays the writer's.
        }
    } else {
        ok = ::fchmod(fd, 0666 & ~currentUmask()) == 0;
    }
    ok = ok && writeAll(fd, data) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok) ok = ::rename(tmpl.c_str(), QFile::encodeName(path).constData()) == 0;
    if (!ok) {
        ::unlink(tmpl.c_str());
        return false;
    }
    int dir = ::open(QFile::encodeName(info.absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

} // namespace

int parseIniInt(std::string_view text, int def) {
    text = trim(text);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front())
        text = text.substr(1, text.size() - 2);
    if (text.empty()) return def;
    std::size_t i = 0;
    bool negative = false;
    if (text[0] == '-' || text[0] == '+') {
        negative = text[0] == '-';
        i = 1;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > INT_MAX) value = INT_MAX; // saturate rather than overflow
    }
    return static_cast<int>(negative ? -value : value);
}

int iniReadInt(const QString& path, std::string_view section, std::string_view key, int def) {
    std::string data;
    if (readFile(path, &data) != FileState::Read) return def;
    auto lines = splitLines(data);
    auto where = find(lines, section, key);
    if (!where.keyLine) return def;
    return parseIniInt(entryOf(lines[*where.keyLine].text)->second, def);
}

bool iniWriteInt(const QString& path, std::string_view section, std::string_view key,
                 int value) {
    const QString target = writeTarget(path);
    std::string data;
    if (readFile(target, &data) == FileState::Unreadable) return false; // never lose it
    auto lines = splitLines(data);
    std::string eol = (!lines.empty() && lines.front().ending == "\r\n") ? "\r\n" : "\n";
    if (!lines.empty() && lines.back().ending.empty()) lines.back().ending = eol;

    auto where = find(lines, section, key);
    std::string text = std::string(key) + "=" + std::to_string(value);
    if (where.keyLine) {
        auto& line = lines[*where.keyLine];
        // Keep the key as it was spelt in the file.
        auto keyText = entryOf(line.text)->first;
        line.text = std::string(keyText) + "=" + std::to_string(value);
    } else if (where.sectionFound) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.insertAt), {text, eol});
    } else {
        lines.push_back({"[" + std::string(section) + "]", eol});
        lines.push_back({text, eol});
    }
    std::string out;
    for (const auto& l : lines) out += l.text + l.ending;
    return replaceFile(target, out);
}

} // namespace omniset::platform
